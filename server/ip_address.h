// IP addresses and address ranges of the lookup page service, as plain values.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct sockaddr;

namespace zendalo {

// An IPv4 or IPv6 address. IPv4-mapped IPv6 addresses (::ffff:a.b.c.d) are held as the IPv4
// address they carry, so a client reaching a dual-stack socket is the same client as over IPv4.
class IpAddress {
public:
    enum class Family { kV4, kV6 };

    static IpAddress V4(std::array<std::uint8_t, 4> bytes);
    static IpAddress V6(std::array<std::uint8_t, 16> bytes);

    // The numeric forms only ("192.0.2.1", "2001:db8::1"); no host names, zones or blanks.
    static std::optional<IpAddress> Parse(std::string_view text);
    // The address of an AF_INET or AF_INET6 socket address; nothing for other families.
    static std::optional<IpAddress> FromSockaddr(const sockaddr& address);

    [[nodiscard]] Family GetFamily() const noexcept { return family_; }
    [[nodiscard]] bool IsV4() const noexcept { return family_ == Family::kV4; }
    // Significant bytes: 4 for IPv4, 16 for IPv6.
    [[nodiscard]] std::size_t Size() const noexcept { return IsV4() ? 4 : 16; }
    [[nodiscard]] const std::uint8_t* Bytes() const noexcept { return bytes_.data(); }

    // The canonical text: dotted quad, or RFC 5952 for IPv6 (lower case, longest zero run as ::).
    [[nodiscard]] std::string ToString() const;

    friend bool operator==(const IpAddress&, const IpAddress&) = default;

private:
    IpAddress(Family family, std::array<std::uint8_t, 16> bytes) : family_(family), bytes_(bytes) {}

    Family family_;
    std::array<std::uint8_t, 16> bytes_;  // IPv4 uses the first four
};

// A CIDR block such as 10.0.0.0/8 or 2001:db8::/32. It matches addresses of its own family only.
class AddressRange {
public:
    // "ADDRESS/PREFIX" or a bare address (a range of one). Host bits beyond the prefix are ignored.
    static std::optional<AddressRange> Parse(std::string_view text);

    [[nodiscard]] bool Contains(const IpAddress& address) const noexcept;
    [[nodiscard]] std::string ToString() const;

private:
    AddressRange(IpAddress network, int prefixLength) : network_(network), prefixLength_(prefixLength) {}

    IpAddress network_;
    int prefixLength_;
};

// What kind of address a client has, for the texts that stand in for a region.
enum class AddressKind { kLoopback, kPrivate, kLinkLocal, kOther };

AddressKind ClassifyAddress(const IpAddress& address);

}  // namespace zendalo
