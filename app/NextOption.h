// The option tokenizer of packer mode.
#pragma once

#include <string>
#include <string_view>

namespace app {

// Reads one option from `commandLine` starting at `position` (0 <= position <=
// length): stores its letter ('\0' when the token had no leading '-') and its
// argument (quotation marks kept), and returns where the next call starts.
// Only ' ' separates and only '"' quotes.
int NextOption(std::string_view commandLine, int position, char& letter, std::string& argument);

} // namespace app
