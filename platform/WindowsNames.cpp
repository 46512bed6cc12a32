#include "platform/WindowsNames.h"

#include "platform/FileSystem.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace platform {

namespace fs = std::filesystem;

namespace {

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

int32_t LengthAt(std::string_view text, size_t at, Encoding encoding) {
    const auto left = static_cast<int32_t>(std::min<size_t>(text.size() - at, INT32_MAX));
    return CharLength(text.data() + at, encoding, left);
}

std::vector<std::string_view> SplitNames(std::string_view path, Encoding encoding) {
    std::vector<std::string_view> names;
    size_t start = 0;
    for (size_t at = 0; at <= path.size();) {
        if (at == path.size() || path[at] == '/' || path[at] == '\\') {
            const std::string_view name = path.substr(start, at - start);
            if (!name.empty() && name != ".") {
                names.push_back(name);
            }
            start = ++at;
        } else {
            at += static_cast<size_t>(LengthAt(path, at, encoding));
        }
    }
    return names;
}

// The entry of `folder` named `name`, else the only one that differs from it
// only in letter case.
std::optional<std::string> MatchEntry(const std::string& folder, std::string_view name,
                                      Encoding encoding, const ListFolder& list) {
    std::vector<std::string> names;
    if (!list(folder, names)) {
        return std::nullopt;
    }
    if (std::find(names.begin(), names.end(), name) != names.end()) {
        return std::string(name);
    }
    std::optional<std::string> match;
    for (std::string& entry : names) {
        if (SameNameIgnoringCase(entry, name, encoding)) {
            if (match) {
                return std::nullopt;
            }
            match = std::move(entry);
        }
    }
    return match;
}

} // namespace

std::optional<std::string> PathBelow(const std::string& root, std::string_view path) {
    if (!path.starts_with(kPathSeparator)) {
        return std::string(path);
    }
    const fs::path relative =
        fs::path(path).lexically_normal().lexically_relative(fs::path(root).lexically_normal());
    if (relative.empty() || *relative.begin() == "..") {
        return std::nullopt;
    }
    return relative.string();
}


bool SameNameIgnoringCase(std::string_view a, std::string_view b, Encoding encoding) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t at = 0; at < a.size();) {
        const int32_t length = LengthAt(a, at, encoding);
        if (LengthAt(b, at, encoding) != length) {
            return false;
        }
        if (length == 1 ? AsciiLower(a[at]) != AsciiLower(b[at])
                        : a.substr(at, static_cast<size_t>(length)) !=
                              b.substr(at, static_cast<size_t>(length))) {
            return false;
        }
        at += static_cast<size_t>(length);
    }
    return true;
}

std::optional<std::string> MatchWindowsPath(std::string_view path, Encoding encoding,
                                            const ListFolder& list, bool lastToo) {
    const std::vector<std::string_view> names = SplitNames(path, encoding);
    if (names.empty()) {
        return std::nullopt;
    }
    std::string found;
    for (size_t i = 0; i < names.size(); ++i) {
        if (names[i] == "..") {
            return std::nullopt;
        }
        std::string name(names[i]);
        if (lastToo || i + 1 < names.size()) {
            auto entry = MatchEntry(found, name, encoding, list);
            if (!entry) {
                return std::nullopt;
            }
            name = std::move(*entry);
        }
        found += found.empty() ? name : kPathSeparator + name;
    }
    return found;
}

std::optional<std::string> MatchWindowsPath(const std::string& root, std::string_view path,
                                            Encoding encoding, bool lastToo) {
    const auto onDisk = [&root](const std::string& folder, std::vector<std::string>& names) {
        Folder opened;
        std::vector<FolderEntry> entries;
        if (!opened.Open((folder.empty() ? root : root + kPathSeparator + folder).c_str()) ||
            !opened.List(entries)) {
            return false;
        }
        for (FolderEntry& entry : entries) {
            names.push_back(std::move(entry.name));
        }
        return true;
    };
    return MatchWindowsPath(path, encoding, onDisk, lastToo);
}

std::optional<std::string> RegularFileInside(const std::string& root, std::string_view path) {
    const auto relative = PathBelow(root, path);
    std::error_code error;
    const fs::path base = fs::canonical(root, error);
    if (!relative || error) {
        return std::nullopt;
    }
    const fs::path target = fs::canonical(base / *relative, error);
    if (error || !fs::is_regular_file(target, error)) {
        return std::nullopt;
    }
    const auto [baseEnd, targetAt] =
        std::mismatch(base.begin(), base.end(), target.begin(), target.end());
    if (baseEnd != base.end()) {
        return std::nullopt;
    }
    return target.string();
}

std::optional<std::string> MatchFileInside(const std::string& root, const Spelling& spelling) {
    const auto relative = PathBelow(root, spelling.path);
    const auto matched = relative ? MatchWindowsPath(root, *relative, spelling.encoding) : std::nullopt;
    return matched ? RegularFileInside(root, *matched) : std::nullopt;
}

} // namespace platform
