// The process's arguments as the one command-line text that packer mode reads.
#pragma once

#include <string>

namespace app {

// The arguments joined by blanks, each one that holds a blank (or is empty)
// between quotation marks, which the packer removes again.
std::string JoinArguments(int argc, char** argv);

} // namespace app
