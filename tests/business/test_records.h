// Business records for the business-model tests: one property of every kind, a nested object, an
// interface-typed field, a derived class, and a class with the same names but other types.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "business/business_object.h"
#include "business/date_time.h"

namespace velmor::testing {

inline constexpr std::string_view kColourNames[] = {"clRed", "clGreen", "clBlue"};
inline constexpr TypeInfo TColour = EnumType("TColour", kColourNames);
inline constexpr TypeInfo TColours = SetType("TColours", TColour);
inline constexpr TypeInfo TMonth = SubrangeType("TMonth", 1, 12);
inline constexpr TypeInfo TDigits = SubrangeType("TDigits", 0, 9);
inline constexpr TypeInfo TDigitSet = SetType("TDigitSet", TDigits);
enum class Colour : uint8_t { Red, Green, Blue };

// Counts destructions, so tests see when the last release destroyed an object.
inline std::atomic<int> g_destroyed{0};

class TAddress : public TBusinessObject {
 public:
  ~TAddress() override { ++g_destroyed; }
  std::string jd;
  int32_t yb = 0;
  Ref<TAddress> next;
  VELMOR_PUBLISHED(TAddress, TBusinessObject, Prop<&TAddress::jd>("jd", types::String),
                   Prop<&TAddress::yb>("yb", types::Integer), Prop<&TAddress::next>("next", types::Object))
};

class IContact : public IBusinessObject {
 public:
  VELMOR_IID("{6B0C9D0E-3F1A-4C55-9E8B-2A7D4E5F6071}")
  virtual std::string GetLxdh() = 0;
};

class TContact : public Implements<TBusinessObject, IContact> {
 public:
  ~TContact() override { ++g_destroyed; }
  std::string lxdh;
  TDateTime lrsj = 0;
  std::string GetLxdh() override { return lxdh; }
  VELMOR_PUBLISHED(TContact, TBusinessObject, Prop<&TContact::lxdh>("lxdh", types::String),
                   Prop<&TContact::lrsj>("lrsj", types::DateTime))
};

class TAllKinds : public TBusinessObject {
 public:
  ~TAllKinds() override { ++g_destroyed; }
  int32_t nl = 0;
  int64_t rydjxh = 0;
  int16_t small = 0;
  uint8_t byte = 0;
  uint32_t card = 0;
  int32_t month = 1;
  char ch = 0;
  char16_t wch = 0;
  std::string xm;
  std::string wxm;
  double jfje = 0;
  double yjfe = 0;
  float single = 0;
  double csrq = 0;
  double sbsj = 0;
  double lrsj = 0;
  bool sfyx = false;
  TriState tsbz = tsNo;
  Colour colour = Colour::Green;
  uint32_t colours = 0;
  uint16_t digits = 0;
  Ref<TAddress> dz;
  Ref<IContact> lxr;
  std::string bh = "B-1";

  VELMOR_PUBLISHED(TAllKinds, TBusinessObject,
                   Prop<&TAllKinds::nl>("nl", types::Integer),
                   Prop<&TAllKinds::rydjxh>("rydjxh", types::Int64),
                   Prop<&TAllKinds::small>("small", types::SmallInt),
                   Prop<&TAllKinds::byte>("byte", types::Byte),
                   Prop<&TAllKinds::card>("card", types::Cardinal),
                   Prop<&TAllKinds::month>("month", TMonth),
                   Prop<&TAllKinds::ch>("ch", types::Char),
                   Prop<&TAllKinds::wch>("wch", types::WideChar),
                   Prop<&TAllKinds::xm>("xm", types::String),
                   Prop<&TAllKinds::wxm>("wxm", types::WideString),
                   Prop<&TAllKinds::jfje>("jfje", types::Double),
                   Prop<&TAllKinds::yjfe>("yjfe", types::Currency),
                   Prop<&TAllKinds::single>("single", types::Single),
                   Prop<&TAllKinds::csrq>("csrq", types::Date),
                   Prop<&TAllKinds::sbsj>("sbsj", types::Time),
                   Prop<&TAllKinds::lrsj>("lrsj", types::DateTime),
                   Prop<&TAllKinds::sfyx>("sfyx", types::Boolean),
                   Prop<&TAllKinds::tsbz>("tsbz", types::TriState),
                   Prop<&TAllKinds::colour>("colour", TColour),
                   Prop<&TAllKinds::colours>("colours", TColours),
                   Prop<&TAllKinds::digits>("digits", TDigitSet),
                   Prop<&TAllKinds::dz>("dz", types::Object),
                   Prop<&TAllKinds::lxr>("lxr", types::Interface),
                   ReadOnlyProp<&TAllKinds::bh>("bh", types::String),
                   DeclaredProp("onChange", types::Method),
                   DeclaredProp("extra", types::Variant),
                   DeclaredProp("rec", types::Record),
                   DeclaredProp("arr", types::Array),
                   DeclaredProp("dyn", types::DynArray))
};

// Index of each property of TAllKinds, in table order.
enum AllKindsIndex : int32_t {
  kNl, kRydjxh, kSmall, kByte, kCard, kMonth, kCh, kWch, kXm, kWxm, kJfje, kYjfe, kSingle, kCsrq,
  kSbsj, kLrsj, kSfyx, kTsbz, kColour, kColours, kDigits, kDz, kLxr, kBh, kOnChange, kExtra, kRec,
  kArr, kDyn, kAllKindsCount
};

class TDerivedKinds : public TAllKinds {
 public:
  std::string bz;
  VELMOR_PUBLISHED(TDerivedKinds, TAllKinds, Prop<&TDerivedKinds::bz>("bz", types::String))
};

// The same names as TAllKinds with other types, for Assign between classes.
class TOtherKinds : public TSBBaseObj {
 public:
  std::string nl;       // text where TAllKinds has an integer
  int32_t xm = 0;       // integer where TAllKinds has text
  std::string csrq;     // text where TAllKinds has a date
  std::string sfyx;     // text where TAllKinds has a Boolean
  double month = 0;     // float where TAllKinds has a subrange
  std::string colours;  // text where TAllKinds has a set
  int32_t only = 0;     // not in TAllKinds
  VELMOR_PUBLISHED(TOtherKinds, TSBBaseObj, Prop<&TOtherKinds::nl>("NL", types::String),
                   Prop<&TOtherKinds::xm>("xm", types::Integer),
                   Prop<&TOtherKinds::csrq>("csrq", types::String),
                   Prop<&TOtherKinds::sfyx>("sfyx", types::String),
                   Prop<&TOtherKinds::month>("month", types::Double),
                   Prop<&TOtherKinds::colours>("colours", types::String),
                   Prop<&TOtherKinds::only>("only", types::Integer))
};

}  // namespace velmor::testing
