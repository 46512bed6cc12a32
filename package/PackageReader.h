// Finds the package at the end of a file and writes its files and folders
// out below a target folder.
#pragma once

#include "package/PackageFormat.h"
#include "platform/FileSystem.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace package {

inline constexpr int ExtractMakeRoot = 4;
inline constexpr int ExtractTrace = 8;
// Both paths are used exactly as given: no quotation mark is removed.
inline constexpr int ExtractExactPaths = 16;

class PackageReader {
public:
    // 0 when the file ends with a package, else PkgErrOpen, PkgErrRead or
    // PkgErrFormat.
    [[nodiscard]] int Probe(const std::string& path);

    // Extracts the package of `packagePath` below `targetFolder` (quotation
    // marks removed from both, unless ExtractExactPaths). 0, or the
    // first failure: PkgErrRead when a file's bytes lie outside the package's
    // data (the bytes that exist are written and extraction goes on); any
    // other failure (a name or path that cannot be made, a broken directory,
    // a full disk, more bytes to write than the package holds) ends it.
    [[nodiscard]] int Extract(const std::string& targetFolder, const std::string& packagePath,
                              int flags);

    // One entry of a package as a listing shows it.
    struct ListedEntry {
        std::string path; // below the package's top, names joined by '/'
        bool isFolder;
        int64_t size;     // a file's bytes; 0 for a folder
    };

    // Hands every entry of the package of `packagePath` (taken exactly as
    // given) to `each`, in
    // package order, checked as extraction checks them. 0, or the first
    // failure.
    [[nodiscard]] int List(const std::string& packagePath,
                           const std::function<void(const ListedEntry&)>& each);
    // The same for a package already open in `stream` (a file, or bytes in
    // memory), which it closes.
    [[nodiscard]] int List(platform::FileStream stream, const std::function<void(const ListedEntry&)>& each);

    // One folder, or one file with the place of its bytes, as Survey finds it.
    struct SurveyedEntry {
        std::string path; // below the package's top, names joined by '/'
        bool isFolder;
        uint64_t offset;  // a file's first byte in the package
        uint64_t size;    // a file's bytes
    };

    // Checks the whole directory of the package of `packagePath` (taken
    // exactly as given) as extracting it below `targetFolder` would, without
    // writing anything, and hands `each` every folder and every file that
    // holds bytes, in package order. 0, or the failure extraction would have
    // met first, save those of the disk itself. ExtractTrace prints the
    // directory as Extract does.
    [[nodiscard]] int Survey(const std::string& targetFolder, const std::string& packagePath, int flags,
                             const std::function<void(const SurveyedEntry&)>& each);

    // Told the bytes written so far while Extract runs.
    void SetProgress(std::function<void(uint64_t done)> report) { progress = std::move(report); }
    // Asked before each entry, and each piece of a file, while Extract or
    // Survey runs: true ends it with PkgErrCancelled, so that a long
    // extraction or check can be given up at once.
    void SetCancel(std::function<bool()> cancelled) { cancel = std::move(cancelled); }

    // Makes the folder and its missing parents; 0 when a folder of that name
    // exists afterwards.
    [[nodiscard]] static int MakeFolderPath(const std::string& path);

private:
    // The parts of a record the extraction needs, without its 1 KiB name field.
    struct Entry {
        std::string name;
        int32_t type;
        int32_t size;
        uint32_t offset;
    };

    // Called for each entry with its path: the base path and the names of
    // the folders above it.
    using Visit = std::function<int(const std::string& path, const Entry& entry)>;

    // Opens the file `path` names (exactly) and reads its trailer, header and
    // directory.
    int OpenPackage(const std::string& path);
    // The same for the package already open.
    int ReadLayout();
    int CheckTrailer();
    int CheckHeader();
    int ReadDirectory();
    int ReadEntry(uint64_t index, Entry& entry);
    int TraceDirectory();
    int WalkFolder(const std::string& basePath, uint64_t& cursor, int32_t count, const Visit& visit);
    int ExtractFile(const std::string& path, const Entry& entry);
    // The bytes of the file `entry` that lie in the data; PkgErrFormat once
    // entries have claimed more than the package holds.
    int BytesToWrite(const Entry& entry, uint64_t& available);
    bool Cancelled() const { return cancel && cancel(); }

    PackageTrailer trailer{};
    PackageHeader header{};
    std::unique_ptr<char[]> transfer;
    int32_t transferSize = PkgTransferSize;
    platform::FileStream package;
    // The directory is read a record at a time, so nothing the file claims
    // decides how much memory is taken.
    uint64_t recordCount = 0;
    // Where the stream stands after the record read last, when nothing else
    // was read since.
    static constexpr uint64_t kUnknownPosition = UINT64_MAX;
    uint64_t recordEnd = kUnknownPosition;
    // Where file data may lie: after the header, before the directory.
    uint64_t dataBegin = 0;
    uint64_t dataEnd = 0;
    // What may still be written: an honest package never writes more than
    // its own size, however its entries point into the data.
    uint64_t writeBudget = 0;
    // Set when a file's recorded bytes were not all there.
    bool dataMissing = false;
    std::function<void(uint64_t)> progress;
    std::function<bool()> cancel;
    uint64_t bytesWritten = 0;
};

} // namespace package
