#include "declaration/dzsb_document.h"

#include <map>
#include <tuple>

#include "codec/taxml_exchange.h"
#include "service/taxml_json.h"

namespace velmor::declaration {

namespace {
constexpr int32_t kSbztAccepted = 9;
}  // namespace

taxml::RequestDocument BuildSbBw(const Json& rows, const std::string& djxh, const std::string& zgswjgDm,
                                 const std::string& bz) {
  if (!rows.is_array() || rows.empty()) throw service::OpRefusal("待申报明细列表为空。");
  try {
    taxml::RequestDocument doc("SbfCxjmxnhSbfSbYzxxBcDzmsRequest");
    doc.Add("djxh", djxh).Add("zgswjgDm", zgswjgDm);
    doc.Add("jfrlxDm", "5").Add("sbfsDm", "32").Add("sbsxDm", "0101").Add("yzpzzlDm", "BDA0611049");
    doc.Open("shbxfjfsbbMxDzmsList");
    for (const Json& r : rows) {
      if (!r.is_object()) throw Exception("明细不是JSON对象");
      doc.Open("shbxfjfsbbDetailDTO")
          .Add("hdid", Text(r, "cxjmhdid"))
          .Add("sjly", Text(r, "sjly"))
          .Add("jhsx", Text(r, "jhsx"))
          .Add("zjtzlsh", Text(r, "zjtzlsh"))
          .Add("sblsh", Text(r, "sblsh"))
          .Add("xxh", Text(r, "xxh"))
          .Add("sbjbjgDm", Text(r, "sbjbjgDm"))
          .Add("sbbm", Text(r, "cxjmsbbm"))
          .Add("fkssqq", Text(r, "fkssqq"))
          .Add("fkssqz", Text(r, "fkssqz"))
          .Add("zsxmDm", Text(r, "zsxmDm"))
          .Add("zspmDm", Text(r, "zspmDm"))
          .Add("zszmDm", Text(r, "zszmDm"))
          .Add("yjfe", Amount(r, "yjfe"))
          .Close();
    }
    doc.Close();
    doc.Add("bz", bz);
    (void)doc.Text();  // every value checked before anything is sent
    return doc;
  } catch (const std::exception& e) {
    throw taxml::Failure(taxml::kBuildFailed, e.what());
  }
}

Json DzsbDeclaration(const Json& rows, const std::string& djxh, const std::string& yblsh,
                     const std::string& zgswjgDm, const std::string& bz) {
  using Key = std::tuple<std::string, std::string, std::string, std::string, std::string, std::string>;
  std::map<Key, size_t> index;
  Json details = Json::array();
  double total = 0;
  for (const Json& r : rows) {
    const double yjfe = Amount(r, "yjfe");
    total += yjfe;
    const Key key{Text(r, "zsxmDm"), Text(r, "zspmDm"), Text(r, "zszmDm"), Text(r, "sbjbjgDm"),
                  Text(r, "fkssqq"), Text(r, "fkssqz")};
    auto [at, added] = index.try_emplace(key, details.size());
    if (added) {
      details.push_back({{"zrs", 0}, {"zje", 0.0}, {"jfnd", Text(r, "fkssqq").substr(0, 4)},
                         {"zsxmdm", std::get<0>(key)}, {"zspmdm", std::get<1>(key)}, {"zszmdm", std::get<2>(key)},
                         {"sjly", Text(r, "sjly")}, {"sbjbjgdm", std::get<3>(key)}, {"sfyrymx", 1},
                         {"sfyxzrymx", 1}, {"fkssqq", std::get<4>(key)}, {"fkssqz", std::get<5>(key)},
                         {"yjfjeHj", 0.0}, {"ybtfeHJ", 0.0}, {"persons", Json::array()}});
    }
    Json& d = details[at->second];
    d["zrs"] = d["zrs"].get<int>() + 1;
    for (const char* k : {"zje", "yjfjeHj", "ybtfeHJ"}) d[k] = d[k].get<double>() + yjfe;
    // The person in the document's own names; the store keeps them under its columns.
    d["persons"].push_back({{"jfmxxh", Text(r, "xxh")}, {"xm", Text(r, "xm")}, {"zjlx", Text(r, "zjlx")},
                            {"zjhm", Text(r, "zjhm")}, {"sbjbjgDm", Text(r, "sbjbjgDm")},
                            {"cxjmsbbm", Text(r, "cxjmsbbm")}, {"xzjdDm", Text(r, "xzjddm")},
                            {"sqczDm", Text(r, "sqhczdm")}, {"jfnd", Text(r, "fkssqq").substr(0, 4)},
                            {"zsxmDm", Text(r, "zsxmDm")}, {"zspmDm", Text(r, "zspmDm")},
                            {"zszmDm", Text(r, "zszmDm")}, {"jfje", yjfe}, {"yjfje", yjfe}, {"ybtfe", yjfe},
                            {"sjyjfe", yjfe}, {"cxjmhdid", Text(r, "cxjmhdid")}, {"zjtzlsh", Text(r, "zjtzlsh")},
                            {"sblsh", Text(r, "sblsh")}, {"fkssqq", Text(r, "fkssqq")},
                            {"fkssqz", Text(r, "fkssqz")}, {"sjscrq", Text(r, "sjscrq")}, {"pmlx", "01"}});
  }
  return {{"djxh", djxh}, {"yblsh", yblsh}, {"sblx", "01"}, {"swjgdm", zgswjgDm},
          {"zrs", static_cast<int>(rows.size())}, {"zje", total}, {"yjfjeHj", total}, {"ybtfeHJ", total},
          {"sbzt", kSbztAccepted}, {"jkzt", 0}, {"jywyid", ""}, {"bz", bz}, {"details", details}};
}

}  // namespace velmor::declaration
