// Writes arbitrary text to every kind of business property (the texts come from workbooks and
// users) and checks that what is read back converts again to the same value.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "business/business_object.h"
#include "business/date_parser.h"
#include "business/date_time.h"
#include "business/number_text.h"
#include "framework/module.h"
#include "velmor/exceptions.h"

namespace {

using namespace velmor;

inline constexpr std::string_view kNames[] = {"a", "b", "c"};
inline constexpr TypeInfo TAbc = EnumType("TAbc", kNames);
inline constexpr TypeInfo TSmall = SubrangeType("TSmall", -5, 5);

class TFuzzRecord : public TBusinessObject {
 public:
  int32_t i = 0;
  int64_t l = 0;
  int8_t s = 0;
  char c = 0;
  char16_t w = 0;
  std::string t;
  double f = 0, cur = 0, d = 0, tm = 0, dt = 0;
  bool b = false;
  TriState ts = tsNo;
  uint8_t e = 0;
  VELMOR_PUBLISHED(TFuzzRecord, TBusinessObject, Prop<&TFuzzRecord::i>("i", types::Integer),
                   Prop<&TFuzzRecord::l>("l", types::Int64), Prop<&TFuzzRecord::s>("s", TSmall),
                   Prop<&TFuzzRecord::c>("c", types::Char), Prop<&TFuzzRecord::w>("w", types::WideChar),
                   Prop<&TFuzzRecord::t>("t", types::String), Prop<&TFuzzRecord::f>("f", types::Double),
                   Prop<&TFuzzRecord::cur>("cur", types::Currency), Prop<&TFuzzRecord::d>("d", types::Date),
                   Prop<&TFuzzRecord::tm>("tm", types::Time), Prop<&TFuzzRecord::dt>("dt", types::DateTime),
                   Prop<&TFuzzRecord::b>("b", types::Boolean), Prop<&TFuzzRecord::ts>("ts", types::TriState),
                   Prop<&TFuzzRecord::e>("e", TAbc))
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  static Ref<TFuzzRecord> rec = New<TFuzzRecord>();
  const int32_t index = data[0] % rec->GetPropCount();
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

  NormaliseDateText(text);
  TDateTime v;
  TryStrToDateTime(text, ModuleFormatSettings(), v);
  try {
    ParseCurrency(text);
  } catch (const EConvertError&) {
  }

  try {
    rec->SetPropText(index, text);
  } catch (const Exception&) {
    return 0;  // every failure is one of the plug-in's exceptions, never anything else
  }
  // What was stored reads back as text that converts to the same displayed value.
  const std::string shown = rec->GetPropText(index);
  const int32_t kind = rec->GetPropKind(index);
  try {
    if (kind == kPropFloat || kind == kPropCurrency) {
      // A double cannot hold the very top of the currency range exactly: leave that out.
      if (std::fabs(index == 6 ? rec->f : rec->cur) < 9e14 && FormatAmount(ParseCurrency(shown)) != shown) std::abort();
    } else if (kind == kPropDate) {
      if (FormatDateTime("yyyy-MM-dd", ParseDateText(shown), FormatSettings{'-', ':'}) != shown) std::abort();
    } else {
      rec->SetPropText(index, shown);
      if (rec->GetPropText(index) != shown) std::abort();
    }
  } catch (...) {
    std::abort();  // the text the object wrote does not convert back
  }
  return 0;
}
