#include <winsock2.h>
#include <ws2tcpip.h>

#include "tests/web/loopback_server.h"

#include <algorithm>

#include <stdexcept>

namespace zendalo::testing {
namespace {

constexpr long kPollMicroseconds = 50'000;
constexpr std::size_t kMaxRequestHead = 64 * 1024;

// Waits until `socket` can be read (or written); false when the wait timed out.
bool Ready(SOCKET socket, bool forWriting) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(socket, &set);
    timeval timeout{0, kPollMicroseconds};
    return select(0, forWriting ? nullptr : &set, forWriting ? &set : nullptr, nullptr, &timeout) > 0;
}

sockaddr_in Loopback(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

class Winsock {
public:
    Winsock() {
        WSADATA data;
        if (WSAStartup(MAKEWORD(2, 2), &data) != 0) throw std::runtime_error("WSAStartup failed");
    }
    ~Winsock() { WSACleanup(); }
};

void EnsureWinsock() { static Winsock winsock; }

}  // namespace

bool LoopbackServer::Connection::Send(std::string_view bytes) {
    while (!bytes.empty()) {
        if (stopping_) return false;
        if (!Ready(socket_, true)) continue;
        const int sent = send(socket_, bytes.data(), static_cast<int>(std::min<std::size_t>(bytes.size(), 1 << 20)), 0);
        if (sent <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

void LoopbackServer::Connection::LimitSendBuffer(int bytes) {
    setsockopt(socket_, SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char*>(&bytes), sizeof bytes);
}

LoopbackServer::LoopbackServer(Handler handler, std::uint16_t port) : handler_(std::move(handler)) {
    EnsureWinsock();
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = Loopback(port);
    if (port != 0) {
        // The connections of an earlier server on the same port may still linger after closing.
        const BOOL reuse = TRUE;
        setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse), sizeof reuse);
    }
    if (listener_ == INVALID_SOCKET || bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener_, 8) != 0) {
        throw std::runtime_error("cannot listen on 127.0.0.1");
    }
    int size = sizeof address;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
}

LoopbackServer::~LoopbackServer() {
    stopping_ = true;
    thread_.join();
    closesocket(listener_);
}

std::string LoopbackServer::Url(std::string_view path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
}

std::vector<std::string> LoopbackServer::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

std::uint16_t LoopbackServer::UnusedPort() {
    EnsureWinsock();
    SOCKET probe = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = Loopback(0);
    bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
    int size = sizeof address;
    getsockname(probe, reinterpret_cast<sockaddr*>(&address), &size);
    closesocket(probe);
    return ntohs(address.sin_port);
}

void LoopbackServer::Serve() {
    while (!stopping_) {
        if (!Ready(listener_, false)) continue;
        const SOCKET client = accept(listener_, nullptr, nullptr);
        if (client == INVALID_SOCKET) continue;
        ++accepted_;
        Answer(client);
    }
}

void LoopbackServer::Answer(Socket client) {
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < kMaxRequestHead && !stopping_) {
        if (!Ready(client, false)) continue;
        const int received = recv(client, buffer, sizeof buffer, 0);
        if (received <= 0) break;
        head.append(buffer, static_cast<std::size_t>(received));
    }
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(head);
    }
    Connection connection(client, stopping_);
    handler_(connection, head);
    if (connection.ResetRequested()) {
        linger abort{1, 0};  // on, no time: closing sends a reset
        setsockopt(client, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abort), sizeof abort);
    } else {
        shutdown(client, SD_SEND);
    }
    closesocket(client);
}

std::string HttpResponse(std::string_view status, std::string_view headers, std::string_view body) {
    std::string response = "HTTP/1.0 ";
    response.append(status).append("\r\n").append(headers).append("\r\n").append(body);
    return response;
}

}  // namespace zendalo::testing
