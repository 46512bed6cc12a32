// What would make a folder open with the package error, found before the
// folder is packed: the manifest, its Book element and the entrance movie.
#pragma once

#include <string>
#include <vector>

namespace app {

// One line per problem of the magazine folder `folder`; none for a folder
// that will open.
std::vector<std::string> CheckMagazineFolder(const std::string& folder);

// Says each problem of `folder` on standard error as a warning.
void WarnAboutMagazineFolder(const std::string& folder);

} // namespace app
