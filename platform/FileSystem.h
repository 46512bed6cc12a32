// File-system services: buffered file streams, folder search, folder
// creation, the current directory and the executable's own path.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace platform {

// The one separator the system's code joins paths with.
inline constexpr char kPathSeparator = '/';

// A buffered file stream that is closed on every path out of its scope.
class FileStream {
public:
    FileStream() = default;
    FileStream(const FileStream&) = delete;
    FileStream& operator=(const FileStream&) = delete;
    FileStream(FileStream&& other) noexcept;
    FileStream& operator=(FileStream&& other) noexcept;
    ~FileStream();

    // mode is a C stream mode ("rb", "wb", "a"). False (errno set) on failure.
    [[nodiscard]] bool Open(const char* path, const char* mode);
    // Flushes and closes; false when buffered data could not be written.
    bool Close();
    bool IsOpen() const { return file != nullptr; }

    size_t Read(void* buffer, size_t size);
    size_t Write(const void* data, size_t size);
    [[nodiscard]] bool Seek(int64_t offset, int origin);
    int64_t Tell() const;
    bool AtEnd() const;
    // Size of the open file in bytes, or -1 with errno set (EISDIR for a
    // folder, ESPIPE for anything else that is not a regular file).
    int64_t Size() const;
    // Device and inode of the open file, to tell whether two paths are one file.
    bool Identity(uint64_t& device, uint64_t& inode) const;
    // Gives the open file the permission bits of the file at `path`, less the
    // umask, as a plain copy of that file would have.
    bool CopyPermissionsFrom(const char* path);

private:
    FILE* file = nullptr;
};

struct FolderEntry {
    std::string name; // bytes as the file system reports them
    bool isFolder;    // a real folder; links are reported as files and never followed
};

// Every entry of a folder except "." and "..", hidden ones included, sorted by
// name in byte order so that the same tree is always listed the same way.
// A folder that cannot be listed gives no entries.
std::vector<FolderEntry> ListFolder(const std::string& path);

// Creates one folder (mode 0777 less the umask). 0 on success, else the errno
// value (EEXIST when anything of that name exists, ENOENT for a missing parent).
int MakeFolder(const char* path, unsigned mode = 0777);

// Removes one file (not a folder); 0 or the errno value.
int RemoveFile(const char* path);

// Removes a folder and everything below it. Links are removed, never
// followed, and nothing on another file system is entered. 0 on success, else
// the errno value of the first failure.
int RemoveTree(const char* path);

// The calling thread's identifier.
unsigned long CurrentThreadId();

// True when `path` names a regular file (links followed).
bool FileExists(const char* path);

// True when something of that name exists (without following a final link).
bool PathExists(const char* path);

// Full path of the running executable; empty if it cannot be found.
std::string ExecutablePath();

// 0 on success, else the errno value.
int ChangeDirectory(const char* path);
std::string CurrentDirectory();

// The user's temporary folder: "tmp", else TMPDIR, else /tmp.
std::string TemporaryFolder();

} // namespace platform
