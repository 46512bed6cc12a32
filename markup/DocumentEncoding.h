// Which encoding a document's characters are stepped by: the one its XML
// declaration names, or, without one, UTF-8 when its bytes are valid UTF-8.
#pragma once

#include "platform/Text.h"

namespace markup {

// GBK, GB2312, GB18030 and CP936 (in any case), and any other name but UTF-8,
// step by code page 936, as the magazines of the original platform were read.
// `text` ends at its first 0 byte, as it does for the scanner.
platform::Encoding DocumentEncoding(const char* text);

} // namespace markup
