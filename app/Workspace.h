// The Workspace: a folder of this run alone below the temporary folder, which
// holds the extracted magazine while the window is open. The viewer keeps it
// locked for its whole life, so that one whose viewer died (killed, crashed,
// a power cut) is known by its free lock and removed by the next start.
#pragma once

#include "platform/FileSystem.h"

#include <string>

namespace app {

inline constexpr char kWorkspaceTemplate[] = "KestXXXXXX";
inline constexpr size_t kWorkspaceNameSize = sizeof kWorkspaceTemplate; // 11 with the NUL

// Writes the name "Kest", `letter`, and the five low decimal digits of
// `threadId` (leading zeros kept) over the template in `name`.
void FillWorkspaceName(char (&name)[kWorkspaceNameSize], unsigned long threadId, char letter);

// Removes the Workspaces below `folder` whose viewers are gone: folders (no
// links) of the calling user, named as FillWorkspaceName names them, that no
// one holds locked. Nothing else is touched.
void RemoveStaleWorkspaces(const std::string& folder);

class Workspace {
public:
    Workspace() = default;
    // An early return or an exception removes it too.
    ~Workspace() { (void)Delete(); }
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    // Creates the folder below `folder` (made first if missing) with
    // permissions 0700, and locks it. A name that exists in any form moves
    // the letter on; when 'z' is taken too, fresh digits are tried. False
    // when no folder could be made; Failure then says which path failed and
    // why.
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
    platform::Folder lock;
    bool created = false;
};

} // namespace app
