#include "app/PackerMode.h"

#include "app/PackerOptions.h"
#include "package/PackageWriter.h"

#include <cstdio>

namespace app {

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

constexpr char kUsage[] =
    "usage: kest -o MAGAZINE -p FOLDER [-b]\n"
    "  writes MAGAZINE: this program followed by a package of FOLDER\n"
    "  -b  show both paths and append the packed entries to debug.log\n"
    "run a magazine file without arguments to read it\n";

} // namespace

int RunPackerMode(const std::vector<std::string>& arguments, const std::string& executablePath,
                  const ShowMessage& showMessage) {
    const auto options = ReadPackerOptions(arguments);
    if (!options) {
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }
    const std::string& outputPath = options->outputPath;
    const std::string& sourceFolder = options->sourceFolder;
    const bool debug = options->debug;
    if (debug) {
        showMessage(outputPath, sourceFolder);
    }
    PackageWriter writer(executablePath);
    const int result = writer.Pack(sourceFolder, outputPath, debug ? PackCopySelf | PackDebugLog : PackCopySelf);
    if (debug) {
        showMessage(sourceFolder, outputPath);
    }
    for (const PackProblem& problem : writer.Problems()) {
        std::fprintf(stderr, "kest: %s: %s\n", problem.path.c_str(), problem.reason.c_str());
    }
    return result == PkgOk && writer.Problems().empty() ? 0 : kExitFailure;
}

} // namespace app
