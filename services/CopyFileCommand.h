// The movie's "CopyFile" command.
#pragma once

#include "services/CommandArgs.h"

namespace services {

inline constexpr const char* kReplyCopySuccess = "copyfilesuccess";
inline constexpr const char* kReplyCopyFail = "copyfilefail";

// args: source path | destination path, with '\' or '/' between names, in the
// host's encoding; a source found only under its name in code page 936 (as a
// magazine of the original platform has it) is found too.
// Copies the file byte for byte and replies "copyfilesuccess" only when every
// byte reached the destination; otherwise "copyfilefail". A destination that
// is the source file itself is refused before anything is written.
const char* CopyOneFile(char* args, ReplyBuffer& reply);

} // namespace services
