// Writes a package's files into the Workspace on a thread of its own, while
// the magazine is already read straight from its package. Each file appears
// whole under its name or not at all, and one that is there already (a
// movie's copy, made meanwhile) is kept. What the disk does not take is said
// on standard error, and the rest is still tried: the package serves it.
#pragma once

#include "package/PackageIndex.h"
#include "platform/FileSystem.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace package {

class WorkspaceFiller {
public:
    WorkspaceFiller(std::string packagePath, std::string folder);
    ~WorkspaceFiller() { Stop(); }
    WorkspaceFiller(const WorkspaceFiller&) = delete;
    WorkspaceFiller& operator=(const WorkspaceFiller&) = delete;

    // Makes the index's folders below the folder at once (there are few, and
    // a movie's copy may need them); their files follow with Fill.
    void MakeFolders(const PackageIndex& index);
    // Writes the files, in the calling thread; how many were not written.
    size_t Fill(const std::vector<PackageIndex::File>& files);
    // Fill on a thread of its own.
    void Start(std::vector<PackageIndex::File> files);
    // Ends the work within one piece of a file and waits for it: nothing
    // half-written is left under a name. Does nothing when nothing runs.
    void Stop();

private:
    // Writes one file; the reason when it was not written.
    std::string Write(platform::FileStream& package, const PackageIndex::File& file);
    void Report(const std::string& path, const std::string& reason);

    std::string packagePath;
    std::string folder;
    std::atomic<bool> stopping{false};
    std::thread worker;
    size_t failures = 0;
    uint64_t bytesNotWritten = 0;
};

} // namespace package
