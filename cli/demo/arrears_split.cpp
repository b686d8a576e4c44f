#include "cli/demo/arrears_split.h"

#include <cstdlib>
#include <stdexcept>
#include <unordered_set>

#include "codec/json_cursor.h"

namespace velmor::cli {
namespace {

struct LineKeys {
  std::string yzpzxh;
  double qfje = 0;
};

// The members of one line the split needs; a qfje given as text or as number, as the line reads.
LineKeys ReadLine(std::string_view line, std::string& scratch) {
  LineKeys keys;
  JsonCursor c(line);
  c.BeginObject();
  for (bool more = c.FirstMember(); more; more = c.NextMember()) {
    const std::string key(c.Key(scratch));
    const JsonCursor::Kind kind = c.Peek();
    if (key == "yzpzxh" && kind == JsonCursor::Kind::kString) {
      keys.yzpzxh = std::string(c.String(scratch));
    } else if (key == "qfje" && (kind == JsonCursor::Kind::kString || kind == JsonCursor::Kind::kNumber)) {
      const std::string text(kind == JsonCursor::Kind::kString ? c.String(scratch) : c.Number());
      keys.qfje = text.empty() ? 0 : std::strtod(text.c_str(), nullptr);
    } else {
      c.Skip();
    }
  }
  c.End();
  return keys;
}

}  // namespace

ArrearsSplit SplitArrears(std::string_view lines) {
  std::vector<std::string_view> spans;
  try {
    JsonCursor c(lines);
    c.BeginArray();
    for (bool more = c.FirstElement(); more; more = c.NextElement()) {
      if (c.Peek() != JsonCursor::Kind::kObject) throw std::runtime_error("欠费明细不是JSON对象");
      spans.push_back(c.Skip());
    }
    c.End();
  } catch (const JsonCursor::Malformed& e) {
    throw std::runtime_error(std::string("欠费列表不是JSON数组：") + e.what());
  }
  ArrearsSplit out;
  const size_t half = (spans.size() + 1) / 2;
  std::unordered_set<std::string> documents;
  std::string scratch;
  out.deduction = "[";
  out.voucher = "[";
  for (size_t i = 0; i < spans.size(); ++i) {
    const bool deduct = i < half;
    const LineKeys keys = ReadLine(spans[i], scratch);
    std::string& text = deduct ? out.deduction : out.voucher;
    if (text.size() > 1) text += ',';
    text += spans[i];
    if (deduct) {
      ++out.deductionLines;
      out.deductionAmount += keys.qfje;
      if (documents.insert(keys.yzpzxh).second) out.deductedDocuments.push_back(keys.yzpzxh);
    } else {
      ++out.voucherLines;
      out.voucherAmount += keys.qfje;
    }
  }
  out.deduction += ']';
  out.voucher += ']';
  return out;
}

}  // namespace velmor::cli
