#include "app/NextOption.h"
#include "app/ViewerApp.h"
#include "package/PackageWriter.h"
#include "ui/gtk/MessageBox.h"

#include <cstdio>

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

constexpr char kUsage[] =
    "usage: kest -o MAGAZINE -p FOLDER [-b]\n"
    "  writes MAGAZINE: this program followed by a package of FOLDER\n"
    "  -b  show both paths and append the packed entries to debug.log\n"
    "run a magazine file without arguments to read it\n";

} // namespace

void ViewerApp::RunPackerMode() {
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
        exitStatus = kExitUsage;
        return;
    }
    if (debug) {
        ui::MessageBox(outputPath.c_str(), sourceFolder.c_str());
    }
    PackageWriter writer(executablePath);
    const int result = writer.Pack(sourceFolder, outputPath, debug ? PackCopySelf | PackDebugLog : PackCopySelf);
    if (debug) {
        ui::MessageBox(sourceFolder.c_str(), outputPath.c_str());
    }
    for (const PackProblem& problem : writer.Problems()) {
        std::fprintf(stderr, "kest: %s: %s\n", problem.path.c_str(), problem.reason.c_str());
    }
    if (result != PkgOk || !writer.Problems().empty()) {
        exitStatus = kExitFailure;
    }
}
