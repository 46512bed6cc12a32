#include "app/PackerOptions.h"

namespace app {

namespace {

std::string Unwrapped(const std::string& argument) {
    if (argument.size() >= 2 && argument.front() == '"' && argument.back() == '"') {
        return argument.substr(1, argument.size() - 2);
    }
    return argument;
}

bool IsOption(const std::string& argument) { return argument.size() >= 2 && argument[0] == '-'; }

} // namespace

std::optional<PackerOptions> ReadPackerOptions(const std::vector<std::string>& arguments) {
    PackerOptions options;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (!IsOption(argument)) {
            return std::nullopt;
        }
        const char letter = argument[1];
        if (letter == 'b' || letter == 'q') {
            (letter == 'b' ? options.debug : options.quiet) = true;
            continue;
        }
        std::string value = argument.substr(2);
        if (value.empty() && i + 1 < arguments.size() && !IsOption(arguments[i + 1])) {
            value = arguments[++i];
        }
        if (letter == 'o') {
            options.outputPath = Unwrapped(value);
        } else if (letter == 'p') {
            options.sourceFolder = Unwrapped(value);
        }
    }
    if (options.outputPath.empty() || options.sourceFolder.empty()) {
        return std::nullopt;
    }
    return options;
}

} // namespace app
