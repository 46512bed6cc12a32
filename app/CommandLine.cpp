#include "app/CommandLine.h"

#include <algorithm>
#include <filesystem>

namespace app {

const char kUsageText[] =
    "usage: kest -o MAGAZINE -p FOLDER [-b] [-q]\n"
    "         write MAGAZINE: this program followed by a package of FOLDER\n"
    "         -b  show both paths and append the packed entries to debug.log\n"
    "         -q  no warnings about a magazine that would not open\n"
    "       kest MAGAZINE\n"
    "         read a magazine file with this program\n"
    "       kest FOLDER\n"
    "         preview a magazine folder as it would open when packed\n"
    "       kest -l MAGAZINE\n"
    "         list the files and folders a magazine file holds\n"
    "       kest -x MAGAZINE -d FOLDER\n"
    "         extract them into FOLDER (made, or empty)\n"
    "       kest --help | --version\n"
    "run a magazine file without arguments to read it\n";

std::string VersionText(const std::string& executablePath) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path besideProgram = fs::path(executablePath).parent_path().parent_path() / "share/doc/kest";
    const std::string docFolder =
        fs::exists(besideProgram / "copyright", error) ? besideProgram.string() : KEST_DOC_DIR;
    return "kest " KEST_VERSION "\n"
           "The movie player built into kest is Ruffle " KEST_RUFFLE_VERSION
           ", under the MIT and Apache-2.0\nlicences: " +
           docFolder + "/copyright and " + docFolder + "/ruffle/.\n";
}

CommandLine ReadCommandLine(const std::vector<std::string>& arguments) {
    CommandLine command;
    const bool packing = std::any_of(arguments.begin(), arguments.end(), [](const std::string& argument) {
        return argument.starts_with("-o") || argument.starts_with("-p");
    });
    if (arguments.empty()) {
        command.action = Action::View;
    } else if (packing) {
        if (const auto options = ReadPackerOptions(arguments)) {
            command.action = Action::Pack;
            command.pack = *options;
        }
    } else if (arguments.size() == 1 && arguments[0] == "--help") {
        command.action = Action::Help;
    } else if (arguments.size() == 1 && arguments[0] == "--version") {
        command.action = Action::Version;
    } else if (arguments.size() == 2 && arguments[0] == "-l") {
        command.action = Action::List;
        command.magazine = arguments[1];
    } else if (arguments.size() == 4 && arguments[0] == "-x" && arguments[2] == "-d") {
        command.action = Action::Extract;
        command.magazine = arguments[1];
        command.folder = arguments[3];
    } else if (arguments.size() == 1 && !arguments[0].empty() && !arguments[0].starts_with('-')) {
        std::error_code error;
        command.action =
            std::filesystem::is_directory(arguments[0], error) ? Action::Preview : Action::Open;
        command.magazine = arguments[0];
    }
    return command;
}

} // namespace app
