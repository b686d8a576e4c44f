// The local operations: prepared lines, records, record lines, insured lines and code lists of
// one payer.
#include <cstdio>

#include "groups/bzdj_guard.h"
#include "framework/host_access.h"
#include "framework/progress.h"
#include "groups/bzdj_ops.h"
#include "groups/bzdj_store.h"
#include "service/taxml_json.h"
#include "store/db_access.h"
#include "store/json_text.h"
#include "store/paging.h"
#include "store/sql_toolkit.h"
#include "codec/json_parse.h"

namespace velmor::groups {


std::string BzDjOps::Djxh() const { return djxh_.empty() ? CurrentDjxh() : djxh_; }

std::string BzDjOps::Jfrlx() const {
  if (!jfrlx_.empty()) return jfrlx_;
  // The account type as registered; a payer not downloaded yet declares as a collective account.
  Ref<IDBMechanism> db = OpenMainConnection();
  Json rows = FirstColumn(*db, FormatSql(" select jfrlx from ds_jtbzhcbxxb where djxh = '%s' and ifnull(jfrlx, '') <> '' "
                                         "limit 1 ",
                                         {V(Djxh())}));
  return rows.empty() ? kJfrlxCollective : rows[0].get<std::string>();
}

std::string BzDjOps::Read(const char* op, const std::string& sql) {
  return Local<std::string>(error_, op, "[]", [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    return JsonText(Rows(*db, sql));
  });
}

int32_t BzDjOps::Count(const char* op, const std::string& sql) {
  return Local<int32_t>(error_, op, -1, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    return QueryCount(*db, sql);
  });
}

int32_t BzDjOps::LineCount(const BzDjFilter& qc) {
  return Local<int32_t>(error_, "getCount", -1, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    return QueryCount(*db, LinesCount(Djxh(), qc));
  });
}

std::string BzDjOps::Lines(const BzDjFilter& qc) {
  return Local<std::string>(error_, "getData", "[]", [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    return JsonText(Rows(*db, LinesSelect(Djxh(), qc, true)));
  });
}

bool BzDjOps::LineSum(const BzDjFilter& qc, double& sum) {
  sum = 0;
  return Local<bool>(error_, "getYjfehj", false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    Ref<IDBDataSet> ds = QueryOrThrow(*db, LinesSum(Djxh(), qc));
    sum = ds->Eof() ? 0 : NumberOf(FieldText(*ds, "hj"));
    return true;
  });
}

bool BzDjOps::DeleteLines(const BzDjFilter& qc, int32_t& deleted) {
  deleted = 0;
  return Local<bool>(error_, "delData", false, [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    const std::string djxh = Djxh();
    Transaction tx(*db, kDbDeleteFailed);
    deleted = QueryCount(*db, LinesCount(djxh, qc));
    ExecOrThrow(*db, LinesDelete(djxh, qc), kDbDeleteFailed);
    tx.Commit();
    return true;
  });
}

bool BzDjOps::AddLines(const std::string& text, IProgressView* progress, int32_t& added) {
  added = 0;
  return Local<bool>(error_, "addDatas", false, [&] {
    Json lines = ParseOutsideJson<Json>(text, false);
    if (!lines.is_array()) throw service::OpRefusal("数据不是JSON数组。");
    if (progress) progress->SetMessage("正在添加数据，请稍等");
    Ref<IDBMechanism> db = OpenMainConnection();
    const std::string djxh = Djxh();
    Transaction tx(*db, kDbUpdateFailed);
    int32_t n = 0;
    for (const Json& line : lines) {
      ++n;
      const std::string problem = LineProblem(line);
      if (!problem.empty()) throw service::OpRefusal("第" + std::to_string(n) + "行：" + problem);
      ExecOrThrow(*db, LineInsert(djxh, line));
      StepProgress(progress, 0);
    }
    tx.Commit();
    added = n;
    return true;
  });
}

int32_t BzDjOps::RecordCount(const BzDjFilter& qc) { return Count("getJlCount", RecordsCount(Djxh(), qc)); }
std::string BzDjOps::Records(const BzDjFilter& qc) {
  return Local<std::string>(error_, "getJlData", "[]", [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    return JsonText(Rows(*db, RecordsSelect(Djxh(), qc, true)));
  });
}

std::string BzDjOps::RecordLines(int32_t zbid) {
  BzDjFilter qc;
  qc.zbid = zbid;
  return Read("getJlmxData", RecordLinesSelect(Djxh(), qc, false));
}

int32_t BzDjOps::PersonLineCount(const BzDjFilter& qc) { return Count("getJlrymxCount", RecordLinesCount(Djxh(), qc)); }
std::string BzDjOps::PersonLines(const BzDjFilter& qc) {
  return Local<std::string>(error_, "getJlrymxData", "[]", [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    return JsonText(Rows(*db, RecordLinesSelect(Djxh(), qc, true)));
  });
}

namespace {
std::string InsuredSelect(const std::string& djxh, const BzDjFilter& qc) {
  SqlFragment valid = qc.yxbz == "Y" ? SqlFragment(" and a.yxbz = 'Y' ") : SqlFragment();
  SqlFragment agency = qc.sbjbjgdm.empty()
                           ? SqlFragment()
                           : SqlFragment::Trusted(FormatSql(" and a.sbjbjgDm = '%s' ", {V(qc.sbjbjgdm)}));
  return FormatSql(" select a.zgswjgDm, a.zgswksDm, a.jfrztDm, a.xnhflbs, a.sbjbjgDm, a.dwbh,  b.cbxzId, b.zsxmDm, "
                   "b.zspmDm, b.zszmDm, b.xzlxdm, b.jdxzdm, b.sqczdm  from ds_jtbzhcbxxb a, ds_jtbzhcbxzb b  where "
                   "a.djxh = '%s' and a.id = b.zbid %s %s ",
                   {V(djxh), valid, agency});
}
}  // namespace

int32_t BzDjOps::InsuredCount(const BzDjFilter& qc) {
  return Count("getCbxzCount", " select count(1) as zs from ( " + InsuredSelect(Djxh(), qc) + " )");
}

std::string BzDjOps::Insured(const BzDjFilter& qc) {
  return Local<std::string>(error_, "getCbxzData", "[]", [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    return JsonText(Rows(*db, InsuredSelect(Djxh(), qc) + PagingSuffix(qc.page, qc.pageSize).str()));
  });
}

std::string BzDjOps::Codes(const char* column, const std::string& filter, const char* op) {
  return Local<std::string>(error_, op, "[]", [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    return JsonText(FirstColumn(*db, DistinctSelect(column, Djxh(), filter)));
  });
}

std::string BzDjOps::ListEntries(int32_t zbid) { return Read("getQdData", ListEntriesSelect(Djxh(), zbid)); }
std::string BzDjOps::Unpaid() { return Read("getWjkData", UnpaidSelect(Djxh())); }

std::string BzDjOps::Vouchers() {
  return Local<std::string>(error_, "getYzpzxhLb", "[]", [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    return JsonText(FirstColumn(
        *db, FormatSql(" select distinct yzpzxh from ds_jtbzhsbjlb where djxh = '%s' and ifnull(yzpzxh, '') <> '' ",
                       {V(Djxh())})));
  });
}

std::string BzDjOps::Xnhflbs(const std::string& zgswjgDm) {
  error_.clear();
  return Guarded<StoreError>({"TJtbzhImpl", "getXnhflbs"}, {kDbQueryFailed, false}, &error_, std::string("[]"), [&] {
    Ref<IDBMechanism> db = OpenMainConnection();
    // Payer and office quoted: a 20-digit payer number compared as a number never matches.
    return JsonText(FirstColumn(*db, FormatSql("select xnhflbs from ds_jtbzhcbxxb where djxh = %s and upper(yxbz) = "
                                               "'Y'  and zgswjgDm = %s and xnhflbs <> '' and (xnhflbs is not null) ",
                                               {Q(Djxh()), Q(zgswjgDm)})));
  });
}

Json NumberLines(const Json& rows) {
  Json lines = Json::array();
  int32_t n = 0;
  for (const Json& r : rows) {
    Json l = r;
    l["jfmxxh"] = std::to_string(++n);
    char amount[64];
    std::snprintf(amount, sizeof amount, "%.2f", NumberOf(service::Text(r, "yjfe")));
    l["yjfe"] = amount;
    lines.push_back(std::move(l));
  }
  return lines;
}

}  // namespace velmor::groups
