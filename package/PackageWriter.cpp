#include "package/PackageWriter.h"

#include "package/PackagePaths.h"
#include "platform/Text.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <list>
#include <new>

namespace package {

namespace {

constexpr char kTemporaryName[] = ".kest-XXXXXX";
constexpr char kNothingToPack[] = "nothing to pack (an empty, missing or unreadable folder)";

std::string ErrorText(int error) { return std::strerror(error); }

std::string SkipReason(platform::EntryKind kind) {
    switch (kind) {
    case platform::EntryKind::Link: return "skipped: a symbolic link";
    case platform::EntryKind::Fifo: return "skipped: a FIFO";
    case platform::EntryKind::Socket: return "skipped: a socket";
    case platform::EntryKind::Device: return "skipped: a device";
    case platform::EntryKind::Folder: return "skipped: changed while being packed";
    default: return "skipped: not a regular file or folder";
    }
}

// The folder part of a path: "." for a bare name.
std::string FolderOf(const std::string& path) {
    const size_t last = path.rfind(platform::kPathSeparator);
    if (last == std::string::npos) {
        return ".";
    }
    return last == 0 ? path.substr(0, 1) : path.substr(0, last);
}

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
    const bool exact = (flags & PackExactPaths) != 0;
    outputName = exact ? outputPath : WithoutQuotes(outputPath);
    const std::string sourcePath = exact ? sourceFolder : WithoutQuotes(sourceFolder);
    transfer.reset(new (std::nothrow) char[static_cast<size_t>(transferSize)]);
    if (!transfer) {
        return Fail(PkgErrNoMemory, outputName, "out of memory");
    }
    platform::Folder source;
    int result = source.Open(sourcePath.c_str()) ? OpenOutput(source)
                                                 : Fail(PkgErrEmptyFolder, sourcePath, kNothingToPack);
    if (result == PkgOk) {
        result = WritePackage(source, sourcePath, flags);
        if (result == PkgOk && !problems.empty()) {
            result = PkgErrSource;
        }
        result = FinishOutput(result);
    }
    if (result == PkgOk && (flags & PackDebugLog)) {
        WriteDebugLog();
    }
    transfer.reset();
    return result;
}

int PackageWriter::OpenOutput(const platform::Folder& source) {
    finalPath = outputName;
    temporaryName.clear();
    if (outputName.empty()) {
        return Fail(PkgErrCreate, outputName, "cannot create: " + ErrorText(ENOENT));
    }
    // A link is written through, as it always was: its target is replaced.
    platform::EntryKind kind = platform::EntryKind::RegularFile;
    bool exists = platform::KindOfPath(finalPath.c_str(), kind);
    if (exists && kind == platform::EntryKind::Link) {
        const std::string resolved = platform::ResolvedPath(finalPath.c_str());
        if (!resolved.empty()) {
            finalPath = resolved;
            exists = platform::KindOfPath(finalPath.c_str(), kind);
        }
    }
    const std::string folder = FolderOf(finalPath);
    finalName = finalPath.substr(finalPath.rfind(platform::kPathSeparator) + 1);
    if (!outputFolder.Open(folder.c_str())) {
        return Fail(PkgErrCreate, outputName, "cannot create: " + ErrorText(errno));
    }
    if (outputFolder.IsWithin(source)) {
        return Fail(PkgErrCreate, outputName, "is inside the folder being packed");
    }
    inPlace = exists && kind != platform::EntryKind::RegularFile && kind != platform::EntryKind::Link;
    if (inPlace) {
        if (!output.Open(finalPath.c_str(), "wb")) {
            return Fail(PkgErrCreate, outputName, "cannot create: " + ErrorText(errno));
        }
        return PkgOk;
    }
    // Without a name until whole, so that even a killed packer leaves
    // nothing; a named file where the file system cannot do that.
    if (!output.CreateUnnamedIn(outputFolder)) {
        temporaryName = kTemporaryName;
        if (!output.CreateNamedIn(outputFolder, temporaryName)) {
            temporaryName.clear();
            return Fail(PkgErrCreate, outputName, "cannot create: " + ErrorText(errno));
        }
    }
    return PkgOk;
}

int PackageWriter::FinishOutput(int result) {
    const auto failWrite = [&] { return Fail(PkgErrWrite, outputName, "cannot write: " + ErrorText(errno)); };
    if (inPlace) {
        if (!output.Close() && result == PkgOk) {
            result = failWrite();
        }
        return result;
    }
    // On the disk before it replaces anything, so that a crash cannot leave
    // an empty magazine where a whole one was.
    if (result == PkgOk && !output.Sync()) {
        result = failWrite();
    }
    if (result == PkgOk && temporaryName.empty()) {
        std::string name = kTemporaryName;
        if (output.LinkInto(outputFolder, name)) {
            temporaryName = name;
        } else {
            result = Fail(PkgErrCreate, outputName, "cannot create: " + ErrorText(errno));
        }
    }
    if (!output.Close() && result == PkgOk) {
        result = failWrite();
    }
    if (result == PkgOk) {
        const int error = outputFolder.Rename(temporaryName.c_str(), finalName.c_str());
        if (error != 0) {
            result = Fail(PkgErrCreate, outputName, "cannot replace: " + ErrorText(error));
        }
    }
    if (result != PkgOk && !temporaryName.empty()) {
        outputFolder.Remove(temporaryName.c_str());
    }
    temporaryName.clear();
    return result;
}

int PackageWriter::WritePackage(const platform::Folder& source, const std::string& sourcePath, int flags) {
    if (flags & PackCopySelf) {
        const int copied = CopySelf();
        if (copied < 0) {
            return copied;
        }
        // Only a file of our own making: a device written in place keeps its bits.
        if (!inPlace) {
            output.CopyPermissionsFrom(ownPath.c_str());
        }
    }
    trailer = PackageTrailer{};
    trailer.start = static_cast<uint32_t>(output.Tell());
    std::memcpy(trailer.tag, PkgTag, sizeof PkgTag);
    header = PackageHeader{};
    std::memcpy(header.magic, PkgMagic, sizeof PkgMagic);
    output.Write(&header, sizeof header);
    const int count = AddFolder(source, sourcePath);
    if (walkError != PkgOk) {
        return walkError;
    }
    if (count == PkgErrEmptyFolder) {
        return Fail(count, sourcePath, kNothingToPack);
    }
    if (count < 0) {
        return count;
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
    return AppendFile(self, ownPath);
}

int PackageWriter::AddFolder(const platform::Folder& folder, const std::string& folderPath) {
    std::vector<platform::FolderEntry> found;
    if (!folder.List(found)) {
        return Fail(PkgErrSource, folderPath, "cannot list: " + ErrorText(errno));
    }
    // Files in the reverse of the order found, then folders in that order.
    std::list<PackageEntry> local;
    for (const platform::FolderEntry& entry : found) {
        const bool isFolder = entry.kind == platform::EntryKind::Folder;
        if (!isFolder && entry.kind != platform::EntryKind::RegularFile) {
            Fail(PkgErrSource, JoinPath(folderPath, entry.name), SkipReason(entry.kind));
            continue;
        }
        if (JoinPath(folderPath, entry.name).size() > PkgMaxPathLength) {
            Fail(PkgErrSource, JoinPath(folderPath, entry.name), "path too long (over 4095 bytes)");
            continue;
        }
        PackageEntry record{};
        std::memcpy(record.name, entry.name.data(), std::min<size_t>(entry.name.size(), PkgMaxStoredName));
        record.type = isFolder ? EntryFolder : EntryFile;
        if (isFolder) {
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
            record.size = PackFile(folder, record.name, path);
            records.push_back(record);
        } else {
            // The folder's record stands before its content.
            const size_t index = records.size();
            records.push_back(record);
            record.size = PackFolder(folder, record.name, path);
            records[index].size = record.size;
        }
    }
    return static_cast<int>(local.size());
}

int PackageWriter::PackFile(const platform::Folder& folder, const char* name, const std::string& path) {
    platform::FileStream source;
    platform::EntryKind kind = platform::EntryKind::RegularFile;
    if (!source.OpenRegularIn(folder, name, kind)) {
        return Fail(PkgErrSource, path,
                    kind == platform::EntryKind::RegularFile ? "cannot open: " + ErrorText(errno) : SkipReason(kind));
    }
    return AppendFile(source, path);
}

int PackageWriter::PackFolder(const platform::Folder& parent, const char* name, const std::string& path) {
    platform::Folder folder;
    if (!folder.OpenChild(parent, name)) {
        // Listed as a folder, it is now a link or something else.
        const bool changed = errno == ELOOP || errno == ENOTDIR;
        return Fail(PkgErrSource, path,
                    changed ? SkipReason(platform::EntryKind::Folder) : "cannot open: " + ErrorText(errno));
    }
    return AddFolder(folder, path);
}

int PackageWriter::AppendFile(platform::FileStream& source, const std::string& path) {
    const int64_t start = output.Tell();
    const int64_t size = source.Size();
    if (size < 0) {
        return Fail(PkgErrSource, path, "cannot read: " + ErrorText(errno));
    }
    // A size known up front is refused before anything is copied.
    if (start + size > PkgMaxFileSize) {
        return walkError = Fail(PkgErrTooLarge, path, "the package would reach 2 GiB");
    }
    if (!problems.empty()) {
        return static_cast<int>(size); // the pack fails anyway: only look for more problems
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
        if (progress) {
            progress(static_cast<uint64_t>(start + total));
        }
        if (last) {
            return static_cast<int>(total);
        }
    }
}

void PackageWriter::WriteDebugLog() {
    const std::string path = JoinPath(platform::TemporaryFolder(), "debug.log");
    platform::FileStream log;
    if (!log.OpenOwnForAppend(path.c_str())) {
        // ENXIO: a FIFO without a reader.
        const bool foreign = errno == EPERM || errno == ELOOP || errno == ENXIO;
        Fail(PkgOk, path, foreign ? "not written: not a regular file of your own" : "not written: " + ErrorText(errno));
        return;
    }
    // One record, one line, whatever bytes its name holds.
    for (const PackageEntry& record : records) {
        const std::string line = "pk: " + platform::PrintableText(EntryName(record)) + " " +
                                 std::to_string(record.size) + "\n";
        log.Write(line.data(), line.size());
    }
    log.Write("\n\n\n", 3);
    if (!log.Close()) {
        Fail(PkgOk, path, "not written: " + ErrorText(errno));
    }
}

} // namespace package
