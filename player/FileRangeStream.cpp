#include "player/FileRangeStream.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace player {

namespace {

struct FileRange {
    GInputStream parent;
    int descriptor;
    uint64_t offset;
    uint64_t left;
};

struct FileRangeClass {
    GInputStreamClass parent;
};

G_DEFINE_TYPE(FileRange, file_range, G_TYPE_INPUT_STREAM)

// Reads run on the engine's worker threads; pread keeps no shared position.
gssize ReadRange(GInputStream* stream, void* buffer, gsize count, GCancellable*, GError** error) {
    auto* self = reinterpret_cast<FileRange*>(stream);
    const auto want = static_cast<size_t>(std::min<uint64_t>(count, self->left));
    if (want == 0) {
        return 0;
    }
    ssize_t read;
    do {
        read = pread(self->descriptor, buffer, want, static_cast<off_t>(self->offset));
    } while (read < 0 && errno == EINTR);
    if (read < 0) {
        g_set_error_literal(error, G_IO_ERROR, g_io_error_from_errno(errno), g_strerror(errno));
        return -1;
    }
    self->offset += static_cast<uint64_t>(read);
    // A file cut meanwhile ends the stream early.
    self->left = read == 0 ? 0 : self->left - static_cast<uint64_t>(read);
    return read;
}

gboolean CloseRange(GInputStream* stream, GCancellable*, GError**) {
    auto* self = reinterpret_cast<FileRange*>(stream);
    if (self->descriptor >= 0) {
        close(self->descriptor);
        self->descriptor = -1;
    }
    return TRUE;
}

void FinalizeRange(GObject* object) {
    CloseRange(G_INPUT_STREAM(object), nullptr, nullptr);
    G_OBJECT_CLASS(file_range_parent_class)->finalize(object);
}

void file_range_class_init(FileRangeClass* type) {
    G_INPUT_STREAM_CLASS(type)->read_fn = ReadRange;
    G_INPUT_STREAM_CLASS(type)->close_fn = CloseRange;
    G_OBJECT_CLASS(type)->finalize = FinalizeRange;
}

void file_range_init(FileRange* self) {
    self->descriptor = -1;
}

} // namespace

GInputStream* OpenFileRange(const std::string& path, uint64_t offset, uint64_t size) {
    // Never waits on a FIFO put in the file's place.
    const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0) {
        return nullptr;
    }
    auto* stream = static_cast<FileRange*>(g_object_new(file_range_get_type(), nullptr));
    stream->descriptor = descriptor;
    stream->offset = offset;
    stream->left = size;
    return G_INPUT_STREAM(stream);
}

} // namespace player
