#include "services/CopyFileCommand.h"

#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "platform/WindowsNames.h"
#include "services/CopyDestination.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace services {

namespace {

constexpr size_t kTransferBufferSize = 1024;
// A movie chooses the paths: the log shows no more of each.
constexpr size_t kLoggedPathBytes = 160;

// Movies name paths with '\'; one that is the second byte of a character
// stays.
void UseOurSeparator(char* path) {
    const std::string_view whole = path;
    for (size_t at = 0;;) {
        const size_t found =
            platform::FindCharacter(whole.substr(at), '\\', platform::HostStepping());
        if (found == std::string_view::npos) {
            return;
        }
        at += found;
        path[at++] = platform::kPathSeparator;
    }
}

std::string Logged(const char* path) {
    return platform::PrintableText(path != nullptr ? path : "", kLoggedPathBytes);
}

const char* NotCopied(ReplyBuffer& reply, const char* source, const char* destination,
                      const std::string& reason) {
    std::fprintf(stderr, "kest: CopyFile %s -> %s not copied: %s\n", Logged(source).c_str(),
                 Logged(destination).c_str(), reason.c_str());
    return SetReply(reply, kReplyCopyFail);
}

// The magazine's own file that the movie's source path names: as the host
// names it, else as code page 936 names it (the files of magazines made on the
// original platform keep the names of that code page).
std::optional<platform::FileRange> FindSource(const package::ContentFiles& files, const char* path) {
    std::vector<platform::Spelling> spellings{{path, platform::HostStepping()}};
    static constexpr char kMagazineCodePage[] = "CP936";
    if (platform::HostEncoding() != kMagazineCodePage) {
        std::string stored =
            platform::ConvertText(path, platform::HostEncoding().c_str(), kMagazineCodePage, "?");
        if (stored != path) {
            spellings.push_back({std::move(stored), platform::Encoding::Cp936});
        }
    }
    return files.Find(spellings);
}

bool IsSameFile(const platform::FileStream& one, const platform::FileStream& other) {
    uint64_t device = 0, inode = 0, otherDevice = 0, otherInode = 0;
    return one.Identity(device, inode) && other.Identity(otherDevice, otherInode) &&
           device == otherDevice && inode == otherInode;
}

// Copies `size` bytes of `source` into `destination`; false when they cannot
// all be read or written.
bool Transfer(platform::FileStream& source, uint64_t size, platform::FileStream& destination) {
    char buffer[kTransferBufferSize];
    for (uint64_t left = size; left > 0;) {
        const size_t read = source.Read(buffer, static_cast<size_t>(std::min<uint64_t>(left, sizeof buffer)));
        if (read == 0 || destination.Write(buffer, read) != read) {
            return false;
        }
        left -= read;
    }
    return true;
}

} // namespace

const char* CopyOneFile(char* args, const package::ContentFiles& files, ReplyBuffer& reply) {
    char* fields[2];
    CutFields(args, fields, 2);
    if (fields[0] == nullptr || fields[1] == nullptr) {
        return NotCopied(reply, fields[0], fields[1], "a path is missing");
    }
    UseOurSeparator(fields[0]);
    UseOurSeparator(fields[1]);
    // A packed magazine's file is read where it lies in the package.
    const auto sourceFile = FindSource(files, fields[0]);
    platform::FileStream source;
    if (!sourceFile || !source.Open(sourceFile->path.c_str(), "rb") ||
        !source.Seek(static_cast<int64_t>(sourceFile->offset), SEEK_SET)) {
        return NotCopied(reply, fields[0], fields[1], "source: none of the magazine's files");
    }
    platform::FileStream destination;
    if (const std::string refusal = OpenDestination(files.Folder(), fields[1], destination);
        !refusal.empty()) {
        return NotCopied(reply, fields[0], fields[1], "destination: " + refusal);
    }
    if (IsSameFile(source, destination)) {
        return NotCopied(reply, fields[0], fields[1], "destination: the source itself");
    }
    bool copied = destination.EmptyFile() && Transfer(source, sourceFile->size, destination);
    source.Close();
    // Buffered bytes are written on close: a full disk may show only here.
    copied = destination.Close() && copied;
    return copied ? SetReply(reply, kReplyCopySuccess)
                  : NotCopied(reply, fields[0], fields[1], "reading or writing failed");
}

} // namespace services
