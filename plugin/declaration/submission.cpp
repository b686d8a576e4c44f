#include "declaration/submission.h"

#include "codec/gbk.h"
#include "codec/taxml_exchange.h"
#include "declaration/mgr_support.h"
#include "declaration/rcsb_dao_person_row.h"

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
  if (!IsValidUtf8(value)) return "不是有效的UTF-8文本";
  if (gbk) {
    try {
      (void)Utf8ToGbk(value);
    } catch (const std::exception&) {
      return "含GBK无法表示的字符";
    }
  }
  return {};
}

void AddPersons(taxml::RequestDocument& doc, const Json& sb) {
  const bool gbk = !doc.Type().utf8;
  doc.Open("sbfJfsbbmxList");
  auto details = sb.find("details");
  if (details != sb.end() && details->is_array()) {
    for (const Json& mx : *details) {
      auto persons = mx.find("persons");
      if (persons == mx.end() || !persons->is_array()) continue;
      for (const Json& p : *persons) {
        const std::string jfmxxh = PersonText(p, "mxxh");
        auto text = [&](const char* name, const std::string& value) -> const std::string& {
          if (const std::string why = Unsendable(value, gbk); !why.empty()) {
            const std::string xm = Text(p, "xm");
            throw UnsendableValue("第" + (Unsendable(jfmxxh, gbk).empty() ? jfmxxh : std::string("?")) + "行人员" +
                                  (Unsendable(xm, gbk).empty() ? xm : std::string()) + "的" + name + why);
          }
          return value;
        };
        // Residents' rows ("00") send the amount actually payable.
        const double yjfe = Text(p, "pmlx") == "00" ? Amount(p, "sjyjfe") : Amount(p, "jfje");
        doc.Open("sbfJfsbbmxDTO")
            .Add("jfmxxh", text("jfmxxh", jfmxxh))
            .Add("sbjbjgDm", text("sbjbjgDm", PersonText(p, "sbjbjgdm")))
            .Add("cxjmsbbm", text("cxjmsbbm", PersonText(p, "rybh")))
            .Add("jhsx", text("jhsx", Text(p, "jhsx")))
            .Add("xzjdDm", text("xzjdDm", PersonText(p, "xz_xzjddm")))
            .Add("sqczDm", text("sqczDm", PersonText(p, "xz_sqhczdm")))
            .Add("zsxmDm", text("zsxmDm", PersonText(p, "zsxmdm")))
            .Add("zspmDm", text("zspmDm", PersonText(p, "zspmdm")))
            .Add("zszmDm", text("zszmDm", PersonText(p, "zszmdm")))
            .Add("jfnd", text("jfnd", Text(p, "jfnd")))
            .Add("yjfe", yjfe)
            .Add("yjfje", Amount(p, "yjfje"))
            .Add("ybtfe", Amount(p, "ybtfe"))
            .Close();
      }
    }
  }
  doc.Close();
}

}  // namespace

taxml::RequestDocument BuildSbbw(std::string_view requestType, const Json& sb, const std::string& djxh,
                                 std::string_view op) {
  try {
    taxml::RequestDocument doc(requestType);
    const std::string swjgdm = Text(sb, "swjgdm");
    if (const std::string why = Unsendable(swjgdm, !doc.Type().utf8); !why.empty()) {
      throw UnsendableValue("申报的swjgdm" + why);
    }
    // Every value is checked as it is added, so the whole text is not encoded twice here (the
    // gzip of a roster-sized document is the dearest step of building it).
    if (!Unsendable(djxh, !doc.Type().utf8).empty()) throw Exception("缴费人登记序号无法编码：" + djxh);
    doc.Add("cxjmxnhdjxh", djxh).Add("zgswjgDm", swjgdm);
    doc.Add("jfrlxDm", "5").Add("sbfsDm", "32").Add("sbsxDm", "0101").Add("yzpzzlDm", kYzpzzlDm).Add("bz", "");
    AddPersons(doc, sb);
    return doc;
  } catch (const UnsendableValue& e) {
    LogMgr(op, e.what());
    throw Exception(std::string("创建报文异常：") + e.what());
  } catch (const std::exception& e) {
    LogMgr(op, e.what());
    throw Exception("创建报文异常");
  }
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

int32_t JournalSubmission(IRcsbDAO& dao, Json sb, const std::string& djxh, const std::string& yblsh,
                          const std::string& jywyid, int32_t sending) {
  if (Text(sb, "djxh").empty()) sb["djxh"] = djxh;
  sb["yblsh"] = yblsh;
  sb["jywyid"] = jywyid;
  sb["sbzt"] = sending;
  std::string text = sb.dump();
  sb = Json();  // a roster-sized tree goes before the store parses its own
  int32_t id = 0;
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
