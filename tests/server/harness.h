// Real processes and real sockets for the tests of zendalo-lookupd: the service started as its
// own process, curl as the client, and a raw TCP client for what curl will not send.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zendalo::testing {

using namespace std::chrono_literals;

// A fresh directory under TMPDIR, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    [[nodiscard]] const std::string& Path() const noexcept { return path_; }
    [[nodiscard]] std::string File(std::string_view name) const { return path_ + "/" + std::string(name); }

private:
    std::string path_;
};

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, std::string_view bytes);

struct ProcessResult {
    int exitCode = -1;  // -1 when the process did not end in time (it is killed)
    std::string out;
    std::string err;
};

// Runs `arguments` (the program first, looked up on PATH) to its end, at most `timeout`.
ProcessResult RunProcess(const std::vector<std::string>& arguments, std::chrono::milliseconds timeout = 30s);

// zendalo-lookupd running in the background, its access log and messages in files.
class ServiceProcess {
public:
    // Starts the service with `arguments` and waits until it is ready or has ended.
    explicit ServiceProcess(std::vector<std::string> arguments);
    ~ServiceProcess();
    ServiceProcess(const ServiceProcess&) = delete;
    ServiceProcess& operator=(const ServiceProcess&) = delete;

    [[nodiscard]] bool Ready() const noexcept { return ready_; }
    // The "listening on" addresses, in the order given ("127.0.0.1:41234", "[::1]:41235").
    [[nodiscard]] const std::vector<std::string>& Listening() const noexcept { return listening_; }
    [[nodiscard]] int Port(std::size_t index = 0) const;
    [[nodiscard]] std::string Url(std::string_view path = "/ic.asp", std::size_t index = 0) const;

    // Sends SIGTERM and waits for the end; the exit code, or -1 when it did not end in `timeout`.
    int Stop(std::chrono::milliseconds timeout = 20s);
    [[nodiscard]] std::string AccessLog() const { return ReadFile(logPath_); }
    [[nodiscard]] std::string Messages() const { return ReadFile(errPath_); }

private:
    TempDir dir_;
    std::string logPath_;
    std::string errPath_;
    pid_t pid_ = -1;
    bool ready_ = false;
    std::vector<std::string> listening_;
};

struct HttpResponse {
    int status = 0;  // 0 when no response arrived
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;

    // The value of the header `name` (case ignored), or nothing.
    [[nodiscard]] std::optional<std::string> Header(std::string_view name) const;
};

// curl with `arguments` (URL and options) added to "-s -S --max-time 10"; fails the test when
// curl itself fails.
HttpResponse Curl(const std::vector<std::string>& arguments);

// Splits a raw HTTP response into status, headers and body.
HttpResponse ParseResponse(std::string_view raw);

// A TCP client on a loopback address: the bytes go out as they are.
class RawClient {
public:
    RawClient(const std::string& host, int port);
    ~RawClient();
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    [[nodiscard]] bool Connected() const noexcept { return socket_ >= 0; }
    // False when the peer no longer takes bytes.
    bool Send(std::string_view bytes);
    // Everything until the server closes the connection, or what came within `timeout`.
    std::string ReadToEnd(std::chrono::milliseconds timeout);
    // Whether the server closed the connection (after reading everything it sent).
    [[nodiscard]] bool ClosedByServer() const noexcept { return closedByServer_; }

private:
    int socket_ = -1;
    bool closedByServer_ = false;
};

// `utf8` in code page 936, converted by glibc's iconv (not the converter the service uses).
std::string Gbk(std::string_view utf8);

// Whether an IPv6 socket can be bound to ::1 on this machine.
bool HasIpv6Loopback();

std::string LookupdPath();
std::string DemoDatabasePath();
std::string SourceDir();
std::string BuildDir();  // the build tree these tests belong to

}  // namespace zendalo::testing
