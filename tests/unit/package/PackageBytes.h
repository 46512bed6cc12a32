// Builds package bytes by hand, so that tests can state layouts and make
// hostile packages that no writer would produce.
#pragma once

#include "package/PackageFormat.h"

#include <cstring>
#include <string>
#include <vector>

namespace package {

inline PackageEntry MakeEntry(const std::string& name, int32_t type, int32_t size, uint32_t offset) {
    PackageEntry entry{};
    std::memcpy(entry.name, name.data(), std::min(name.size(), sizeof entry.name));
    entry.type = type;
    entry.size = size;
    entry.offset = offset;
    return entry;
}

template <typename Record> void AppendRecord(std::string& bytes, const Record& record) {
    bytes.append(reinterpret_cast<const char*>(&record), sizeof record);
}

// prefix, header, data, the records, and a trailer that points at them.
inline std::string MakePackage(const std::string& prefix, const std::string& data,
                               const std::vector<PackageEntry>& entries, int32_t count) {
    std::string bytes = prefix;
    PackageHeader header{};
    std::memcpy(header.magic, PkgMagic, sizeof PkgMagic);
    AppendRecord(bytes, header);
    bytes += data;
    PackageTrailer trailer{};
    trailer.start = static_cast<uint32_t>(prefix.size());
    trailer.directory = static_cast<uint32_t>(bytes.size());
    trailer.count = count;
    std::memcpy(trailer.tag, PkgTag, sizeof PkgTag);
    for (const PackageEntry& entry : entries) {
        AppendRecord(bytes, entry);
    }
    AppendRecord(bytes, trailer);
    return bytes;
}

// Offset of the first data byte of a package made with MakePackage.
inline uint32_t DataStart(const std::string& prefix) {
    return static_cast<uint32_t>(prefix.size() + sizeof(PackageHeader));
}

} // namespace package
