// Helpers of the markup tests: parsing with the table invariant checked, and
// reading back what a record points at.
#pragma once

#include "TableCheck.h"

#include <gtest/gtest.h>

#include <string>

namespace markup {

// Parses `text` into `doc`, checks the table's links and returns Parse's result.
inline bool ParseChecked(MarkupDoc& doc, std::string text) {
    const bool wellFormed = doc.SetText(std::move(text));
    EXPECT_EQ(FindTableFault(doc), "");
    return wellFormed;
}

// The name in the start tag of record `index`.
inline std::string NameOf(const MarkupDoc& doc, int32_t index) {
    ScanCursor cursor;
    cursor.text = doc.Text().c_str();
    cursor.next = doc.Record(index).start + 1;
    MarkupDoc::ReadName(cursor);
    return doc.Text().substr(static_cast<size_t>(cursor.nameStart),
                             static_cast<size_t>(cursor.nameEnd - cursor.nameStart + 1));
}

// The names of a child list, joined by spaces.
inline std::string ChildNames(const MarkupDoc& doc, int32_t owner) {
    std::string names;
    for (int32_t child = doc.Record(owner).firstChild; child != 0;
         child = doc.Record(child).nextSibling) {
        names.append(names.empty() ? "" : " ").append(NameOf(doc, child));
    }
    return names;
}

} // namespace markup
