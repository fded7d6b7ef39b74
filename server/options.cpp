#include "server/options.h"

#include <charconv>
#include <string_view>

namespace zendalo {
namespace {

const ListenAddress kDefaultListen{"127.0.0.1", 80};

std::optional<int> ParsePort(std::string_view digits) {
    int port = -1;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), port);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() || port < 0 || port > 65535) {
        return std::nullopt;
    }
    return port;
}

// Applies one option and its value to `options`; an error message when the value is bad.
std::optional<std::string> Apply(std::string_view name, const std::string& value, ServiceOptions& options) {
    if (name == "--listen") {
        const auto listen = ParseListenAddress(value);
        if (!listen) return "bad --listen '" + value + "': expected ADDRESS:PORT, e.g. 127.0.0.1:80 or [::1]:80";
        options.listen.push_back(*listen);
    } else if (name == "--db") {
        if (options.databasePath) return std::string("--db given twice");
        if (value.empty()) return std::string("--db needs a file name");
        options.databasePath = value;
    } else {  // --trusted-proxy
        const auto range = AddressRange::Parse(value);
        if (!range) return "bad --trusted-proxy '" + value + "': expected an address or CIDR block, e.g. 10.0.0.0/8";
        options.trustedProxies.push_back(*range);
    }
    return std::nullopt;
}

}  // namespace

std::optional<ListenAddress> ParseListenAddress(const std::string& text) {
    const std::string_view view = text;
    const auto colon = view.rfind(':');
    if (colon == std::string_view::npos) return std::nullopt;
    std::string_view host = view.substr(0, colon);
    const auto port = ParsePort(view.substr(colon + 1));
    // IPv6 only in brackets, so "::1:80" is never taken for ::1 port 80 or ::1:80 without a port.
    // The host is kept as written: [::ffff:127.0.0.1] is an IPv6 socket that IPv4 clients reach.
    const bool bracketed = host.size() >= 2 && host.front() == '[' && host.back() == ']';
    if (bracketed) host = host.substr(1, host.size() - 2);
    const bool ipv6Text = host.find(':') != std::string_view::npos;
    if (!port || bracketed != ipv6Text || !IpAddress::Parse(host)) return std::nullopt;
    return ListenAddress{std::string(host), *port};
}

std::string ToString(const ListenAddress& listen) {
    const bool ipv6 = listen.host.find(':') != std::string::npos;
    return (ipv6 ? "[" + listen.host + "]" : listen.host) + ":" + std::to_string(listen.port);
}

ParsedOptions ParseOptions(const std::vector<std::string>& arguments) {
    ServiceOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--help" || argument == "-h") return HelpRequest{};

        const auto equals = argument.find('=');
        const std::string name = argument.substr(0, equals);
        if (name != "--listen" && name != "--db" && name != "--trusted-proxy") {
            return OptionError{argument.starts_with("-") ? "unknown option '" + argument + "'"
                                                         : "unexpected argument '" + argument + "'"};
        }
        std::string value;
        if (equals != std::string::npos) {
            value = argument.substr(equals + 1);
        } else if (i + 1 < arguments.size()) {
            value = arguments[++i];
        } else {
            return OptionError{name + " needs a value"};
        }
        if (auto error = Apply(name, value, options)) return OptionError{*error};
    }
    if (options.listen.empty()) options.listen.push_back(kDefaultListen);
    return options;
}

std::string UsageText() {
    return "Usage: zendalo-lookupd [--listen ADDRESS:PORT]... [--db FILE.mmdb] [--trusted-proxy CIDR]...\n"
           "\n"
           "Serves the lookup page GET /ic.asp, in code page 936 (GBK): the caller's address between\n"
           "\"[\" and \"]\", and the region it belongs to, in Chinese.\n"
           "\n"
           "  --listen ADDRESS:PORT  address to serve on, IPv6 in brackets ([::1]:80); repeatable;\n"
           "                         port 0 takes any free port; default 127.0.0.1:80\n"
           "  --db FILE.mmdb         region database in MaxMind DB format; without it every public\n"
           "                         address gets the unknown-region text\n"
           "  --trusted-proxy CIDR   a proxy or load balancer whose X-Forwarded-For is believed\n"
           "                         (10.0.0.0/8, 2001:db8::/32, 192.0.2.7); repeatable\n"
           "  --help                 this text\n"
           "\n"
           "Writes one access-log line per request to standard output, messages to standard error.\n"
           "Stops on SIGTERM or SIGINT once the requests in progress are answered.\n";
}

}  // namespace zendalo
