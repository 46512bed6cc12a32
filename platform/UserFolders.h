// The reader's own folders for documents and media, as the desktop names them.
#pragma once

#include <string>
#include <vector>

namespace platform {

// Desktop, Documents, Download, Music, Pictures and Videos, each from the
// environment variable XDG_<NAME>_DIR, else from user-dirs.dirs in
// $XDG_CONFIG_HOME (~/.config without it), else ~/Desktop, ~/Documents,
// ~/Downloads, ~/Music, ~/Pictures, ~/Videos. Lexically normal, without a
// trailing '/'. One that is not absolute, or is the home folder or holds it,
// is left out: the reader's settings and programs lie there.
std::vector<std::string> ReaderFolders();

} // namespace platform
