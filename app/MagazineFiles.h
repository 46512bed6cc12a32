// A magazine file's package without running it: list its entries, or
// extract them into a folder of the user's choice.
#pragma once

#include <string>

namespace app {

// One line per entry in package order (folders end in '/', files give their
// size), then a total, on standard output. Returns the exit status.
int ListMagazine(const std::string& magazinePath);

// Extracts into `folder`, which is made, or must be empty. On failure what
// was written is removed again. Returns the exit status.
int ExtractMagazine(const std::string& magazinePath, const std::string& folder);

} // namespace app
