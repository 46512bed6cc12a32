// Packer mode: reads -o, -p and -b from the process's arguments and writes
// the magazine file. It shows no window; the two messages of -b go through
// `showMessage`.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace app {

using ShowMessage = std::function<void(const std::string& text, const std::string& caption)>;

// Returns the process's exit status: 0 packed, 1 failed (each problem on
// standard error), 2 usage.
int RunPackerMode(const std::vector<std::string>& arguments, const std::string& executablePath,
                  const ShowMessage& showMessage);

} // namespace app
