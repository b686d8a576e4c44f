// TYjxxDaoImpl: the payable-information store and the registration of its class.
#include "declaration/yjxx_dao.h"

#include "declaration/dao_support.h"
#include "declaration/yjxx_rows.h"
#include "framework/module.h"
#include "framework/registry.h"
#include "framework/service_table.h"
#include "store/row_pipeline.h"
#include "store/sql.h"

namespace velmor {

using namespace declaration;

namespace {
constexpr const char* kYjxxQueryFailed = "查询征集信息表失败。";
constexpr const char* kYjxxDeleteFailed = "删除城乡居民核定信息失败。";
constexpr const char* kYjxxSaveFailed = "保存城乡居民征集信息失败";
constexpr const char* kYjxxExecFailed = "数据库执行失败";

// Runs body on the common boundary under "TYjxxDaoImpl.<op>"; clears the error on success.
template <class F>
bool Op(std::string_view op, std::string* errorText, const char* fallbackText, F&& body) noexcept {
  return Guarded<StoreError>({"TYjxxDaoImpl", op}, {fallbackText, false}, errorText, false, [&]() -> bool {
    std::forward<F>(body)();
    errorText->clear();
    return true;
  });
}

std::string RequirePayer(const std::string& djxh, const char* userText) {
  if (djxh.empty()) throw StoreError(userText, "：缺少djxh");
  return djxh;
}

// Replaces the payer's rows: the delete and every insert in one transaction, rolled back when
// `rows` answers false.
void Replace(const std::string& djxh, const std::function<bool(const TYjxxDaoImpl::RowSink&)>& rows, bool person,
             bool zjyxrq) {
  RequirePayer(djxh, kYjxxSaveFailed);
  Ref<IDBMechanism> db = OpenMainConnection();
  Transaction tx(*db, kYjxxSaveFailed);
  ExecOrThrow(*db, FormatSql(" delete from sb_dzzjxxb where djxh = %s", {Q(djxh)}), kYjxxDeleteFailed);
  bool keep = true;  // written on the worker, read once it has been joined
  // The answer is read on a worker while its rows are stored here.
  PipelineRows(
      [&](RowOut& out) {
        RowMembers members = YjxxRowMembers();
        keep = rows([&](const Json& r) {
          YjxxInsertValues(djxh, r, person, zjyxrq, members, out.Row());
          out.Emit();
        });
      },
      [&](const BoundValues& values) { ExecBoundOrThrow(*db, YjxxInsertSql(), values, kYjxxSaveFailed); });
  if (keep) tx.Commit();
}

void Replace(const std::string& djxh, const std::string& text, bool person, bool zjyxrq) {
  const Json list = ParseArray(text, kYjxxSaveFailed);
  Replace(
      djxh,
      [&](const TYjxxDaoImpl::RowSink& store) {
        for (const Json& r : list) store(r);
        return true;
      },
      person, zjyxrq);
}
}  // namespace

bool TYjxxDaoImpl::getData(const std::string& qc, int32_t page, int32_t pageSize, std::string& rows) {
  return Op("getData", &ErrorMessage, kYjxxQueryFailed, [&] {
    const Json c = ParseObject(qc, kYjxxQueryFailed);
    Ref<IDBMechanism> db = OpenMainConnection();
    rows = Rows(*db, YjxxSelect(c).Page("*", page, pageSize, " order by zjtzlsh asc, rydjxh asc, id asc "),
                kYjxxQueryFailed)
               .dump();
  });
}

bool TYjxxDaoImpl::getCount(const std::string& qc, int32_t& count) {
  return Op("getCount", &ErrorMessage, kYjxxQueryFailed, [&] {
    const Json c = ParseObject(qc, kYjxxQueryFailed);
    Ref<IDBMechanism> db = OpenMainConnection();
    count = QueryCount(*db, YjxxSelect(c).Count(), kYjxxQueryFailed);
  });
}

bool TYjxxDaoImpl::hasMismatchData(const std::string& djxh, bool& mismatch) {
  return Op("hasMismatchData", &ErrorMessage, kYjxxQueryFailed, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    Json c = {{"djxh", RequirePayer(djxh, kYjxxQueryFailed)}};
    mismatch = QueryCount(*db, YjxxSelect(c).Count() + " and rydjxh = ''", kYjxxQueryFailed) > 0;
  });
}

bool TYjxxDaoImpl::getStatistics(const std::string& djxh, std::string& stats) {
  return Op("getStatistics", &ErrorMessage, kYjxxQueryFailed, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    Json rows = Rows(*db,
                     FormatSql("select count(*) as zs, ifnull(sum(yjfe), 0) as zje from sb_dzzjxxb where djxh = %s",
                               {Q(RequirePayer(djxh, kYjxxQueryFailed))}),
                     kYjxxQueryFailed);
    stats = rows.empty() ? Json::object().dump() : rows.front().dump();
  });
}

bool TYjxxDaoImpl::updateData(const std::string& djxh, const std::string& rows, bool zjyxrqEnabled) {
  return Op("updateData", &ErrorMessage, kYjxxSaveFailed, [&] { Replace(djxh, rows, false, zjyxrqEnabled); });
}

bool TYjxxDaoImpl::updateRows(const std::string& djxh, const std::function<bool(const RowSink& store)>& rows,
                              bool zjyxrqEnabled) {
  return Op("updateData", &ErrorMessage, kYjxxSaveFailed, [&] { Replace(djxh, rows, false, zjyxrqEnabled); });
}

bool TYjxxDaoImpl::saveRyData(const std::string& djxh, const std::string& rows) {
  return Op("saveRyData", &ErrorMessage, kYjxxSaveFailed, [&] { Replace(djxh, rows, true, true); });
}

bool TYjxxDaoImpl::getRyData(const std::string& djxh, const std::string& zjlx, std::string& rows) {
  return Op("getRyData", &ErrorMessage, kYjxxQueryFailed, [&] {
    Json c = {{"djxh", RequirePayer(djxh, kYjxxQueryFailed)}, {"zjlx", zjlx}};
    Ref<IDBMechanism> db = OpenMainConnection();
    rows = Rows(*db,
                YjxxSelect(c).Page("distinct rydjxh, xm, zjlx, zjhm", kAllPages, 0,
                                   " and rydjxh <> '' order by zjhm "),
                kYjxxQueryFailed)
               .dump();
  });
}

bool TYjxxDaoImpl::getJfnd(const std::string& djxh, std::string& years) {
  return Op("getJfnd", &ErrorMessage, kYjxxQueryFailed, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    years = FirstColumn(*db,
                        FormatSql(" select distinct(substr(fkssqq, 1, 4)) as jfnd from sb_dzzjxxb where djxh = '%s' "
                                  " order by jfnd",
                                  {V(RequirePayer(djxh, kYjxxQueryFailed))}),
                        kYjxxQueryFailed)
                .dump();
  });
}

bool TYjxxDaoImpl::GetHashDataByZjtzlsh(const std::string& djxh, std::string& hash) {
  return Op("GetHashDataByZjtzlsh", &ErrorMessage, kYjxxQueryFailed, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    Json out = Json::object();
    for (Json& r : Rows(*db,
                        FormatSql("select * from sb_dzzjxxb where djxh = %s order by id",
                                  {Q(RequirePayer(djxh, kYjxxQueryFailed))}),
                        kYjxxQueryFailed)) {
      const std::string key = Text(r, "zjtzlsh");
      if (!out.contains(key)) out[key] = Json::array();
      out[key].push_back(std::move(r));
    }
    hash = out.dump();
  });
}

bool TYjxxDaoImpl::DeleteData(int32_t id) {
  return Op("DeleteData", &ErrorMessage, kYjxxDeleteFailed, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    ExecOrThrow(*db, FormatSql("delete from sb_dzzjxxb where id=%d", {id}), kYjxxDeleteFailed);
  });
}

bool TYjxxDaoImpl::GetZjtzlshList(const std::string& djxh, std::string& list) {
  return Op("GetZjtzlshList", &ErrorMessage, kYjxxQueryFailed, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    list = FirstColumn(*db,
                       FormatSql("select distinct zjtzlsh from sb_dzzjxxb where djxh = %s order by zjtzlsh",
                                 {Q(RequirePayer(djxh, kYjxxQueryFailed))}),
                       kYjxxQueryFailed)
               .dump();
  });
}

bool TYjxxDaoImpl::clearData(const std::string& djxh) {
  return Op("clearData", &ErrorMessage, kYjxxDeleteFailed, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    ExecOrThrow(*db, FormatSql("delete from sb_dzzjxxb where djxh = %s", {Q(RequirePayer(djxh, kYjxxDeleteFailed))}),
                kYjxxDeleteFailed);
  });
}

bool TYjxxDaoImpl::GetData_drcx(const std::string& djxh, const std::string& zjhms, std::string& rows) {
  return Op("GetData_drcx", &ErrorMessage, kYjxxQueryFailed, [&] {
    const Json list = ParseArray(zjhms, kYjxxQueryFailed);
    std::string in;
    for (const Json& z : list) {
      if (!in.empty()) in += ",";
      in += QuotedStr(z.is_string() ? z.get<std::string>() : z.dump());
    }
    Json c = {{"djxh", RequirePayer(djxh, kYjxxQueryFailed)}};
    Ref<IDBMechanism> db = OpenMainConnection();
    const std::string tail = in.empty() ? " and 1 = 0 " : " and zjhm in (" + in + ") order by zjhm, id ";
    rows = Rows(*db, YjxxSelect(c).Page("*", kAllPages, 0, SqlFragment::Trusted(tail)), kYjxxQueryFailed).dump();
  });
}

bool TYjxxDaoImpl::getXzdj_SqczData(const std::string& djxh, std::string& rows) {
  return Op("getXzdj_SqczData", &ErrorMessage, kYjxxQueryFailed, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    rows = Rows(*db,
                FormatSql("select distinct ifnull(xzjddm, '') as xzjddm, ifnull(sqczdm, '') as sqczdm from "
                          "sb_dzzjxxb where djxh = %s order by xzjddm, sqczdm",
                          {Q(RequirePayer(djxh, kYjxxQueryFailed))}),
                kYjxxQueryFailed)
               .dump();
  });
}

bool TYjxxDaoImpl::getZs3mData(const std::string& djxh, std::string& rows) {
  return Op("getZs3mData", &ErrorMessage, kYjxxQueryFailed, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    rows = Rows(*db,
                FormatSql("select distinct zsxmDm as zsxmdm, zspmDm as zspmdm, ifnull(zszmDm, '') as zszmdm from "
                          "sb_dzzjxxb where djxh = %s order by zsxmdm, zspmdm, zszmdm",
                          {Q(RequirePayer(djxh, kYjxxQueryFailed))}),
                kYjxxQueryFailed)
               .dump();
  });
}

bool TYjxxDaoImpl::updateBz(int32_t id, const std::string& bz) {
  return Op("updateBz", &ErrorMessage, kYjxxExecFailed, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    ExecOrThrow(*db, FormatSql("update sb_dzzjxxb set bz = %s where id = %d", {Q(bz), id}), kYjxxExecFailed);
  });
}

bool TYjxxDaoImpl::getJsonData(const std::string& djxh, const std::string& zjtzlshList, std::string& rows) {
  return Op("getJsonData", &ErrorMessage, kYjxxQueryFailed, [&] {
    Json c = {{"djxh", RequirePayer(djxh, kYjxxQueryFailed)}, {"zjtzlshList", ParseArray(zjtzlshList, kYjxxQueryFailed)}};
    Ref<IDBMechanism> db = OpenMainConnection();
    rows = Rows(*db, YjxxSelect(c).Page("*", kAllPages, 0, " order by zjtzlsh asc, rydjxh asc, id asc "),
                kYjxxQueryFailed)
               .dump();
  });
}

namespace {
void RegisterYjxxDao() { RegisterServiceClass(ServiceRowAt(kRowTYjxxDaoImpl).iid, &ClassOf<TYjxxDaoImpl>::Instance()); }
void UnregisterYjxxDao() { UnregisterServiceClass(ServiceRowAt(kRowTYjxxDaoImpl).iid); }
}  // namespace

}  // namespace velmor

VELMOR_SERVICE_UNIT(22, velmor::RegisterYjxxDao, velmor::UnregisterYjxxDao)
