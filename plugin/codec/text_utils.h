// Small text routines shared by the services: replacing every occurrence of a text, escaping for
// XML, amounts with thousands separators, the first word of a text, trimming and splitting.
//
// Pure functions: no state, no errors of their own; safe from any thread. Texts are UTF-8 byte
// strings; case folding touches only the ASCII letters, so multi-byte characters stay intact.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velmor {

// text with every occurrence of pattern replaced, scanning left to right; the scan resumes after
// each replaced occurrence, so occurrences never overlap and replacements are not scanned again
// ("aaa", "aa", "b" gives "ba"). With ignore_case, A-Z and a-z match each other. An empty
// pattern matches nothing: the text comes back unchanged.
std::string ReplaceAll(std::string_view text, std::string_view pattern, std::string_view replacement,
                       bool ignore_case = false);

// The full XML escaping: & > < ' " # become &amp; &gt; &lt; &apos; &quot; &#35; (the ampersand
// first, so the entities' own ampersands are not escaped again).
std::string EscapeXmlText(std::string_view text);

// The short XML escaping, for element values of request documents: the first five of the above
// (& > < ' "), the number sign kept.
std::string EscapeXmlShort(std::string_view text);

// amount with two decimals, "." as the point and "," between groups of three integer digits:
// 1234567.891 gives "1,234,567.89", -123456.78 gives "-123,456.78", 999.99 gives "999.99".
// Independent of the C locale.
std::string FormatAmountWithSeparators(double amount);

// text up to, not including, its first blank (" "); the whole text when it has none.
std::string FirstWord(std::string_view text);

// text without its leading and trailing blanks, tabs and line breaks.
std::string TrimBlanks(std::string_view text);

// The pieces of text between separators, in order, each trimmed with TrimBlanks when `trim`
// (otherwise only a trailing "\r" is taken off, for lines); empty pieces are left out
// ("a, ,b," by ',' gives {"a", "b"}).
std::vector<std::string> SplitText(std::string_view text, char separator, bool trim = true);

}  // namespace velmor
