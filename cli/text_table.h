// Aligned text tables for the terminal: columns padded to the widest cell, CJK characters
// counted as two columns, two spaces between columns; piped, or with --format, the rows go out as
// TSV or JSON (cli/output.h).
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/output.h"

namespace velmor::cli {

// Columns a UTF-8 text takes on a terminal (CJK and other three- and four-byte characters: two).
size_t DisplayWidth(const std::string& text);

// Prints one table to stdout in this run's format (cli/output.h); rows may be shorter than the
// head. Without keys the headings serve as keys.
// (A braced list of {key, heading} pairs takes the first: an initializer_list is preferred.)
void PrintTable(std::initializer_list<OutputColumn> columns, const std::vector<std::vector<std::string>>& rows);
void PrintTable(const std::vector<std::string>& head, const std::vector<std::vector<std::string>>& rows);

// A member of a row the plug-in answered, as a table cell: text as it is, a number or other value
// as its JSON text, a missing or null member empty.
std::string CellText(const nlohmann::json& row, const char* key);

// A stored amount with two decimals ("630.0" -> "630.00"); other text as it is.
std::string Money(const std::string& text);
std::string Money(double amount);

}  // namespace velmor::cli
