#include "viewer/BookSettings.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace viewer {

namespace {

// A decimal number as the C library's atoi reads it: blanks, a sign, digits.
int DecimalValue(const std::string& text) {
    const long value = std::strtol(text.c_str(), nullptr, 10);
    return static_cast<int>(std::clamp<long>(value, INT_MIN, INT_MAX));
}

} // namespace

BookSettings ReadBookSettings(markup::MarkupDoc& manifest) {
    manifest.ResetPosition();
    (void)manifest.FindElement("Book");
    BookSettings book;
    book.entrance = manifest.GetAttribute("entrance");
    book.width = DecimalValue(manifest.GetAttribute("width"));
    book.height = DecimalValue(manifest.GetAttribute("height"));
    return book;
}

} // namespace viewer
