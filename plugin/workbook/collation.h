// Ordering of texts as Chinese users expect in sorted lists: by their GB18030 encoding, which
// puts the common characters (GB2312 level 1) in pinyin order and keeps ASCII first, the order
// Chinese Windows gives for ANSI string lists. Text that cannot be converted sorts by its UTF-8
// bytes after the convertible texts.
//
// Thread-safe: each call opens its own converter.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velmor::workbook {

// The sort key of a text (GB18030 bytes; compare keys as unsigned bytes).
std::string ChineseSortKey(std::string_view utf8);

// Sorts texts by ChineseSortKey and drops exact duplicates.
void SortChineseUnique(std::vector<std::string>& texts);

}  // namespace velmor::workbook
