#include "residents/jfdj_store.h"

#include "service/taxml_json.h"
#include "store/db_access.h"
#include "store/paging.h"
#include "store/sql_filters.h"
#include "store/sql_toolkit.h"

namespace velmor::jfdj {

namespace {

std::string Field(IJfdjQueryCondition* qc, const char* name) { return qc ? qc->GetField(name) : std::string(); }

int64_t Number(IJfdjQueryCondition* qc, const char* name) {
  const std::string text = Field(qc, name);
  try {
    size_t used = 0;
    int64_t n = std::stoll(text, &used);
    if (used == text.size()) return n;
  } catch (const std::exception&) {
  }
  throw service::OpRefusal(std::string("查询条件") + name + "不是数字：" + text);
}

void NumberFilter(SqlFilters& f, IJfdjQueryCondition* qc, const char* name, const SqlFragment& tmpl) {
  if (!Field(qc, name).empty()) f.AddNumber(true, tmpl, Number(qc, name));
}

// The person filters shared by pending and submitted persons.
void PersonFilters(SqlFilters& f, IJfdjQueryCondition* qc) {
  if (!qc) return;
  f.AddLike(" and xm like ", qc->GetXm())
      .AddQuoted(" and zjlxDm = ", qc->GetZjlxDm())
      .AddLike(" and zjhm like ", qc->GetZjhm())
      .AddQuoted(" and czlx = ", Field(qc, "czlx"));
}

// Result filter "1": accepted; "2": rejected (a code that is neither "00000" nor empty).
void ResultFilter(SqlFilters& f, IJfdjQueryCondition* qc) {
  const std::string jgbz = Field(qc, "jgbz");
  f.AddIf(jgbz == "1", " and code = '00000' ")
      .AddIf(jgbz == "2", " and code <> '00000' and code <> '' and code is not null ");
}

struct Read {
  const char* count = "";  // the payer, then the conditions
  const char* page = "";   // the payer, the conditions and the paging suffix
  SqlFragment conditions;
};

Read Build(const JfdjFamily& family, IJfdjQueryCondition* qc) {
  SqlFilters f;
  Read r;
  auto scoped = [&](const char* countTmpl, const char* pageTmpl) {
    r.count = countTmpl;
    r.page = pageTmpl;
  };
  if (&family == &kJfdjRyFamily) {
    scoped(" select count(1) as zs from ds_jfdjryb where djxh = '%s' %s ",
           " select * from ds_jfdjryb where djxh = '%s' %s  order by id desc %s ");
    PersonFilters(f, qc);
  } else if (&family == &kJfdjXzFamily) {
    // Lines have no payer of their own: they are the payer's through their person.
    scoped(" select count(1) as zs from ds_jfdjxzb where 1 = 1 and zbid in (select id from ds_jfdjryb where djxh "
           "= '%s') %s ",
           " select * from ds_jfdjxzb where 1 = 1 and zbid in (select id from ds_jfdjryb where djxh = '%s') %s %s ");
    NumberFilter(f, qc, "zbid", " and zbid = %d ");
  } else if (&family == &kRyjbxxFamily) {
    // a.* with the group's name: a bare * would let the group's id and djxh hide the person's.
    scoped(" select count(1) as zs from sb_ryjbxxb a left join sb_fzxxb b  on a.fzid = b.id  where a.djxh = '%s' %s ",
           " select a.*, b.fullname from sb_ryjbxxb a left join sb_fzxxb b  on a.fzid = b.id  where a.djxh = '%s' "
           "%s  order by a.id desc %s ");
    f.AddQuoted(" and a.rydjxh = ", Field(qc, "rydjxh"));
    if (qc) f.AddLike(" and a.xm like ", qc->GetXm()).AddQuoted(" and a.zjlx = ", qc->GetZjlxDm()).AddLike(" and a.zjhm like ", qc->GetZjhm());
  } else if (&family == &kRycbxmFamily) {
    scoped(" select count(1) as zs from sb_rycbxmb where djxh = '%s' %s ",
           " select * from sb_rycbxmb where djxh = '%s' %s %s ");
    f.AddQuoted(" and rydjxh = ", Field(qc, "rydjxh"))
        .AddQuoted(" and rybh = ", Field(qc, "rybh"))
        .AddQuoted(" and sbjbjgdm = ", Field(qc, "sbjbjgdm"))
        .AddQuoted(" and swjgDm = ", Field(qc, "swjgDm"));
  } else if (&family == &kXnhcbxmFamily) {
    scoped(" select count(1) as zs from sb_xnhcbxmb where djxh = '%s' %s ",
           " select * from sb_xnhcbxmb where djxh = '%s' %s %s ");
    f.AddQuoted(" and xzlxDm = ", Field(qc, "xzlxDm")).AddQuoted(" and dsXzqhDm = ", Field(qc, "dsXzqhDm"));
  } else if (&family == &kJfdjjlFamily) {
    scoped(" select count(1) as zs from ds_jfdjjlb where djxh = '%s' %s ",
           " select * from ds_jfdjjlb where djxh = '%s' %s  order by id desc %s ");
    f.AddQuoted(" and zt = ", Field(qc, "zt"))
        .AddQuoted(" and tjsj >= ", Field(qc, "tjsjq"))
        .AddQuoted(" and tjsj <= ", Field(qc, "tjsjz"));
  } else if (&family == &kJfdjjlRyFamily) {
    scoped(" select count(1) as zs from ds_jfdjjlryb where djxh = '%s' %s ",
           " select * from ds_jfdjjlryb where djxh = '%s' %s  order by id desc %s ");
    NumberFilter(f, qc, "id", " and id = %d ");
    NumberFilter(f, qc, "zbid", " and zbid = %d ");
    PersonFilters(f, qc);
    ResultFilter(f, qc);
  } else if (&family == &kJfdjjlXzFamily) {
    scoped(" select count(1) as zs from ds_jfdjjlxzb where 1 = 1 and zbid in (select id from ds_jfdjjlryb where djxh "
           "= '%s') %s ",
           " select * from ds_jfdjjlxzb where 1 = 1 and zbid in (select id from ds_jfdjjlryb where djxh = '%s') %s %s ");
    NumberFilter(f, qc, "zbid", " and zbid = %d ");
    ResultFilter(f, qc);
  } else {
    throw service::OpRefusal("记录类型" + std::string(family.name) + "没有查询。");
  }
  r.conditions = f.Build();
  return r;
}

}  // namespace

std::string CountSql(const JfdjFamily& family, const std::string& djxh, IJfdjQueryCondition* qc) {
  Read r = Build(family, qc);
  return FormatSql(r.count, {V(djxh), r.conditions});
}

std::string PageSql(const JfdjFamily& family, const std::string& djxh, IJfdjQueryCondition* qc, int32_t page,
                    int32_t pageSize) {
  Read r = Build(family, qc);
  return FormatSql(r.page, {V(djxh), r.conditions, PagingSuffix(page, pageSize)});
}

Row PendingPerson(IDBMechanism& db, const std::string& djxh, int64_t id) {
  Row rows = Rows(db, FormatSql(" select * from ds_jfdjryb where djxh = '%s' and id = %d ", {V(djxh), id}));
  return rows.empty() ? Row::object() : rows[0];
}

std::vector<Row> PendingLines(IDBMechanism& db, int64_t personId) {
  std::vector<Row> out;
  for (auto& r : Rows(db, FormatSql(" select * from ds_jfdjxzb where zbid = %d order by id ", {personId})))
    out.push_back(std::move(r));
  return out;
}

namespace {

double Amount(const std::string& text) {
  if (text.empty()) return 0;
  try {
    return std::stod(text);
  } catch (const std::exception&) {
    throw service::OpRefusal("缴费标准不是数字：" + text);
  }
}

}  // namespace

int64_t SavePending(IDBMechanism& db, const std::string& djxh, TJfdjRecord& p, const std::vector<TJfdjRecord*>& lines) {
  Transaction tx(db);
  int64_t id = p.GetId();
  if (id == 0) {
    ExecOrThrow(db, FormatSql(
        " insert into ds_jfdjryb(djxh, swjgDm, czlx, jcrq, jcyyDm, rydjxh, xm,  sjgghdqDm, zjlxDm, zjhm, xbDm, csrq, "
        "hjxzDm, hjszdXzqhDm, hjszd, czddz,  czdJdxzDm, czdSqczDm, yzbm, lxrDzyj, lxdh, sjhm, grsfDm, tsrylbDm, jfrsbh, "
        "shbzhm, sfydj)  values('%s', '%s', '%s', '%s', '%s', '%s', '%s',  '%s', '%s', '%s', '%s', '%s', '%s', '%s', "
        "'%s', '%s',  '%s', '%s', '%s', '%s', '%s', '%s', '%s', '%s', '%s', '%s', '%s') ",
        {V(djxh), V(p.Get("swjgDm")), V(p.Get("czlx")), V(p.Get("jcrq")), V(p.Get("jcyyDm")), V(p.Get("rydjxh")),
         V(p.Get("xm")), V(p.Get("sjgghdqDm")), V(p.Get("zjlxDm")), V(p.Get("zjhm")), V(p.Get("xbDm")),
         V(p.Get("csrq")), V(p.Get("hjxzDm")), V(p.Get("hjszdXzqhDm")), V(p.Get("hjszd")), V(p.Get("czddz")),
         V(p.Get("czdJdxzDm")), V(p.Get("czdSqczDm")), V(p.Get("yzbm")), V(p.Get("lxrDzyj")), V(p.Get("lxdh")),
         V(p.Get("sjhm")), V(p.Get("grsfDm")), V(p.Get("tsrylbDm")), V(p.Get("jfrsbh")), V(p.Get("shbzhm")),
         V(p.Get("sfydj"))}));
    id = QueryCount(db, " select max(id) as id from ds_jfdjryb ");
  } else {
    // Only a pending person of this payer can be rewritten.
    if (QueryCount(db, FormatSql(" select count(1) from ds_jfdjryb where id = %d and djxh = '%s' ", {id, V(djxh)})) == 0)
      throw service::OpRefusal("待提交人员[" + std::to_string(id) + "]不存在。");
    ExecOrThrow(db, FormatSql(
        " update ds_jfdjryb set djxh = '%s', swjgDm = '%s', czlx = '%s', jcrq = '%s',  jcyyDm = '%s', rydjxh = '%s', "
        "xm = '%s', sjgghdqDm = '%s', zjlxDm = '%s', zjhm = '%s',  xbDm = '%s', csrq = '%s', hjxzDm = '%s', "
        "hjszdXzqhDm = '%s', hjszd = '%s', czddz = '%s',  czdJdxzDm = '%s', czdSqczDm = '%s', yzbm = '%s', lxrDzyj = "
        "'%s', lxdh = '%s', sjhm = '%s',  grsfDm = '%s', tsrylbDm = '%s', jfrsbh = '%s', shbzhm = '%s', sfydj = '%s'  "
        "where id = %d ",
        {V(djxh), V(p.Get("swjgDm")), V(p.Get("czlx")), V(p.Get("jcrq")), V(p.Get("jcyyDm")), V(p.Get("rydjxh")),
         V(p.Get("xm")), V(p.Get("sjgghdqDm")), V(p.Get("zjlxDm")), V(p.Get("zjhm")), V(p.Get("xbDm")),
         V(p.Get("csrq")), V(p.Get("hjxzDm")), V(p.Get("hjszdXzqhDm")), V(p.Get("hjszd")), V(p.Get("czddz")),
         V(p.Get("czdJdxzDm")), V(p.Get("czdSqczDm")), V(p.Get("yzbm")), V(p.Get("lxrDzyj")), V(p.Get("lxdh")),
         V(p.Get("sjhm")), V(p.Get("grsfDm")), V(p.Get("tsrylbDm")), V(p.Get("jfrsbh")), V(p.Get("shbzhm")),
         V(p.Get("sfydj")), id}));
  }
  ExecOrThrow(db, FormatSql(" delete from ds_jfdjxzb where zbid = %d ", {id}));
  for (TJfdjRecord* l : lines) {
    ExecOrThrow(db, FormatSql(
        " insert into ds_jfdjxzb(zbid, czlx, xzId, xzlxDm, jfdXzqhDm, zzbh, cbrytslbDm,  jfdJdxzDm, jfdSqczDm, ksjfyf, "
        "jcrq, jfbz, sbjbjgdm)  values(%d, '%s', '%s', '%s', '%s', '%s', '%s',  '%s', '%s', '%s', '%s', %f, '%s') ",
        {id, V(l->Get("czlx")), V(l->Get("xzId")), V(l->Get("xzlxDm")), V(l->Get("jfdXzqhDm")), V(l->Get("zzbh")),
         V(l->Get("cbrytslbDm")), V(l->Get("jfdJdxzDm")), V(l->Get("jfdSqczDm")), V(l->Get("ksjfyf")),
         V(l->Get("jcrq")), Amount(l->Get("jfbz")), V(l->Get("sbjbjgdm"))}));
  }
  tx.Commit();
  return id;
}

void DeletePending(IDBMechanism& db, const std::string& djxh, int64_t id) {
  Transaction tx(db);
  // Scoped to the payer: an id of another payer's person deletes nothing.
  ExecOrThrow(db, FormatSql(" delete from ds_jfdjxzb where zbid in (select id from ds_jfdjryb where id = %d and djxh = "
                            "'%s') ",
                            {id, V(djxh)}));
  ExecOrThrow(db, FormatSql(" delete from ds_jfdjryb where id = %d and djxh = '%s' ", {id, V(djxh)}));
  tx.Commit();
}

namespace {
std::string T(const Row& r, const char* key) { return service::Text(r, key); }
}  // namespace

int64_t SaveSubmission(IDBMechanism& db, const std::string& djxh, const std::string& yblsh, const std::string& tjsj,
                       const std::string& swjgDm, const std::vector<SentPerson>& persons) {
  Transaction tx(db);
  ExecOrThrow(db, FormatSql(" insert into ds_jfdjjlb (djxh, yblsh, tjsj, swjgDm, jmzs, zt) values ('%s', '%s', '%s', "
                            "'%s', %d, '%s') ",
                            {V(djxh), V(yblsh), V(tjsj), V(swjgDm), static_cast<int64_t>(persons.size()), V("1")}));
  const int64_t jlId = QueryCount(db, " select max(id) as id from ds_jfdjjlb ");
  for (const SentPerson& sp : persons) {
    const Row& p = sp.person;
    ExecOrThrow(db, FormatSql(
        " insert into ds_jfdjjlryb(zbid, djxh, swjgDm, czlx, jcrq, jcyyDm, rydjxh, xm,  sjgghdqDm, zjlxDm, zjhm, xbDm, "
        "csrq, hjxzDm, hjszdXzqhDm, hjszd, czddz,  czdJdxzDm, czdSqczDm, yzbm, lxrDzyj, lxdh, sjhm, grsfDm, tsrylbDm, "
        "jfrsbh, shbzhm)  values(%d, '%s', '%s', '%s', '%s', '%s', '%s', '%s',  '%s', '%s', '%s', '%s', '%s', '%s', "
        "'%s', '%s', '%s',  '%s', '%s', '%s', '%s', '%s', '%s', '%s', '%s', '%s', '%s') ",
        {jlId, V(djxh), V(T(p, "swjgDm")), V(T(p, "czlx")), V(T(p, "jcrq")), V(T(p, "jcyyDm")), V(T(p, "rydjxh")),
         V(T(p, "xm")), V(T(p, "sjgghdqDm")), V(T(p, "zjlxDm")), V(T(p, "zjhm")), V(T(p, "xbDm")), V(T(p, "csrq")),
         V(T(p, "hjxzDm")), V(T(p, "hjszdXzqhDm")), V(T(p, "hjszd")), V(T(p, "czddz")), V(T(p, "czdJdxzDm")),
         V(T(p, "czdSqczDm")), V(T(p, "yzbm")), V(T(p, "lxrDzyj")), V(T(p, "lxdh")), V(T(p, "sjhm")),
         V(T(p, "grsfDm")), V(T(p, "tsrylbDm")), V(T(p, "jfrsbh")), V(T(p, "shbzhm"))}));
    const int64_t ryId = QueryCount(db, " select max(id) as id from ds_jfdjjlryb ");
    for (const Row& l : sp.lines) {
      ExecOrThrow(db, FormatSql(
          " insert into ds_jfdjjlxzb(zbid, czlx, xzId, xzlxDm, jfdXzqhDm, zzbh, cbrytslbDm,  jfdJdxzDm, jfdSqczDm, "
          "ksjfyf, jcrq, jfbz, sbjbjgdm)  values(%d, '%s', '%s', '%s', '%s', '%s', '%s',  '%s', '%s', '%s', '%s', %f, "
          "'%s') ",
          {ryId, V(T(l, "czlx")), V(T(l, "xzId")), V(T(l, "xzlxDm")), V(T(l, "jfdXzqhDm")), V(T(l, "zzbh")),
           V(T(l, "cbrytslbDm")), V(T(l, "jfdJdxzDm")), V(T(l, "jfdSqczDm")), V(T(l, "ksjfyf")), V(T(l, "jcrq")),
           Amount(T(l, "jfbz")), V(T(l, "sbjbjgdm"))}));
    }
    ExecOrThrow(db, FormatSql(" delete from ds_jfdjryb where djxh = '%s' and xm = '%s'  and zjlxDm = '%s' and zjhm = "
                              "'%s' and sjgghdqDm = '%s' and swjgdm = '%s' ;  delete from ds_jfdjxzb where zbID not in "
                              "(select id from ds_jfdjryb); ",
                              {V(djxh), V(T(p, "xm")), V(T(p, "zjlxDm")), V(T(p, "zjhm")), V(T(p, "sjgghdqDm")),
                               V(T(p, "swjgDm"))}));
  }
  tx.Commit();
  return jlId;
}

void SaveVerdict(IDBMechanism& db, int64_t submissionId, const std::string& zt, const std::string& sbyy,
                 const std::vector<VerdictPerson>& persons) {
  Transaction tx(db);
  ExecOrThrow(db, FormatSql(" update ds_jfdjjlb set zt = '%s', sbyy = '%s' where id = %d ", {V(zt), V(sbyy), submissionId}));
  for (const VerdictPerson& p : persons) {
    Row ids = Rows(db, FormatSql(" select id from ds_jfdjjlryb where zbid = %d and xm = '%s'  and zjlxDm = '%s' and "
                                 "zjhm = '%s' and sjgghdqDm = '%s' ",
                                 {submissionId, V(p.xm), V(p.zjlxDm), V(p.zjhm), V(p.dqdm)}));
    if (ids.empty()) continue;
    const int64_t ryId = std::stoll(T(ids[0], "id"));
    ExecOrThrow(db, FormatSql(" update ds_jfdjjlryb set code = '%s', sbyy = '%s' where id = %d ", {V(p.cljg), V(p.cwyy), ryId}));
    for (const VerdictLine& l : p.lines) {
      Row lineIds = Rows(db, FormatSql(" select id from ds_jfdjjlxzb where zbid = %d and xzlxDm = '%s' and jfdXzqhDm = "
                                       "'%s' ",
                                       {ryId, V(l.xzlxDm), V(l.xzqh)}));
      if (lineIds.empty()) continue;
      ExecOrThrow(db, FormatSql(" update ds_jfdjjlxzb set code = '%s', sbyy = '%s' where id = %d ",
                                {V(l.cljg), V(l.cwyy), std::stoll(T(lineIds[0], "id"))}));
    }
  }
  tx.Commit();
}

}  // namespace velmor::jfdj
