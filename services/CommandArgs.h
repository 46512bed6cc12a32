// What the movie's host commands share: the cutting of their argument text
// into fields, and the reply buffer they answer in.
#pragma once

#include <cstddef>

namespace services {

inline constexpr size_t kReplyBufferSize = 200;
using ReplyBuffer = char[kReplyBufferSize];

// Cuts `args` in place at '|' into at most `count` fields: separators become
// NUL, a run of '|' counts as one, and '|' at either end is skipped, so no field
// is empty. Fields beyond `count` are left alone. Unfilled entries of `fields`
// are null. Returns how many fields were found (at most `count`). A null
// `args` has no fields.
size_t CutFields(char* args, char** fields, size_t count);

// Copies `text` into `reply`, cut to fit, and returns `reply`.
const char* SetReply(ReplyBuffer& reply, const char* text);

} // namespace services
