// A stream of the `size` bytes at `offset` of a file: how a content file too
// large to hold in memory is handed to the web view, whether it lies in the
// content folder or inside the package.
#pragma once

#include <gio/gio.h>

#include <cstdint>
#include <string>

namespace player {

// A new stream (its reference is the caller's), or nullptr when the file
// cannot be opened.
GInputStream* OpenFileRange(const std::string& path, uint64_t offset, uint64_t size);

} // namespace player
