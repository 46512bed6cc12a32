// The Workspace: a folder of this run alone below the temporary folder, which
// holds the extracted magazine while the window is open.
#pragma once

#include <string>

namespace app {

inline constexpr char kWorkspaceTemplate[] = "KestXXXXXX";
inline constexpr size_t kWorkspaceNameSize = sizeof kWorkspaceTemplate; // 11 with the NUL

// Writes the name "Kest", `letter`, and the five low decimal digits of
// `threadId` (leading zeros kept) over the template in `name`.
void FillWorkspaceName(char (&name)[kWorkspaceNameSize], unsigned long threadId, char letter);

class Workspace {
public:
    // Creates the folder below `folder` (made first if missing) with
    // permissions 0700. A name that exists in any form moves the letter on;
    // when 'z' is taken too, fresh digits are tried. False when no folder
    // could be made; Failure then says which path failed and why.
    [[nodiscard]] bool Create(const std::string& folder, unsigned long threadId);

    const std::string& Path() const { return path; }
    const std::string& Failure() const { return failure; }
    const char* Name() const { return name; }

    // Leaves the folder if it is the current directory, then removes it and
    // everything in it. Does nothing for a Workspace that was not created.
    [[nodiscard]] bool Delete();

private:
    char name[kWorkspaceNameSize] = "KestXXXXXX";
    std::string parentFolder;
    std::string path;
    std::string failure;
    bool created = false;
};

} // namespace app
