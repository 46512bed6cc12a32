// Finds the package at the end of a file and writes its files and folders
// out below a target folder.
#pragma once

#include "package/PackageFormat.h"
#include "platform/FileSystem.h"

#include <memory>
#include <string>
#include <vector>

inline constexpr int ExtractMakeRoot = 4;
inline constexpr int ExtractTrace = 8;

class PackageReader {
public:
    // 0 when the file ends with a package, else PkgErrOpen, PkgErrRead or
    // PkgErrFormat.
    [[nodiscard]] int Probe(const std::string& path);

    // Extracts the package of `packagePath` below `targetFolder`. 0, or the
    // first error that ended the extraction; PkgErrRead when a file's bytes
    // lie outside the package's data (the bytes that exist are written).
    [[nodiscard]] int Extract(const std::string& targetFolder, const std::string& packagePath,
                              int flags);

    // Makes the folder and its missing parents; 0 when it exists afterwards.
    [[nodiscard]] static int MakeFolderPath(const std::string& path);

private:
    int CheckTrailer();
    int CheckHeader();
    int ReadDirectory();
    void TraceDirectory() const;
    int ExtractFolder(const std::string& basePath, size_t& cursor, int32_t count);
    int ExtractFile(const std::string& basePath, size_t cursor);

    PackageTrailer trailer{};
    PackageHeader header{};
    std::unique_ptr<char[]> transfer;
    int32_t transferSize = PkgTransferSize;
    platform::FileStream package;
    std::vector<PackageEntry> records;
    // Where file data may lie: after the header, before the directory.
    uint64_t dataBegin = 0;
    uint64_t dataEnd = 0;
    // Set when a file's recorded bytes were not all there.
    bool dataMissing = false;
};
