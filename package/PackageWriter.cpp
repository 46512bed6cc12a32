#include "package/PackageWriter.h"

#include "package/PackagePaths.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <list>
#include <new>

namespace {

std::string ErrorText(int error) { return std::strerror(error); }

} // namespace

PackageWriter::PackageWriter(std::string ownExecutablePath) : ownPath(std::move(ownExecutablePath)) {}

int PackageWriter::Fail(int code, const std::string& path, const std::string& reason) {
    problems.push_back({path, reason});
    return code;
}

int PackageWriter::Pack(const std::string& sourceFolder, const std::string& outputPath, int flags) {
    records.clear();
    problems.clear();
    walkError = PkgOk;
    outputName = WithoutQuotes(outputPath);
    transfer.reset(new (std::nothrow) char[static_cast<size_t>(transferSize)]);
    if (!transfer) {
        return Fail(PkgErrNoMemory, outputName, "out of memory");
    }
    if (!output.Open(outputName.c_str(), "wb")) {
        const int error = errno;
        std::printf("%d\n", error);
        transfer.reset();
        return Fail(PkgErrCreate, outputName, "cannot create: " + ErrorText(error));
    }
    output.Identity(outputDevice, outputInode);
    int result = WritePackage(WithoutQuotes(sourceFolder), flags);
    if (!output.Close() && result == PkgOk) {
        result = Fail(PkgErrWrite, outputName, "cannot write: " + ErrorText(errno));
    }
    if (result == PkgErrTooLarge) {
        // Leave nothing behind that a reader could take for a package.
        platform::RemoveFile(outputName.c_str());
    } else if (result == PkgOk && (flags & PackDebugLog)) {
        WriteDebugLog();
    }
    transfer.reset();
    return result;
}

int PackageWriter::WritePackage(const std::string& sourceFolder, int flags) {
    if (flags & PackCopySelf) {
        const int copied = CopySelf();
        if (copied < 0) {
            return copied;
        }
        output.CopyPermissionsFrom(ownPath.c_str());
    }
    trailer = PackageTrailer{};
    trailer.start = static_cast<uint32_t>(output.Tell());
    std::memcpy(trailer.tag, PkgTag, sizeof PkgTag);
    header = PackageHeader{};
    std::memcpy(header.magic, PkgMagic, sizeof PkgMagic);
    output.Write(&header, sizeof header);
    const int count = AddFolder(sourceFolder);
    if (walkError != PkgOk) {
        return walkError;
    }
    if (count < 0) {
        return Fail(count, sourceFolder, "nothing to pack (an empty, missing or unreadable folder)");
    }
    trailer.count = count;
    return WriteDirectoryAndTrailer();
}

int PackageWriter::WriteDirectoryAndTrailer() {
    const int64_t directory = output.Tell();
    const int64_t end = directory + static_cast<int64_t>(records.size() * sizeof(PackageEntry)) +
                        static_cast<int64_t>(sizeof trailer);
    if (end > PkgMaxFileSize) {
        return Fail(PkgErrTooLarge, outputName, "the package would reach 2 GiB");
    }
    trailer.directory = static_cast<uint32_t>(directory);
    for (const PackageEntry& record : records) {
        if (output.Write(&record, sizeof record) != sizeof record) {
            return Fail(PkgErrWrite, outputName, "cannot write: " + ErrorText(errno));
        }
    }
    if (output.Write(&trailer, sizeof trailer) != sizeof trailer) {
        return Fail(PkgErrWrite, outputName, "cannot write: " + ErrorText(errno));
    }
    return PkgOk;
}

int PackageWriter::CopySelf() {
    platform::FileStream self;
    if (!self.Open(ownPath.c_str(), "rb")) {
        return Fail(PkgErrOpen, ownPath, "cannot open the program itself: " + ErrorText(errno));
    }
    self.Close();
    return AppendFile(ownPath);
}

int PackageWriter::AddFolder(const std::string& folderPath) {
    // Files in the reverse of the order found, then folders in that order.
    std::list<PackageEntry> local;
    for (const platform::FolderEntry& found : platform::ListFolder(folderPath)) {
        PackageEntry record{};
        std::memcpy(record.name, found.name.data(),
                    std::min<size_t>(found.name.size(), PkgMaxStoredName));
        record.type = found.isFolder ? EntryFolder : EntryFile;
        if (found.isFolder) {
            local.push_back(record);
        } else {
            local.push_front(record);
        }
    }
    if (local.empty()) {
        return PkgErrEmptyFolder;
    }
    for (PackageEntry& record : local) {
        if (walkError != PkgOk) {
            break;
        }
        const std::string path = JoinPath(folderPath, record.name);
        if (record.type == EntryFile) {
            record.offset = static_cast<uint32_t>(output.Tell());
            record.size = AppendFile(path);
            records.push_back(record);
        } else {
            const size_t index = records.size();
            records.push_back(record);
            record.size = AddFolder(path);
            records[index].size = record.size;
        }
    }
    return static_cast<int>(local.size());
}

int PackageWriter::AppendFile(const std::string& path) {
    platform::FileStream source;
    if (!source.Open(path.c_str(), "rb")) {
        return Fail(PkgErrSource, path, "cannot open: " + ErrorText(errno));
    }
    uint64_t device = 0;
    uint64_t inode = 0;
    if (source.Identity(device, inode) && device == outputDevice && inode == outputInode) {
        return Fail(PkgErrSource, path, "is the magazine file being written");
    }
    const int64_t start = output.Tell();
    // A size known up front is refused before anything is copied.
    if (start + source.Size() > PkgMaxFileSize) {
        return walkError = Fail(PkgErrTooLarge, path, "the package would reach 2 GiB");
    }
    int64_t total = 0;
    for (;;) {
        const size_t count = source.Read(transfer.get(), static_cast<size_t>(transferSize));
        const bool last = count < static_cast<size_t>(transferSize);
        if (last && !source.AtEnd()) {
            return Fail(PkgErrSource, path, "cannot read: " + ErrorText(errno));
        }
        // The file may have grown since its size was taken.
        if (start + total + static_cast<int64_t>(count) > PkgMaxFileSize) {
            return walkError = Fail(PkgErrTooLarge, path, "the package would reach 2 GiB");
        }
        if (output.Write(transfer.get(), count) != count) {
            return walkError = Fail(PkgErrWrite, path, "cannot write its bytes: " + ErrorText(errno));
        }
        total += static_cast<int64_t>(count);
        if (last) {
            return static_cast<int>(total);
        }
    }
}

void PackageWriter::WriteDebugLog() const {
    const std::string path = platform::TemporaryFolder() + platform::kPathSeparator + "debug.log";
    platform::FileStream log;
    if (!log.Open(path.c_str(), "a")) {
        return;
    }
    for (const PackageEntry& record : records) {
        char line[1100];
        const int length = std::snprintf(line, sizeof line, "pk: %.1024s %d\n", record.name, record.size);
        log.Write(line, static_cast<size_t>(std::min<int>(length, sizeof line - 1)));
    }
    log.Write("\n\n\n", 3);
}
