// Paths handed to the package code may come straight from a command line,
// with quotation marks around or inside them; they are used without any.
#pragma once

#include <algorithm>
#include <iterator>
#include <string>

inline std::string WithoutQuotes(const std::string& text) {
    std::string result;
    result.reserve(text.size());
    std::copy_if(text.begin(), text.end(), std::back_inserter(result), [](char c) { return c != '"'; });
    return result;
}
