#include "platform/FileSystem.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
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
    file = std::fopen(path, mode);
    return file != nullptr;
}

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
    const mode_t mask = umask(0);
    umask(mask);
    return fchmod(fileno(file), info.st_mode & 0777 & ~mask) == 0;
}

std::vector<FolderEntry> ListFolder(const std::string& path) {
    std::vector<FolderEntry> entries;
    DIR* dir = opendir(path.c_str());
    if (dir == nullptr) {
        return entries;
    }
    const int dirFd = dirfd(dir);
    while (const dirent* found = readdir(dir)) {
        const std::string name = found->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        bool isFolder = found->d_type == DT_DIR;
        if (found->d_type == DT_UNKNOWN) {
            struct stat info {};
            isFolder = fstatat(dirFd, found->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
                       S_ISDIR(info.st_mode);
        }
        entries.push_back({name, isFolder});
    }
    closedir(dir);
    std::sort(entries.begin(), entries.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    return entries;
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
