// A scriptable HTTP server on 127.0.0.1, on a port the system picks (or a given one, for a
// program whose URL is fixed when it is built), inside the test process.
// It takes one connection at a time, reads the request's head and lets the test's handler
// answer byte for byte: whole responses, partial bodies, resets, endless streams.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace zendalo::testing {

class LoopbackServer {
public:
    // A socket handle, kept as a number so that this header does not need winsock2.h.
    using Socket = std::uintptr_t;

    class Connection {
    public:
        Connection(Socket socket, const std::atomic<bool>& stopping) : socket_(socket), stopping_(stopping) {}
        // Sends all of `bytes`; false when the peer has gone (or the server is stopping).
        bool Send(std::string_view bytes);
        // Keeps at most about `bytes` unsent in the system once Send returns, so that a reset
        // that follows discards little of what was sent.
        void LimitSendBuffer(int bytes);
        // Ends the connection with a reset instead of an orderly close.
        void Reset() { reset_ = true; }
        [[nodiscard]] bool ResetRequested() const { return reset_; }

    private:
        Socket socket_;
        const std::atomic<bool>& stopping_;
        bool reset_ = false;
    };

    // Called for each request with its head (request line and headers, up to the empty line).
    using Handler = std::function<void(Connection&, const std::string& requestHead)>;

    // Listens on `port`, or on a port the system picks when it is 0.
    explicit LoopbackServer(Handler handler, std::uint16_t port = 0);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    [[nodiscard]] std::uint16_t Port() const { return port_; }
    // "http://127.0.0.1:PORT" followed by `path`.
    [[nodiscard]] std::string Url(std::string_view path) const;
    // The request heads received so far, in order.
    [[nodiscard]] std::vector<std::string> Requests() const;
    [[nodiscard]] std::size_t ConnectionsAccepted() const { return accepted_; }

    // A port on 127.0.0.1 that nothing listens on (bound once, then released).
    static std::uint16_t UnusedPort();

private:
    void Serve();
    void Answer(Socket client);

    Handler handler_;
    Socket listener_ = 0;
    std::uint16_t port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<std::size_t> accepted_{0};
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

// An HTTP/1.0 response: the status line with `status`, the `headers` (each ending in "\r\n"),
// an empty line and `body`.
std::string HttpResponse(std::string_view status, std::string_view headers, std::string_view body);

}  // namespace zendalo::testing
