// The document's life cycle: loading, the element table and the whole parse.
#include "markup/MarkupDoc.h"

#include "markup/DocumentEncoding.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <utility>

namespace markup {

namespace {

// Offsets are 32-bit: the terminating 0 must still have one.
constexpr int64_t kMaxTextBytes = std::numeric_limits<int32_t>::max();

// The C library's text for an error number, up to its first line break.
std::string ErrorText(int error) {
    std::string message = std::strerror(error);
    message.erase(std::min(message.find_first_of("\r\n"), message.size()));
    return message;
}

// A block of `size` records holding the first `keep` records of `old`.
std::unique_ptr<ElementRecord[]> ResizedBlock(const std::unique_ptr<ElementRecord[]>& old,
                                              int32_t keep, int32_t size) {
    // Records are written when used, so a new block is left uninitialised.
    auto block = std::make_unique_for_overwrite<ElementRecord[]>(static_cast<size_t>(size));
    if (keep > 0) {
        std::copy_n(old.get(), keep, block.get());
    }
    return block;
}

} // namespace

MarkupDoc::MarkupDoc() { SetText(nullptr); }

MarkupDoc::~MarkupDoc() = default;

bool MarkupDoc::LoadFile(const char* path) {
    if (!ReadTextFile(path, text, &resultText)) {
        return false;
    }
    return Parse();
}

bool MarkupDoc::SetText(const char* newText) {
    return SetText(std::string(newText != nullptr ? newText : ""));
}

bool MarkupDoc::SetText(std::string newText) {
    if (static_cast<int64_t>(newText.size()) > kMaxTextBytes) {
        resultText = ErrorText(EFBIG);
        return false;
    }
    text = std::move(newText);
    resultText.clear();
    return Parse();
}

bool MarkupDoc::ReadTextFile(const char* path, std::string& text, std::string* message) {
    platform::FileStream file;
    int error = 0;
    int64_t size = -1;
    if (!file.Open(path, "rb")) {
        error = errno;
    } else {
        // A folder or a stream has no size to trust, and offsets are 32-bit.
        size = file.Size();
        if (size < 0) {
            error = errno;
        } else if (size > kMaxTextBytes) {
            error = EFBIG;
        }
    }
    if (error != 0) {
        if (message != nullptr) {
            *message = ErrorText(error);
        }
        return false;
    }

    text.clear();
    if (size != 0) {
        // One read; a file that shrank meanwhile leaves zeros, which end the text.
        text.resize(static_cast<size_t>(size));
        (void)file.Read(text.data(), text.size());
    }
    if (message != nullptr) {
        *message = FormatText("%s%d bytes", "", static_cast<int>(size));
    }
    return true;
}

bool MarkupDoc::Parse() {
    std::string readMessage = std::move(resultText);
    resultText.clear();
    ResetPosition();
    usedCount = 1;
    encoding = DocumentEncoding(text.c_str());
    GrowTable(static_cast<int32_t>(text.size() / 64 + 8));
    At(0) = {};

    if (text.empty()) {
        resultText = "Empty document";
    } else {
        ScanCursor cursor = CursorAt(0);
        const int32_t first = ParseChildren(0, cursor);
        // The parse may have moved block 0, so the record is looked up afresh.
        ElementRecord& document = At(0);
        document.length = static_cast<int32_t>(text.size());
        if (first == 0) {
            resultText = "No root element";
        } else {
            document.firstChild = first;
            if (At(first).nextSibling != 0) {
                resultText = "Root element has sibling";
            }
        }
    }
    ResetPosition();

    if (!readMessage.empty()) {
        resultText = resultText.empty() ? std::move(readMessage) : readMessage + ", " + resultText;
    }
    const ElementRecord& root = At(0);
    return capacity != 0 && !root.Has(IllFormed) && root.firstChild != 0 &&
           At(root.firstChild).nextSibling == 0;
}

bool MarkupDoc::GrowTable(int32_t minimum) {
    int32_t wanted = minimum != 0 ? minimum : usedCount + usedCount / 2;
    if (capacity >= wanted) {
        return true;
    }
    const int32_t oldLast = capacity > 0 ? (capacity - 1) >> 16 : 0;
    int32_t newLast = (wanted - 1) >> 16;
    // One block per call: a growth never copies more than one block.
    if (newLast > oldLast + 1) {
        newLast = oldLast + 1;
        wanted = (newLast + 1) * kBlockRecords;
    }
    if (segmentSlots <= newLast) {
        const int32_t slots = 2 * newLast + 4;
        auto grown = std::make_unique<std::unique_ptr<ElementRecord[]>[]>(static_cast<size_t>(slots));
        std::move(segments.get(), segments.get() + segmentSlots, grown.get());
        segments = std::move(grown);
        segmentSlots = slots;
    }
    const int32_t oldInLast = capacity - oldLast * kBlockRecords;
    const int32_t newInLast = wanted - newLast * kBlockRecords;
    if (oldLast < newLast && oldInLast < kBlockRecords) {
        segments[oldLast] = ResizedBlock(segments[oldLast], oldInLast, kBlockRecords);
    }
    const int32_t keep = newLast == oldLast ? oldInLast : 0;
    segments[newLast] = ResizedBlock(segments[newLast], keep, newInLast);
    capacity = wanted;
    return true;
}

ScanCursor MarkupDoc::CursorAt(int32_t offset) const {
    ScanCursor cursor;
    cursor.nameStart = 0;
    cursor.nameEnd = -1;
    cursor.next = offset;
    cursor.text = text.c_str();
    cursor.flags = flags;
    cursor.encoding = encoding;
    return cursor;
}

} // namespace markup
