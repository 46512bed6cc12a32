// Probes and extracts arbitrary bytes as a package into a fresh folder, and
// stops when anything appears outside that folder, or when surveying the
// package without writing judges it otherwise than the extraction.
#include "package/PackageReader.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

// Kept in plain memory, so that it is still there when the folder is
// removed at exit.
char baseFolder[4096];

void RemoveBase() {
    std::error_code ignored;
    fs::remove_all(baseFolder, ignored);
}

const std::string& Base() {
    static const std::string base = [] {
        std::string pattern = (fs::temp_directory_path() / "kest-fuzz-XXXXXX").string();
        if (pattern.size() >= sizeof baseFolder || mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        std::memcpy(baseFolder, pattern.c_str(), pattern.size() + 1);
        std::atexit(RemoveBase);
        return pattern;
    }();
    return base;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string package = Base() + "/package";
    const std::string target = Base() + "/target";
    if (FILE* file = std::fopen(package.c_str(), "wb")) {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
    package::PackageReader reader;
    (void)reader.Probe(package);
    const int surveyed = reader.Survey(target, package, 0, [](const auto&) {});
    const int extracted = reader.Extract(target, package, package::ExtractMakeRoot);
    if (surveyed != extracted) {
        std::fprintf(stderr, "survey %d, extraction %d\n", surveyed, extracted);
        std::abort();
    }
    for (const auto& item : fs::directory_iterator(Base())) {
        const std::string name = item.path().filename().string();
        if (name != "package" && name != "target") {
            std::fprintf(stderr, "extraction wrote outside its folder: %s\n", name.c_str());
            std::abort();
        }
    }
    std::error_code ignored;
    fs::remove_all(target, ignored);
    return 0;
}
