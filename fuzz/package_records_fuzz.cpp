// Reads arbitrary bytes as a package in memory (no file is written, so it
// runs fast enough for long campaigns) and walks its directory with the
// checks extraction makes; stops when an entry that passed them could reach
// outside the folder it is extracted into.
#include "package/PackageReader.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void Fail(const std::string& what, const std::string& path) {
    std::fprintf(stderr, "package_records_fuzz: %s: %s\n", what.c_str(), path.c_str());
    std::abort();
}

void Check(const package::PackageReader::ListedEntry& entry) {
    const std::string& path = entry.path;
    if (path.empty() || path.front() == '/' || path.back() == '/' || path.find("//") != std::string::npos) {
        Fail("an empty name", path);
    }
    const std::string framed = "/" + path + "/";
    if (framed.find("/../") != std::string::npos || framed.find("/./") != std::string::npos ||
        path.find('\\') != std::string::npos) {
        Fail("a name that leaves its folder", path);
    }
    if (entry.size < 0 || (entry.isFolder && entry.size != 0)) {
        Fail("a size that is not a file's", path);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    platform::FileStream stream;
    if (!stream.OpenMemory(data, size)) {
        return 0;
    }
    package::PackageReader reader;
    (void)reader.List(std::move(stream), Check);
    return 0;
}
