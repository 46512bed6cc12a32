// Packer mode: writes the magazine file, and warns about what would keep it
// from opening. It shows no window; the two messages of -b go through
// `showMessage`.
#pragma once

#include "app/PackerOptions.h"

#include <functional>
#include <string>

namespace app {

using ShowMessage = std::function<void(const std::string& text, const std::string& caption)>;

// Returns the process's exit status: 0 packed, 1 failed (each problem on
// standard error).
int RunPackerMode(const PackerOptions& options, const std::string& executablePath,
                  const ShowMessage& showMessage);

} // namespace app
