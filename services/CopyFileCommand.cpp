#include "services/CopyFileCommand.h"

#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace services {

namespace {

constexpr size_t kTransferBufferSize = 1024;

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

// Opens the movie's source path as the host names it, or else as code page 936
// names it: the files of magazines made on the original platform keep the
// names of that code page.
bool OpenSource(platform::FileStream& source, const char* path) {
    if (source.Open(path, "rb")) {
        return true;
    }
    static constexpr char kMagazineCodePage[] = "CP936";
    if (platform::HostEncoding() == kMagazineCodePage) {
        return false;
    }
    const std::string stored =
        platform::ConvertText(path, platform::HostEncoding().c_str(), kMagazineCodePage, "?");
    return stored != path && source.Open(stored.c_str(), "rb");
}

// True when `path` already names the file open as `source` (the same path,
// a link, or another way to it); opening it with "wb" would empty the source.
bool IsSameFile(const platform::FileStream& source, const char* path) {
    platform::FileStream existing;
    if (!existing.Open(path, "rb")) {
        return false;
    }
    uint64_t device = 0, inode = 0, otherDevice = 0, otherInode = 0;
    return source.Identity(device, inode) && existing.Identity(otherDevice, otherInode) &&
           device == otherDevice && inode == otherInode;
}

// Copies the rest of `source` into `destination`; false on a read or write error.
bool Transfer(platform::FileStream& source, platform::FileStream& destination) {
    char buffer[kTransferBufferSize];
    for (;;) {
        const size_t read = source.Read(buffer, sizeof buffer);
        if (read == 0) {
            return source.AtEnd();
        }
        if (destination.Write(buffer, read) != read) {
            return false;
        }
    }
}

} // namespace

const char* CopyOneFile(char* args, ReplyBuffer& reply) {
    char* fields[2];
    CutFields(args, fields, 2);
    platform::FileStream source;
    if (fields[0] == nullptr) {
        return SetReply(reply, kReplyCopyFail);
    }
    UseOurSeparator(fields[0]);
    if (!OpenSource(source, fields[0]) || fields[1] == nullptr) {
        return SetReply(reply, kReplyCopyFail);
    }
    UseOurSeparator(fields[1]);
    platform::FileStream destination;
    if (IsSameFile(source, fields[1]) || !destination.Open(fields[1], "wb")) {
        return SetReply(reply, kReplyCopyFail);
    }
    bool copied = Transfer(source, destination);
    source.Close();
    // Buffered bytes are written on close: a full disk may show only here.
    copied = destination.Close() && copied;
    return SetReply(reply, copied ? kReplyCopySuccess : kReplyCopyFail);
}

} // namespace services
