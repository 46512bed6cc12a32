// The movie's "readreg" and "writereg" commands. The argument text is cut in
// place; the reply is written into `reply` and returned.
#pragma once

#include "services/CommandArgs.h"

namespace services {

inline constexpr const char* kReplyRegReadFail = "regreadfail";
inline constexpr const char* kReplyRegWriteSuccess = "regwritesuccess";
inline constexpr const char* kReplyRegWriteFail = "regwritefail";

// The longest data text a movie may store: far more than a read returns (99
// bytes), and small enough that a few writes cannot swell the registry.
inline constexpr size_t kMaxValueBytes = 64 << 10;

// args: root name | key path | value name. Replies with the value's data up to
// its first zero byte, or "regreadfail".
const char* ReadRegistryValue(char* args, ReplyBuffer& reply);

// args: root name | key path | value name | data text. Stores the text as a
// string value unless the value already reads as that text. Replies
// "regwritesuccess", or "regwritefail" (for a text over kMaxValueBytes, and a
// key path of over 512 keys or with a name over 255 bytes, too).
const char* WriteRegistryValue(char* args, ReplyBuffer& reply);

} // namespace services
