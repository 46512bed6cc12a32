// Packer mode: reads -o, -p and -b from the command line and writes the
// magazine file. It shows no window; the two messages of -b go through
// `showMessage`.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace app {

using ShowMessage = std::function<void(const std::string& text, const std::string& caption)>;

// Returns the process's exit status: 0 packed, 1 failed (each problem on
// standard error), 2 usage.
int RunPackerMode(std::string_view commandLine, const std::string& executablePath,
                  const ShowMessage& showMessage);

} // namespace app
