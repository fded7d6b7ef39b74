// The command line of zendalo-lookupd.
#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "server/ip_address.h"

namespace zendalo {

struct ListenAddress {
    std::string host;  // a numeric IPv4 or IPv6 address, without brackets
    int port;          // 0: any free port, chosen when binding

    friend bool operator==(const ListenAddress&, const ListenAddress&) = default;
};

struct ServiceOptions {
    std::vector<ListenAddress> listen;  // never empty after parsing
    std::optional<std::string> databasePath;
    std::vector<AddressRange> trustedProxies;
};

struct HelpRequest {};

struct OptionError {
    std::string message;
};

using ParsedOptions = std::variant<ServiceOptions, HelpRequest, OptionError>;

// Reads the arguments after the program name. Each option takes its value as the next argument
// or after "=" ("--db FILE", "--db=FILE").
ParsedOptions ParseOptions(const std::vector<std::string>& arguments);

// "ADDR:PORT" with an IPv6 address in brackets ("127.0.0.1:80", "[::1]:8080").
std::optional<ListenAddress> ParseListenAddress(const std::string& text);
std::string ToString(const ListenAddress& listen);

std::string UsageText();

}  // namespace zendalo
