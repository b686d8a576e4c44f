// TDataVO: the store of a data value object, an ordered list of named values; TMyDataVO: the
// reference-counted IDataVO around one (velmor/data_vo.h has the rules for names and slots).
//
// Each entry holds its name (at most 255 bytes), the kind tag of the last setter used, and a value
// cell with three slots: text, variant and an 8-byte scalar. A setter fills one slot of a fresh
// cell (the scalar starts zeroed here, so reading another scalar kind gives a defined number);
// each getter reads its own slot whatever the kind. Not locked: one thread at a time.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "velmor/data_vo.h"
#include "velmor/object.h"
#include "velmor/variant.h"

namespace velmor {

class TDataVO {
 public:
  static constexpr size_t kMaxNameLength = 255;

  TDataVO() = default;
  TDataVO(const TDataVO&) = delete;
  TDataVO& operator=(const TDataVO&) = delete;

  int32_t Count() const { return static_cast<int32_t>(entries_.size()); }
  // The entry's name / kind; "" and kVoStr outside the range.
  std::string NameAt(int32_t index) const;
  DataVOKind KindAt(int32_t index) const;
  // The first entry whose name matches without regard to ASCII case; -1 when none.
  int32_t IndexOf(std::string_view name) const;

  void SetStr(std::string_view name, std::string value);
  void SetInt(std::string_view name, DataVOKind kind, int32_t value);    // kinds 1, 5, 7, 8
  void SetFloat(std::string_view name, DataVOKind kind, double value);   // kinds 2, 4
  void SetBool(std::string_view name, bool value);
  void SetVariant(std::string_view name, Variant value);

  std::string GetStr(std::string_view name, std::string_view def) const;
  int32_t GetInt(std::string_view name, int32_t def) const;
  double GetFloat(std::string_view name, double def) const;
  bool GetBool(std::string_view name, bool def) const;
  // The variant slot; integer 0 when the name is absent.
  Variant GetVariant(std::string_view name) const;

  // Takes the first entry of that name out; false when there is none.
  bool Remove(std::string_view name);
  void Clear() { entries_.clear(); }

  // The name as stored: cut to 255 bytes at a character boundary.
  static std::string_view StoredName(std::string_view name);

 private:
  struct Cell {
    std::string text;
    Variant variant;
    alignas(8) unsigned char scalar[8] = {};
  };
  struct Entry {
    std::string name;
    DataVOKind kind = kVoStr;
    std::unique_ptr<Cell> cell;
  };
  // Replaces the cell (and kind) of the entry of that name, or appends a new entry.
  void Put(std::string_view name, DataVOKind kind, std::unique_ptr<Cell> cell);
  const Cell* Find(std::string_view name) const;

  std::vector<Entry> entries_;
};

class TMyDataVO : public Object<IDataVO> {
 public:
  // Creates and owns a new store.
  TMyDataVO();
  // Wraps a store the caller keeps alive and frees (not owned).
  explicit TMyDataVO(TDataVO* borrowed);
  ~TMyDataVO() override;

  void* GetObject() override { return this; }
  TDataVO* GetDataVO() override { return vo_; }
  std::string GetValueName(int32_t index) override { return vo_->NameAt(index); }
  int32_t GetValueCount() override { return vo_->Count(); }

  int32_t GetIntValue7(const std::string& name, int32_t def) override { return vo_->GetInt(name, def); }
  std::string GetStrValue(const std::string& name, const std::string& def) override { return vo_->GetStr(name, def); }
  int32_t GetIntValue1(const std::string& name, int32_t def) override { return vo_->GetInt(name, def); }
  double GetFloatValue2(const std::string& name, double def) override { return vo_->GetFloat(name, def); }
  bool GetBoolValue(const std::string& name, bool def) override { return vo_->GetBool(name, def); }
  double GetFloatValue4(const std::string& name, double def) override { return vo_->GetFloat(name, def); }
  int32_t GetIntValue5(const std::string& name, int32_t def) override { return vo_->GetInt(name, def); }
  Variant GetVariantValue(const std::string& name) override { return vo_->GetVariant(name); }
  int32_t GetIntValue8(const std::string& name, int32_t def) override { return vo_->GetInt(name, def); }

  void SetIntValue7(const std::string& name, int32_t value) override { vo_->SetInt(name, kVoInt7, value); }
  void SetStrValue(const std::string& name, const std::string& value) override { vo_->SetStr(name, value); }
  void SetIntValue1(const std::string& name, int32_t value) override { vo_->SetInt(name, kVoInt1, value); }
  void SetFloatValue2(const std::string& name, double value) override { vo_->SetFloat(name, kVoFloat2, value); }
  void SetBoolValue(const std::string& name, bool value) override { vo_->SetBool(name, value); }
  void SetFloatValue4(const std::string& name, double value) override { vo_->SetFloat(name, kVoFloat4, value); }
  void SetIntValue5(const std::string& name, int32_t value) override { vo_->SetInt(name, kVoInt5, value); }
  void SetVariantValue(const std::string& name, const Variant& value) override { vo_->SetVariant(name, value); }
  void SetIntValue8(const std::string& name, int32_t value) override { vo_->SetInt(name, kVoInt8, value); }

  void RemoveValue(const std::string& name) override { vo_->Remove(name); }
  void DeleteValue(const std::string& name) override { vo_->Remove(name); }

 private:
  TDataVO* vo_;
  bool owns_;
};

}  // namespace velmor
