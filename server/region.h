// The region an address belongs to, as the lookup page shows it.
#pragma once

#include <maxminddb.h>

#include <memory>
#include <string>

#include "server/ip_address.h"

namespace zendalo {

// The texts (UTF-8) that stand in for a region where no database can give one.
inline constexpr const char* kLoopbackRegion = "本机回环地址";
inline constexpr const char* kPrivateRegion = "内网地址";
inline constexpr const char* kLinkLocalRegion = "链路本地地址";
inline constexpr const char* kUnknownRegion = "未知地区";

// An open MaxMind DB (.mmdb) file, read-only and safe to share between threads.
class RegionDatabase {
public:
    // Opens `path`; throws std::runtime_error with a message that names the file and the fault.
    explicit RegionDatabase(const std::string& path);
    ~RegionDatabase();
    RegionDatabase(RegionDatabase&& other) noexcept;
    RegionDatabase& operator=(RegionDatabase&& other) noexcept;
    RegionDatabase(const RegionDatabase&) = delete;
    RegionDatabase& operator=(const RegionDatabase&) = delete;

    // "TYPE, built YYYY-MM-DD" from the file's metadata, for the start-up message.
    [[nodiscard]] std::string Describe() const;

    // The region of `address` as UTF-8 "country subdivision... city", each the zh-CN name where
    // the record has one; empty when the database has nothing for it.
    [[nodiscard]] std::string Lookup(const IpAddress& address) const;

private:
    std::unique_ptr<MMDB_s> database_;
};

// The region text of the page (UTF-8): a fixed text for loopback, private and
// link-local addresses, the database's answer for others, the unknown text without one.
std::string RegionText(const IpAddress& address, const RegionDatabase* database);

}  // namespace zendalo
