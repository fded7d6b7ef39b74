#include "server/access_log.h"

#include <ctime>

namespace zendalo {
namespace {

std::string Escaped(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte > 0x7e || c == '"' || c == '\\') {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0f];
        } else {
            out += c;
        }
    }
    return out;
}

std::string UtcTime(std::chrono::system_clock::time_point time) {
    const auto sinceEpoch = time.time_since_epoch();
    const std::time_t seconds = std::chrono::duration_cast<std::chrono::seconds>(sinceEpoch).count();
    const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count() % 1000;
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[40];
    const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &utc);
    char withMillis[48];
    std::snprintf(withMillis, sizeof withMillis, "%.*s.%03dZ", static_cast<int>(length), text, static_cast<int>(millis));
    return withMillis;
}

}  // namespace

std::string FormatAccessLine(const AccessRecord& record) {
    const std::string request =
        record.method.empty() ? "-" : Escaped(record.method) + " " + Escaped(record.target) + " " + Escaped(record.version);
    return UtcTime(record.time) + " " + (record.peer.empty() ? "-" : record.peer) + " " +
           (record.client.empty() ? "-" : record.client) + " \"" + request + "\" " + std::to_string(record.status) + " " +
           std::to_string(record.bytes) + " \"" + (record.userAgent.empty() ? "-" : Escaped(record.userAgent)) + "\"";
}

void AccessLog::Write(const AccessRecord& record) {
    const std::string line = FormatAccessLine(record) + "\n";
    const std::lock_guard lock(mutex_);
    std::fwrite(line.data(), 1, line.size(), out_);
    std::fflush(out_);
}

}  // namespace zendalo
