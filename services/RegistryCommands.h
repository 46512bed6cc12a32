// The movie's "readreg" and "writereg" commands. The argument text is cut in
// place; the reply is written into `reply` and returned.
#pragma once

#include "services/CommandArgs.h"

namespace services {

inline constexpr const char* kReplyRegReadFail = "regreadfail";
inline constexpr const char* kReplyRegWriteSuccess = "regwritesuccess";
inline constexpr const char* kReplyRegWriteFail = "regwritefail";

// args: root name | key path | value name. Replies with the value's data up to
// its first zero byte, or "regreadfail".
const char* ReadRegistryValue(char* args, ReplyBuffer& reply);

// args: root name | key path | value name | data text. Stores the text as a
// string value unless the value already reads as that text. Replies
// "regwritesuccess" or "regwritefail".
const char* WriteRegistryValue(char* args, ReplyBuffer& reply);

} // namespace services
