// IDataVO: a bag of named, typed values handed between services and threads (not a result set:
// one value per name, no rows).
//
// Names are at most 255 bytes (longer ones are cut, never inside a UTF-8 sequence) and compare
// without regard to ASCII case; the first matching entry is used. Setting a name that is present
// replaces its value and kind in place, so entries keep their order. Each value kind has its own
// slot (text, variant, 8-byte scalar) and every getter reads its own slot: read a value with a
// getter of the slot it was stored in (the four integer kinds share the scalar's first four bytes,
// the two float kinds its eight). An absent name gives the default (GetVariantValue: integer 0).
// Not locked: hand the object from one thread to the next, do not share it. Operations are in
// slot order.
#pragma once

#include <cstdint>
#include <string>

#include "velmor/interface.h"
#include "velmor/variant.h"

namespace velmor {

class TDataVO;  // the plug-in's store behind the interface

// Value kind tags, as stored with each entry.
enum DataVOKind : uint8_t {
  kVoStr = 0, kVoInt1 = 1, kVoFloat2 = 2, kVoBool = 3, kVoFloat4 = 4, kVoInt5 = 5,
  kVoVariant = 6, kVoInt7 = 7, kVoInt8 = 8,
};

class IDataVO : public IInterface {
 public:
  VELMOR_IID("{29803C7B-1C43-48A5-BF21-B578050A713F}")
  virtual void* GetObject() = 0;
  virtual TDataVO* GetDataVO() = 0;
  // The name at index; "" when the index is outside the entries.
  virtual std::string GetValueName(int32_t index) = 0;
  virtual int32_t GetValueCount() = 0;

  virtual int32_t GetIntValue7(const std::string& name, int32_t def) = 0;
  virtual std::string GetStrValue(const std::string& name, const std::string& def) = 0;
  virtual int32_t GetIntValue1(const std::string& name, int32_t def) = 0;
  virtual double GetFloatValue2(const std::string& name, double def) = 0;
  virtual bool GetBoolValue(const std::string& name, bool def) = 0;
  virtual double GetFloatValue4(const std::string& name, double def) = 0;
  virtual int32_t GetIntValue5(const std::string& name, int32_t def) = 0;
  virtual Variant GetVariantValue(const std::string& name) = 0;
  virtual int32_t GetIntValue8(const std::string& name, int32_t def) = 0;

  virtual void SetIntValue7(const std::string& name, int32_t value) = 0;
  virtual void SetStrValue(const std::string& name, const std::string& value) = 0;
  virtual void SetIntValue1(const std::string& name, int32_t value) = 0;
  virtual void SetFloatValue2(const std::string& name, double value) = 0;
  virtual void SetBoolValue(const std::string& name, bool value) = 0;
  virtual void SetFloatValue4(const std::string& name, double value) = 0;
  virtual void SetIntValue5(const std::string& name, int32_t value) = 0;
  virtual void SetVariantValue(const std::string& name, const Variant& value) = 0;
  virtual void SetIntValue8(const std::string& name, int32_t value) = 0;

  // Both take the first entry of that name out; an absent name changes nothing.
  virtual void RemoveValue(const std::string& name) = 0;
  virtual void DeleteValue(const std::string& name) = 0;

 protected:
  ~IDataVO() = default;
};

}  // namespace velmor
