// Which address a request comes from: the connection's peer, or what trusted proxies say.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "server/ip_address.h"

namespace zendalo {

// One entry of an X-Forwarded-For list as proxies write it: an address, "a.b.c.d:port",
// "[v6]" or "[v6]:port", with blanks around it. Nothing for anything else.
std::optional<IpAddress> ParseForwardedEntry(std::string_view entry);

// The client's address. The peer is believed; X-Forwarded-For only when the peer is a trusted
// proxy, and then read from the right: each hop that is itself a trusted proxy passes on to the
// entry left of it, and the first hop that is not trusted is the client. An entry that is no
// address ends the walk at the last hop that could be believed, so a forged or garbled header
// never yields an address that no trusted proxy vouched for. `forwardedFor` holds the values of
// every X-Forwarded-For header in the order they arrived; empty list elements are skipped.
IpAddress ClientAddress(const IpAddress& peer, const std::vector<std::string_view>& forwardedFor,
                        const std::vector<AddressRange>& trustedProxies);

}  // namespace zendalo
