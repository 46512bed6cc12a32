#include "platform/MessageBox.h"

#include <cstdio>

namespace platform {

int MessageBox(const char* text, const char* caption) {
    std::fprintf(stderr, "%s: %s\n", caption, text);
    return kIdOk;
}

} // namespace platform
