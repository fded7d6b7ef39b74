#include "server/region.h"

#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <initializer_list>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "server/gbk.h"

namespace zendalo {
namespace {

// A record lists its subdivisions from the largest to the smallest; more than this is no region.
constexpr int kMaxSubdivisions = 4;

sockaddr_storage ToSockaddr(const IpAddress& address) {
    sockaddr_storage storage{};
    if (address.IsV4()) {
        auto* in = reinterpret_cast<sockaddr_in*>(&storage);
        in->sin_family = AF_INET;
        std::memcpy(&in->sin_addr, address.Bytes(), 4);
    } else {
        auto* in6 = reinterpret_cast<sockaddr_in6*>(&storage);
        in6->sin6_family = AF_INET6;
        std::memcpy(&in6->sin6_addr, address.Bytes(), 16);
    }
    return storage;
}

// The UTF-8 string at `path` (ending in nullptr) within `entry`, or empty.
std::string StringAt(MMDB_entry_s entry, std::initializer_list<const char*> path) {
    std::vector<const char*> terminated(path);
    terminated.push_back(nullptr);
    MMDB_entry_data_s data{};
    if (MMDB_aget_value(&entry, &data, terminated.data()) != MMDB_SUCCESS || !data.has_data ||
        data.type != MMDB_DATA_TYPE_UTF8_STRING) {
        return {};
    }
    return std::string(data.utf8_string, data.data_size);
}

// A place's name: Simplified Chinese where the record has it, English otherwise.
std::string PlaceName(MMDB_entry_s entry, const char* place, const char* index = nullptr) {
    for (const char* language : {"zh-CN", "en"}) {
        std::string name = index ? StringAt(entry, {place, index, "names", language})
                                 : StringAt(entry, {place, "names", language});
        if (!name.empty()) return name;
    }
    return {};
}

// The country's name: the record's Chinese name, else ICU's for its code, else the English one.
std::string CountryName(MMDB_entry_s entry) {
    for (const char* place : {"country", "registered_country"}) {
        std::string name = StringAt(entry, {place, "names", "zh-CN"});
        if (name.empty()) name = ChineseCountryName(StringAt(entry, {place, "iso_code"}));
        if (name.empty()) name = StringAt(entry, {place, "names", "en"});
        if (!name.empty()) return name;
    }
    return {};
}

void AppendPart(std::string& region, const std::string& part, std::string& previous) {
    if (part.empty() || part == previous) return;  // a city named like its province is written once
    if (!region.empty()) region += ' ';
    region += part;
    previous = part;
}

}  // namespace

RegionDatabase::RegionDatabase(const std::string& path) : database_(std::make_unique<MMDB_s>()) {
    errno = 0;
    const int status = MMDB_open(path.c_str(), MMDB_MODE_MMAP, database_.get());
    if (status == MMDB_SUCCESS) return;
    std::string reason = MMDB_strerror(status);
    if (status == MMDB_IO_ERROR || status == MMDB_FILE_OPEN_ERROR) {
        if (errno != 0) reason += std::string(": ") + std::strerror(errno);
    }
    database_.reset();
    throw std::runtime_error("cannot use the region database " + path + ": " + reason);
}

RegionDatabase::~RegionDatabase() {
    if (database_) MMDB_close(database_.get());
}

RegionDatabase::RegionDatabase(RegionDatabase&& other) noexcept = default;

RegionDatabase& RegionDatabase::operator=(RegionDatabase&& other) noexcept {
    if (this != &other) {
        if (database_) MMDB_close(database_.get());
        database_ = std::move(other.database_);
    }
    return *this;
}

std::string RegionDatabase::Describe() const {
    if (!database_) return {};
    const MMDB_metadata_s& metadata = database_->metadata;
    const std::time_t built = static_cast<std::time_t>(metadata.build_epoch);
    std::tm utc{};
    gmtime_r(&built, &utc);
    char date[16] = {};
    std::strftime(date, sizeof date, "%Y-%m-%d", &utc);
    return std::string(metadata.database_type ? metadata.database_type : "unnamed") + ", built " + date;
}

std::string RegionDatabase::Lookup(const IpAddress& address) const {
    if (!database_) return {};
    const sockaddr_storage socketAddress = ToSockaddr(address);
    int error = MMDB_SUCCESS;
    MMDB_lookup_result_s result =
        MMDB_lookup_sockaddr(database_.get(), reinterpret_cast<const sockaddr*>(&socketAddress), &error);
    if (error != MMDB_SUCCESS || !result.found_entry) return {};

    std::string region;
    std::string previous;
    AppendPart(region, CountryName(result.entry), previous);
    for (int i = 0; i < kMaxSubdivisions; ++i) {
        const std::string index = std::to_string(i);
        MMDB_entry_data_s data{};
        const char* path[] = {"subdivisions", index.c_str(), nullptr};
        if (MMDB_aget_value(&result.entry, &data, path) != MMDB_SUCCESS || !data.has_data) break;
        AppendPart(region, PlaceName(result.entry, "subdivisions", index.c_str()), previous);
    }
    AppendPart(region, PlaceName(result.entry, "city"), previous);
    return region;
}

std::string RegionText(const IpAddress& address, const RegionDatabase* database) {
    switch (ClassifyAddress(address)) {
        case AddressKind::kLoopback: return kLoopbackRegion;
        case AddressKind::kPrivate: return kPrivateRegion;
        case AddressKind::kLinkLocal: return kLinkLocalRegion;
        case AddressKind::kOther: break;
    }
    std::string region = database ? database->Lookup(address) : std::string();
    return region.empty() ? std::string(kUnknownRegion) : region;
}

}  // namespace zendalo
