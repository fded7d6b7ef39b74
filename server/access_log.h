// The access log: one line per request, written whole, from any serving thread.
#pragma once

#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>

namespace zendalo {

struct AccessRecord {
    std::chrono::system_clock::time_point time;
    std::string peer;    // the connection's address
    std::string client;  // the address the page names, "-" when none was worked out
    std::string method;  // empty when the request line could not be read
    std::string target;
    std::string version;
    int status = 0;
    std::size_t bytes = 0;  // body bytes of the response
    std::string userAgent;
};

// TIME PEER CLIENT "METHOD TARGET VERSION" STATUS BYTES "USER-AGENT", the time in UTC with
// milliseconds. What the client wrote is quoted with every byte outside printable ASCII, '"'
// and '\' written as \xHH, so a line can neither be split nor forged.
std::string FormatAccessLine(const AccessRecord& record);

class AccessLog {
public:
    explicit AccessLog(std::FILE* out) : out_(out) {}
    void Write(const AccessRecord& record);

private:
    std::mutex mutex_;
    std::FILE* out_;
};

}  // namespace zendalo
