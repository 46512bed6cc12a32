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

class Folder;

// What a folder entry is, as seen without following a link.
enum class EntryKind { RegularFile, Folder, Link, Fifo, Socket, Device, Other };

// A buffered file stream that is closed on every path out of its scope.
class FileStream {
public:
    FileStream() = default;
    FileStream(const FileStream&) = delete;
    FileStream& operator=(const FileStream&) = delete;
    FileStream(FileStream&& other) noexcept;
    FileStream& operator=(FileStream&& other) noexcept;
    ~FileStream();

    // mode is a C stream mode ("rb", "wb", "a"); the file is closed on exec,
    // as every descriptor here is. False (errno set) on failure.
    [[nodiscard]] bool Open(const char* path, const char* mode);
    // Reads the `size` bytes at `data`, which must outlive the stream, as a
    // file: no file is made.
    [[nodiscard]] bool OpenMemory(const void* data, size_t size);
    // Opens the entry `name` of `folder` for reading only if it is a regular
    // file: a link is not followed and a FIFO is not waited on. False, errno
    // set, on failure; `found` then tells what was there in place of a
    // regular file (RegularFile when the failure was of another kind).
    [[nodiscard]] bool OpenRegularIn(const Folder& folder, const char* name, EntryKind& found);
    // Creates a file without a name in `folder`, mode 0666 less the umask:
    // should the process die before LinkInto, nothing is left behind. False,
    // errno set, also where the file system cannot do that.
    [[nodiscard]] bool CreateUnnamedIn(const Folder& folder);
    // Creates a new file in `folder` from `nameTemplate`, whose last six
    // characters "XXXXXX" are replaced with the name chosen.
    [[nodiscard]] bool CreateNamedIn(const Folder& folder, std::string& nameTemplate);
    // Gives the file made by CreateUnnamedIn a new name in `folder`, chosen
    // from `nameTemplate` as CreateNamedIn does.
    [[nodiscard]] bool LinkInto(const Folder& folder, std::string& nameTemplate);
    // Opens `path` for appending only if it is a regular file of the caller's
    // own with no other name (EPERM otherwise; ELOOP for a link), creating it
    // if missing: what another user planted under that name is never written.
    [[nodiscard]] bool OpenOwnForAppend(const char* path);
    // Opens the entry `name` of `folder` for writing from its start, creating
    // it if missing, only if it is a regular file of the caller's own with no
    // other name that nobody may run (ELOOP for a link, EPERM for anything
    // else): rewriting a program would run what was written. Nothing is
    // emptied: EmptyFile does that once the caller has looked at the file.
    [[nodiscard]] bool OpenOwnForRewriteIn(const Folder& folder, const char* name);
    // Cuts the open file to no bytes.
    [[nodiscard]] bool EmptyFile();
    // Flushes and closes; false when buffered data could not be written.
    bool Close();
    // Writes buffered data through to the disk; false (errno set) on failure.
    [[nodiscard]] bool Sync();
    bool IsOpen() const { return file != nullptr; }
    // A path that names the open file itself for as long as it is open, even
    // once it was moved or removed.
    std::string DescriptorPath() const;

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
    EntryKind kind;
};

// A folder held open, so that what lies below it is reached through it: no
// path is looked up again and no link below it is followed.
class Folder {
public:
    Folder() = default;
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    ~Folder();

    // Opens the folder `path` names (links on the way followed: the caller
    // named it). False, errno set, on failure.
    [[nodiscard]] bool Open(const char* path);
    // Opens the sub-folder `name` of `parent`; ELOOP for a link, ENOTDIR for
    // anything else that is not a folder.
    [[nodiscard]] bool OpenChild(const Folder& parent, const char* name);
    // Every entry except "." and "..", hidden ones included, sorted by name in
    // byte order so that the same tree is always listed the same way. False,
    // errno set, when the folder cannot be read.
    [[nodiscard]] bool List(std::vector<FolderEntry>& entries) const;
    // True when this folder is `other` or lies anywhere below it (also through
    // a second mount of it).
    bool IsWithin(const Folder& other) const;
    // An exclusive lock on the folder, held until it is closed. Without
    // `wait`, false at once when another holder has it.
    [[nodiscard]] bool Lock(bool wait) const;
    // True when the calling user owns the folder.
    bool OwnedByCaller() const;
    // True when `path` (a final link not followed) names this very folder.
    bool IsNamedBy(const char* path) const;
    // renameat and unlinkat of entries of this folder; 0 or the errno value.
    int Rename(const char* from, const char* to) const;
    int Remove(const char* name) const;
    int Descriptor() const { return descriptor; }

private:
    void Close();
    int descriptor = -1;
};

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

// True when `path` names a folder (links followed).
bool FolderExists(const char* path);

// What `path` names, without following a final link; false when nothing.
bool KindOfPath(const char* path, EntryKind& kind);

// The absolute path with every link resolved; empty, errno set, on failure.
std::string ResolvedPath(const char* path);

// Full path of the running executable; empty if it cannot be found.
std::string ExecutablePath();

// 0 on success, else the errno value.
int ChangeDirectory(const char* path);
std::string CurrentDirectory();

// The user's temporary folder: "tmp", else TMPDIR, else /tmp.
std::string TemporaryFolder();

} // namespace platform
