// Why a magazine file's package could not be used, in words for its reader.
#pragma once

#include <string>

namespace app {

// What a failed Probe found: the file cannot be opened, or holds no package.
std::string ProbeFailure(int code);
// Why an extraction (or a listing) ended.
std::string ExtractionFailure(int code);

} // namespace app
