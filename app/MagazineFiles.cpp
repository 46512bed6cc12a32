#include "app/MagazineFiles.h"

#include "app/PackageErrors.h"
#include "app/ProgressLine.h"
#include "package/PackagePaths.h"
#include "package/PackageReader.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <vector>

namespace app {

namespace {

constexpr int kExitFailure = 1;

int Failure(const std::string& path, const std::string& reason) {
    std::fprintf(stderr, "kest: %s: %s\n", path.c_str(), reason.c_str());
    return kExitFailure;
}

// The entries of `folder`; false when it is no folder that can be read.
bool ListEntries(const std::string& folder, std::vector<platform::FolderEntry>& entries) {
    platform::Folder open;
    return open.Open(folder.c_str()) && open.List(entries);
}

// Removes what an extraction wrote below `folder`, and the folder itself
// when it was made for the extraction.
void RemoveExtracted(const std::string& folder, bool folderWasMade) {
    if (folderWasMade) {
        (void)platform::RemoveTree(folder.c_str());
        return;
    }
    std::vector<platform::FolderEntry> entries;
    (void)ListEntries(folder, entries);
    for (const platform::FolderEntry& entry : entries) {
        (void)platform::RemoveTree(package::JoinPath(folder, entry.name).c_str());
    }
}

// 0 when the file holds a package, else the exit status after saying why.
int CheckIsMagazine(package::PackageReader& reader, const std::string& magazinePath) {
    const int probe = reader.Probe(magazinePath);
    if (probe == package::PkgOk) {
        return 0;
    }
    return Failure(magazinePath, ProbeFailure(probe));
}

} // namespace

int ListMagazine(const std::string& magazinePath) {
    package::PackageReader reader;
    if (const int status = CheckIsMagazine(reader, magazinePath); status != 0) {
        return status;
    }
    int64_t bytes = 0;
    int files = 0;
    int folders = 0;
    const int result = reader.List(magazinePath, [&](const package::PackageReader::ListedEntry& entry) {
        const std::string name = platform::PrintableText(entry.path);
        if (entry.isFolder) {
            std::printf("%12s  %s/\n", "", name.c_str());
            ++folders;
        } else {
            std::printf("%12" PRId64 "  %s\n", entry.size, name.c_str());
            bytes += entry.size;
            ++files;
        }
    });
    if (result != package::PkgOk) {
        std::fflush(stdout);
        return Failure(magazinePath, ExtractionFailure(result));
    }
    std::printf("%12" PRId64 "  in %d files and %d folders\n", bytes, files, folders);
    return 0;
}

int ExtractMagazine(const std::string& magazinePath, const std::string& folder) {
    package::PackageReader reader;
    if (const int status = CheckIsMagazine(reader, magazinePath); status != 0) {
        return status;
    }
    const int made = platform::MakeFolder(folder.c_str());
    if (made != 0 && made != EEXIST) {
        return Failure(folder, std::string("cannot make the folder: ") + std::strerror(made));
    }
    std::vector<platform::FolderEntry> entries;
    if (made == EEXIST && (!ListEntries(folder, entries) || !entries.empty())) {
        return Failure(folder, "exists and is not an empty folder");
    }
    int64_t total = 0;
    if (ProgressLine::Wanted()) {
        (void)reader.List(magazinePath, [&total](const package::PackageReader::ListedEntry& entry) { total += entry.size; });
    }
    int result = package::PkgOk;
    {
        ProgressLine progress("extracting", static_cast<uint64_t>(total));
        reader.SetProgress([&progress](uint64_t done) { progress.Update(done); });
        result = reader.Extract(folder, magazinePath, package::ExtractExactPaths);
    }
    if (result != package::PkgOk) {
        RemoveExtracted(folder, made == 0);
        return Failure(magazinePath, ExtractionFailure(result));
    }
    return 0;
}

} // namespace app
