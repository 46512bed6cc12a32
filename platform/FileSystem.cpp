#include "platform/FileSystem.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <functional>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace platform {

FileStream::FileStream(FileStream&& other) noexcept : file(std::exchange(other.file, nullptr)) {}

FileStream& FileStream::operator=(FileStream&& other) noexcept {
    if (this != &other) {
        Close();
        file = std::exchange(other.file, nullptr);
    }
    return *this;
}

FileStream::~FileStream() { Close(); }

bool FileStream::Open(const char* path, const char* mode) {
    Close();
    // Close-on-exec: the web engine's processes, started at any moment, must
    // not hold our files open.
    file = std::fopen(path, (std::string(mode) + 'e').c_str());
    return file != nullptr;
}

bool FileStream::OpenMemory(const void* data, size_t size) {
    Close();
    // Read only: the bytes are never written through the stream.
    file = fmemopen(const_cast<void*>(data), size, "rb");
    return file != nullptr;
}

namespace {

EntryKind KindOfMode(mode_t mode) {
    if (S_ISREG(mode)) {
        return EntryKind::RegularFile;
    }
    if (S_ISDIR(mode)) {
        return EntryKind::Folder;
    }
    if (S_ISLNK(mode)) {
        return EntryKind::Link;
    }
    if (S_ISFIFO(mode)) {
        return EntryKind::Fifo;
    }
    if (S_ISSOCK(mode)) {
        return EntryKind::Socket;
    }
    if (S_ISCHR(mode) || S_ISBLK(mode)) {
        return EntryKind::Device;
    }
    return EntryKind::Other;
}

// Wraps an open descriptor in a stream; the descriptor is closed on failure.
FILE* StreamOf(int descriptor, const char* mode) {
    FILE* stream = fdopen(descriptor, mode);
    if (stream == nullptr) {
        const int error = errno;
        ::close(descriptor);
        errno = error;
    }
    return stream;
}

// Fills the trailing "XXXXXX" of `name` with random letters until `attempt`
// succeeds or fails for another reason than a name already taken.
bool WithUniqueName(std::string& name, const std::function<bool(const char*)>& attempt) {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    if (name.size() < 6) {
        errno = EINVAL;
        return false;
    }
    for (int tries = 0; tries < 100; ++tries) {
        unsigned char random[6];
        if (getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random)) {
            return false;
        }
        for (size_t i = 0; i < 6; ++i) {
            name[name.size() - 6 + i] = kLetters[random[i] % (sizeof kLetters - 1)];
        }
        if (attempt(name.c_str())) {
            return true;
        }
        if (errno != EEXIST) {
            return false;
        }
    }
    return false;
}

mode_t CurrentUmask() {
    const mode_t mask = umask(0);
    umask(mask);
    return mask;
}

} // namespace

bool FileStream::OpenRegularIn(const Folder& folder, const char* name, EntryKind& found) {
    Close();
    found = EntryKind::RegularFile;
    const int descriptor =
        openat(folder.Descriptor(), name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) {
        if (errno == ELOOP) {
            found = EntryKind::Link;
        }
        return false;
    }
    struct stat info {};
    if (fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) {
        found = KindOfMode(info.st_mode);
        ::close(descriptor);
        errno = EINVAL;
        return false;
    }
    found = EntryKind::RegularFile;
    file = StreamOf(descriptor, "rb");
    return file != nullptr;
}

bool FileStream::CreateUnnamedIn(const Folder& folder) {
    Close();
    const int descriptor = openat(folder.Descriptor(), ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (descriptor < 0) {
        return false;
    }
    file = StreamOf(descriptor, "wb");
    return file != nullptr;
}

bool FileStream::CreateNamedIn(const Folder& folder, std::string& nameTemplate) {
    Close();
    int descriptor = -1;
    const bool made = WithUniqueName(nameTemplate, [&](const char* name) {
        descriptor = openat(folder.Descriptor(), name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        return descriptor >= 0;
    });
    if (!made) {
        return false;
    }
    file = StreamOf(descriptor, "wb");
    if (file == nullptr) {
        folder.Remove(nameTemplate.c_str());
    }
    return file != nullptr;
}

std::string FileStream::DescriptorPath() const { return "/proc/self/fd/" + std::to_string(fileno(file)); }

bool FileStream::LinkInto(const Folder& folder, std::string& nameTemplate) {
    if (std::fflush(file) != 0) {
        return false;
    }
    const std::string self = DescriptorPath();
    return WithUniqueName(nameTemplate, [&](const char* name) {
        return linkat(AT_FDCWD, self.c_str(), folder.Descriptor(), name, AT_SYMLINK_FOLLOW) == 0;
    });
}

namespace {

// `descriptor` as a stream in `mode` if it is a regular file of the caller's
// own with no other name and none of the `refused` permission bits; closed,
// errno EPERM, otherwise.
FILE* OwnStreamOf(int descriptor, const char* mode, mode_t refused = 0) {
    if (descriptor < 0) {
        return nullptr;
    }
    struct stat info {};
    if (fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != geteuid() ||
        info.st_nlink != 1 || (info.st_mode & refused) != 0) {
        ::close(descriptor);
        errno = EPERM;
        return nullptr;
    }
    return StreamOf(descriptor, mode);
}

constexpr int kOwnFileFlags = O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

} // namespace

bool FileStream::OpenOwnForAppend(const char* path) {
    Close();
    file = OwnStreamOf(open(path, kOwnFileFlags | O_APPEND, 0666), "a");
    return file != nullptr;
}

bool FileStream::OpenOwnForRewriteIn(const Folder& folder, const char* name) {
    Close();
    file = OwnStreamOf(openat(folder.Descriptor(), name, kOwnFileFlags, 0666), "wb", 0111);
    return file != nullptr;
}

bool FileStream::EmptyFile() {
    return std::fflush(file) == 0 && ftruncate(fileno(file), 0) == 0;
}

bool FileStream::Sync() { return std::fflush(file) == 0 && fsync(fileno(file)) == 0; }

bool FileStream::Close() {
    if (file == nullptr) {
        return true;
    }
    const bool ok = std::fclose(file) == 0;
    file = nullptr;
    return ok;
}

size_t FileStream::Read(void* buffer, size_t size) {
    return size == 0 ? 0 : std::fread(buffer, 1, size, file);
}

size_t FileStream::Write(const void* data, size_t size) {
    return size == 0 ? 0 : std::fwrite(data, 1, size, file);
}

bool FileStream::Seek(int64_t offset, int origin) {
    return fseeko(file, static_cast<off_t>(offset), origin) == 0;
}

int64_t FileStream::Tell() const { return ftello(file); }

bool FileStream::AtEnd() const { return std::feof(file) != 0; }

int64_t FileStream::Size() const {
    struct stat info {};
    if (fstat(fileno(file), &info) != 0) {
        return -1;
    }
    if (!S_ISREG(info.st_mode)) {
        errno = S_ISDIR(info.st_mode) ? EISDIR : ESPIPE;
        return -1;
    }
    return info.st_size;
}

bool FileStream::Identity(uint64_t& device, uint64_t& inode) const {
    struct stat info {};
    if (fstat(fileno(file), &info) != 0) {
        return false;
    }
    device = info.st_dev;
    inode = info.st_ino;
    return true;
}

bool FileStream::CopyPermissionsFrom(const char* path) {
    struct stat info {};
    if (stat(path, &info) != 0) {
        return false;
    }
    return fchmod(fileno(file), info.st_mode & 0777 & ~CurrentUmask()) == 0;
}

Folder::~Folder() { Close(); }

void Folder::Close() {
    if (descriptor >= 0) {
        ::close(descriptor);
        descriptor = -1;
    }
}

bool Folder::Open(const char* path) {
    Close();
    descriptor = open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    return descriptor >= 0;
}

bool Folder::OpenChild(const Folder& parent, const char* name) {
    Close();
    descriptor = openat(parent.descriptor, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    return descriptor >= 0;
}

bool Folder::List(std::vector<FolderEntry>& entries) const {
    entries.clear();
    // The stream takes its own descriptor, so this one stays open.
    const int copy = fcntl(descriptor, F_DUPFD_CLOEXEC, 0);
    if (copy < 0) {
        return false;
    }
    DIR* dir = fdopendir(copy);
    if (dir == nullptr) {
        const int error = errno;
        ::close(copy);
        errno = error;
        return false;
    }
    rewinddir(dir);
    for (;;) {
        errno = 0;
        const dirent* found = readdir(dir);
        if (found == nullptr) {
            break;
        }
        const std::string name = found->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        if (found->d_type != DT_UNKNOWN) {
            entries.push_back({name, KindOfMode(DTTOIF(found->d_type))});
            continue;
        }
        struct stat info {};
        if (fstatat(copy, found->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0) {
            entries.push_back({name, KindOfMode(info.st_mode)});
        } else if (errno != ENOENT) { // one that vanished meanwhile is simply gone
            break;
        }
    }
    const int error = errno;
    closedir(dir);
    if (error != 0) {
        entries.clear();
        errno = error;
        return false;
    }
    std::sort(entries.begin(), entries.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    return true;
}

bool Folder::Lock(bool wait) const { return flock(descriptor, LOCK_EX | (wait ? 0 : LOCK_NB)) == 0; }

bool Folder::OwnedByCaller() const {
    struct stat info {};
    return fstat(descriptor, &info) == 0 && info.st_uid == geteuid();
}

bool Folder::IsNamedBy(const char* path) const {
    struct stat named {};
    struct stat open {};
    return lstat(path, &named) == 0 && fstat(descriptor, &open) == 0 && named.st_dev == open.st_dev &&
           named.st_ino == open.st_ino;
}

int Folder::Rename(const char* from, const char* to) const {
    return renameat(descriptor, from, descriptor, to) == 0 ? 0 : errno;
}

int Folder::Remove(const char* name) const { return unlinkat(descriptor, name, 0) == 0 ? 0 : errno; }

bool Folder::IsWithin(const Folder& other) const {
    struct stat target {};
    if (fstat(other.descriptor, &target) != 0) {
        return false;
    }
    int current = fcntl(descriptor, F_DUPFD_CLOEXEC, 0);
    bool within = false;
    // Up through "..", which also climbs out of a second mount, to the root,
    // the one folder that is its own parent.
    while (current >= 0 && !within) {
        struct stat here {};
        within = fstat(current, &here) == 0 && here.st_dev == target.st_dev && here.st_ino == target.st_ino;
        const int parent = openat(current, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        struct stat above {};
        const bool atRoot = parent < 0 || (fstat(parent, &above) == 0 && above.st_dev == here.st_dev &&
                                           above.st_ino == here.st_ino);
        ::close(current);
        current = parent;
        if (atRoot) {
            break;
        }
    }
    if (current >= 0) {
        ::close(current);
    }
    return within;
}

int MakeFolder(const char* path, unsigned mode) {
    return mkdir(path, static_cast<mode_t>(mode)) == 0 ? 0 : errno;
}

int RemoveFile(const char* path) { return unlink(path) == 0 ? 0 : errno; }


namespace {

int firstRemoveError = 0;

int RemoveOne(const char* path, const struct stat*, int kind, struct FTW*) {
    const int result = kind == FTW_DP ? rmdir(path) : unlink(path);
    if (result != 0 && firstRemoveError == 0) {
        firstRemoveError = errno;
    }
    return 0; // go on with the rest
}

} // namespace

int RemoveTree(const char* path) {
    firstRemoveError = 0;
    // Depth first, physical: a link is an entry like any file.
    if (nftw(path, RemoveOne, 32, FTW_DEPTH | FTW_PHYS | FTW_MOUNT) != 0) {
        return errno != 0 ? errno : EIO;
    }
    return firstRemoveError;
}

unsigned long CurrentThreadId() { return static_cast<unsigned long>(gettid()); }

bool FileExists(const char* path) {
    struct stat info {};
    return stat(path, &info) == 0 && S_ISREG(info.st_mode);
}

bool PathExists(const char* path) {
    struct stat info {};
    return lstat(path, &info) == 0;
}

bool FolderExists(const char* path) {
    struct stat info {};
    return stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

bool KindOfPath(const char* path, EntryKind& kind) {
    struct stat info {};
    if (lstat(path, &info) != 0) {
        return false;
    }
    kind = KindOfMode(info.st_mode);
    return true;
}

std::string ResolvedPath(const char* path) {
    char* resolved = realpath(path, nullptr);
    if (resolved == nullptr) {
        return {};
    }
    std::string result = resolved;
    std::free(resolved);
    return result;
}

std::string ExecutablePath() {
    std::string path(4096, '\0');
    const ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
    if (length <= 0 || static_cast<size_t>(length) >= path.size()) {
        return {};
    }
    path.resize(static_cast<size_t>(length));
    return path;
}

int ChangeDirectory(const char* path) { return chdir(path) == 0 ? 0 : errno; }

std::string CurrentDirectory() {
    char buffer[4096];
    return getcwd(buffer, sizeof buffer) != nullptr ? std::string(buffer) : std::string();
}

std::string TemporaryFolder() {
    for (const char* name : {"tmp", "TMPDIR"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            return value;
        }
    }
    return "/tmp";
}

} // namespace platform
