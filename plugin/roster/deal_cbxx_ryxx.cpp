#include "roster/deal_cbxx_ryxx.h"

#include <algorithm>
#include <chrono>
#include <cstddef>

#include "business/date_time.h"
#include "roster/sql_text.h"
#include "store/db_access.h"
#include "store/sql.h"
#include "velmor/utf8.h"

namespace velmor {
namespace {

constexpr int64_t kBarrierTimeoutMs = 600000;

// Statement texts of the roster download.
constexpr std::string_view kTwinFragment =
    " from sb_ryjbxxb where djxh = '%s' and zjhm = '%s' and zjlx = '%s' and xm = '%s' and ly = '1' ";
constexpr std::string_view kTwinRemoval =
    " delete from sb_rycbxmb where djxh = '%0:s' and rydjxh in (select rydjxh %1:s);  delete from sb_rycbjgxxb where "
    "djxh = '%0:s' and rydjxh in (select rydjxh %1:s);  delete  %1:s ; ";
// Persons, enrolments and items: the same statement texts for every row, their values bound to
// numbered parameters (each statement takes the ones it names), so each is prepared once.
// Person values: djxh, rydjxh, xm, zjlx, zjhm, phonenumber.
constexpr size_t kPersonWidth = 6;
constexpr std::string_view kPersonDelete = " delete from sb_ryjbxxb where djxh = ?1 and rydjxh = ?2 ";
constexpr std::string_view kPersonUpdate =
    "update sb_ryjbxxb set xm = ?3, zjlx = ?4, zjhm = ?5, phonenumber = ?6, updateFlag = 1  where djxh = ?1 and "
    "rydjxh = ?2 ";
// The same without the phone number: a server person without one keeps the local one.
constexpr std::string_view kPersonUpdateKeepPhone =
    "update sb_ryjbxxb set xm = ?3, zjlx = ?4, zjhm = ?5, updateFlag = 1  where djxh = ?1 and rydjxh = ?2 ";
constexpr std::string_view kPersonInsert =
    " insert into sb_ryjbxxb (djxh, rydjxh, xm, zjlx, zjhm, fzid, phonenumber, updateFlag) values (?1, ?2, ?3, ?4, "
    "?5, '-1', ?6, 1)";
// Enrolment values: djxh, rydjxh, sbjbjgdm, rybh, yxbz.
constexpr size_t kEnrolWidth = 5;
constexpr std::string_view kEnrolDelete =
    " delete from sb_rycbjgxxb where djxh = ?1 and rydjxh = ?2 and sbjbjgdm = ?3 and rybh = ?4 ";
constexpr std::string_view kEnrolUpdate =
    "update sb_rycbjgxxb set djxh = djxh, yxbz = ?5 where djxh = ?1 and rydjxh = ?2 and sbjbjgdm = ?3 and rybh = ?4 ";
constexpr std::string_view kEnrolInsert =
    " insert into sb_rycbjgxxb (djxh, rydjxh, sbjbjgdm, rybh, yxbz) values (?1, ?2, ?3, ?4, ?5) ";
// Item values, in the order of the insert's columns.
constexpr size_t kItemWidth = 17;
constexpr std::string_view kItemDelete = " delete from sb_rycbxmb where djxh = ?1 and xzid = ?4 ";
constexpr std::string_view kItemUpdate =
    " update sb_rycbxmb set rydjxh = ?2, zsxmdm = ?5, zspmdm = ?6, zszmdm = ?7, xzjddm = ?8, sqhczdm = ?9, "
    "cbrytslbdm = ?10, ksjfyf = ?11, tzjfyf = ?12, gxsj = ?13, pmlx = ?14, xzlxdm = ?16, sbjbjgdm = ?3, rybh = ?15, "
    "yxbz = ?17 where djxh = ?1 and xzid = ?4 ";
constexpr std::string_view kItemInsert =
    " insert into sb_rycbxmb (djxh, rydjxh, sbjbjgdm, xzid, zsxmdm, zspmdm, zszmdm, xzjddm, sqhczdm, cbrytslbdm, "
    "ksjfyf, tzjfyf, gxsj, pmlx, rybh, xzlxdm, yxbz) values (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, "
    "?14, ?15, ?16, ?17) ";
// The sweep's removal of an item the server no longer has: djxh, xzid.
constexpr size_t kStaleWidth = 2;
constexpr std::string_view kStaleItemDelete = " delete from sb_rycbxmb where djxh = ?1 and xzid = ?2 ";

constexpr std::string_view kCbzt3 = " update sb_ryjbxxb  set cbzt = '3' where djxh = '%s'  ";
constexpr std::string_view kCbzt2 =
    " update sb_ryjbxxb  set cbzt = '2' where djxh  = '%s'   and rydjxh in ( select distinct rydjxh from sb_rycbxmb a "
    "where djxh  = '%s'  )";
constexpr std::string_view kCbzt1 =
    " update sb_ryjbxxb  set cbzt = '1' where djxh  = '%s'     and rydjxh in (  select  distinct a.rydjxh from "
    "sb_rycbxmb a , sb_rycbjgxxb b where  a.djxh = '%s' and a.djxh=b.djxh and a.rydjxh=b.rydjxh and a.rybh = b.rybh   "
    "and a.sbjbjgdm = b.sbjbjgdm and b.yxbz = 'Y' and a.yxbz = 'Y' and  a.tzjfyf >=  '%s' )";
constexpr std::string_view kClearEnrolments =
    "delete from sb_rycbjgxxb where djxh = '%s'  and not exists(select 1 from sb_rycbxmb where "
    "sb_rycbxmb.djxh=sb_rycbjgxxb.djxh and  sb_rycbxmb.rydjxh=sb_rycbjgxxb.rydjxh)";
constexpr std::string_view kClearPersons =
    "delete from sb_ryjbxxb where djxh = '%s' and (ly = '0' or ly is null)  and not exists(select 1 from sb_rycbjgxxb "
    "where sb_rycbjgxxb.djxh=sb_ryjbxxb.djxh and  sb_rycbjgxxb.rydjxh=sb_ryjbxxb.rydjxh) ";

std::string_view Field(const TFastJsonRecord& r, int field) {
  return field >= 0 && field < r.size() ? r.value(field) : std::string_view();
}

// The flag's first character (all the bytes of a multi-byte UTF-8 character), then trimmed; empty
// means "N". " Y" is therefore "N": the first character is the space.
std::string Flag(std::string_view v) {
  if (v.empty()) return "N";
  const unsigned char lead = static_cast<unsigned char>(v.front());
  const size_t length = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : (lead & 0xF8) == 0xF0 ? 4 : 1;
  const std::string_view first = v.substr(0, length);
  const bool blank = first == " " || first == "\t" || first == "\r" || first == "\n";
  return blank ? std::string("N") : std::string(first);
}

// A date cut to its month ("yyyy-mm-dd" -> "yyyy-mm").
std::string_view Month(std::string_view v) { return v.size() > 7 ? v.substr(0, 7) : v; }

std::string Join3(std::string_view a, std::string_view b, std::string_view c) {
  std::string k;
  k.reserve(a.size() + b.size() + c.size() + 2);
  k.append(a).push_back('\x1f');
  k.append(b).push_back('\x1f');
  k.append(c);
  return k;
}

int Col(const TFastParseJson& json, std::string_view name) { return json.IndexOfField(name); }

// Room for `more` keys in `set` at once, rather than rehashing as it grows; at least doubled when
// it must grow, since a pass per answer (a thousand persons) asking for just its own room made the
// set rehash every few passes.
void Reserve(std::unordered_set<std::string>& set, size_t more) {
  const size_t wanted = set.size() + more;
  if (static_cast<double>(wanted) <= set.max_load_factor() * static_cast<double>(set.bucket_count())) return;
  set.reserve(std::max(wanted, 2 * set.size()));
}

// A value the store cannot hold as it is: a NUL would end the statement text there, and bytes
// that are not UTF-8 would read back as other text.
bool Storable(std::string_view v) { return v.find('\0') == std::string_view::npos && IsWellFormedUtf8(v); }

// The first field of `cols` whose value in `r` cannot be stored; -1 when all can.
template <size_t N>
int FirstUnstorable(const TFastJsonRecord& r, const int (&cols)[N]) {
  for (int c : cols)
    if (c >= 0 && !Storable(Field(r, c))) return c;
  return -1;
}

}  // namespace

TDealCbxxAndRyxx::TDealCbxxAndRyxx(TFastParseJson* cbxx, TFastParseJson* ryxx, Ref<IDBMechanism> db,
                                   std::string djxh)
    : cbxx_(cbxx),
      ryxx_(ryxx),
      db_(std::move(db)),
      djxh_(std::move(djxh)),
      persons_(kPersonWidth, kRowsPerInsert, [this](SqlItem item) { writer_->AddSql(std::move(item)); }),
      enrols_(kEnrolWidth, kRowsPerInsert, [this](SqlItem item) { writer_->AddSql(std::move(item)); }),
      items_(kItemWidth, kRowsPerInsert, [this](SqlItem item) { writer_->AddSql(std::move(item)); }) {
  if (!db_) throw Exception(kNoConnection);
  writer_ = MakeWriter<TAsynExecSql>(db_);
}

void TDealCbxxAndRyxx::SetRowsPerInsert(int rows) {
  const size_t n = rows < 1 ? 1 : static_cast<size_t>(rows);
  persons_.SetRowsPerItem(n);
  enrols_.SetRowsPerItem(n);
  items_.SetRowsPerItem(n);
}

TDealCbxxAndRyxx::~TDealCbxxAndRyxx() = default;  // the writer stops and is joined first

void TDealCbxxAndRyxx::FindColumns() {
  if (ryxx_ && !personColsFound_ && ryxx_->FieldCount() > 0) {
    const TFastParseJson& j = *ryxx_;
    pc_ = {Col(j, "cbxxID"), Col(j, "djxh"), Col(j, "xm"),  Col(j, "zjlxDm"), Col(j, "zjhm"),
           Col(j, "sbjbjgDm"), Col(j, "sbbm"), Col(j, "lxdh"), Col(j, "xgrq"), Col(j, "yxbz")};
    if (pc_.cbxxID < 0 || pc_.djxh < 0) throw Exception("人员信息缺少字段[cbxxID]或[djxh]");
    personColsFound_ = true;
  }
  if (cbxx_ && !enrolColsFound_ && cbxx_->FieldCount() > 0) {
    const TFastParseJson& j = *cbxx_;
    ec_ = {Col(j, "cbxxID"),     Col(j, "djxh"),       Col(j, "cbxzID"), Col(j, "zsxmDm"), Col(j, "zspmDm"),
           Col(j, "zszmDm"),     Col(j, "xzlxDm"),     Col(j, "xzjdDm"), Col(j, "xzjdMc"), Col(j, "sqczDm"),
           Col(j, "sqczMc"),     Col(j, "rycbtslbDm"), Col(j, "rycbtslbMc"), Col(j, "ksjfrq"), Col(j, "tzjfrq"),
           Col(j, "xgrq"),       Col(j, "yxbz")};
    if (ec_.cbxxID < 0 || ec_.cbxzID < 0) throw Exception("参保信息缺少字段[cbxxID]或[cbxzID]");
    enrolColsFound_ = true;
  }
}

bool TDealCbxxAndRyxx::PrepareNewRecords() {
  FindColumns();
  bool any = false;
  if (ryxx_ && personColsFound_) {
    const int count = ryxx_->RecordCount();
    for (; personCursor_ < count; ++personCursor_) {
      TFastJsonRecord r = ryxx_->Record(personCursor_);
      std::string id(Field(r, pc_.cbxxID));
      if (id.empty()) {
        personsWithoutId_.Note(Field(r, pc_.djxh));
        continue;
      }
      const int cols[] = {pc_.cbxxID, pc_.djxh, pc_.xm,   pc_.zjlxDm, pc_.zjhm,
                          pc_.sbjbjgDm, pc_.sbbm, pc_.lxdh, pc_.xgrq,   pc_.yxbz};
      if (const int bad = FirstUnstorable(r, cols); bad >= 0) {
        refusedPersons_.emplace_back(personCursor_, bad);
        refusedIds_.insert(std::move(id));
        continue;
      }
      personByCbxxId_.try_emplace(std::move(id), personCursor_);  // the first record of an id wins
      pendingPersons_.push_back(personCursor_);
      any = true;
    }
  }
  if (cbxx_ && enrolColsFound_) {
    const int count = cbxx_->RecordCount();
    const size_t firstNew = pendingEnrols_.size();
    for (; enrolCursor_ < count; ++enrolCursor_) {
      TFastJsonRecord r = cbxx_->Record(enrolCursor_);
      const int cols[] = {ec_.cbxxID, ec_.djxh,   ec_.cbxzID,     ec_.zsxmDm,     ec_.zspmDm, ec_.zszmDm,
                          ec_.xzlxDm, ec_.xzjdDm, ec_.xzjdMc,     ec_.sqczDm,     ec_.sqczMc, ec_.rycbtslbDm,
                          ec_.rycbtslbMc, ec_.ksjfrq, ec_.tzjfrq, ec_.xgrq,       ec_.yxbz};
      if (const int bad = FirstUnstorable(r, cols); bad >= 0) {
        refusedItems_.emplace_back(enrolCursor_, bad);
        continue;
      }
      auto note = [&](CodeNames& set, int code, int name) {
        std::string_view c = Field(r, code);
        if (!c.empty() && set.find(c) == set.end()) set.emplace(c, Field(r, name));
      };
      note(towns_, ec_.xzjdDm, ec_.xzjdMc);
      note(communities_, ec_.sqczDm, ec_.sqczMc);
      note(categories_, ec_.rycbtslbDm, ec_.rycbtslbMc);
      pendingEnrols_.push_back(enrolCursor_);
      any = true;
    }
    // The new records in the order of their periods, so that of two records of one item the
    // later period is written last.
    // Usually they come in that order already (one period for all), and a check is cheaper than
    // the sort.
    const TFastParseJson& j = *cbxx_;
    auto earlier = [&](int a, int b) {
      TFastJsonRecord ra = j.Record(a), rb = j.Record(b);
      std::string_view ka = Field(ra, ec_.ksjfrq), kb = Field(rb, ec_.ksjfrq);
      if (ka != kb) return ka < kb;
      return Field(ra, ec_.tzjfrq) < Field(rb, ec_.tzjfrq);
    };
    const auto from = pendingEnrols_.begin() + static_cast<std::ptrdiff_t>(firstNew);
    if (!std::is_sorted(from, pendingEnrols_.end(), earlier)) std::stable_sort(from, pendingEnrols_.end(), earlier);
  }
  return any;
}

void TDealCbxxAndRyxx::LoadPmlx() {
  if (pmlxLoaded_) return;
  Ref<IDBDataSet> ds = QueryOrThrow(*db_, "select zspmdm, pmlx from sb_pmlxb");
  for (; !ds->Eof(); ds->Next()) pmlx_.try_emplace(FieldText(*ds, "zspmdm"), FieldText(*ds, "pmlx"));
  pmlxLoaded_ = true;
}

void TDealCbxxAndRyxx::EnsureKeys() {
  if (keysValid_) return;
  FlushInserts();
  // Once the writer holds its transaction (and so the write lock), only what this processor
  // queues changes these tables; the keys read now stay true for the rest of the batch.
  if (!writer_->Barrier(true, kBarrierTimeoutMs)) throw Exception("等待写库线程超时");
  personKeys_.clear();
  enrolKeys_.clear();
  itemKeys_.clear();
  localTwins_.clear();
  unmarkedPersons_.clear();
  IDBMechanism& db = writer_->Connection();
  Ref<IDBDataSet> ds = QueryOrThrow(
      db, FormatSql("select rydjxh, xm, zjlx, zjhm, ly, updateFlag from sb_ryjbxxb where djxh = '%s'", {V(djxh_)}));
  Ref<IDBFields> f = ds->Fields();
  Ref<IDBField> rydjxh = f->FieldByName("rydjxh"), xm = f->FieldByName("xm"), zjlx = f->FieldByName("zjlx"),
                zjhm = f->FieldByName("zjhm"), ly = f->FieldByName("ly"), updateFlag = f->FieldByName("updateFlag");
  for (; !ds->Eof(); ds->Next()) {
    std::string key = rydjxh->AsString();
    const std::string origin = ly->AsString();
    if (origin == "1") localTwins_.insert(Join3(xm->AsString(), zjlx->AsString(), zjhm->AsString()));
    // As the removal of the persons the server no longer has selects them.
    if ((origin.empty() || origin == "0") && !updateFlag->IsNull() && updateFlag->AsString() == "0")
      unmarkedPersons_.insert(key);
    personKeys_.insert(std::move(key));
  }
  ds = QueryOrThrow(db, FormatSql("select rydjxh, sbjbjgdm, rybh from sb_rycbjgxxb where djxh = '%s'", {V(djxh_)}));
  f = ds->Fields();
  rydjxh = f->FieldByName("rydjxh");
  Ref<IDBField> sbjbjgdm = f->FieldByName("sbjbjgdm"), rybh = f->FieldByName("rybh");
  for (; !ds->Eof(); ds->Next()) enrolKeys_.insert(Join3(rydjxh->AsString(), sbjbjgdm->AsString(), rybh->AsString()));
  ds = QueryOrThrow(db, FormatSql("select xzid from sb_rycbxmb where djxh = '%s'", {V(djxh_)}));
  Ref<IDBField> xzid = ds->Fields()->FieldByName("xzid");
  for (; !ds->Eof(); ds->Next()) itemKeys_.insert(xzid->AsString());
  keysValid_ = true;
}

void TDealCbxxAndRyxx::RequireOpen() const {
  if (released_) throw Exception("花名册处理已结束，不能再处理记录");
}

int TDealCbxxAndRyxx::dealRyxx() {
  RequireOpen();
  PrepareNewRecords();
  if (!ryxx_ || pendingPersons_.empty()) return 0;
  EnsureKeys();
  // Room for this pass's keys at once, rather than rehashing the sets as they grow.
  Reserve(handledPersons_, pendingPersons_.size());
  Reserve(personKeys_, pendingPersons_.size());
  Reserve(enrolKeys_, pendingPersons_.size());
  int queued = 0;
  for (int index : pendingPersons_) {
    TFastJsonRecord r = ryxx_->Record(index);
    std::string cbxxId(Field(r, pc_.cbxxID));
    if (!handledPersons_.insert(cbxxId).second) continue;
    const std::string yxbz = Flag(Field(r, pc_.yxbz));
    const std::string_view rydjxh = Field(r, pc_.djxh), xm = Field(r, pc_.xm), zjlx = Field(r, pc_.zjlxDm),
                           zjhm = Field(r, pc_.zjhm), sbjbjgdm = Field(r, pc_.sbjbjgDm), rybh = Field(r, pc_.sbbm),
                           phone = Field(r, pc_.lxdh);

    // A locally added twin (same name, ID type and number) gives way to the server person.
    if (auto twin = localTwins_.find(Join3(xm, zjlx, zjhm)); twin != localTwins_.end()) {
      std::string fragment = SqlText(kTwinFragment, {djxh_, zjhm, zjlx, xm});
      queueStatement(FormatSql(kTwinRemoval, {V(djxh_), SqlFragment::Trusted(std::move(fragment))}));
      localTwins_.erase(twin);
    }

    const bool newPerson = personKeys_.insert(std::string(rydjxh)).second;
    if (!newPerson && !unmarkedPersons_.empty()) unmarkedPersons_.erase(std::string(rydjxh));  // marked by its update
    persons_
        .Row(newPerson ? std::string_view() : kPersonDelete,
             newPerson ? std::string_view() : phone.empty() ? kPersonUpdateKeepPhone : kPersonUpdate, kPersonInsert)
        .Add(djxh_).Add(rydjxh).Add(xm).Add(zjlx).Add(zjhm).Add(phone);

    const bool newEnrolment = enrolKeys_.insert(Join3(rydjxh, sbjbjgdm, rybh)).second;
    enrols_
        .Row(newEnrolment ? std::string_view() : kEnrolDelete, newEnrolment ? std::string_view() : kEnrolUpdate,
             kEnrolInsert)
        .Add(djxh_).Add(rydjxh).Add(sbjbjgdm).Add(rybh).Add(yxbz);
    ++personsWritten_;
    ++queued;
  }
  pendingPersons_.clear();
  FlushInserts();
  return queued;
}

void TDealCbxxAndRyxx::Dropped::Note(std::string_view key) {
  ++count;
  if (first.size() < 3) first.emplace_back(key);
}

std::string TDealCbxxAndRyxx::DroppedSummary() const {
  Dropped orphans;
  if (cbxx_)
    for (int index : pendingEnrols_) orphans.Note(Field(cbxx_->Record(index), ec_.cbxxID));
  std::string text;
  auto add = [&](const Dropped& d, const char* what, const char* key) {
    if (d.count == 0) return;
    std::string keys;
    for (const std::string& k : d.first) keys += (keys.empty() ? "" : "、") + k;
    text += std::string(text.empty() ? "" : "；") + what + std::to_string(d.count) + "条（前几条" + key + "：" + keys + "）";
  };
  add(personsWithoutId_, "人员信息缺少cbxxID，未入库", "djxh");
  add(itemsWithoutId_, "参保信息缺少cbxzID，未入库", "cbxxID");
  add(orphans, "参保信息无对应人员，未入库", "cbxxID");
  if (const std::string refused = RefusedSummary(); !refused.empty()) text += (text.empty() ? "" : "；") + refused;
  return text;
}

std::string TDealCbxxAndRyxx::RefusedSummary() const {
  // Named by person number and field; a person number that is itself unstorable is shown as the
  // record's cbxxID.
  auto name = [](std::string_view v) { return Storable(v) ? std::string(v) : std::string("?"); };
  auto list = [&](const std::vector<std::pair<int, int>>& refused, const TFastParseJson& json, auto personNumber) {
    std::string keys;
    for (size_t i = 0; i < refused.size() && i < 3; ++i) {
      const TFastJsonRecord r = json.Record(refused[i].first);
      keys += (keys.empty() ? "" : "、") + std::string("人员编号") + personNumber(r) + "的" +
              json.FieldNames()[static_cast<size_t>(refused[i].second)];
    }
    return std::to_string(refused.size()) + "条含无法保存的字符，未入库（" + keys + (refused.size() > 3 ? "等" : "") + "）";
  };
  std::string text;
  if (!refusedPersons_.empty()) {
    text += "人员信息" + list(refusedPersons_, *ryxx_, [&](const TFastJsonRecord& r) {
      std::string_view sbbm = pc_.sbbm >= 0 ? Field(r, pc_.sbbm) : std::string_view();
      return Storable(sbbm) && !sbbm.empty() ? std::string(sbbm) : name(Field(r, pc_.cbxxID));
    });
    if (itemsOfRefused_ > 0) text += "，其参保信息" + std::to_string(itemsOfRefused_) + "条一并未入库";
  }
  if (!refusedItems_.empty()) {
    text += std::string(text.empty() ? "" : "；") + "参保信息" + list(refusedItems_, *cbxx_, [&](const TFastJsonRecord& r) {
      auto person = personByCbxxId_.find(name(Field(r, ec_.cbxxID)));
      if (person == personByCbxxId_.end() || pc_.sbbm < 0) return name(Field(r, ec_.cbxxID));
      return name(Field(ryxx_->Record(person->second), pc_.sbbm));
    });
  }
  return text;
}

int TDealCbxxAndRyxx::dealXzxx(const ProgressFn& progress) {
  RequireOpen();
  PrepareNewRecords();
  if (!cbxx_ || pendingEnrols_.empty()) return 0;
  EnsureKeys();
  LoadPmlx();
  using Clock = std::chrono::steady_clock;
  Clock::time_point lastReport = Clock::now();
  // Room for this pass's keys at once, rather than rehashing the sets as they grow.
  Reserve(writtenItems_, pendingEnrols_.size());
  Reserve(itemKeys_, pendingEnrols_.size());
  int queued = 0;
  std::vector<int> waiting;  // items whose person record has not arrived yet
  for (int index : pendingEnrols_) {
    TFastJsonRecord r = cbxx_->Record(index);
    const std::string_view cbxxId = Field(r, ec_.cbxxID);
    auto person = personByCbxxId_.find(cbxxId);
    if (person == personByCbxxId_.end()) {
      if (refusedIds_.count(cbxxId)) {
        ++itemsOfRefused_;  // its person was refused: the item goes with it
      } else {
        waiting.push_back(index);
      }
      continue;
    }
    std::string xzid(Field(r, ec_.cbxzID));
    if (xzid.empty()) {
      itemsWithoutId_.Note(Field(r, ec_.cbxxID));
      continue;
    }
    writtenItems_.insert(xzid);
    TFastJsonRecord p = ryxx_->Record(person->second);
    const std::string_view rydjxh = Field(p, pc_.djxh), sbjbjgdm = Field(p, pc_.sbjbjgDm), rybh = Field(p, pc_.sbbm);
    const std::string_view zsxmdm = Field(r, ec_.zsxmDm), zspmdm = Field(r, ec_.zspmDm), zszmdm = Field(r, ec_.zszmDm),
                           xzjddm = Field(r, ec_.xzjdDm), sqhczdm = Field(r, ec_.sqczDm),
                           cbrytslbdm = Field(r, ec_.rycbtslbDm), ksjfyf = Month(Field(r, ec_.ksjfrq)),
                           tzjfyf = Month(Field(r, ec_.tzjfrq)), gxsj = Field(r, ec_.xgrq), xzlxdm = Field(r, ec_.xzlxDm);
    const std::string yxbz = Flag(Field(r, ec_.yxbz));
    auto pm = pmlx_.find(zspmdm);
    const std::string_view pmlx = pm == pmlx_.end() ? std::string_view() : std::string_view(pm->second);

    const bool newItem = itemKeys_.insert(xzid).second;
    items_
        .Row(newItem ? std::string_view() : kItemDelete, newItem ? std::string_view() : kItemUpdate, kItemInsert)
        .Add(djxh_).Add(rydjxh).Add(sbjbjgdm).Add(xzid).Add(zsxmdm).Add(zspmdm).Add(zszmdm).Add(xzjddm).Add(sqhczdm)
        .Add(cbrytslbdm).Add(ksjfyf).Add(tzjfyf).Add(gxsj).Add(pmlx).Add(rybh).Add(xzlxdm).Add(yxbz);
    ++itemsWritten_;
    ++queued;
    if (progress && Clock::now() - lastReport >= std::chrono::milliseconds(kXzxxProgressIntervalMs)) {
      progress(itemsWritten_, kXzxxProgressMax);
      lastReport = Clock::now();
    }
  }
  pendingEnrols_ = std::move(waiting);
  FlushInserts();
  return queued;
}

void TDealCbxxAndRyxx::FlushInserts() {
  persons_.Flush();
  enrols_.Flush();
  items_.Flush();
}

void TDealCbxxAndRyxx::queueStatement(std::string sql) {
  FlushInserts();  // the statement may concern a row still waiting
  writer_->AddSql(std::move(sql));
}

void TDealCbxxAndRyxx::updateCbzt(const std::string& month) {
  FlushInserts();
  const std::string m = month.empty() ? CurrentMonth() : month;
  writer_->AddSql(SqlText(kCbzt3, {djxh_}));
  writer_->AddSql(SqlText(kCbzt2, {djxh_, djxh_}));
  writer_->AddSql(SqlText(kCbzt1, {djxh_, djxh_, m}));
}

void TDealCbxxAndRyxx::clearInvalid() {
  FlushInserts();
  writer_->AddSql(SqlText(kClearEnrolments, {djxh_}));
  writer_->AddSql(SqlText(kClearPersons, {djxh_}));
}

void TDealCbxxAndRyxx::sweepItems() {
  RequireOpen();
  // While the keys are valid, the item keys hold every item the payer's table can hold now (read
  // inside the writer's transaction, plus every one queued since; removals only make them more),
  // so the table's items need not be read to learn that none is left unwritten.
  const bool keysKnown = keysValid_;
  // What stays although this download did not write it: the refused persons and items.
  std::unordered_set<std::string> keptPersons, keptItems;
  for (const auto& refused : refusedPersons_) {
    std::string_view rydjxh = Field(ryxx_->Record(refused.first), pc_.djxh);
    if (rydjxh.empty() || !Storable(rydjxh)) continue;
    keptPersons.emplace(rydjxh);
    queueSql(FormatSql(" update sb_ryjbxxb set updateFlag = 1 where djxh = '%s' and rydjxh = '%s' ", {V(djxh_), V(std::string(rydjxh))}));
  }
  for (const auto& refused : refusedItems_) {
    std::string_view xzid = Field(cbxx_->Record(refused.first), ec_.cbxzID);
    if (Storable(xzid)) keptItems.emplace(xzid);
  }
  FlushInserts();
  // The items this download neither wrote nor keeps. Usually there are none, and then the join
  // of every item with its person below is spared (it costs more than the whole item scan).
  auto unwritten = [&](const std::string& id) { return !writtenItems_.count(id) && !keptItems.count(id); };
  bool candidates = false;
  Ref<IDBDataSet> ds;
  if (keysKnown) {
    // Whether any server person is left unmarked (updateFlag 0): only then has the removal of the
    // persons the server no longer has anything to remove. A refused person is marked above.
    stalePersons_ = std::any_of(unmarkedPersons_.begin(), unmarkedPersons_.end(),
                                [&](const std::string& id) { return !keptPersons.count(id); });
    candidates = std::any_of(itemKeys_.begin(), itemKeys_.end(), unwritten);
  }
  // What the keys cannot tell is read from the tables, once the writer has run everything queued
  // (it waits at the barrier, in the open batch); usually nothing is, and the writer runs on.
  IDBMechanism& db = writer_->Connection();
  if (!keysKnown || candidates) {
    if (!writer_->Barrier(true, kBarrierTimeoutMs)) throw Exception("等待写库线程超时");
  }
  if (!keysKnown) {
    // The payer's rows are visited in the table's order (by their ids); through the index by ID
    // number each was read from another page.
    ds = QueryOrThrow(db, FormatSql("select 1 as n from sb_ryjbxxb where id in (select id from sb_ryjbxxb where djxh = "
                                    "'%s') and ifnull(ly, '0') in ('', '0') and updateFlag = 0 limit 1",
                                    {V(djxh_)}));
    stalePersons_ = !ds->Eof();
    ds = QueryOrThrow(db, FormatSql("select xzid from sb_rycbxmb where djxh = '%s'", {V(djxh_)}));
    for (Ref<IDBField> xzid = ds->Fields()->FieldByName("xzid"); !ds->Eof() && !candidates; ds->Next())
      candidates = unwritten(xzid->AsString());
  }
  std::vector<std::string> stale;
  if (candidates) {
    ds = QueryOrThrow(db, FormatSql("select a.xzid, a.rydjxh from sb_rycbxmb a inner join sb_ryjbxxb b on a.djxh = "
                                    "b.djxh and a.rydjxh = b.rydjxh where a.djxh = '%s' and ifnull(b.ly, '0') in ('', "
                                    "'0')",
                                    {V(djxh_)}));
    for (; !ds->Eof(); ds->Next()) {
      std::string xzid = FieldText(*ds, "xzid");
      if (writtenItems_.count(xzid) || keptItems.count(xzid) || keptPersons.count(FieldText(*ds, "rydjxh"))) continue;
      stale.push_back(std::move(xzid));
    }
  }
  ds = nullptr;
  BulkRows removals(kStaleWidth, kRowsPerInsert, [this](SqlItem item) { writer_->AddSql(std::move(item)); });
  for (const std::string& xzid : stale) removals.Row(kStaleItemDelete, {}, {}).Add(djxh_).Add(xzid);
  removals.Flush();
  keysValid_ = false;
}

void TDealCbxxAndRyxx::queueSql(std::string sql) {
  keysValid_ = false;  // the statement may add keys this processor does not know
  FlushInserts();
  writer_->AddSql(std::move(sql));
}

void TDealCbxxAndRyxx::ReleaseIndexes() {
  released_ = true;
  keysValid_ = false;
  FlushInserts();  // the writer has its work before the sets go
  // Swapped with empty sets: clear() would keep the bucket arrays.
  for (auto* set :
       {&handledPersons_, &writtenItems_, &personKeys_, &enrolKeys_, &itemKeys_, &localTwins_, &unmarkedPersons_})
    std::unordered_set<std::string>().swap(*set);
}

bool TDealCbxxAndRyxx::WaitForIdle(int64_t timeoutMs) {
  keysValid_ = false;  // after the commit other connections may write again
  FlushInserts();
  return writer_->WaitForIdle(timeoutMs);
}

void TDealCbxxAndRyxx::RollbackIfOpen() {
  keysValid_ = false;
  persons_.Drop();
  enrols_.Drop();
  items_.Drop();
  writer_->ClearQueue();
  writer_->AbortBatch();
}

}  // namespace velmor
