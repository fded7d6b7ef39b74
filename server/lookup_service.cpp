#include "server/lookup_service.h"

#include <httplib.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "server/client_address.h"
#include "server/lookup_page.h"

namespace zendalo {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr milliseconds kReadTimeout{5000};       // longest silence while a request arrives
constexpr milliseconds kRequestDeadline{10000};  // the whole request line and headers
constexpr milliseconds kWriteTimeout{5000};      // longest wait for the client to take the answer
constexpr std::size_t kMaxRequestBytes = 32 * 1024;  // the page takes no request body
constexpr std::size_t kWorkersPerSocket = 32;
// After answering a request that was not read to its end, what the client still sends is read
// and dropped for a moment, so closing does not reset the connection before it has the answer.
constexpr milliseconds kLingerTime{1000};
constexpr std::size_t kMaxLingerBytes = 256 * 1024;

constexpr std::string_view kPagePath = "/ic.asp";
constexpr const char* kPageType = "text/html; charset=gbk";

const char* StatusText(int status) {
    switch (status) {
        case 400: return "Bad Request";
        case 404: return "Not Found";
        case 405: return "Method Not Allowed";
        case 408: return "Request Timeout";
        case 414: return "URI Too Long";
        case 431: return "Request Header Fields Too Large";
        case 500: return "Internal Server Error";
        default: return "Error";
    }
}

// One connection's socket as the HTTP library reads and writes it, within the limits above.
class ConnectionStream final : public httplib::Stream {
public:
    explicit ConnectionStream(int socket) : socket_(socket), deadline_(Clock::now() + kRequestDeadline) {}

    bool is_readable() const override { return begin_ < end_ || Wait(POLLIN); }
    bool is_writable() const override { return Wait(POLLOUT); }

    ssize_t read(char* destination, size_t size) override {
        if (begin_ == end_) {
            if (!Fill()) return clientClosed_ ? 0 : -1;
        }
        const std::size_t count = std::min(size, end_ - begin_);
        std::memcpy(destination, buffer_ + begin_, count);
        begin_ += count;
        return static_cast<ssize_t>(count);
    }

    ssize_t write(const char* source, size_t size) override {
        if (!is_writable()) return -1;
        ssize_t sent = 0;
        do {
            sent = ::send(socket_, source, size, MSG_NOSIGNAL);
        } while (sent < 0 && errno == EINTR);
        return sent;
    }

    void get_remote_ip_and_port(std::string& ip, int& port) const override { Describe(::getpeername, ip, port); }
    void get_local_ip_and_port(std::string& ip, int& port) const override { Describe(::getsockname, ip, port); }
    socket_t socket() const override { return socket_; }

    [[nodiscard]] bool OverLimit() const noexcept { return overLimit_; }
    [[nodiscard]] bool TimedOut() const noexcept { return timedOut_; }
    [[nodiscard]] bool ClientClosed() const noexcept { return clientClosed_; }
    [[nodiscard]] std::size_t Received() const noexcept { return received_; }

    // Whether the client sent more than was read: then closing at once would reset the connection.
    [[nodiscard]] bool HasUnreadInput() const {
        char byte = 0;
        return overLimit_ || begin_ < end_ || ::recv(socket_, &byte, 1, MSG_PEEK | MSG_DONTWAIT) > 0;
    }

private:
    // Reads the next piece into the buffer; false at the end of the input (clientClosed_), after a
    // fault, a time-out, or once the limit is reached.
    bool Fill() {
        if (received_ >= kMaxRequestBytes) {
            overLimit_ = true;
            return false;
        }
        if (!Wait(POLLIN)) return false;
        const std::size_t wanted = std::min(sizeof buffer_, kMaxRequestBytes - received_);
        ssize_t count = 0;
        do {
            count = ::recv(socket_, buffer_, wanted, 0);
        } while (count < 0 && errno == EINTR);
        if (count <= 0) {
            clientClosed_ = count == 0;
            return false;
        }
        received_ += static_cast<std::size_t>(count);
        begin_ = 0;
        end_ = static_cast<std::size_t>(count);
        return true;
    }

    // Waits for the socket to be ready; reading waits no longer than the request's deadline.
    bool Wait(short events) const {
        milliseconds timeout = kWriteTimeout;
        if (events == POLLIN) {
            const auto left = std::chrono::duration_cast<milliseconds>(deadline_ - Clock::now());
            timeout = std::min(kReadTimeout, std::max(left, milliseconds(0)));
        }
        pollfd entry{socket_, events, 0};
        int ready = 0;
        do {
            ready = ::poll(&entry, 1, static_cast<int>(timeout.count()));
        } while (ready < 0 && errno == EINTR);
        if (ready == 0 && events == POLLIN) timedOut_ = true;
        return ready > 0;
    }

    template <typename Query>
    void Describe(Query query, std::string& ip, int& port) const {
        sockaddr_storage address{};
        socklen_t length = sizeof address;
        if (query(socket_, reinterpret_cast<sockaddr*>(&address), &length) != 0) return;
        if (const auto parsed = IpAddress::FromSockaddr(*reinterpret_cast<sockaddr*>(&address))) ip = parsed->ToString();
        port = ntohs(address.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&address)->sin6_port
                                                   : reinterpret_cast<sockaddr_in*>(&address)->sin_port);
    }

    int socket_;
    Clock::time_point deadline_;
    char buffer_[4096];
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    std::size_t received_ = 0;
    bool overLimit_ = false;
    bool clientClosed_ = false;
    mutable bool timedOut_ = false;
};

// What the serving thread knows about the connection it is answering. The library's hooks
// (routing, error pages, logging) see only the request and the response; they find the rest here.
struct Connection {
    ConnectionStream stream;
    IpAddress peer;
    bool answered = false;
};
thread_local Connection* tConnection = nullptr;

class ConnectionScope {
public:
    explicit ConnectionScope(Connection& connection) { tConnection = &connection; }
    ~ConnectionScope() { tConnection = nullptr; }
    ConnectionScope(const ConnectionScope&) = delete;
    ConnectionScope& operator=(const ConnectionScope&) = delete;
};

std::optional<IpAddress> PeerOf(int socket) {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (::getpeername(socket, reinterpret_cast<sockaddr*>(&address), &length) != 0) return std::nullopt;
    return IpAddress::FromSockaddr(*reinterpret_cast<sockaddr*>(&address));
}

// Closes the connection; after an answer to a request that was not read whole, lingers first.
void CloseConnection(int socket, bool linger) {
    if (linger) {
        ::shutdown(socket, SHUT_WR);
        const auto end = Clock::now() + kLingerTime;
        std::size_t dropped = 0;
        char sink[4096];
        while (dropped < kMaxLingerBytes) {
            const auto left = std::chrono::duration_cast<milliseconds>(end - Clock::now()).count();
            pollfd entry{socket, POLLIN, 0};
            if (left <= 0 || ::poll(&entry, 1, static_cast<int>(left)) <= 0) break;
            const ssize_t count = ::recv(socket, sink, sizeof sink, 0);
            if (count <= 0) break;
            dropped += static_cast<std::size_t>(count);
        }
    }
    ::shutdown(socket, SHUT_RDWR);
    ::close(socket);
}

IpAddress ClientOf(const httplib::Request& request, const IpAddress& peer,
                   const std::vector<AddressRange>& trustedProxies) {
    constexpr const char* kHeader = "X-Forwarded-For";
    const std::size_t count = request.get_header_value_count(kHeader);
    std::vector<std::string> values;
    values.reserve(count);
    for (std::size_t i = 0; i < count; ++i) values.push_back(request.get_header_value(kHeader, i));
    return ClientAddress(peer, std::vector<std::string_view>(values.begin(), values.end()), trustedProxies);
}

}  // namespace

// An HTTP server of the library whose connections are read through ConnectionStream.
class LookupServer final : public httplib::Server {
public:
    explicit LookupServer(const ServiceSettings& settings) : settings_(settings) {
        // The library would also set SO_REUSEPORT, which lets a second instance bind a port in use.
        set_socket_options([](socket_t socket) {
            const int yes = 1;
            ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        });
        new_task_queue = [] { return new httplib::ThreadPool(kWorkersPerSocket); };
        set_pre_routing_handler([this](const httplib::Request& request, httplib::Response& response) {
            Route(request, response);
            return HandlerResponse::Handled;
        });
        set_error_handler(HandlerWithResponse([](const httplib::Request&, httplib::Response& response) {
            ExplainError(response);
            return HandlerResponse::Handled;
        }));
        set_logger([this](const httplib::Request& request, const httplib::Response& response) {
            Log(request, response.status, request.method == "HEAD" ? 0 : response.body.size());
        });
    }

    ~LookupServer() override {
        // A socket bound but never served (a later --listen failed) is closed here.
        if (!is_running() && svr_sock_ != INVALID_SOCKET) ::close(svr_sock_.exchange(INVALID_SOCKET));
    }

    LookupServer(const LookupServer&) = delete;
    LookupServer& operator=(const LookupServer&) = delete;

    // The library listens with a backlog of 5; a burst of clients needs more.
    void WidenBacklog() { ::listen(svr_sock_, SOMAXCONN); }

    // Serves until stopped; false when the socket stopped serving by itself.
    bool Serve() {
        const bool stoppedOnRequest = listen_after_bind();
        finished_ = true;
        return stoppedOnRequest;
    }
    [[nodiscard]] bool Finished() const noexcept { return finished_; }

private:
    bool process_and_close_socket(socket_t socket) override {
        const auto peer = PeerOf(socket);
        if (!peer) {
            CloseConnection(socket, false);
            return false;
        }
        Connection connection{ConnectionStream(socket), *peer};
        bool served = false;
        {
            const ConnectionScope scope(connection);
            bool closed = false;
            served = process_request(connection.stream, true, closed, nullptr);
            if (!connection.answered && connection.stream.Received() > 0) AnswerUnfinishedRequest(connection);
        }
        CloseConnection(socket, connection.stream.HasUnreadInput());
        return served;
    }

    void Route(const httplib::Request& request, httplib::Response& response) const {
        if (request.path != kPagePath) {
            response.status = 404;
        } else if (request.method != "GET" && request.method != "HEAD") {
            response.status = 405;
            response.set_header("Allow", "GET, HEAD");
        } else {
            const IpAddress client = ClientOf(request, tConnection->peer, settings_.trustedProxies);
            response.set_header("Cache-Control", "no-store, no-cache, must-revalidate, max-age=0");
            response.set_header("Pragma", "no-cache");
            response.set_header("Expires", "Thu, 01 Jan 1970 00:00:00 GMT");
            response.set_header("X-Content-Type-Options", "nosniff");
            response.set_content(LookupPage(client.ToString(), RegionText(client, settings_.database)), kPageType);
        }
    }

    // The library reports every request it cannot read as 400; say which limit it broke.
    static void ExplainError(httplib::Response& response) {
        if (response.status == 400 && tConnection != nullptr) {
            if (tConnection->stream.OverLimit()) response.status = 431;
            else if (tConnection->stream.TimedOut()) response.status = 408;
        }
        if (response.body.empty()) {
            response.set_content(std::to_string(response.status) + " " + StatusText(response.status) + "\n",
                                 "text/plain; charset=us-ascii");
        }
    }

    // A request line that never ended within the limits: the library gives up without an answer.
    void AnswerUnfinishedRequest(Connection& connection) const {
        const ConnectionStream& stream = connection.stream;
        const int status = stream.OverLimit() ? 414 : stream.TimedOut() ? 408 : 400;
        const std::string body = std::to_string(status) + " " + StatusText(status) + "\n";
        std::size_t sent = 0;
        if (!stream.ClientClosed()) {
            const std::string answer = "HTTP/1.1 " + std::to_string(status) + " " + StatusText(status) +
                                       "\r\nConnection: close\r\nContent-Type: text/plain; charset=us-ascii"
                                       "\r\nContent-Length: " +
                                       std::to_string(body.size()) + "\r\n\r\n" + body;
            if (connection.stream.write(answer.data(), answer.size()) > 0) sent = body.size();
        }
        Log(httplib::Request(), status, sent);
    }

    // Runs once the answer to a request is written: marks the connection answered, logs the request.
    void Log(const httplib::Request& request, int status, std::size_t bytes) const {
        if (tConnection == nullptr) return;
        tConnection->answered = true;
        if (settings_.log == nullptr) return;
        AccessRecord record;
        record.time = std::chrono::system_clock::now();
        record.peer = tConnection->peer.ToString();
        if (!request.path.empty()) {  // a request line the library could read
            record.client = ClientOf(request, tConnection->peer, settings_.trustedProxies).ToString();
            record.method = request.method;
            record.target = request.target;
            record.version = request.version;
            record.userAgent = request.get_header_value("User-Agent");
        }
        record.status = status;
        record.bytes = bytes;
        settings_.log->Write(record);
    }

    const ServiceSettings& settings_;
    std::atomic<bool> finished_{false};
};

LookupService::LookupService(ServiceSettings settings) : settings_(std::move(settings)) {}

LookupService::~LookupService() { Stop(); }

ListenAddress LookupService::Bind(const ListenAddress& address) {
    auto server = std::make_unique<LookupServer>(settings_);
    errno = 0;
    int port = address.port;
    if (port == 0) {
        port = server->bind_to_any_port(address.host);
    } else if (!server->bind_to_port(address.host, port)) {
        port = -1;
    }
    if (port < 0) {
        const int error = errno;
        throw std::runtime_error("cannot listen on " + ToString(address) + ": " +
                                 (error != 0 ? std::strerror(error) : "the address cannot be bound"));
    }
    server->WidenBacklog();
    servers_.push_back(std::move(server));
    return ListenAddress{address.host, port};
}

void LookupService::Start(std::function<void()> onFailure) {
    for (const auto& server : servers_) {
        LookupServer* serving = server.get();
        threads_.emplace_back([serving, onFailure] {
            if (!serving->Serve() && onFailure) onFailure();
        });
    }
    // The library's stop only reaches a server that already runs: wait for that, so a stop
    // request that comes early is not lost.
    for (const auto& server : servers_) {
        while (!server->is_running() && !server->Finished()) std::this_thread::sleep_for(milliseconds(1));
    }
}

void LookupService::Stop() {
    for (const auto& server : servers_) server->stop();
    for (auto& thread : threads_) {
        if (thread.joinable()) thread.join();
    }
    threads_.clear();
}

}  // namespace zendalo
