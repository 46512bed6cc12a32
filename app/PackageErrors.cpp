#include "app/PackageErrors.h"

#include "package/PackageFormat.h"

namespace app {

std::string ProbeFailure(int code) {
    return code == package::PkgErrOpen ? "cannot be opened" : "holds no magazine";
}

std::string ExtractionFailure(int code) {
    switch (code) {
    case package::PkgErrOpen: return "cannot be opened";
    case package::PkgErrRead: return "the magazine is cut short";
    case package::PkgErrWrite: return "its files cannot be written (is the disk full?)";
    case package::PkgErrCreate: return "a file or folder of the magazine cannot be made";
    case package::PkgErrNoMemory: return "out of memory";
    default: return "the magazine is damaged";
    }
}

} // namespace app
