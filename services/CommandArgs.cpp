#include "services/CommandArgs.h"

#include <cstring>

namespace services {

size_t CutFields(char* args, char** fields, size_t count) {
    size_t found = 0;
    char* at = args;
    while (found < count && at != nullptr) {
        while (*at == '|') {
            ++at;
        }
        if (*at == '\0') {
            break;
        }
        fields[found++] = at;
        at = std::strchr(at, '|');
        if (at != nullptr && found < count) {
            *at++ = '\0';
        }
    }
    // The last field used ends at the next separator, whatever follows it.
    if (at != nullptr && found == count) {
        *at = '\0';
    }
    for (size_t i = found; i < count; ++i) {
        fields[i] = nullptr;
    }
    return found;
}

const char* SetReply(ReplyBuffer& reply, const char* text) {
    const size_t length = strnlen(text, kReplyBufferSize - 1);
    std::memcpy(reply, text, length);
    reply[length] = '\0';
    return reply;
}

} // namespace services
