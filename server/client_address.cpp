#include "server/client_address.h"

#include <algorithm>
#include <charconv>

namespace zendalo {
namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

bool IsPort(std::string_view digits) {
    unsigned port = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), port);
    return !digits.empty() && error == std::errc() && end == digits.data() + digits.size() && port <= 65535;
}

bool IsTrusted(const IpAddress& address, const std::vector<AddressRange>& trustedProxies) {
    return std::any_of(trustedProxies.begin(), trustedProxies.end(),
                       [&](const AddressRange& range) { return range.Contains(address); });
}

// The list elements of all headers, rightmost first, blanks trimmed, empty elements dropped.
std::vector<std::string_view> EntriesFromRight(const std::vector<std::string_view>& headers) {
    std::vector<std::string_view> entries;
    for (auto header = headers.rbegin(); header != headers.rend(); ++header) {
        std::string_view rest = *header;
        while (true) {
            const auto comma = rest.rfind(',');
            const std::string_view entry = Trim(comma == std::string_view::npos ? rest : rest.substr(comma + 1));
            if (!entry.empty()) entries.push_back(entry);
            if (comma == std::string_view::npos) break;
            rest = rest.substr(0, comma);
        }
    }
    return entries;
}

}  // namespace

std::optional<IpAddress> ParseForwardedEntry(std::string_view entry) {
    entry = Trim(entry);
    if (entry.starts_with('[')) {
        const auto close = entry.find(']');
        if (close == std::string_view::npos) return std::nullopt;
        const std::string_view after = entry.substr(close + 1);
        if (!after.empty() && !(after.starts_with(':') && IsPort(after.substr(1)))) return std::nullopt;
        auto address = IpAddress::Parse(entry.substr(1, close - 1));
        if (!address || address->IsV4()) return std::nullopt;  // brackets are for IPv6 only
        return address;
    }
    if (auto address = IpAddress::Parse(entry)) return address;
    // "a.b.c.d:port": exactly one colon, so no IPv6 address is mistaken for one with a port.
    const auto colon = entry.find(':');
    if (colon == std::string_view::npos || entry.find(':', colon + 1) != std::string_view::npos) return std::nullopt;
    if (!IsPort(entry.substr(colon + 1))) return std::nullopt;
    auto address = IpAddress::Parse(entry.substr(0, colon));
    if (!address || !address->IsV4()) return std::nullopt;
    return address;
}

IpAddress ClientAddress(const IpAddress& peer, const std::vector<std::string_view>& forwardedFor,
                        const std::vector<AddressRange>& trustedProxies) {
    IpAddress client = peer;
    if (!IsTrusted(peer, trustedProxies)) return client;
    for (const std::string_view entry : EntriesFromRight(forwardedFor)) {
        const auto hop = ParseForwardedEntry(entry);
        if (!hop) break;
        client = *hop;
        if (!IsTrusted(client, trustedProxies)) break;
    }
    return client;
}

}  // namespace zendalo
