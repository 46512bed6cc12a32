// Files named as magazines made on the original platform name them: '\' as
// well as '/' between folders, and letter case ignored where no entry has the
// exact name. Found only inside a given folder.
#pragma once

#include "platform/Text.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// True when the names differ at most in the case of ASCII letters. Both are
// stepped by characters of `encoding`, so the second byte of a two-byte
// character is never taken for a letter.
bool SameNameIgnoringCase(std::string_view a, std::string_view b, Encoding encoding);

// The path below the folder `root` that `path` names, '/' between its names:
// each name as it is where an entry has it, else the one entry of its folder
// that differs from it only in letter case. '/' and '\' separate names (never
// the second byte of a character); empty names and "." are skipped. Nothing
// for "..", or when a name matches no entry or several. With `lastToo` false
// the last name is kept as given (a file yet to be made).
std::optional<std::string> MatchWindowsPath(const std::string& root, std::string_view path,
                                            Encoding encoding, bool lastToo = true);

// The regular file `path` names inside `root` (relative to root; an absolute
// path must lie below it), with links resolved. Nothing when it lies outside
// root, through ".." or a link, or is not a regular file.
std::optional<std::string> RegularFileInside(const std::string& root, std::string_view path);

// One way a file may be spelled, with the encoding its bytes are in.
struct Spelling {
    std::string path;
    Encoding encoding;
};

// RegularFileInside for the first spelling that names a file exactly, else for
// the first that MatchWindowsPath finds.
std::optional<std::string> FindFileInside(const std::string& root,
                                          const std::vector<Spelling>& spellings);

} // namespace platform
