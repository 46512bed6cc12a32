// Why a magazine's package could not be extracted, in words for its reader.
#pragma once

#include <string>

namespace app {

std::string ExtractionFailure(int code);

} // namespace app
