#include "app/PackerMode.h"

#include "app/NextOption.h"
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

int RunPackerMode(std::string_view commandLine, const std::string& executablePath,
                  const ShowMessage& showMessage) {
    std::string outputPath;
    std::string sourceFolder;
    std::string argument;
    bool debug = false;
    const int length = static_cast<int>(commandLine.size());
    for (int position = 0; position >= 0 && position < length;) {
        char letter = '\0';
        position = NextOption(commandLine, position, letter, argument);
        switch (letter) {
        case 'b': debug = true; break;
        case 'o': outputPath = argument; break;
        case 'p': sourceFolder = argument; break;
        default: break;
        }
    }
    if (outputPath.empty() || sourceFolder.empty()) {
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }
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
