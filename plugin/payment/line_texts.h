// LineTexts: the members of a payment line that the store's inserts read, each as Text() reads
// it, taken from a JSON tree or from an object read with the JSON cursor (a list of thousands of
// lines is read line by line, never as a tree).
//
// A value of one thread. Taken from a reader, the texts view the reader's object: valid until its
// next Read.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "codec/json_object_reader.h"

namespace velmor::payment {

class LineTexts {
 public:
  enum Field : uint8_t {
    kDjxh, kHsjg, kYzpzxh, kYzpzmxxh, kSbbm, kSbjbjgDm, kSkssqq, kSkssqz, kZsxmDm, kZspmDm, kZszmDm, kYskmDm,
    kYsfpblDm, kYjjcDm, kSkgkDm, kQfje, kZsjgDm, kZsuuid, kJkqx, kJkzt, kJksj, kSjje, kDyzt, kDysj, kDzsphm, kJkzh,
    kYhyywdMc, kSkgkMc, kZsswjgMc, kZhmc, kYhhbMc, kYhhbmc, kCount
  };
  // The member name of each field.
  static const char* NameOf(Field f);

  void From(const nlohmann::ordered_json& line);
  void From(const JsonObjectReader& line);

  std::string_view operator[](Field f) const { return texts_[f]; }
  // The text as a number, as the store reads amounts and states: 0 when empty or unreadable.
  double Number(Field f) const;
  int32_t Int(Field f) const { return static_cast<int32_t>(Number(f)); }

 private:
  std::array<std::string_view, kCount> texts_{};
  std::array<std::string, kCount> own_;  // the texts taken from a tree
};

// Text read as a number the way the payment store reads one (strtod of the text up to a NUL; 0
// when no number starts it).
double NumberOfText(std::string_view text);

}  // namespace velmor::payment
