// Parses arbitrary bytes, checks the element table's links, then walks the
// table with the navigation operations and reads attributes of every element
// under every name its start tag holds.
#include "markup/MarkupDoc.h"
#include "tests/unit/markup/TableCheck.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void Fail(const std::string& what) {
    std::fprintf(stderr, "markup_fuzz: %s\n", what.c_str());
    std::abort();
}

// Up to `limit` names read from the start tag of `index`: its own name,
// attribute names, values, and stray bytes.
std::vector<std::string> NamesInTag(const markup::MarkupDoc& doc, int32_t index, size_t limit) {
    const markup::ElementRecord& record = doc.Record(index);
    markup::ScanCursor cursor;
    cursor.text = doc.Text().c_str();
    cursor.encoding = doc.TextEncoding();
    cursor.next = record.start + 1;
    std::vector<std::string> names;
    while (names.size() < limit && cursor.next < record.start + record.StartTagLength() &&
           markup::MarkupDoc::ReadName(cursor)) {
        names.emplace_back(cursor.text + cursor.nameStart,
                           static_cast<size_t>(cursor.nameEnd - cursor.nameStart + 1));
    }
    return names;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    markup::MarkupDoc doc;
    const std::string text(reinterpret_cast<const char*>(data), size);
    const bool wellFormed = doc.SetText(text);
    if (const std::string fault = markup::FindTableFault(doc); !fault.empty()) {
        Fail(fault);
    }
    if (wellFormed && (doc.ResultText() != "" || doc.UsedCount() < 2)) {
        Fail("a well-formed text with a message or without elements");
    }
    if (!wellFormed && doc.ResultText().empty()) {
        Fail("a failed parse without a message");
    }

    // Every top-level element, by name and by position.
    int32_t visited = 0;
    while (doc.FindElement(nullptr)) {
        ++visited;
        (void)doc.GetAttribute("x");
        (void)doc.LeaveElement();
    }
    doc.ResetPosition();
    if (doc.UsedCount() > 1) {
        const std::vector<std::string> names = NamesInTag(doc, 1, 1);
        if (!names.empty() && !doc.FindElement(names[0].c_str())) {
            Fail("the first element is not found by its own name");
        }
    }

    // Attributes of every element; a value never outgrows the text.
    for (int32_t index = 1; index < doc.UsedCount(); ++index) {
        for (const std::string& name : NamesInTag(doc, index, 8)) {
            if (doc.GetAttributeOf(index, name.c_str()).size() > text.size()) {
                Fail("an attribute value longer than the text");
            }
        }
    }
    if (markup::MarkupDoc::DecodeText(text.data(), static_cast<int32_t>(text.size())).size() > text.size()) {
        Fail("decoding made the text longer");
    }
    return 0;
}
