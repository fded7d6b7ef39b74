#include "tests/server/harness.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <iconv.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace zendalo::testing {
namespace {

using Clock = std::chrono::steady_clock;

pid_t Spawn(const std::vector<std::string>& arguments, const std::string& outPath, const std::string& errPath) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int error = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) throw std::runtime_error("cannot start " + arguments[0] + ": " + std::strerror(error));
    return pid;
}

// The exit code once `pid` has ended within `timeout`; nothing while it still runs.
std::optional<int> WaitFor(pid_t pid, std::chrono::milliseconds timeout) {
    const auto end = Clock::now() + timeout;
    while (true) {
        int status = 0;
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            if (WIFEXITED(status)) return WEXITSTATUS(status);
            return 128 + WTERMSIG(status);
        }
        if (done < 0 || Clock::now() >= end) return std::nullopt;
        std::this_thread::sleep_for(5ms);
    }
}

void KillAndReap(pid_t pid) {
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
}

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace

TempDir::TempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/zendalo-test-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp: " + std::string(std::strerror(errno)));
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteFile(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

ProcessResult RunProcess(const std::vector<std::string>& arguments, std::chrono::milliseconds timeout) {
    const TempDir dir;
    const std::string outPath = dir.File("out");
    const std::string errPath = dir.File("err");
    const pid_t pid = Spawn(arguments, outPath, errPath);
    ProcessResult result;
    if (const auto code = WaitFor(pid, timeout)) {
        result.exitCode = *code;
    } else {
        KillAndReap(pid);
    }
    result.out = ReadFile(outPath);
    result.err = ReadFile(errPath);
    return result;
}

ServiceProcess::ServiceProcess(std::vector<std::string> arguments)
    : logPath_(dir_.File("access.log")), errPath_(dir_.File("messages")) {
    arguments.insert(arguments.begin(), LookupdPath());
    pid_ = Spawn(arguments, logPath_, errPath_);
    const auto end = Clock::now() + 20s;
    while (Clock::now() < end) {
        const std::string messages = Messages();
        if (messages.find("zendalo-lookupd: ready\n") != std::string::npos) {
            std::istringstream lines(messages);
            for (std::string line; std::getline(lines, line);) {
                constexpr std::string_view kListening = "zendalo-lookupd: listening on ";
                if (line.starts_with(kListening)) listening_.push_back(line.substr(kListening.size()));
            }
            ready_ = true;
            return;
        }
        if (const auto code = WaitFor(pid_, 0ms)) {
            pid_ = -1;
            return;
        }
        std::this_thread::sleep_for(10ms);
    }
}

ServiceProcess::~ServiceProcess() {
    if (pid_ > 0) KillAndReap(pid_);
}

int ServiceProcess::Port(std::size_t index) const {
    const std::string& address = listening_.at(index);
    return std::stoi(address.substr(address.rfind(':') + 1));
}

std::string ServiceProcess::Url(std::string_view path, std::size_t index) const {
    return "http://" + listening_.at(index) + std::string(path);
}

int ServiceProcess::Stop(std::chrono::milliseconds timeout) {
    if (pid_ <= 0) return -1;
    ::kill(pid_, SIGTERM);
    const auto code = WaitFor(pid_, timeout);
    if (!code) return -1;  // the destructor kills it
    pid_ = -1;
    return *code;
}

std::optional<std::string> HttpResponse::Header(std::string_view name) const {
    for (const auto& [key, value] : headers) {
        if (Lower(key) == Lower(name)) return value;
    }
    return std::nullopt;
}

HttpResponse ParseResponse(std::string_view raw) {
    HttpResponse response;
    const auto headEnd = raw.find("\r\n\r\n");
    const std::string_view head = raw.substr(0, headEnd);
    if (headEnd != std::string_view::npos) response.body = std::string(raw.substr(headEnd + 4));
    std::istringstream lines{std::string(head)};
    std::string line;
    if (std::getline(lines, line) && line.starts_with("HTTP/") && line.size() >= 12) {
        response.status = std::atoi(line.c_str() + 9);
    }
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const auto colon = line.find(':');
        if (colon == std::string::npos) continue;
        std::string value = line.substr(colon + 1);
        value.erase(0, value.find_first_not_of(' '));
        response.headers.emplace_back(line.substr(0, colon), value);
    }
    return response;
}

HttpResponse Curl(const std::vector<std::string>& arguments) {
    const TempDir dir;
    std::vector<std::string> command = {"curl", "-s", "-S", "--max-time", "10", "-D", dir.File("head"),
                                        "-o", dir.File("body")};
    command.insert(command.end(), arguments.begin(), arguments.end());
    const ProcessResult result = RunProcess(command);
    EXPECT_EQ(result.exitCode, 0) << "curl failed: " << result.err;
    // With several responses (a redirect, 100 Continue) the last head is the one that counts.
    std::string head = ReadFile(dir.File("head"));
    const auto last = head.rfind("HTTP/");
    if (last != std::string::npos) head = head.substr(last);
    HttpResponse response = ParseResponse(head);
    response.body = ReadFile(dir.File("body"));
    return response;
}

RawClient::RawClient(const std::string& host, int port) {
    sockaddr_storage address{};
    socklen_t length = 0;
    auto* in = reinterpret_cast<sockaddr_in*>(&address);
    auto* in6 = reinterpret_cast<sockaddr_in6*>(&address);
    if (inet_pton(AF_INET, host.c_str(), &in->sin_addr) == 1) {
        in->sin_family = AF_INET;
        in->sin_port = htons(static_cast<std::uint16_t>(port));
        length = sizeof *in;
    } else if (inet_pton(AF_INET6, host.c_str(), &in6->sin6_addr) == 1) {
        in6->sin6_family = AF_INET6;
        in6->sin6_port = htons(static_cast<std::uint16_t>(port));
        length = sizeof *in6;
    } else {
        return;
    }
    socket_ = ::socket(address.ss_family, SOCK_STREAM, 0);
    if (socket_ >= 0 && ::connect(socket_, reinterpret_cast<sockaddr*>(&address), length) != 0) {
        ::close(socket_);
        socket_ = -1;
    }
}

RawClient::~RawClient() {
    if (socket_ >= 0) ::close(socket_);
}

bool RawClient::Send(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t sent = ::send(socket_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

std::string RawClient::ReadToEnd(std::chrono::milliseconds timeout) {
    std::string received;
    const auto end = Clock::now() + timeout;
    char buffer[4096];
    while (true) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
        pollfd entry{socket_, POLLIN, 0};
        if (left <= 0 || ::poll(&entry, 1, static_cast<int>(left)) <= 0) break;
        const ssize_t count = ::recv(socket_, buffer, sizeof buffer, 0);
        if (count == 0) closedByServer_ = true;
        if (count <= 0) break;
        received.append(buffer, static_cast<std::size_t>(count));
    }
    return received;
}

std::string Gbk(std::string_view utf8) {
    iconv_t converter = iconv_open("GBK", "UTF-8");
    if (converter == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv cannot convert to GBK");
    std::string in(utf8);
    std::string out(in.size() * 2 + 4, '\0');
    char* inPointer = in.data();
    std::size_t inLeft = in.size();
    char* outPointer = out.data();
    std::size_t outLeft = out.size();
    const std::size_t done = iconv(converter, &inPointer, &inLeft, &outPointer, &outLeft);
    iconv_close(converter);
    if (done == static_cast<std::size_t>(-1)) throw std::runtime_error("not convertible to GBK: " + in);
    out.resize(out.size() - outLeft);
    return out;
}

bool HasIpv6Loopback() {
    const int probe = ::socket(AF_INET6, SOCK_STREAM, 0);
    if (probe < 0) return false;
    sockaddr_in6 address{};
    address.sin6_family = AF_INET6;
    address.sin6_addr = in6addr_loopback;
    const bool bound = ::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(probe);
    return bound;
}

std::string LookupdPath() { return ZENDALO_LOOKUPD; }
std::string DemoDatabasePath() { return ZENDALO_DEMO_DB; }
std::string SourceDir() { return ZENDALO_SOURCE_DIR; }
std::string BuildDir() { return ZENDALO_BUILD_DIR; }

}  // namespace zendalo::testing
