#include "server/ip_address.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <utility>
#include <vector>

namespace zendalo {
namespace {

constexpr std::array<std::uint8_t, 12> kV4MappedPrefix = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};

// The IPv4 address inside ::ffff:a.b.c.d, if `bytes` is one.
std::optional<IpAddress> UnmapV4(const std::array<std::uint8_t, 16>& bytes) {
    if (!std::equal(kV4MappedPrefix.begin(), kV4MappedPrefix.end(), bytes.begin())) return std::nullopt;
    return IpAddress::V4({bytes[12], bytes[13], bytes[14], bytes[15]});
}

bool PrefixMatches(const std::uint8_t* a, const std::uint8_t* b, int prefixLength) noexcept {
    const int wholeBytes = prefixLength / 8;
    if (std::memcmp(a, b, static_cast<std::size_t>(wholeBytes)) != 0) return false;
    const int restBits = prefixLength % 8;
    if (restBits == 0) return true;
    const auto mask = static_cast<std::uint8_t>(0xff << (8 - restBits));
    return ((a[wholeBytes] ^ b[wholeBytes]) & mask) == 0;
}

}  // namespace

IpAddress IpAddress::V4(std::array<std::uint8_t, 4> bytes) {
    std::array<std::uint8_t, 16> all{};
    std::copy(bytes.begin(), bytes.end(), all.begin());
    return IpAddress(Family::kV4, all);
}

IpAddress IpAddress::V6(std::array<std::uint8_t, 16> bytes) {
    if (auto v4 = UnmapV4(bytes)) return *v4;
    return IpAddress(Family::kV6, bytes);
}

std::optional<IpAddress> IpAddress::Parse(std::string_view text) {
    // inet_pton wants a terminated string; anything longer than the longest IPv6 form is no address.
    if (text.empty() || text.size() >= INET6_ADDRSTRLEN || text.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    const std::string terminated(text);
    std::array<std::uint8_t, 4> v4{};
    if (inet_pton(AF_INET, terminated.c_str(), v4.data()) == 1) return V4(v4);
    std::array<std::uint8_t, 16> v6{};
    if (inet_pton(AF_INET6, terminated.c_str(), v6.data()) == 1) return V6(v6);
    return std::nullopt;
}

std::optional<IpAddress> IpAddress::FromSockaddr(const sockaddr& address) {
    if (address.sa_family == AF_INET) {
        sockaddr_in in{};
        std::memcpy(&in, &address, sizeof in);
        std::array<std::uint8_t, 4> bytes{};
        std::memcpy(bytes.data(), &in.sin_addr, bytes.size());
        return V4(bytes);
    }
    if (address.sa_family == AF_INET6) {
        sockaddr_in6 in6{};
        std::memcpy(&in6, &address, sizeof in6);
        std::array<std::uint8_t, 16> bytes{};
        std::memcpy(bytes.data(), &in6.sin6_addr, bytes.size());
        return V6(bytes);
    }
    return std::nullopt;
}

std::string IpAddress::ToString() const {
    char buffer[INET6_ADDRSTRLEN] = {};
    inet_ntop(IsV4() ? AF_INET : AF_INET6, bytes_.data(), buffer, sizeof buffer);
    return buffer;
}

std::optional<AddressRange> AddressRange::Parse(std::string_view text) {
    const auto slash = text.find('/');
    const auto address = IpAddress::Parse(text.substr(0, slash));
    if (!address) return std::nullopt;
    const int maxLength = static_cast<int>(address->Size()) * 8;
    if (slash == std::string_view::npos) return AddressRange(*address, maxLength);

    const std::string_view digits = text.substr(slash + 1);
    int prefixLength = -1;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), prefixLength);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() || digits[0] == '+' ||
        prefixLength < 0 || prefixLength > maxLength) {
        return std::nullopt;
    }
    return AddressRange(*address, prefixLength);
}

bool AddressRange::Contains(const IpAddress& address) const noexcept {
    return address.GetFamily() == network_.GetFamily() &&
           PrefixMatches(address.Bytes(), network_.Bytes(), prefixLength_);
}

std::string AddressRange::ToString() const {
    return network_.ToString() + "/" + std::to_string(prefixLength_);
}

AddressKind ClassifyAddress(const IpAddress& address) {
    struct Block {
        const char* range;
        AddressKind kind;
    };
    static const Block kBlocks[] = {
        {"127.0.0.0/8", AddressKind::kLoopback},     {"::1/128", AddressKind::kLoopback},
        {"10.0.0.0/8", AddressKind::kPrivate},       {"172.16.0.0/12", AddressKind::kPrivate},
        {"192.168.0.0/16", AddressKind::kPrivate},   {"100.64.0.0/10", AddressKind::kPrivate},  // carrier NAT
        {"fc00::/7", AddressKind::kPrivate},         {"169.254.0.0/16", AddressKind::kLinkLocal},
        {"fe80::/10", AddressKind::kLinkLocal},
    };
    static const auto kRanges = [] {
        std::vector<std::pair<AddressRange, AddressKind>> ranges;
        for (const Block& block : kBlocks) ranges.emplace_back(*AddressRange::Parse(block.range), block.kind);
        return ranges;
    }();
    for (const auto& [range, kind] : kRanges) {
        if (range.Contains(address)) return kind;
    }
    return AddressKind::kOther;
}

}  // namespace zendalo
