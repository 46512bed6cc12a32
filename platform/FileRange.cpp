#include "platform/FileRange.h"

#include "platform/FileSystem.h"

namespace platform {

bool ReadFileRange(const FileRange& file, std::string& bytes, uint64_t maxBytes) {
    FileStream stream;
    if (file.size > maxBytes || !stream.Open(file.path.c_str(), "rb") ||
        !stream.Seek(static_cast<int64_t>(file.offset), SEEK_SET)) {
        return false;
    }
    bytes.resize(file.size);
    return stream.Read(bytes.data(), bytes.size()) == bytes.size();
}

} // namespace platform
