// Path and name text shared by the writer and the reader.
#pragma once

#include "package/PackageFormat.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>

namespace package {

// Longer paths cannot be opened or made in one piece: the writer refuses
// them, the reader makes none.
inline constexpr size_t PkgMaxPathLength = 4095;

// Paths handed to the package code may come straight from a command line,
// with quotation marks around or inside them; they are used without any.
inline std::string WithoutQuotes(const std::string& text) {
    std::string result;
    result.reserve(text.size());
    std::copy_if(text.begin(), text.end(), std::back_inserter(result), [](char c) { return c != '"'; });
    return result;
}

// `folder` and `name` joined by one separator, none added after one that ends
// the folder already.
inline std::string JoinPath(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == platform::kPathSeparator) {
        return folder + name;
    }
    return folder + platform::kPathSeparator + name;
}

// The record's name, never past its field.
inline std::string EntryName(const PackageEntry& record) {
    return std::string(record.name, strnlen(record.name, sizeof record.name));
}

} // namespace package
