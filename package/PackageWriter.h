// Writes a package: optionally a copy of the running executable, then the
// header, the bytes of every file below a folder, the directory and the
// trailer.
#pragma once

#include "package/PackageFormat.h"
#include "platform/FileSystem.h"

#include <deque>
#include <memory>
#include <string>
#include <vector>

inline constexpr int PackCopySelf = 1;
inline constexpr int PackDebugLog = 8;

// Why something could not be packed: the path concerned and a short reason.
struct PackProblem {
    std::string path;
    std::string reason;
};

class PackageWriter {
public:
    explicit PackageWriter(std::string ownExecutablePath);

    // Packs every file and folder below `sourceFolder` into `outputPath`.
    // Quotation marks are removed from both paths. 0 on success, else a
    // PkgErr code; a source file that cannot be read does not fail the pack
    // but is listed in Problems().
    [[nodiscard]] int Pack(const std::string& sourceFolder, const std::string& outputPath,
                           int flags);

    // The records written, in directory order. A deque, so that the directory
    // never needs twice its size while it grows.
    const std::deque<PackageEntry>& Records() const { return records; }
    // Every problem met by the last Pack: files that could not be read, and
    // what made Pack fail.
    const std::vector<PackProblem>& Problems() const { return problems; }

private:
    int AddFolder(const std::string& folderPath);
    // Number of bytes appended, or PkgErrSource, PkgErrWrite, PkgErrTooLarge.
    int AppendFile(const std::string& path);
    int CopySelf();
    // Everything after the output is open: prefix, header, files, directory.
    int WritePackage(const std::string& sourceFolder, int flags);
    int WriteDirectoryAndTrailer();
    void WriteDebugLog() const;
    int Fail(int code, const std::string& path, const std::string& reason);

    std::string ownPath;
    std::string outputName;
    platform::FileStream output;
    uint64_t outputDevice = 0;
    uint64_t outputInode = 0;
    std::unique_ptr<char[]> transfer;
    int32_t transferSize = PkgTransferSize;
    PackageTrailer trailer{};
    PackageHeader header{};
    std::deque<PackageEntry> records;
    std::vector<PackProblem> problems;
    // The first fatal error met inside the walk (a failed write, an output
    // that would pass the 32-bit offsets); it ends the walk.
    int walkError = PkgOk;
};
