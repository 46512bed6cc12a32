// What the viewer window takes from the manifest: the "Book" element's
// entrance movie and the movie's size.
#pragma once

#include "markup/MarkupDoc.h"

#include <string>

namespace viewer {

// The manifest's name in a magazine's folder.
inline constexpr char kManifestName[] = "kest.xml";

struct BookSettings {
    std::string entrance; // path of the entrance movie below the content folder
    int width = 0;
    int height = 0;
};

// Reads the first "Book" element's attributes; what is missing reads as an
// empty entrance or a size of 0, and numbers are read as the C library's
// atoi reads them.
BookSettings ReadBookSettings(markup::MarkupDoc& manifest);

} // namespace viewer
