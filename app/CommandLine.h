// What the process's arguments ask for. Packing keeps its options (-o, -p,
// -b) exactly; the other forms are words that packing never took.
#pragma once

#include "app/PackerOptions.h"

#include <string>
#include <vector>

namespace app {

enum class Action { View, Open, Preview, Pack, List, Extract, Help, Version, Usage };

struct CommandLine {
    Action action = Action::Usage;
    std::string magazine; // Open, Preview (a magazine folder), List, Extract
    std::string folder;   // Extract
    PackerOptions pack;   // Pack
};

// `arguments` leaves out the program's name. A lone argument that names a
// folder asks for its preview; any other, for the magazine file it names.
CommandLine ReadCommandLine(const std::vector<std::string>& arguments);

// The usage of every form, one per line.
extern const char kUsageText[];

// The version, and where the licences of the movie player inside are: the
// documentation folder of the installation `executablePath` lies in, else
// the one the build was configured for.
std::string VersionText(const std::string& executablePath);

} // namespace app
