#include "package/PackageReader.h"

#include "package/PackagePaths.h"
#include "platform/Text.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <unordered_map>
#include <utility>

namespace package {

namespace {

// The longest name a folder entry can have.
constexpr size_t kMaxNameLength = 255;

// A name that can only stand for one entry inside the folder being filled.
bool IsSafeName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("/\\") == std::string::npos;
}

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

int PackageReader::OpenPackage(const std::string& path) {
    return package.Open(path.c_str(), "rb") ? ReadLayout() : PkgErrOpen;
}

int PackageReader::ReadLayout() {
    int result = CheckTrailer();
    if (result == PkgOk) {
        result = CheckHeader();
    }
    if (result == PkgOk) {
        result = ReadDirectory();
    }
    return result;
}

int PackageReader::Extract(const std::string& targetFolder, const std::string& packagePath,
                           int flags) {
    transfer.reset(new (std::nothrow) char[static_cast<size_t>(transferSize)]);
    if (!transfer) {
        return PkgErrNoMemory;
    }
    const bool exact = (flags & ExtractExactPaths) != 0;
    int result = OpenPackage(exact ? packagePath : WithoutQuotes(packagePath));
    if (result == PkgOk && (flags & ExtractMakeRoot)) {
        result = MakeFolderPath(targetFolder);
    }
    if (result == PkgOk && (flags & ExtractTrace)) {
        result = TraceDirectory();
    }
    if (result == PkgOk) {
        dataMissing = false;
        bytesWritten = 0;
        uint64_t cursor = 0;
        result = WalkFolder(exact ? targetFolder : WithoutQuotes(targetFolder), cursor, trailer.count,
                            [this](const std::string& path, const Entry& entry) {
                                return entry.type == EntryFolder ? MakeFolderPath(path) : ExtractFile(path, entry);
                            });
        // Missing bytes did not stop the extraction, so they came first.
        if (dataMissing) {
            result = PkgErrRead;
        }
    }
    package.Close();
    transfer.reset();
    return result;
}

int PackageReader::Survey(const std::string& targetFolder, const std::string& packagePath, int flags,
                          const std::function<void(const SurveyedEntry&)>& each) {
    int result = OpenPackage(packagePath);
    if (result == PkgOk && (flags & ExtractTrace)) {
        result = TraceDirectory();
    }
    if (result == PkgOk) {
        dataMissing = false;
        // What each path was made as: a file and a folder cannot share one.
        std::unordered_map<std::string, bool> madeAsFolder;
        uint64_t cursor = 0;
        result = WalkFolder("", cursor, trailer.count, [&](const std::string& path, const Entry& entry) {
            const bool isFolder = entry.type == EntryFolder;
            if (!isFolder && entry.size < 0) {
                return PkgOk; // as extraction, which makes no file of it
            }
            // In the order extraction meets them: the path's length, the
            // bytes it claims, then making the file or folder.
            if (targetFolder.size() + path.size() > PkgMaxPathLength) {
                return PkgErrCreate;
            }
            uint64_t available = 0;
            if (const int claimed = isFolder ? PkgOk : BytesToWrite(entry, available); claimed != PkgOk) {
                return claimed;
            }
            const size_t nameLength = path.size() - path.rfind(platform::kPathSeparator) - 1;
            const auto [made, first] = madeAsFolder.emplace(path, isFolder);
            if (nameLength > kMaxNameLength || made->second != isFolder) {
                return PkgErrCreate;
            }
            each({path.substr(1), isFolder, available > 0 ? entry.offset : 0, available});
            return PkgOk;
        });
        // Missing bytes did not stop the walk, so they came first.
        if (dataMissing) {
            result = PkgErrRead;
        }
    }
    package.Close();
    return result;
}

int PackageReader::List(const std::string& packagePath, const std::function<void(const ListedEntry&)>& each) {
    platform::FileStream stream;
    return stream.Open(packagePath.c_str(), "rb") ? List(std::move(stream), each) : PkgErrOpen;
}

int PackageReader::List(platform::FileStream stream, const std::function<void(const ListedEntry&)>& each) {
    package = std::move(stream);
    int result = ReadLayout();
    if (result == PkgOk) {
        uint64_t cursor = 0;
        result = WalkFolder("", cursor, trailer.count, [&each](const std::string& path, const Entry& entry) {
            const bool isFolder = entry.type == EntryFolder;
            each({path.substr(1), isFolder, isFolder ? 0 : std::max<int64_t>(entry.size, 0)});
            return PkgOk;
        });
    }
    package.Close();
    return result;
}

int PackageReader::ReadDirectory() {
    recordCount = 0;
    recordEnd = kUnknownPosition;
    if (!package.Seek(0, SEEK_END)) {
        return PkgErrRead;
    }
    const int64_t length = package.Tell();
    // No writer makes a file this big: its offsets would wrap.
    if (length > PkgMaxFileSize) {
        return PkgErrFormat;
    }
    const int64_t end = length - static_cast<int64_t>(sizeof trailer);
    dataBegin = uint64_t{trailer.start} + sizeof header;
    dataEnd = std::max<uint64_t>(dataBegin, trailer.directory);
    writeBudget = static_cast<uint64_t>(length) - trailer.start;
    if (trailer.directory >= end) {
        return PkgOk;
    }
    const uint64_t span = static_cast<uint64_t>(end) - trailer.directory;
    if (span % sizeof(PackageEntry) != 0) {
        return PkgErrRead; // the last record is cut short
    }
    recordCount = span / sizeof(PackageEntry);
    return PkgOk;
}

int PackageReader::ReadEntry(uint64_t index, Entry& entry) {
    PackageEntry record;
    const uint64_t position = trailer.directory + index * sizeof record;
    // Records are mostly read one after another: a seek would throw the
    // stream's buffer away each time.
    if (position != recordEnd && !package.Seek(static_cast<int64_t>(position), SEEK_SET)) {
        return PkgErrRead;
    }
    recordEnd = kUnknownPosition;
    if (package.Read(&record, sizeof record) != sizeof record) {
        return PkgErrRead;
    }
    recordEnd = position + sizeof record;
    entry = {EntryName(record), record.type, record.size, record.offset};
    return PkgOk;
}

int PackageReader::TraceDirectory() {
    for (uint64_t index = 0; index < recordCount; ++index) {
        Entry entry;
        const int read = ReadEntry(index, entry);
        if (read != PkgOk) {
            return read;
        }
        std::printf("ex:  %s %d\n", platform::PrintableText(entry.name).c_str(), entry.size);
    }
    std::printf("\n\n\n");
    return PkgOk;
}

int PackageReader::WalkFolder(const std::string& basePath, uint64_t& cursor, int32_t count,
                              const Visit& visit) {
    for (int32_t i = 0; i < count; ++i) {
        if (Cancelled()) {
            return PkgErrCancelled;
        }
        if (cursor >= recordCount) {
            return PkgErrFormat; // the counts promise more records than there are
        }
        Entry entry;
        const int read = ReadEntry(cursor, entry);
        if (read != PkgOk) {
            return read;
        }
        if (!IsSafeName(entry.name) || (entry.type != EntryFile && entry.type != EntryFolder)) {
            return PkgErrFormat;
        }
        ++cursor;
        const std::string path = JoinPath(basePath, entry.name);
        int result = visit(path, entry);
        if (result == PkgOk && entry.type == EntryFolder && entry.size != EmptyFolderCount) {
            result = WalkFolder(path, cursor, entry.size, visit);
        }
        if (result != PkgOk) {
            return result;
        }
    }
    return PkgOk;
}

int PackageReader::ExtractFile(const std::string& path, const Entry& entry) {
    if (entry.size < 0) {
        return PkgOk; // the packer could not read this file; it holds no bytes
    }
    if (path.size() > PkgMaxPathLength) {
        return PkgErrCreate;
    }
    uint64_t available = 0;
    if (const int claimed = BytesToWrite(entry, available); claimed != PkgOk) {
        return claimed;
    }
    const auto size = static_cast<uint64_t>(entry.size);
    const uint64_t begin = entry.offset;
    platform::FileStream file;
    if (!file.Open(path.c_str(), "wb")) {
        return PkgErrCreate;
    }
    uint64_t written = 0;
    recordEnd = kUnknownPosition;
    if (available > 0 && package.Seek(static_cast<int64_t>(begin), SEEK_SET)) {
        while (written < available) {
            if (Cancelled()) {
                return PkgErrCancelled;
            }
            const size_t want = static_cast<size_t>(
                std::min<uint64_t>(available - written, static_cast<uint64_t>(transferSize)));
            const size_t count = package.Read(transfer.get(), want);
            if (count == 0) {
                break;
            }
            if (file.Write(transfer.get(), count) != count) {
                return PkgErrWrite;
            }
            written += count;
            bytesWritten += count;
            if (progress) {
                progress(bytesWritten);
            }
        }
    }
    if (!file.Close()) {
        return PkgErrWrite;
    }
    if (written < size) {
        dataMissing = true;
    }
    return PkgOk;
}

int PackageReader::BytesToWrite(const Entry& entry, uint64_t& available) {
    // Only bytes inside the data region are copied.
    const auto size = static_cast<uint64_t>(entry.size);
    const uint64_t begin = entry.offset;
    available = begin >= dataBegin && begin <= dataEnd ? std::min(size, dataEnd - begin) : 0;
    if (available > writeBudget) {
        return PkgErrFormat; // entries share their bytes to fill the disk
    }
    writeBudget -= available;
    if (available < size) {
        dataMissing = true;
    }
    return PkgOk;
}

int PackageReader::MakeFolderPath(const std::string& path) {
    if (path.size() > PkgMaxPathLength) {
        return PkgErrCreate;
    }
    // Something else of that name cannot hold the folder's entries.
    const auto made = [&](int error) {
        return error == 0 || (error == EEXIST && platform::FolderExists(path.c_str())) ? PkgOk : PkgErrCreate;
    };
    const int error = platform::MakeFolder(path.c_str());
    if (error != ENOENT) {
        return made(error);
    }
    const size_t last = path.rfind(platform::kPathSeparator);
    if (last == std::string::npos || last == 0) {
        return PkgErrCreate;
    }
    const int parent = MakeFolderPath(path.substr(0, last));
    if (parent != PkgOk) {
        return parent;
    }
    return made(platform::MakeFolder(path.c_str()));
}

} // namespace package
