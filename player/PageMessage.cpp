#include "player/PageMessage.h"

namespace player {

namespace {

PageMessage ReadMark(std::string_view name, std::string_view detail) {
    if (name == "ruffle") {
        return page::RuffleReady{};
    }
    if (name == "movie") {
        return page::MovieLoaded{};
    }
    if (name == "missing") {
        return page::MovieMissing{std::string(detail)};
    }
    if (name == "failed") {
        return page::RuffleFailed{std::string(detail)};
    }
    return page::Milestone{std::string(name), std::string(detail)};
}

} // namespace

std::optional<PageMessage> ReadPageMessage(std::string_view kind, std::string_view first, std::string_view second) {
    if (kind == "fscommand") {
        return page::FsCommand{std::string(first), std::string(second)};
    }
    if (kind == "link") {
        return page::Link{std::string(first)};
    }
    if (kind == "ready") {
        return page::Ready{};
    }
    if (kind == "trapped") {
        return page::RuffleTrapped{std::string(first)};
    }
    if (kind == "mark") {
        return ReadMark(first, second);
    }
    return std::nullopt;
}

bool TakenOnceRunning(const PageMessage& message) {
    return std::holds_alternative<page::FsCommand>(message) || std::holds_alternative<page::Link>(message) ||
           std::holds_alternative<page::RuffleTrapped>(message);
}

} // namespace player
