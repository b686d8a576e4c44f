#include "payment/line_texts.h"

#include <cstdlib>
#include <unordered_map>

#include "service/taxml_json.h"

namespace velmor::payment {

namespace {

// In the order of LineTexts::Field.
constexpr std::array<const char*, LineTexts::kCount> kNames = {
    "djxh",   "hsjg",     "yzpzxh",   "yzpzmxxh", "sbbm",   "sbjbjgDm", "skssqq", "skssqz",
    "zsxmDm", "zspmDm",   "zszmDm",   "yskmDm",   "ysfpblDm", "yjjcDm", "skgkDm", "qfje",
    "zsjgDm", "zsuuid",   "jkqx",     "jkzt",     "jksj",   "sjje",     "dyzt",   "dysj",
    "dzsphm", "jkzh",     "yhyywdMc", "skgkMc",   "zsswjgMc", "zhmc",   "yhhbMc", "yhhbmc"};

// An object of its own, not a pointer to one that is never deleted: the plug-in is unloaded and
// loaded again by its host, and each load would leave the last one's index behind.
const std::unordered_map<std::string_view, LineTexts::Field>& FieldIndex() {
  static const std::unordered_map<std::string_view, LineTexts::Field> index = [] {
    std::unordered_map<std::string_view, LineTexts::Field> m;
    for (size_t i = 0; i < kNames.size(); ++i) m.emplace(kNames[i], static_cast<LineTexts::Field>(i));
    return m;
  }();
  return index;
}

}  // namespace

const char* LineTexts::NameOf(Field f) { return kNames[f]; }

void LineTexts::From(const nlohmann::ordered_json& line) {
  for (size_t i = 0; i < kCount; ++i) {
    own_[i] = service::Text(line, kNames[i]);
    texts_[i] = own_[i];
  }
}

void LineTexts::From(const JsonObjectReader& line) {
  texts_.fill({});
  const auto& index = FieldIndex();
  for (const JsonObjectReader::Member& m : line.Members())
    if (auto f = index.find(m.key); f != index.end()) texts_[f->second] = TextOf(m);
}

double LineTexts::Number(Field f) const { return NumberOfText(texts_[f]); }

double NumberOfText(std::string_view text) {
  const std::string s(text);
  char* end = nullptr;
  const double v = std::strtod(s.c_str(), &end);
  return end == s.c_str() ? 0 : v;
}

}  // namespace velmor::payment
