// Files named as magazines made on the original platform name them: '\' as
// well as '/' between folders, and letter case ignored where no entry has the
// exact name. Found only inside a given folder.
#pragma once

#include "platform/Text.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// True when the names differ at most in the case of ASCII letters. Both are
// stepped by characters of `encoding`, so the second byte of a two-byte
// character is never taken for a letter.
bool SameNameIgnoringCase(std::string_view a, std::string_view b, Encoding encoding);

// The names of the entries of `folder` ("" for the top, '/' between names)
// in some tree of folders; false when there is no such folder.
using ListFolder = std::function<bool(const std::string& folder, std::vector<std::string>& names)>;

// The path in the tree that `list` shows that `path` names, '/' between its
// names: each name as it is where an entry has it, else the one entry of its
// folder that differs from it only in letter case. '/' and '\' separate names
// (never the second byte of a character); empty names and "." are skipped.
// Nothing for "..", or when a name matches no entry or several. With
// `lastToo` false the last name is kept as given (a file yet to be made).
std::optional<std::string> MatchWindowsPath(std::string_view path, Encoding encoding,
                                            const ListFolder& list, bool lastToo = true);
// The same in the folder `root` on disk.
std::optional<std::string> MatchWindowsPath(const std::string& root, std::string_view path,
                                            Encoding encoding, bool lastToo = true);

// `path` relative to `root`; an absolute one only when it lies below root.
std::optional<std::string> PathBelow(const std::string& root, std::string_view path);

// The regular file `path` names inside `root` (relative to root; an absolute
// path must lie below it), with links resolved. Nothing when it lies outside
// root, through ".." or a link, or is not a regular file.
std::optional<std::string> RegularFileInside(const std::string& root, std::string_view path);

// One way a file may be spelled, with the encoding its bytes are in.
struct Spelling {
    std::string path;
    Encoding encoding;
};

// RegularFileInside for what MatchWindowsPath finds of `spelling` below root.
std::optional<std::string> MatchFileInside(const std::string& root, const Spelling& spelling);

} // namespace platform
