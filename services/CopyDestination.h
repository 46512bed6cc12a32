// Where a movie's CopyFile may write. Magazines copy their own files into the
// reader's folders for documents and media, or within their own folder; the
// reader's settings and programs lie elsewhere and stay out of reach.
#pragma once

#include "platform/FileSystem.h"

#include <string>

namespace services {

// Opens `path` ('/' between names; absolute, or relative to `contentFolder`)
// for writing, nothing emptied yet, if it lies below the content folder or
// below one of platform::ReaderFolders(): reached through no link and no
// hidden folder, not hidden itself, not a desktop entry, and new or a
// regular file of the reader's own (see FileStream::OpenOwnForRewriteIn).
// Folders on the way that exist under another letter case are taken as the
// original platform would. Returns why it was refused; empty when opened.
std::string OpenDestination(const std::string& contentFolder, const std::string& path,
                            platform::FileStream& file);

} // namespace services
