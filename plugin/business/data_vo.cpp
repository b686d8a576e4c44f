#include "business/data_vo.h"

#include <cstring>

namespace velmor {
namespace {

bool SameTextAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
    if (x != y) return false;
  }
  return true;
}

}  // namespace

std::string_view TDataVO::StoredName(std::string_view name) {
  if (name.size() <= kMaxNameLength) return name;
  size_t n = kMaxNameLength;
  // Never end inside a UTF-8 sequence: back off over continuation bytes to the lead byte.
  while (n > 0 && (static_cast<unsigned char>(name[n]) & 0xC0) == 0x80) --n;
  return name.substr(0, n);
}

std::string TDataVO::NameAt(int32_t index) const {
  if (index < 0 || index >= Count()) return {};
  return entries_[static_cast<size_t>(index)].name;
}

DataVOKind TDataVO::KindAt(int32_t index) const {
  if (index < 0 || index >= Count()) return kVoStr;
  return entries_[static_cast<size_t>(index)].kind;
}

int32_t TDataVO::IndexOf(std::string_view name) const {
  for (size_t i = 0; i < entries_.size(); ++i)
    if (SameTextAscii(entries_[i].name, name)) return static_cast<int32_t>(i);
  return -1;
}

const TDataVO::Cell* TDataVO::Find(std::string_view name) const {
  int32_t i = IndexOf(name);
  return i < 0 ? nullptr : entries_[static_cast<size_t>(i)].cell.get();
}

void TDataVO::Put(std::string_view name, DataVOKind kind, std::unique_ptr<Cell> cell) {
  // Look up the name as it would be stored, so that setting a long name twice replaces the value
  // instead of appending a second entry that no lookup could reach.
  std::string_view stored = StoredName(name);
  int32_t i = IndexOf(stored);
  if (i >= 0) {
    Entry& e = entries_[static_cast<size_t>(i)];
    e.kind = kind;
    e.cell = std::move(cell);
    return;
  }
  entries_.push_back(Entry{std::string(stored), kind, std::move(cell)});
}

void TDataVO::SetStr(std::string_view name, std::string value) {
  auto cell = std::make_unique<Cell>();
  cell->text = std::move(value);
  Put(name, kVoStr, std::move(cell));
}

void TDataVO::SetInt(std::string_view name, DataVOKind kind, int32_t value) {
  auto cell = std::make_unique<Cell>();
  std::memcpy(cell->scalar, &value, sizeof value);
  Put(name, kind, std::move(cell));
}

void TDataVO::SetFloat(std::string_view name, DataVOKind kind, double value) {
  auto cell = std::make_unique<Cell>();
  std::memcpy(cell->scalar, &value, sizeof value);
  Put(name, kind, std::move(cell));
}

void TDataVO::SetBool(std::string_view name, bool value) {
  auto cell = std::make_unique<Cell>();
  cell->scalar[0] = value ? 1 : 0;
  Put(name, kVoBool, std::move(cell));
}

void TDataVO::SetVariant(std::string_view name, Variant value) {
  auto cell = std::make_unique<Cell>();
  cell->variant = std::move(value);
  Put(name, kVoVariant, std::move(cell));
}

std::string TDataVO::GetStr(std::string_view name, std::string_view def) const {
  try {
    const Cell* c = Find(name);
    return c ? c->text : std::string(def);
  } catch (...) {
    return std::string(def);
  }
}

int32_t TDataVO::GetInt(std::string_view name, int32_t def) const {
  const Cell* c = Find(name);
  if (!c) return def;
  int32_t v;
  std::memcpy(&v, c->scalar, sizeof v);
  return v;
}

double TDataVO::GetFloat(std::string_view name, double def) const {
  const Cell* c = Find(name);
  if (!c) return def;
  double v;
  std::memcpy(&v, c->scalar, sizeof v);
  return v;
}

bool TDataVO::GetBool(std::string_view name, bool def) const {
  const Cell* c = Find(name);
  return c ? c->scalar[0] != 0 : def;
}

Variant TDataVO::GetVariant(std::string_view name) const {
  try {
    const Cell* c = Find(name);
    return c ? c->variant : Variant(0);
  } catch (...) {
    return Variant(0);
  }
}

bool TDataVO::Remove(std::string_view name) {
  int32_t i = IndexOf(name);
  if (i < 0) return false;
  entries_.erase(entries_.begin() + i);
  return true;
}

TMyDataVO::TMyDataVO() : vo_(new TDataVO), owns_(true) {}
TMyDataVO::TMyDataVO(TDataVO* borrowed) : vo_(borrowed ? borrowed : new TDataVO), owns_(borrowed == nullptr) {}
TMyDataVO::~TMyDataVO() {
  if (owns_) delete vo_;
}

}  // namespace velmor
