// TRcsbDAO: storing a downloaded declaration list. The response document holds `code`,
// `message` and `sbqkxxList`, one element per declaration (yzpzxh, sbrq, yxbz, yjfehj, ...)
// with its `sbDetailList`. Only rows with yxbz "Y" are stored: a known voucher updates its
// master, a new one inserts master and details. The whole list is stored in one transaction.
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "declaration/dao_support.h"
#include "declaration/rcsb_dao.h"
#include "store/sql.h"

namespace velmor {

using namespace declaration;

namespace {
constexpr const char* kExecFailed = "数据库执行失败";
constexpr const char* kExecException = "数据库执行异常";
constexpr const char* kBadList = "反馈报文异常。";

pugi::xml_node Find(pugi::xml_node from, const char* name) {
  if (std::string_view(from.name()) == name) return from;
  return from.find_node([name](pugi::xml_node n) { return std::string_view(n.name()) == name; });
}

// The element children of `node` as a JSON object of texts (nested lists are left out).
Json Fields(pugi::xml_node node) {
  Json out = Json::object();
  for (pugi::xml_node c : node.children()) {
    if (c.type() != pugi::node_element || c.first_child().type() == pugi::node_element) continue;
    out[c.name()] = c.text().get();
  }
  return out;
}

double ListAmount(const Json& r, const char* key) {
  try {
    return Amount(r, key);
  } catch (const Exception& e) {
    throw StoreError(kBadList, e.what());
  }
}
int32_t ListInt(const Json& r, const char* key, int32_t fallback = 0) {
  try {
    return Int(r, key, fallback);
  } catch (const Exception& e) {
    throw StoreError(kBadList, e.what());
  }
}
}  // namespace

bool TRcsbDAO::SaveSbfysbqd(const std::string& djxh, const std::string& response) {
  return SaveList("SaveSbfysbqd", djxh, response, false);
}

bool TRcsbDAO::saveSbqdCxSjjk(const std::string& djxh, const std::string& response) {
  return SaveList("saveSbqdCxSjjk", djxh, response, true);
}

bool TRcsbDAO::SaveList(const char* op, const std::string& djxh, const std::string& response, bool dataInterface) {
  return GuardDao(op, &ErrorMessage, kExecException, false, [&] {
    pugi::xml_document doc;
    pugi::xml_parse_result parsed = doc.load_buffer(response.data(), response.size());
    if (!parsed) throw StoreError(kBadList, parsed.description());
    pugi::xml_node root = doc.document_element();
    const std::string code = Find(root, "code").text().get();
    if (code != "00000") {
      std::string message = Find(root, "message").text().get();
      throw StoreError(message.empty() ? "【" + code + "】" : message, "");
    }
    pugi::xml_node list = Find(root, "sbqkxxList");
    if (!list) throw StoreError(kBadList, "缺少sbqkxxList");

    Ref<IDBMechanism> db = OpenMainConnection();
    Transaction tx(*db, kExecException);
    for (pugi::xml_node row : list.children()) {
      if (row.type() != pugi::node_element) continue;
      const Json r = Fields(row);
      if (Text(r, "yxbz") != "Y") continue;
      const std::string yzpzxh = Text(r, "yzpzxh");
      if (yzpzxh.empty()) throw StoreError(kBadList, "缺少yzpzxh");
      const int32_t sbzt = ListInt(r, "sbzt", 2);
      const double yjfehj = ListAmount(r, "yjfehj");
      const double ybtfehj = Text(r, "ybtfehj").empty() ? yjfehj : ListAmount(r, "ybtfehj");
      std::vector<Json> details;
      int32_t zrs = 0;
      if (pugi::xml_node dl = row.child("sbDetailList")) {
        for (pugi::xml_node d : dl.children()) {
          if (d.type() != pugi::node_element) continue;
          details.push_back(Fields(d));
          zrs += ListInt(details.back(), "jfrs");
        }
      }
      Json known = FirstColumn(
          *db, FormatSql("select id from ds_sbzb where djxh = %s and yzpzxh = %s order by id", {Q(djxh), Q(yzpzxh)}),
          kExecFailed);
      int32_t zbid = 0;
      if (!known.empty()) {
        zbid = std::stoi(known.front().get<std::string>());
        ExecOrThrow(
            *db,
            FormatSql(" update ds_sbzb set sbzt = %d, sbsj = '%s', sbxz = '%s', swjgslrDm = '%s', slswjgDm = '%s',  "
                      "zje = %f, yjfjeHj = %f, ybtfeHJ = %f where id = %d ",
                      {sbzt, V(Text(r, "sbrq")), V(Text(r, "sbxz")), V(Text(r, "swjgslrDm")), V(Text(r, "slswjgDm")),
                       yjfehj, yjfehj, ybtfehj, zbid}),
            kExecFailed);
        for (const Json& d : details) {
          ExecOrThrow(*db,
                      FormatSql(" update ds_sbmxb set hzmxxh = %s where zbid = %d and sblsh = %s and xxh = %s ",
                                {Q(Text(d, "hzmxxh")), zbid, Q(Text(d, "sblsh")), Q(Text(d, "xxh"))}),
                      kExecFailed);
        }
      } else {
        ExecOrThrow(
            *db,
            FormatSql("INSERT INTO ds_sbzb(djxh, yblsh, sblx, swjgdm, zrs, zje, sbsj, sbzt, jkzt, jywyid, bz, yjfjeHj, "
                      "ybtfeHJ, yzpzxh, sbxz, swjgslrDm, slswjgDm) VALUES (%s, '', %s, %s, %d, %f, %s, %d, 0, '', '', "
                      "%f, %f, %s, %s, %s, %s)",
                      {Q(djxh), Q(Text(r, "sblx").empty() ? std::string("00") : Text(r, "sblx")), Q(Text(r, "swjgdm")),
                       dataInterface ? 0 : zrs, yjfehj, Q(Text(r, "sbrq")), sbzt, yjfehj, ybtfehj, Q(yzpzxh),
                       Q(Text(r, "sbxz")), Q(Text(r, "swjgslrDm")), Q(Text(r, "slswjgDm"))}),
            kExecFailed);
        zbid = QueryCount(*db, "SELECT MAX(ID) AS max_id FROM ds_sbzb", kExecFailed);
        for (const Json& d : details) {
          const std::string fkssqq = Text(d, "fkssqq");
          ExecOrThrow(
              *db,
              FormatSql("INSERT INTO ds_sbmxb(zbid, zrs, zje, jfnd, zsxmdm, zspmdm, zszmdm, sjly, dwbh, sbjbjgdm, "
                        "sfyrymx, sfyxzrymx, fkssqq, fkssqz, yjfjeHj, ybtfeHJ, sblsh, xxh, bz, hzmxxh) VALUES (%d, "
                        "%d, %f, %s, %s, %s, %s, %s, %s, %s, %d, 0, %s, %s, %f, %f, %s, %s, %s, %s)",
                        {zbid, ListInt(d, "jfrs"), ListAmount(d, "yjfe"), Q(fkssqq.substr(0, 4)), Q(Text(d, "zsxmDm")),
                         Q(Text(d, "zspmDm")), Q(Text(d, "zszmDm")), Q(Text(d, "sjly")), Q(Text(d, "sbbm")),
                         Q(Text(d, "sbjbjgDm")), Text(d, "sfczmx") == "Y" ? 1 : 0, Q(fkssqq), Q(Text(d, "fkssqz")),
                         ListAmount(d, "yjfje"), ListAmount(d, "ybtfe"), Q(Text(d, "sblsh")), Q(Text(d, "xxh")),
                         Q(Text(d, "bz")), Q(Text(d, "hzmxxh"))}),
              kExecFailed);
        }
      }
      if (sbzt == 2 || sbzt == 6) {
        ExecOrThrow(*db, FormatSql("UPDATE ds_sbzb set jkzt=%d WHERE ID=%d and zje=0", {8, zbid}), kExecFailed);
      }
    }
    tx.Commit();
    return true;
  });
}

}  // namespace velmor
