#include "declaration/submission.h"

#include "codec/gbk.h"
#include "codec/taxml_exchange.h"
#include "declaration/mgr_support.h"
#include "declaration/rcsb_dao.h"
#include "declaration/rcsb_dao_person_row.h"
#include "velmor/utf8.h"

namespace velmor::declaration {

namespace {

// A value the document cannot carry, named by where it stands ("第2行人员张三的xzjdDm含控制字符").
class UnsendableValue : public Exception {
 public:
  using Exception::Exception;
};

// Why `value` cannot travel in a document whose bytes are GBK (`gbk`) or UTF-8: a NUL or another
// control character, text that is not UTF-8, a character GBK lacks; empty when it can.
std::string Unsendable(std::string_view value, bool gbk) {
  bool ascii = true;
  for (unsigned char c : value) {
    if (c == 0) return "含NUL字符";
    if (c < 0x20 || c == 0x7f) return "含控制字符";
    if (c >= 0x80) ascii = false;
  }
  if (ascii) return {};
  if (!IsWellFormedUtf8(value)) return "不是有效的UTF-8文本";
  if (gbk) {
    try {
      (void)Utf8ToGbk(value);
    } catch (const std::exception&) {
      return "含GBK无法表示的字符";
    }
  }
  return {};
}

// The values of one sbfJfsbbmxDTO, each handed to add(name, value) in the document's order; R is
// a person record (rcsb_dao_person_row.h). A text value the document cannot carry raises
// UnsendableValue naming where it stands.
template <class R, class Add>
void PersonValues(const R& p, bool gbk, Add&& add) {
  using F = PersonField;
  const std::string jfmxxh = PersonText(p, F::mxxh);
  auto text = [&](const char* name, const std::string& value) -> const std::string& {
    if (const std::string why = Unsendable(value, gbk); !why.empty()) {
      const std::string xm = Text(p, F::xm);
      throw UnsendableValue("第" + (Unsendable(jfmxxh, gbk).empty() ? jfmxxh : std::string("?")) + "行人员" +
                            (Unsendable(xm, gbk).empty() ? xm : std::string()) + "的" + name + why);
    }
    return value;
  };
  add("jfmxxh", text("jfmxxh", jfmxxh));
  add("sbjbjgDm", text("sbjbjgDm", PersonText(p, F::sbjbjgdm)));
  add("cxjmsbbm", text("cxjmsbbm", PersonText(p, F::rybh)));
  add("jhsx", text("jhsx", Text(p, F::jhsx)));
  add("xzjdDm", text("xzjdDm", PersonText(p, F::xz_xzjddm)));
  add("sqczDm", text("sqczDm", PersonText(p, F::xz_sqhczdm)));
  add("zsxmDm", text("zsxmDm", PersonText(p, F::zsxmdm)));
  add("zspmDm", text("zspmDm", PersonText(p, F::zspmdm)));
  add("zszmDm", text("zszmDm", PersonText(p, F::zszmdm)));
  add("jfnd", text("jfnd", Text(p, F::jfnd)));
  // Residents' rows ("00") send the amount actually payable.
  add("yjfe", Text(p, F::pmlx) == "00" ? Amount(p, F::sjyjfe) : Amount(p, F::jfje));
  add("yjfje", Amount(p, F::yjfje));
  add("ybtfe", Amount(p, F::ybtfe));
}

// Every person of the declaration, in order, to `each`; details or persons that are no list are
// passed over.
template <class Each>
void ForEachPerson(const Json& sb, Each&& each) {
  auto details = sb.find("details");
  if (details == sb.end() || !details->is_array()) return;
  for (const Json& mx : *details) {
    auto persons = mx.find("persons");
    if (persons == mx.end() || !persons->is_array()) continue;
    for (const Json& p : *persons) each(p);
  }
}

template <class Each>
void ForEachPerson(const ParsedDeclaration& sb, Each&& each) {
  for (const ParsedDetail& mx : sb.details) {
    for (size_t i = mx.firstPerson; i < mx.firstPerson + mx.personCount; ++i) each(sb.Person(i));
  }
}

const Json& Master(const Json& sb) { return sb; }
const Json& Master(const ParsedDeclaration& sb) { return sb.master; }

// Runs one step of making the document: a value it cannot carry reaches the user named ("创建报文
// 异常：第2行人员张三的xzjdDm含控制字符"), any other failure as "创建报文异常"; either is logged
// under `op`.
template <class Step>
void DocumentStep(std::string_view op, Step&& step) {
  try {
    step();
  } catch (const UnsendableValue& e) {
    LogMgr(op, e.what());
    throw Exception(std::string("创建报文异常：") + e.what());
  } catch (const std::exception& e) {
    LogMgr(op, e.what());
    throw Exception("创建报文异常");
  }
}

}  // namespace

SubmittedDeclaration::SubmittedDeclaration(const std::string& text)
    : text_(text), parsed_(ParsedDeclaration::Read(text)) {
  if (!parsed_) tree_ = ParseObject(text, "申报数据无效");
}

void SubmittedDeclaration::Release() {
  parsed_.reset();
  tree_ = Json();
}

template <class Each>
void SbbwBuilder::EachPerson(Each&& each) const {
  if (sb_.parsed_) ForEachPerson(*sb_.parsed_, each);
  else ForEachPerson(sb_.tree_, each);
}

SbbwBuilder::SbbwBuilder(std::string_view requestType, const SubmittedDeclaration& sb, std::string djxh,
                         std::string_view op)
    : sb_(sb), djxh_(std::move(djxh)), op_(op) {
  DocumentStep(op_, [&] {
    doc_.emplace(requestType);
    gbk_ = !doc_->Type().utf8;
    swjgdm_ = Text(sb.parsed_ ? Master(*sb.parsed_) : Master(sb.tree_), "swjgdm");
    if (const std::string why = Unsendable(swjgdm_, gbk_); !why.empty()) throw UnsendableValue("申报的swjgdm" + why);
    // Every value is checked once here, before anything is stored or sent, and the elements are
    // added by Fill without encoding the whole text twice (the gzip of a roster-sized document is
    // the dearest step of making it).
    if (!Unsendable(djxh_, gbk_).empty()) throw Exception("缴费人登记序号无法编码：" + djxh_);
    EachPerson([&](const auto& p) { PersonValues(p, gbk_, [](const char*, const auto&) {}); });
  });
}

void SbbwBuilder::Fill() {
  DocumentStep(op_, [&] {
    taxml::RequestDocument& doc = *doc_;
    doc.Add("cxjmxnhdjxh", djxh_).Add("zgswjgDm", swjgdm_);
    doc.Add("jfrlxDm", "5").Add("sbfsDm", "32").Add("sbsxDm", "0101").Add("yzpzzlDm", kYzpzzlDm).Add("bz", "");
    doc.Open("sbfJfsbbmxList");
    EachPerson([&](const auto& p) {
      doc.Open("sbfJfsbbmxDTO");
      PersonValues(p, gbk_, [&](const char* name, const auto& value) { doc.Add(name, value); });
      doc.Close();
    });
    doc.Close();
  });
}

taxml::RequestDocument BuildSbbw(std::string_view requestType, const SubmittedDeclaration& sb,
                                 const std::string& djxh, std::string_view op) {
  SbbwBuilder built(requestType, sb, djxh, op);
  built.Fill();
  return std::move(built.Document());
}

std::function<void()> FillBesideJournal(const SubmittedDeclaration& sb, SbbwBuilder& document) {
  if (sb.parsed_) return [&document] { document.Fill(); };
  document.Fill();
  return nullptr;
}

void AwaitDocument(IRcsbDAO& dao, int32_t journal, taxml::EncodedAhead& encoded, SubmittedDeclaration& sb,
                   std::string_view op) {
  try {
    encoded.Wait();
  } catch (...) {
    DropJournal(dao, journal, op);  // nothing was sent
    throw;
  }
  sb.Release();
}

void RefuseWhileUnconfirmed(IRcsbDAO& dao, const std::string& djxh) {
  Json filter = {{"djxh", djxh},
                 {"sbzt", std::to_string(kSbztSending) + "," + std::to_string(kSbztSendingSecondForm)}};
  std::string rows;
  Check(dao, dao.GetSbzbData(filter.dump(), -1, 0, rows));
  Json list = Json::parse(rows);
  if (!list.empty()) {
    throw Exception("申报记录[" + Text(list.front(), "id") + "]尚未确认服务器是否受理，请先同步申报清单");
  }
}

namespace {
// The members a journalled submission adds to the master.
void MarkJournalled(Json& master, const std::string& djxh, const std::string& yblsh, const std::string& jywyid,
                    int32_t sending) {
  if (Text(master, "djxh").empty()) master["djxh"] = djxh;
  master["yblsh"] = yblsh;
  master["jywyid"] = jywyid;
  master["sbzt"] = sending;
}
}  // namespace

int32_t JournalSubmission(IRcsbDAO& dao, SubmittedDeclaration& sb, const std::string& djxh, const std::string& yblsh,
                          const std::string& jywyid, int32_t sending) {
  int32_t id = 0;
  // The plug-in's own store takes the declaration as read; another store gets the text. Only
  // the master is marked: the document may be being built from the rest meanwhile.
  if (auto* own = dynamic_cast<TRcsbDAO*>(&dao); own && sb.parsed_) {
    MarkJournalled(sb.parsed_->master, djxh, yblsh, jywyid, sending);
    Check(dao, own->SaveSbData(*sb.parsed_, id));
    return id;
  }
  // A tree of its own for a declaration read by the plug-in; a tree's document is built already.
  Json tree = sb.parsed_ ? ParseObject(sb.text_, "申报数据无效") : std::move(sb.tree_);
  MarkJournalled(tree, djxh, yblsh, jywyid, sending);
  std::string text = tree.dump();
  tree = Json();  // a roster-sized tree goes before the store parses its own
  Check(dao, dao.SaveSbData(text, id));
  return id;
}

void DropJournal(IRcsbDAO& dao, int32_t id, std::string_view op) noexcept {
  try {
    if (!dao.DeleteSbData(id)) LogMgr(op, "删除未受理的申报记录[" + std::to_string(id) + "]失败：" + dao.GetErrorMessage());
  } catch (const std::exception& e) {
    LogMgr(op, e.what());
  }
}

void RecordOutcome(IRcsbDAO& dao, int32_t id, int32_t sbzt, const std::optional<Feedback>& fb) {
  const bool final = fb && fb->final;
  Check(dao, dao.UpdateSbztFk(id, sbzt, final ? fb->sbyy : "", final ? fb->yzpzxh : "", final ? fb->errors : "[]"));
}

void RecordFeedback(IRcsbDAO& dao, int32_t id, const Feedback& fb) {
  Check(dao, dao.UpdateSbztFk(id, fb.sbzt, fb.sbyy, fb.final ? fb.yzpzxh : "", fb.final ? fb.errors : "[]"));
}

}  // namespace velmor::declaration
