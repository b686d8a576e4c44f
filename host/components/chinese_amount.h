// Amounts of money in Chinese capital numerals, as printed on vouchers: "壹仟贰佰叁拾肆元伍角陆分".
//
// Rules: the amount is rounded to the fen (half away from zero); the integer part is read in
// groups of four digits with the units 拾佰仟 and the group units 万, 亿, 万 (of 亿); a run of
// zeros inside the number is read as one 零, zeros at the end of a group are not read; a leading
// 1 of the tens is written 壹拾. "元" follows the integer part (omitted when the amount is below
// one yuan and has jiao or fen), then 角 and 分; "整" closes an amount without fen. A zero jiao
// before a fen is read 零. Negative amounts start with 负. Pure; safe from any thread.
#pragma once

#include <string>

namespace velmor::host::net {

// Empty for a value that is not finite or whose magnitude reaches 10^16 after rounding.
std::string AmountInChineseCapitals(double amount);

}  // namespace velmor::host::net
