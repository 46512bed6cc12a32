// The movie's "CopyFile" command.
#pragma once

#include "package/ContentFiles.h"
#include "services/CommandArgs.h"

#include <string>

namespace services {

inline constexpr const char* kReplyCopySuccess = "copyfilesuccess";
inline constexpr const char* kReplyCopyFail = "copyfilefail";

// args: source path | destination path, with '\' or '/' between names, in the
// host's encoding; relative paths count from the content folder. The source
// must be one of the magazine's own `files` (in the content folder or its
// package), by its exact name, under its name in code page 936 (as a magazine
// of the original platform has it), or as the original platform's names
// match. The destination goes where OpenDestination allows in the content
// folder.
// Copies the file byte for byte and replies "copyfilesuccess" only when every
// byte reached the destination; otherwise "copyfilefail", with the reason on
// standard error. A destination that is the source file itself is refused
// before anything is written.
const char* CopyOneFile(char* args, const package::ContentFiles& files, ReplyBuffer& reply);

} // namespace services
