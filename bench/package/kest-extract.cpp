// Extracts the package at the end of a file into a folder, as viewer mode
// does before it opens the window: kest-extract FILE FOLDER
#include "package/PackageReader.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: kest-extract FILE FOLDER\n", stderr);
        return 2;
    }
    package::PackageReader reader;
    const int result = reader.Extract(argv[2], argv[1], package::ExtractMakeRoot);
    if (result != package::PkgOk) {
        std::fprintf(stderr, "kest-extract: %s: error %d\n", argv[1], result);
        return 1;
    }
    return 0;
}
