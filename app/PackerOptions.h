// Packer mode's options, read from the process's arguments one by one: an
// argument is never split at blanks nor joined with its neighbour.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace app {

struct PackerOptions {
    std::string outputPath;
    std::string sourceFolder;
    bool debug = false;
    bool quiet = false; // no warnings about the folder's magazine
};

// `arguments` leaves out the program's name. "-o PATH" and "-oPATH" (and the
// same for -p) take PATH exactly as given, less quotation marks that wrap it
// as a whole; a following argument that starts with '-' is the next option,
// not a value. -b and -q take no value. Other option letters are ignored, with a
// value if one follows, as magazines' build scripts may pass them. Nothing
// when a word is no option's value, or -o or -p is missing or empty.
std::optional<PackerOptions> ReadPackerOptions(const std::vector<std::string>& arguments);

} // namespace app
