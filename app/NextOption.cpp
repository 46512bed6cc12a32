#include "app/NextOption.h"

namespace app {

namespace {

enum class TokenState { Between, Dash, AfterLetter, Gap, Word, Quoted, Done };

} // namespace

int NextOption(std::string_view commandLine, int position, char& letter, std::string& argument) {
    TokenState state = TokenState::Between;
    char found = '\0';
    std::string text;
    for (;; ++position) {
        const char c = static_cast<size_t>(position) < commandLine.size() ? commandLine[position] : '\0';
        if (c == '\0' || state == TokenState::Done) {
            letter = found;
            argument = std::move(text);
            return position;
        }
        switch (state) {
        case TokenState::Between:
            if (c == '-') {
                state = TokenState::Dash;
            } else if (c == '"') {
                text += c;
                state = TokenState::Quoted;
            } else if (c != ' ') {
                text += c;
                state = TokenState::Word;
            }
            break;
        case TokenState::Dash:
            found = c;
            state = TokenState::AfterLetter;
            break;
        case TokenState::AfterLetter:
        case TokenState::Gap:
            if (c == ' ') {
                state = TokenState::Gap;
            } else if (c == '"') {
                text += c;
                state = TokenState::Quoted;
            } else if (c == '-' && state == TokenState::Gap) {
                --position; // the next option starts at this '-'
                state = TokenState::Done;
            } else {
                text += c;
                state = TokenState::Word;
            }
            break;
        case TokenState::Word:
            if (c == ' ') {
                state = TokenState::Done;
            } else {
                text += c;
                if (c == '"') {
                    state = TokenState::Quoted;
                }
            }
            break;
        case TokenState::Quoted:
            text += c;
            if (c == '"') {
                state = TokenState::Word;
            }
            break;
        case TokenState::Done:
            break;
        }
    }
}

} // namespace app
