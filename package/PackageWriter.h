// Writes a package: optionally a copy of the running executable, then the
// header, the bytes of every file below a folder, the directory and the
// trailer.
#pragma once

#include "package/PackageFormat.h"
#include "platform/FileSystem.h"

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace package {

inline constexpr int PackCopySelf = 1;
inline constexpr int PackDebugLog = 8;
// Both paths are used exactly as given: no quotation mark is removed.
inline constexpr int PackExactPaths = 16;

// Why something could not be packed: the path concerned and a short reason.
struct PackProblem {
    std::string path;
    std::string reason;
};

class PackageWriter {
public:
    explicit PackageWriter(std::string ownExecutablePath);

    // Packs every file and folder below `sourceFolder` into `outputPath`.
    // Quotation marks are removed from both paths, unless PackExactPaths. Only regular files and
    // folders are packed, and no link below the source folder is followed:
    // anything else, and anything that cannot be read, is listed in
    // Problems() and fails the pack. 0 on success, else a PkgErr code.
    // The package is written to a new file beside the output that replaces it
    // only when whole, so a failed pack leaves no output and an existing file
    // as it was (an output that is not a regular file, a device or a pipe, is
    // written in place). An output inside the source folder is refused.
    // A debug log that cannot be written is listed in Problems() but does not
    // fail the pack.
    [[nodiscard]] int Pack(const std::string& sourceFolder, const std::string& outputPath,
                           int flags);

    // The records written, in directory order. A deque, so that the directory
    // never needs twice its size while it grows.
    const std::deque<PackageEntry>& Records() const { return records; }
    // Every problem met by the last Pack.
    const std::vector<PackProblem>& Problems() const { return problems; }

    // Told the bytes written so far (the program's own copy included) while
    // Pack runs.
    void SetProgress(std::function<void(uint64_t done)> report) { progress = std::move(report); }

private:
    int OpenOutput(const platform::Folder& source);
    // Closes the output and, when it was written beside its place, puts it
    // there on success or removes it on failure. The final result.
    int FinishOutput(int result);
    int AddFolder(const platform::Folder& folder, const std::string& folderPath);
    int PackFile(const platform::Folder& folder, const char* name, const std::string& path);
    int PackFolder(const platform::Folder& parent, const char* name, const std::string& path);
    // Number of bytes appended, or PkgErrSource, PkgErrWrite, PkgErrTooLarge.
    int AppendFile(platform::FileStream& source, const std::string& path);
    int CopySelf();
    // Everything after the output is open: prefix, header, files, directory.
    int WritePackage(const platform::Folder& source, const std::string& sourcePath, int flags);
    int WriteDirectoryAndTrailer();
    void WriteDebugLog();
    int Fail(int code, const std::string& path, const std::string& reason);

    std::string ownPath;
    std::string outputName;
    // Where the output ends up, links resolved: its folder and name there.
    std::string finalPath;
    platform::Folder outputFolder;
    std::string finalName;
    // Written in place, or beside its place until whole; there it has a name
    // only where the file system cannot make a file without one, or for the
    // moment before the rename.
    bool inPlace = false;
    std::string temporaryName;
    platform::FileStream output;
    std::unique_ptr<char[]> transfer;
    int32_t transferSize = PkgTransferSize;
    PackageTrailer trailer{};
    PackageHeader header{};
    std::deque<PackageEntry> records;
    std::vector<PackProblem> problems;
    // The first fatal error met inside the walk (a failed write, an output
    // that would pass the 32-bit offsets); it ends the walk.
    int walkError = PkgOk;
    std::function<void(uint64_t)> progress;
};

} // namespace package
