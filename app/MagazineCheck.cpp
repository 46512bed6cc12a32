#include "app/MagazineCheck.h"

#include "markup/MarkupDoc.h"
#include "package/PackagePaths.h"
#include "platform/FileSystem.h"
#include "viewer/BookSettings.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace app {

namespace {

// The first bytes of an uncompressed, zlib- and LZMA-compressed Flash movie.
constexpr const char* kMovieSignatures[] = {"FWS", "CWS", "ZWS"};

bool IsNumber(const std::string& text) {
    size_t i = text.find_first_not_of(" \t\n\r");
    if (i != std::string::npos && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    return i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]));
}

std::string MovieProblem(const std::string& folder, const std::string& entrance) {
    const std::string path = package::JoinPath(folder, entrance);
    platform::FileStream movie;
    if (!platform::FileExists(path.c_str()) || !movie.Open(path.c_str(), "rb")) {
        return "the entrance movie " + entrance + " is not in the folder";
    }
    char signature[3] = {};
    const size_t read = movie.Read(signature, sizeof signature);
    for (const char* expected : kMovieSignatures) {
        if (read == sizeof signature && std::memcmp(signature, expected, sizeof signature) == 0) {
            return {};
        }
    }
    return "the entrance movie " + entrance + " is not a Flash movie";
}

} // namespace

std::vector<std::string> CheckMagazineFolder(const std::string& folder) {
    const std::string manifestPath = package::JoinPath(folder, viewer::kManifestName);
    std::string text;
    std::string reason;
    if (!markup::MarkupDoc::ReadTextFile(manifestPath.c_str(), text, &reason)) {
        return {std::string(viewer::kManifestName) + " cannot be read: " + reason};
    }
    std::vector<std::string> problems;
    markup::MarkupDoc manifest;
    if (!manifest.SetText(std::move(text))) {
        problems.push_back(std::string(viewer::kManifestName) + ": " + manifest.ResultText());
    }
    if (!manifest.FindElement("Book")) {
        problems.push_back(std::string(viewer::kManifestName) + " has no Book element");
        return problems;
    }
    const std::string entrance = manifest.GetAttribute("entrance");
    if (entrance.empty()) {
        problems.push_back("the Book element has no entrance attribute");
    }
    for (const char* size : {"width", "height"}) {
        const std::string value = manifest.GetAttribute(size);
        if (!IsNumber(value)) {
            problems.push_back(std::string("the Book element's ") + size +
                               (value.empty() ? " is missing" : " \"" + value + "\" is not a number"));
        }
    }
    if (!entrance.empty()) {
        if (std::string problem = MovieProblem(folder, entrance); !problem.empty()) {
            problems.push_back(std::move(problem));
        }
    }
    return problems;
}

void WarnAboutMagazineFolder(const std::string& folder) {
    for (const std::string& problem : CheckMagazineFolder(folder)) {
        std::fprintf(stderr, "kest: warning: %s: %s\n", folder.c_str(), problem.c_str());
    }
}

} // namespace app
