// zendalo-lookupd: serves the lookup page that Zendalo asks for the public address and region.
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <exception>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "server/access_log.h"
#include "server/lookup_service.h"
#include "server/options.h"
#include "server/region.h"

namespace zendalo {
namespace {

constexpr const char* kName = "zendalo-lookupd";

void Say(const std::string& message) { std::fprintf(stderr, "%s: %s\n", kName, message.c_str()); }

// SIGTERM and SIGINT, blocked in every thread and taken by the main thread with sigwait.
sigset_t StopSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    return signals;
}

int Serve(const ServiceOptions& options) {
    std::optional<RegionDatabase> database;
    if (options.databasePath) {
        database.emplace(*options.databasePath);
        Say("region database " + *options.databasePath + " (" + database->Describe() + ")");
    } else {
        Say("no region database: public addresses get the unknown region");
    }

    // Before any thread starts, so that every thread inherits the mask.
    const sigset_t signals = StopSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    ::signal(SIGPIPE, SIG_IGN);

    std::atomic<bool> failed{false};  // outlives the serving threads, which end with `service`
    AccessLog log(stdout);
    LookupService service({options.trustedProxies, database ? &*database : nullptr, &log});
    for (const ListenAddress& address : options.listen) Say("listening on " + ToString(service.Bind(address)));

    // A socket that stops serving by itself ends the process (for its supervisor to restart it).
    service.Start([&failed] {
        failed = true;
        ::kill(::getpid(), SIGTERM);
    });
    Say("ready");

    int signal = 0;
    sigwait(&signals, &signal);
    Say(failed ? std::string("stopping: a listening socket failed")
               : std::string("stopping on ") + (signal == SIGINT ? "SIGINT" : "SIGTERM"));
    service.Stop();
    Say("stopped");
    return failed ? 1 : 0;
}

}  // namespace
}  // namespace zendalo

int main(int argc, char** argv) {
    using namespace zendalo;
    const ParsedOptions parsed = ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (std::holds_alternative<HelpRequest>(parsed)) {
        std::fputs(UsageText().c_str(), stdout);
        return 0;
    }
    if (const auto* error = std::get_if<OptionError>(&parsed)) {
        Say(error->message);
        std::fprintf(stderr, "Try '%s --help'.\n", kName);
        return 2;
    }
    try {
        return Serve(std::get<ServiceOptions>(parsed));
    } catch (const std::exception& error) {
        Say(error.what());
        return 1;
    }
}
