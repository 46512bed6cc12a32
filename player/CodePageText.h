// Text files of magazines made on a Chinese Windows are in code page 936,
// which Flash Player there read as such (movies set System.useCodePage).
// Ruffle reads text without a byte-order mark as Windows-1252 or UTF-8, and
// text with a UTF-8 mark as UTF-8 whatever the movie set, so such files are
// served as UTF-8 with a mark. Display-free, so that it is tested and fuzzed
// on its own.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace player {

// True for the names of files a movie reads as text (variables, XML, HTML,
// plain text), by their extension in any letter case. Other files are served
// byte for byte: a movie reads pictures, sounds and movies as bytes.
bool IsTextFileName(std::string_view name);

// `text` as UTF-8 with a byte-order mark when it is code page 936 text: not
// UTF-8 already, without a byte-order mark of any kind, and valid GBK. Its
// percent-escaped runs (variables as loadVariables reads them) that are GBK
// and not UTF-8 become escaped UTF-8 as well, also in ASCII text, which
// keeps having no mark. Nothing when the text stays as it is.
std::optional<std::string> Cp936TextAsUtf8(std::string_view text);

} // namespace player
