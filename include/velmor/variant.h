// Variant: one loosely typed value (unassigned, null, Boolean, integer, 64-bit integer, float or
// text). It is the value of a data value object's variant slot and the element of the open
// argument arrays that the format routines take (SetErrorFmt, LogTextFmt).
//
// A plain value type; copies are independent. The As* conversions raise velmor::EConvertError
// with "Could not convert variant of type (%s) into type (%s)" when the value has no such form.
#pragma once

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>

#include "velmor/exceptions.h"

namespace velmor {

class Variant {
 public:
  enum class Type : uint8_t { Empty, Null, Boolean, Integer, Int64, Double, String };
  struct NullTag {
    friend bool operator==(NullTag, NullTag) { return true; }
  };

  Variant() = default;  // unassigned
  Variant(NullTag) : v_(NullTag{}) {}
  Variant(bool b) : v_(b) {}
  template <class T>
    requires(std::is_integral_v<T> && !std::is_same_v<T, bool> && !std::is_same_v<T, char>)
  Variant(T n) {
    if constexpr (sizeof(T) < 4 || (sizeof(T) == 4 && std::is_signed_v<T>)) {
      v_ = static_cast<int32_t>(n);
    } else {
      v_ = static_cast<int64_t>(n);  // 64-bit values and unsigned 32-bit ones
    }
  }
  Variant(double d) : v_(d) {}
  Variant(float d) : v_(static_cast<double>(d)) {}
  Variant(const char* s) : v_(std::string(s ? s : "")) {}
  Variant(std::string s) : v_(std::move(s)) {}
  Variant(std::string_view s) : v_(std::string(s)) {}
  Variant(char c) : v_(std::string(1, c)) {}

  static Variant Null() { return Variant(NullTag{}); }

  Type type() const { return static_cast<Type>(v_.index()); }
  bool IsEmpty() const { return type() == Type::Empty; }
  bool IsNull() const { return type() == Type::Null; }
  bool IsOrdinal() const { return type() == Type::Integer || type() == Type::Int64; }
  bool IsString() const { return type() == Type::String; }

  // Conversions in the classic manner: an unassigned value gives 0, "" or false; a null value
  // raises; numbers convert among themselves (floats rounded to the nearest integer), text that
  // holds a number converts to it, Booleans are -1/0 as integers and "True"/"False" as text.
  int64_t AsInt64() const;
  int32_t AsInt() const;
  double AsDouble() const;
  bool AsBool() const;
  std::string AsString() const;

  // The held value without conversion; precondition: type() matches.
  const std::string& StringRef() const { return std::get<std::string>(v_); }

  static std::string_view TypeName(Type t);

  friend bool operator==(const Variant& a, const Variant& b) { return a.v_ == b.v_; }

 private:
  [[noreturn]] void Fail(Type to) const {
    throw EConvertError("Could not convert variant of type (" + std::string(TypeName(type())) +
                        ") into type (" + std::string(TypeName(to)) + ")");
  }
  std::variant<std::monostate, NullTag, bool, int32_t, int64_t, double, std::string> v_;
};

inline std::string_view Variant::TypeName(Type t) {
  switch (t) {
    case Type::Empty: return "Empty";
    case Type::Null: return "Null";
    case Type::Boolean: return "Boolean";
    case Type::Integer: return "Integer";
    case Type::Int64: return "Int64";
    case Type::Double: return "Double";
    case Type::String: return "String";
  }
  return "Unknown";
}

inline int64_t Variant::AsInt64() const {
  switch (type()) {
    case Type::Empty: return 0;
    case Type::Null: break;
    case Type::Boolean: return std::get<bool>(v_) ? -1 : 0;
    case Type::Integer: return std::get<int32_t>(v_);
    case Type::Int64: return std::get<int64_t>(v_);
    case Type::Double: {
      double d = std::get<double>(v_);
      if (!std::isfinite(d) || d >= 9.2233720368547758e18 || d < -9.2233720368547758e18) break;
      return static_cast<int64_t>(std::nearbyint(d));
    }
    case Type::String: {
      const std::string& s = std::get<std::string>(v_);
      int64_t n = 0;
      auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), n);
      if (ec == std::errc() && end == s.data() + s.size() && !s.empty()) return n;
      break;
    }
  }
  Fail(Type::Int64);
}

inline int32_t Variant::AsInt() const {
  int64_t n = AsInt64();
  if (n < INT32_MIN || n > INT32_MAX) Fail(Type::Integer);
  return static_cast<int32_t>(n);
}

inline double Variant::AsDouble() const {
  switch (type()) {
    case Type::Empty: return 0;
    case Type::Null: break;
    case Type::Boolean: return std::get<bool>(v_) ? -1 : 0;
    case Type::Integer: return std::get<int32_t>(v_);
    case Type::Int64: return static_cast<double>(std::get<int64_t>(v_));
    case Type::Double: return std::get<double>(v_);
    case Type::String: {
      const std::string& s = std::get<std::string>(v_);
      double d = 0;
      auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), d);
      if (ec == std::errc() && end == s.data() + s.size() && !s.empty()) return d;
      break;
    }
  }
  Fail(Type::Double);
}

inline bool Variant::AsBool() const {
  if (type() == Type::String) {
    const std::string& s = std::get<std::string>(v_);
    auto same = [&](std::string_view w) {
      if (s.size() != w.size()) return false;
      for (size_t i = 0; i < s.size(); ++i)
        if ((s[i] | 0x20) != w[i]) return false;
      return true;
    };
    if (same("true")) return true;
    if (same("false")) return false;
  }
  if (type() == Type::Boolean) return std::get<bool>(v_);
  if (type() == Type::Null) Fail(Type::Boolean);
  try {
    return AsDouble() != 0;
  } catch (const EConvertError&) {
    Fail(Type::Boolean);
  }
}

inline std::string Variant::AsString() const {
  switch (type()) {
    case Type::Empty: return {};
    case Type::Null: break;
    case Type::Boolean: return std::get<bool>(v_) ? "True" : "False";
    case Type::Integer: return std::to_string(std::get<int32_t>(v_));
    case Type::Int64: return std::to_string(std::get<int64_t>(v_));
    case Type::Double: {
      char buf[32];
      std::snprintf(buf, sizeof buf, "%.15g", std::get<double>(v_));
      return buf;
    }
    case Type::String: return std::get<std::string>(v_);
  }
  Fail(Type::String);
}

}  // namespace velmor
