// Addresses, ranges and the client address behind trusted proxies.
#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "server/client_address.h"
#include "server/ip_address.h"

namespace zendalo {
namespace {

TEST(IpAddress, ParsesNumericFormsToCanonicalText) {
    struct Case {
        std::string text;
        std::optional<std::string> canonical;  // nothing: not an address
        bool v4;
    };
    const Case cases[] = {
        {"192.0.2.1", "192.0.2.1", true},
        {"0.0.0.0", "0.0.0.0", true},
        {"255.255.255.255", "255.255.255.255", true},
        {"2001:DB8:0:0:0:0:0:1", "2001:db8::1", false},
        {"::1", "::1", false},
        {"::", "::", false},
        {"::ffff:192.0.2.1", "192.0.2.1", true},  // IPv4-mapped: the IPv4 address
        {"::ffff:c000:201", "192.0.2.1", true},
        {"64:ff9b::c000:201", "64:ff9b::c000:201", false},  // translated, not mapped
        {"", std::nullopt, false},
        {"192.0.2", std::nullopt, false},
        {"192.0.2.1.5", std::nullopt, false},
        {"256.0.0.1", std::nullopt, false},
        {" 192.0.2.1", std::nullopt, false},
        {"192.0.2.1 ", std::nullopt, false},
        {"0x7f.0.0.1", std::nullopt, false},
        {"fe80::1%eth0", std::nullopt, false},
        {"[::1]", std::nullopt, false},
        {"localhost", std::nullopt, false},
        {std::string("1.2.3.4\0", 8), std::nullopt, false},
        {std::string(100, '1'), std::nullopt, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto address = IpAddress::Parse(c.text);
        ASSERT_EQ(address.has_value(), c.canonical.has_value());
        if (!address) continue;
        EXPECT_EQ(address->ToString(), *c.canonical);
        EXPECT_EQ(address->IsV4(), c.v4);
    }
}

TEST(IpAddress, SocketAddressesOfBothFamilies) {
    sockaddr_in6 mapped{};
    mapped.sin6_family = AF_INET6;
    const unsigned char mappedBytes[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff, 127, 0, 0, 1};
    std::memcpy(&mapped.sin6_addr, mappedBytes, sizeof mappedBytes);
    const auto fromMapped = IpAddress::FromSockaddr(reinterpret_cast<const sockaddr&>(mapped));
    ASSERT_TRUE(fromMapped);
    EXPECT_TRUE(fromMapped->IsV4());
    EXPECT_EQ(fromMapped->ToString(), "127.0.0.1");
    EXPECT_EQ(*fromMapped, *IpAddress::Parse("127.0.0.1"));

    sockaddr_in v4{};
    v4.sin_family = AF_INET;
    v4.sin_addr.s_addr = htonl(0xC0000201);
    EXPECT_EQ(IpAddress::FromSockaddr(reinterpret_cast<const sockaddr&>(v4))->ToString(), "192.0.2.1");

    sockaddr other{};
    other.sa_family = AF_UNIX;
    EXPECT_FALSE(IpAddress::FromSockaddr(other));
}

TEST(AddressRange, ParsesAndMatchesItsOwnFamily) {
    struct Case {
        std::string range;
        std::string address;
        bool contained;
    };
    const Case cases[] = {
        {"10.0.0.0/8", "10.255.1.2", true},
        {"10.0.0.0/8", "11.0.0.0", false},
        {"10.1.2.3/8", "10.200.0.1", true},  // host bits ignored
        {"172.16.0.0/12", "172.31.255.255", true},
        {"172.16.0.0/12", "172.32.0.0", false},
        {"192.0.2.7", "192.0.2.7", true},  // a bare address is a range of one
        {"192.0.2.7", "192.0.2.8", false},
        {"192.0.2.7/32", "192.0.2.7", true},
        {"0.0.0.0/0", "203.0.113.9", true},
        {"0.0.0.0/0", "2001:db8::1", false},  // families never mix
        {"::/0", "192.0.2.1", false},
        {"2001:db8::/32", "2001:db8:ffff::1", true},
        {"2001:db8::/32", "2001:db9::1", false},
        {"2001:db8::/33", "2001:db8:8000::1", false},
        {"fe80::/10", "febf::1", true},
        {"fe80::/10", "fec0::1", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.range + " " + c.address);
        const auto range = AddressRange::Parse(c.range);
        ASSERT_TRUE(range);
        EXPECT_EQ(range->Contains(*IpAddress::Parse(c.address)), c.contained);
    }
    for (const char* bad : {"", "/8", "10.0.0.0/", "10.0.0.0/33", "10.0.0.0/-1", "10.0.0.0/+8", "10.0.0.0/8x",
                            "2001:db8::/129", "10.0.0.0/8/8",
                            "::ffff:10.0.0.0/104",  // a mapped address is IPv4: /104 is no IPv4 prefix
 "example.net/24", "10.0.0.0 /8"}) {
        EXPECT_FALSE(AddressRange::Parse(bad)) << bad;
    }
}

TEST(AddressKinds, LoopbackPrivateLinkLocalAndOthers) {
    struct Case {
        const char* address;
        AddressKind kind;
    };
    const Case cases[] = {
        {"127.0.0.1", AddressKind::kLoopback},      {"127.255.255.254", AddressKind::kLoopback},
        {"::1", AddressKind::kLoopback},            {"::ffff:127.0.0.1", AddressKind::kLoopback},
        {"10.0.0.1", AddressKind::kPrivate},        {"172.16.0.1", AddressKind::kPrivate},
        {"192.168.255.1", AddressKind::kPrivate},   {"100.64.0.1", AddressKind::kPrivate},
        {"100.127.255.255", AddressKind::kPrivate}, {"fc00::1", AddressKind::kPrivate},
        {"fdff::1", AddressKind::kPrivate},         {"169.254.0.1", AddressKind::kLinkLocal},
        {"fe80::1", AddressKind::kLinkLocal},       {"1.0.1.1", AddressKind::kOther},
        {"172.32.0.1", AddressKind::kOther},        {"100.128.0.1", AddressKind::kOther},
        {"2001:db8::1", AddressKind::kOther},       {"::", AddressKind::kOther},
        {"::2", AddressKind::kOther},
    };
    for (const Case& c : cases) EXPECT_EQ(ClassifyAddress(*IpAddress::Parse(c.address)), c.kind) << c.address;
}

TEST(ForwardedEntry, AddressesWithAndWithoutPorts) {
    struct Case {
        const char* entry;
        std::optional<std::string> address;
    };
    const Case cases[] = {
        {"192.0.2.1", "192.0.2.1"},
        {"  192.0.2.1\t", "192.0.2.1"},
        {"192.0.2.1:8080", "192.0.2.1"},
        {"192.0.2.1:0", "192.0.2.1"},
        {"2001:db8::1", "2001:db8::1"},
        {"[2001:db8::1]", "2001:db8::1"},
        {"[2001:db8::1]:443", "2001:db8::1"},
        {"::ffff:192.0.2.1", "192.0.2.1"},
        {"192.0.2.1:65536", std::nullopt},
        {"192.0.2.1:", std::nullopt},
        {"192.0.2.1:http", std::nullopt},
        {"[192.0.2.1]", std::nullopt},
        {"[2001:db8::1", std::nullopt},
        {"[2001:db8::1]x", std::nullopt},
        {"[2001:db8::1]:", std::nullopt},
        {"unknown", std::nullopt},
        {"_hidden", std::nullopt},
        {"", std::nullopt},
        {"192.0.2.1 192.0.2.2", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        const auto address = ParseForwardedEntry(c.entry);
        ASSERT_EQ(address.has_value(), c.address.has_value());
        if (address) {
            EXPECT_EQ(address->ToString(), *c.address);
        }
    }
}

TEST(ClientAddress, BelievesOnlyWhatTrustedHopsVouchFor) {
    const std::vector<AddressRange> trusted = {*AddressRange::Parse("10.0.0.0/8"),
                                               *AddressRange::Parse("2001:db8:ffff::/48")};
    struct Case {
        const char* peer;
        std::vector<std::string_view> headers;
        const char* client;
    };
    const Case cases[] = {
        {"198.51.100.9", {"192.0.2.1"}, "198.51.100.9"},                   // untrusted peer: header ignored
        {"10.0.0.1", {}, "10.0.0.1"},                                      // trusted peer, no header
        {"10.0.0.1", {"192.0.2.1"}, "192.0.2.1"},                          // one hop
        {"10.0.0.1", {"203.0.113.1, 192.0.2.1"}, "192.0.2.1"},             // rightmost untrusted
        {"10.0.0.1", {"192.0.2.1, 10.9.9.9"}, "192.0.2.1"},                // skips a trusted hop
        {"10.0.0.1", {"10.1.1.1, 10.2.2.2"}, "10.1.1.1"},                  // all trusted: leftmost
        {"10.0.0.1", {"203.0.113.1", "192.0.2.1"}, "192.0.2.1"},           // headers in order
        {"10.0.0.1", {"192.0.2.1", "10.3.3.3"}, "192.0.2.1"},              // the hop in the later one
        {"2001:db8:ffff::1", {"192.0.2.1"}, "192.0.2.1"},                  // IPv6 proxy
        {"10.0.0.1", {"2001:db8::5, 2001:db8:ffff::2"}, "2001:db8::5"},    // IPv6 chain
        {"::ffff:10.0.0.1", {"192.0.2.1"}, "192.0.2.1"},                   // mapped peer, trusted as IPv4
        {"10.0.0.1", {"garbage"}, "10.0.0.1"},                             // nothing believable
        {"10.0.0.1", {"192.0.2.1, garbage"}, "10.0.0.1"},                  // garbage ends the walk
        {"10.0.0.1", {"192.0.2.1, garbage, 10.4.4.4"}, "10.4.4.4"},        // at the last trusted hop
        {"10.0.0.1", {"garbage, 192.0.2.1"}, "192.0.2.1"},                 // left of the client: unread
        {"10.0.0.1", {" , 192.0.2.1 ,, "}, "192.0.2.1"},                   // empty elements
        {"10.0.0.1", {""}, "10.0.0.1"},
    };
    for (const Case& c : cases) {
        std::string trace = std::string(c.peer) + " <";
        for (auto header : c.headers) trace += std::string(header) + "|";
        SCOPED_TRACE(trace);
        EXPECT_EQ(ClientAddress(*IpAddress::Parse(c.peer), c.headers, trusted).ToString(), c.client);
    }
}

}  // namespace
}  // namespace zendalo
