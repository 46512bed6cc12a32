#include "package/PackageReader.h"

#include "package/PackagePaths.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

namespace {

// The record's name, never past its field.
std::string EntryName(const PackageEntry& record) {
    return std::string(record.name, strnlen(record.name, sizeof record.name));
}

// A name that can only stand for one entry inside the folder being filled.
bool IsSafeName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("/\\") == std::string::npos;
}

// Longer paths cannot be made; refusing them early also bounds the nesting.
constexpr size_t kMaxPathLength = 4095;

} // namespace

int PackageReader::CheckTrailer() {
    if (!package.Seek(-static_cast<int64_t>(sizeof trailer), SEEK_END) ||
        package.Read(&trailer, sizeof trailer) != sizeof trailer) {
        return PkgErrRead;
    }
    return std::memcmp(trailer.tag, PkgTag, sizeof PkgTag) == 0 ? PkgOk : PkgErrFormat;
}

int PackageReader::CheckHeader() {
    if (!package.Seek(trailer.start, SEEK_SET) ||
        package.Read(&header, sizeof header) != sizeof header) {
        return PkgErrRead;
    }
    return std::memcmp(header.magic, PkgMagic, sizeof PkgMagic) == 0 ? PkgOk : PkgErrFormat;
}

int PackageReader::Probe(const std::string& path) {
    if (!package.Open(path.c_str(), "rb")) {
        return PkgErrOpen;
    }
    int result = CheckTrailer();
    if (result == PkgOk) {
        result = CheckHeader();
    }
    package.Close();
    return result;
}

int PackageReader::Extract(const std::string& targetFolder, const std::string& packagePath,
                           int flags) {
    transfer.reset(new (std::nothrow) char[static_cast<size_t>(transferSize)]);
    if (!transfer) {
        return PkgErrNoMemory;
    }
    int result = PkgOk;
    if (!package.Open(WithoutQuotes(packagePath).c_str(), "rb")) {
        result = PkgErrOpen;
    }
    if (result == PkgOk) {
        result = CheckTrailer();
    }
    if (result == PkgOk) {
        result = CheckHeader();
    }
    if (result == PkgOk && (flags & ExtractMakeRoot)) {
        result = MakeFolderPath(targetFolder);
    }
    if (result == PkgOk) {
        result = ReadDirectory();
    }
    if (result == PkgOk) {
        if (flags & ExtractTrace) {
            TraceDirectory();
        }
        dataMissing = false;
        size_t cursor = 0;
        result = ExtractFolder(WithoutQuotes(targetFolder), cursor, trailer.count);
        if (result == PkgOk && dataMissing) {
            result = PkgErrRead;
        }
    }
    package.Close();
    records.clear();
    records.shrink_to_fit();
    transfer.reset();
    return result;
}

int PackageReader::ReadDirectory() {
    records.clear();
    if (!package.Seek(0, SEEK_END)) {
        return PkgErrRead;
    }
    const int64_t end = package.Tell() - static_cast<int64_t>(sizeof trailer);
    dataBegin = uint64_t{trailer.start} + sizeof header;
    dataEnd = std::max<uint64_t>(dataBegin, trailer.directory);
    if (trailer.directory >= end) {
        return PkgOk;
    }
    if (!package.Seek(trailer.directory, SEEK_SET)) {
        return PkgErrRead;
    }
    records.reserve(static_cast<size_t>(end - trailer.directory) / sizeof(PackageEntry) + 1);
    for (int64_t position = trailer.directory; position < end;
         position += static_cast<int64_t>(sizeof(PackageEntry))) {
        PackageEntry record;
        if (package.Read(&record, sizeof record) != sizeof record) {
            return PkgErrRead;
        }
        records.push_back(record);
    }
    return PkgOk;
}

void PackageReader::TraceDirectory() const {
    for (const PackageEntry& record : records) {
        std::printf("ex:  %s %d\n", EntryName(record).c_str(), record.size);
    }
    std::printf("\n\n\n");
}

int PackageReader::ExtractFolder(const std::string& basePath, size_t& cursor, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        if (cursor >= records.size()) {
            return PkgErrFormat; // the counts promise more records than there are
        }
        const PackageEntry& record = records[cursor];
        const std::string name = EntryName(record);
        if (!IsSafeName(name) || (record.type != EntryFile && record.type != EntryFolder)) {
            return PkgErrFormat;
        }
        if (record.type == EntryFolder) {
            const std::string path = basePath + platform::kPathSeparator + name;
            const int made = MakeFolderPath(path);
            if (made != PkgOk) {
                return made;
            }
            ++cursor;
            if (record.size != EmptyFolderCount) {
                ExtractFolder(path, cursor, record.size);
            }
        } else {
            ExtractFile(basePath, cursor);
            ++cursor;
        }
    }
    return PkgOk;
}

int PackageReader::ExtractFile(const std::string& basePath, size_t cursor) {
    const PackageEntry& record = records[cursor];
    if (record.size < 0) {
        return PkgOk; // the packer could not read this file; it holds no bytes
    }
    const std::string path = JoinPath(basePath, EntryName(record));
    if (path.size() > kMaxPathLength) {
        return PkgErrCreate;
    }
    platform::FileStream file;
    if (!file.Open(path.c_str(), "wb")) {
        return PkgErrCreate;
    }
    // Only bytes inside the data region are copied.
    const uint64_t size = static_cast<uint32_t>(record.size);
    const uint64_t begin = record.offset;
    const uint64_t available =
        begin >= dataBegin && begin <= dataEnd ? std::min(size, dataEnd - begin) : 0;
    uint64_t written = 0;
    if (available > 0 && package.Seek(static_cast<int64_t>(begin), SEEK_SET)) {
        while (written < available) {
            const size_t want = static_cast<size_t>(
                std::min<uint64_t>(available - written, static_cast<uint64_t>(transferSize)));
            const size_t count = package.Read(transfer.get(), want);
            if (count == 0 || file.Write(transfer.get(), count) != count) {
                break;
            }
            written += count;
        }
    }
    if (!file.Close() || written < size) {
        dataMissing = true;
    }
    return PkgOk;
}

int PackageReader::MakeFolderPath(const std::string& path) {
    if (path.size() > kMaxPathLength) {
        return PkgErrCreate;
    }
    int error = platform::MakeFolder(path.c_str());
    if (error == 0 || error == EEXIST) {
        return PkgOk;
    }
    if (error != ENOENT) {
        return PkgErrCreate;
    }
    const size_t last = path.rfind(platform::kPathSeparator);
    if (last == std::string::npos || last == 0) {
        return PkgErrCreate;
    }
    const int parent = MakeFolderPath(path.substr(0, last));
    if (parent != PkgOk) {
        return parent;
    }
    error = platform::MakeFolder(path.c_str());
    return error == 0 || error == EEXIST ? PkgOk : PkgErrCreate;
}
