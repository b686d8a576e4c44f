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

// One sbfJfsbbmxDTO; R is a person record (rcsb_dao_person_row.h).
template <class R>
void AddPerson(taxml::RequestDocument& doc, const R& p, bool gbk) {
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
  // Residents' rows ("00") send the amount actually payable.
  const double yjfe = Text(p, F::pmlx) == "00" ? Amount(p, F::sjyjfe) : Amount(p, F::jfje);
  doc.Open("sbfJfsbbmxDTO")
      .Add("jfmxxh", text("jfmxxh", jfmxxh))
      .Add("sbjbjgDm", text("sbjbjgDm", PersonText(p, F::sbjbjgdm)))
      .Add("cxjmsbbm", text("cxjmsbbm", PersonText(p, F::rybh)))
      .Add("jhsx", text("jhsx", Text(p, F::jhsx)))
      .Add("xzjdDm", text("xzjdDm", PersonText(p, F::xz_xzjddm)))
      .Add("sqczDm", text("sqczDm", PersonText(p, F::xz_sqhczdm)))
      .Add("zsxmDm", text("zsxmDm", PersonText(p, F::zsxmdm)))
      .Add("zspmDm", text("zspmDm", PersonText(p, F::zspmdm)))
      .Add("zszmDm", text("zszmDm", PersonText(p, F::zszmdm)))
      .Add("jfnd", text("jfnd", Text(p, F::jfnd)))
      .Add("yjfe", yjfe)
      .Add("yjfje", Amount(p, F::yjfje))
      .Add("ybtfe", Amount(p, F::ybtfe))
      .Close();
}

// The persons of every detail, in order; details or persons that are no list are passed over.
void AddPersons(taxml::RequestDocument& doc, const Json& sb, bool gbk) {
  auto details = sb.find("details");
  if (details == sb.end() || !details->is_array()) return;
  for (const Json& mx : *details) {
    auto persons = mx.find("persons");
    if (persons == mx.end() || !persons->is_array()) continue;
    for (const Json& p : *persons) AddPerson(doc, p, gbk);
  }
}

void AddPersons(taxml::RequestDocument& doc, const ParsedDeclaration& sb, bool gbk) {
  for (const ParsedDetail& mx : sb.details) {
    for (size_t i = mx.firstPerson; i < mx.firstPerson + mx.personCount; ++i) AddPerson(doc, sb.Person(i), gbk);
  }
}

const Json& Master(const Json& sb) { return sb; }
const Json& Master(const ParsedDeclaration& sb) { return sb.master; }

template <class Sb>
taxml::RequestDocument Build(std::string_view requestType, const Sb& sb, const std::string& djxh,
                             std::string_view op) {
  try {
    taxml::RequestDocument doc(requestType);
    const bool gbk = !doc.Type().utf8;
    const std::string swjgdm = Text(Master(sb), "swjgdm");
    if (const std::string why = Unsendable(swjgdm, gbk); !why.empty()) {
      throw UnsendableValue("申报的swjgdm" + why);
    }
    // Every value is checked as it is added, so the whole text is not encoded twice here (the
    // gzip of a roster-sized document is the dearest step of building it).
    if (!Unsendable(djxh, gbk).empty()) throw Exception("缴费人登记序号无法编码：" + djxh);
    doc.Add("cxjmxnhdjxh", djxh).Add("zgswjgDm", swjgdm);
    doc.Add("jfrlxDm", "5").Add("sbfsDm", "32").Add("sbsxDm", "0101").Add("yzpzzlDm", kYzpzzlDm).Add("bz", "");
    doc.Open("sbfJfsbbmxList");
    AddPersons(doc, sb, gbk);
    doc.Close();
    return doc;
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

taxml::RequestDocument BuildSbbw(std::string_view requestType, const SubmittedDeclaration& sb,
                                 const std::string& djxh, std::string_view op) {
  return sb.parsed_ ? Build(requestType, *sb.parsed_, djxh, op) : Build(requestType, sb.tree_, djxh, op);
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

int32_t JournalSubmission(IRcsbDAO& dao, SubmittedDeclaration&& submitted, const std::string& djxh,
                          const std::string& yblsh, const std::string& jywyid, int32_t sending) {
  SubmittedDeclaration sb = std::move(submitted);  // spent here, whatever happens
  int32_t id = 0;
  if (sb.parsed_) {
    // The plug-in's own store takes the declaration as read; another store gets the text.
    if (auto* own = dynamic_cast<TRcsbDAO*>(&dao)) {
      MarkJournalled(sb.parsed_->master, djxh, yblsh, jywyid, sending);
      Check(dao, own->SaveSbData(*sb.parsed_, id));
      return id;
    }
    sb.tree_ = ParseObject(sb.text_, "申报数据无效");
    sb.parsed_.reset();
  }
  MarkJournalled(sb.tree_, djxh, yblsh, jywyid, sending);
  std::string text = sb.tree_.dump();
  sb.tree_ = Json();  // a roster-sized tree goes before the store parses its own
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
