#include "app/PackerMode.h"

#include "app/MagazineCheck.h"
#include "package/PackageWriter.h"

#include <cstdio>

namespace app {

namespace {

constexpr int kExitFailure = 1;

} // namespace

int RunPackerMode(const PackerOptions& options, const std::string& executablePath,
                  const ShowMessage& showMessage) {
    const std::string& outputPath = options.outputPath;
    const std::string& sourceFolder = options.sourceFolder;
    const bool debug = options.debug;
    if (debug) {
        showMessage(outputPath, sourceFolder);
    }
    PackageWriter writer(executablePath);
    // The arguments are the paths: quotation marks in them belong to the names.
    const int flags = PackCopySelf | PackExactPaths | (debug ? PackDebugLog : 0);
    const int result = writer.Pack(sourceFolder, outputPath, flags);
    if (debug) {
        showMessage(sourceFolder, outputPath);
    }
    for (const PackProblem& problem : writer.Problems()) {
        std::fprintf(stderr, "kest: %s: %s\n", problem.path.c_str(), problem.reason.c_str());
    }
    if (result != PkgOk || !writer.Problems().empty()) {
        return kExitFailure;
    }
    if (!options.quiet) {
        for (const std::string& problem : CheckMagazineFolder(sourceFolder)) {
            std::fprintf(stderr, "kest: warning: %s: %s\n", sourceFolder.c_str(), problem.c_str());
        }
    }
    return 0;
}

} // namespace app
