// Aligned text tables for the terminal: columns padded to the widest cell, CJK characters
// counted as two columns, two spaces between columns.
#pragma once

#include <string>
#include <vector>

namespace velmor::cli {

// Columns a UTF-8 text takes on a terminal (CJK and other three- and four-byte characters: two).
size_t DisplayWidth(const std::string& text);

// Prints the head line and the rows to stdout; rows may be shorter than the head.
void PrintTable(const std::vector<std::string>& head, const std::vector<std::vector<std::string>>& rows);

// A stored amount with two decimals ("630.0" -> "630.00"); other text as it is.
std::string Money(const std::string& text);
std::string Money(double amount);

}  // namespace velmor::cli
