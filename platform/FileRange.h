// A run of bytes in a file: a folder's file as a whole, or a file that a
// package holds inside the magazine's file.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// The `size` bytes at `offset` of the file `path`.
struct FileRange {
    std::string path;
    uint64_t offset = 0;
    uint64_t size = 0;
};

// The range's bytes; false when they cannot all be read or are more than
// `maxBytes`.
bool ReadFileRange(const FileRange& file, std::string& bytes, uint64_t maxBytes);

} // namespace platform
