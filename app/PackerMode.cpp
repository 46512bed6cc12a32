#include "app/PackerMode.h"

#include "app/MagazineCheck.h"
#include "app/ProgressLine.h"
#include "package/PackageWriter.h"

#include <cstdio>
#include <filesystem>

namespace app {

namespace {

constexpr int kExitFailure = 1;

// About how many bytes a pack writes: the program and the folder's files.
uint64_t PackedSize(const std::string& executablePath, const std::string& sourceFolder) {
    namespace fs = std::filesystem;
    std::error_code error;
    uint64_t size = fs::file_size(executablePath, error);
    for (fs::recursive_directory_iterator it(sourceFolder, fs::directory_options::skip_permission_denied, error), end;
         !error && it != end; it.increment(error)) {
        if (it->is_regular_file(error) && !it->is_symlink(error)) {
            size += it->file_size(error);
        }
    }
    return error ? 0 : size;
}

} // namespace

int RunPackerMode(const PackerOptions& options, const std::string& executablePath,
                  const ShowMessage& showMessage) {
    const std::string& outputPath = options.outputPath;
    const std::string& sourceFolder = options.sourceFolder;
    const bool debug = options.debug;
    if (debug) {
        showMessage(outputPath, sourceFolder);
    }
    package::PackageWriter writer(executablePath);
    ProgressLine progress("packing", ProgressLine::Wanted() ? PackedSize(executablePath, sourceFolder) : 0);
    writer.SetProgress([&progress](uint64_t done) { progress.Update(done); });
    // The arguments are the paths: quotation marks in them belong to the names.
    const int flags = package::PackCopySelf | package::PackExactPaths | (debug ? package::PackDebugLog : 0);
    const int result = writer.Pack(sourceFolder, outputPath, flags);
    if (debug) {
        showMessage(sourceFolder, outputPath);
    }
    for (const package::PackProblem& problem : writer.Problems()) {
        std::fprintf(stderr, "kest: %s: %s\n", problem.path.c_str(), problem.reason.c_str());
    }
    if (result != package::PkgOk || !writer.Problems().empty()) {
        return kExitFailure;
    }
    if (!options.quiet) {
        WarnAboutMagazineFolder(sourceFolder);
    }
    return 0;
}

} // namespace app
