#include "declaration/submission.h"

#include "codec/taxml_exchange.h"
#include "declaration/mgr_support.h"

namespace velmor::declaration {

namespace {

std::string Pick(const Json& p, const char* name, const char* column) {
  std::string v = Text(p, name);
  return v.empty() ? Text(p, column) : v;
}

void AddPersons(taxml::RequestDocument& doc, const Json& sb) {
  doc.Open("sbfJfsbbmxList");
  auto details = sb.find("details");
  if (details != sb.end() && details->is_array()) {
    for (const Json& mx : *details) {
      auto persons = mx.find("persons");
      if (persons == mx.end() || !persons->is_array()) continue;
      for (const Json& p : *persons) {
        // Residents' rows ("00") send the amount actually payable.
        const double yjfe = Text(p, "pmlx") == "00" ? Amount(p, "sjyjfe") : Amount(p, "jfje");
        doc.Open("sbfJfsbbmxDTO")
            .Add("jfmxxh", Pick(p, "jfmxxh", "mxxh"))
            .Add("sbjbjgDm", Pick(p, "sbjbjgDm", "sbjbjgdm"))
            .Add("cxjmsbbm", Pick(p, "cxjmsbbm", "rybh"))
            .Add("jhsx", Text(p, "jhsx"))
            .Add("xzjdDm", Pick(p, "xzjdDm", "xz_xzjddm"))
            .Add("sqczDm", Pick(p, "sqczDm", "xz_sqhczdm"))
            .Add("zsxmDm", Pick(p, "zsxmDm", "zsxmdm"))
            .Add("zspmDm", Pick(p, "zspmDm", "zspmdm"))
            .Add("zszmDm", Pick(p, "zszmDm", "zszmdm"))
            .Add("jfnd", Text(p, "jfnd"))
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
    doc.Add("cxjmxnhdjxh", djxh).Add("zgswjgDm", Text(sb, "swjgdm"));
    doc.Add("jfrlxDm", "5").Add("sbfsDm", "32").Add("sbsxDm", "0101").Add("yzpzzlDm", kYzpzzlDm).Add("bz", "");
    AddPersons(doc, sb);
    (void)taxml::EncodeData(doc);  // a text the encoding cannot hold fails here, before anything is sent
    return doc;
  } catch (const std::exception& e) {
    LogMgr(op, e.what());
    throw Exception("创建报文异常");
  }
}

int32_t StoreSubmission(IRcsbDAO& dao, Json sb, const std::string& djxh, const std::string& yblsh,
                        const std::string& jywyid, int32_t sbzt, const std::optional<Feedback>& fb) {
  if (Text(sb, "djxh").empty()) sb["djxh"] = djxh;
  sb["yblsh"] = yblsh;
  sb["jywyid"] = jywyid;
  sb["sbzt"] = sbzt;
  int32_t id = 0;
  const bool final = fb && fb->final;
  Check(dao, dao.SaveSbDataFk(sb.dump(), final ? fb->sbyy : "", final ? fb->yzpzxh : "", final ? fb->errors : "[]",
                              id));
  return id;
}

void RecordFeedback(IRcsbDAO& dao, int32_t id, const Feedback& fb) {
  Check(dao, dao.UpdateSbzt(id, fb.sbzt, fb.sbyy, ""));
  if (fb.final) Check(dao, dao.UpdateSbFk(id, fb.yzpzxh, fb.errors));
}

}  // namespace velmor::declaration
