// The HTTP side of zendalo-lookupd: the lookup page on one or more listening sockets.
//
// Each connection carries one request and is closed after the answer. Reading a request is
// bounded in bytes and in time, so a large or slow client costs one serving thread for a few
// seconds at most and never holds up the others.
#pragma once

#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "server/access_log.h"
#include "server/ip_address.h"
#include "server/options.h"
#include "server/region.h"

namespace zendalo {

struct ServiceSettings {
    std::vector<AddressRange> trustedProxies;
    const RegionDatabase* database = nullptr;  // none: public addresses get the unknown region
    AccessLog* log = nullptr;
};

class LookupServer;

class LookupService {
public:
    explicit LookupService(ServiceSettings settings);
    ~LookupService();
    LookupService(const LookupService&) = delete;
    LookupService& operator=(const LookupService&) = delete;

    // Binds `address`; throws std::runtime_error naming it and the fault (in use, not permitted,
    // not an address of this machine). Returns it with the port that port 0 was given.
    ListenAddress Bind(const ListenAddress& address);

    // Serves on every bound socket, a thread each. `onFailure` runs on a serving thread when its
    // socket stops serving other than through Stop.
    void Start(std::function<void()> onFailure);

    // Stops accepting, waits for the requests in progress and ends the serving threads.
    void Stop();

private:
    ServiceSettings settings_;
    std::vector<std::unique_ptr<LookupServer>> servers_;
    std::vector<std::thread> threads_;
};

}  // namespace zendalo
