// SqlText: the roster's fast statement builder for templates whose placeholders are all '%s'
// written inside quotes of the template: each value is quote-doubled as it is copied in, with
// no intermediate values (the bulk processor builds hundreds of thousands of statements). For
// anything else use FormatSql (store/sql.h). Pure functions, safe on any thread.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace velmor {

// Fills the '%s' placeholders of `tmpl` in order. Raises velmor::EConvertError when the number
// of placeholders and of values differ.
std::string SqlText(std::string_view tmpl, std::initializer_list<std::string_view> values);

}  // namespace velmor
