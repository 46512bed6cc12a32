// Helpers shared by the unit tests: a fresh temporary folder per test, and
// whole-file reads and writes.
#pragma once

#include <string>

// A folder below the system's temporary folder, removed with everything in it
// when the object goes.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return path; }
    // Path of `relative` inside the folder.
    std::string operator/(const std::string& relative) const { return path + "/" + relative; }

private:
    std::string path;
};

std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& bytes);

// What a finished process left: its exit status and both output streams.
struct ProcessResult {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs a shell command with the display removed from its environment, in
// `folder`, and collects its output there.
ProcessResult RunCommand(const std::string& command, const std::string& folder);

// Shell quoting of one word.
std::string Quoted(const std::string& word);
