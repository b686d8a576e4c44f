#include "cli/declaration_rows.h"

#include <charconv>
#include <optional>
#include <utility>

#include <nlohmann/json.hpp>

#include "store/sql.h"
#include "store/store_behind.h"

namespace velmor::cli {

namespace {

std::string RowsSql(const std::string& djxh, const std::string& month, const SqlFragment& persons) {
  const SqlFragment inMonth =
      month.empty() ? SqlFragment()
                    : SqlFragment::Trusted(FormatSql(" and c.ksjfyf <= '%0:s' and c.tzjfyf >= '%0:s'", {V(month)}));
  // The persons are read in their stored order, newest first, as the update view reads them: the
  // unary plus (the engine's no-op) keeps the planner off the index by payer, whose order a sort
  // of every row would then undo (six times slower at 100,000 persons).
  return FormatSql(
      "select a.rydjxh, a.xm, a.zjlx, a.zjhm, b.sbjbjgdm, b.rybh, b.yxbz as cbjgyxbz, c.xzid, c.zsxmdm, c.zspmdm, "
      "c.zszmdm, c.xzjddm, c.sqhczdm, c.yxbz as xmyxbz, c.pmlx, c.yjfe from sb_ryjbxxb a, sb_rycbjgxxb b, "
      "sb_rycbxmb c where +a.djxh = '%s'%s and b.djxh = a.djxh and b.rydjxh = a.rydjxh and c.djxh = b.djxh and "
      "c.rydjxh = b.rydjxh and c.sbjbjgdm = b.sbjbjgdm and c.rybh = b.rybh%s order by a.id desc, c.xzid",
      {V(djxh), persons, inMonth});
}

// A stored id as the store lists it (a number, or its text); none for anything else.
std::optional<int64_t> Id(const nlohmann::json& v) {
  if (v.is_number_integer()) return v.get<int64_t>();
  if (!v.is_string()) return std::nullopt;
  const std::string& text = v.get_ref<const std::string&>();
  int64_t id = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), id);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return id;
}

// The lowest and highest stored id of the payer's persons; none when the store answers no range.
std::optional<std::pair<int64_t, int64_t>> PersonIds(IEmployeeDao& store, const std::string& djxh) {
  const nlohmann::json rows = nlohmann::json::parse(
      store.getData(FormatSql("select min(id) as lo, max(id) as hi from sb_ryjbxxb where djxh = '%s'", {V(djxh)})),
      nullptr, false);
  if (!rows.is_array() || rows.size() != 1 || !rows[0].is_object()) return std::nullopt;
  const std::optional<int64_t> lo = Id(rows[0].value("lo", nlohmann::json())),
                               hi = Id(rows[0].value("hi", nlohmann::json()));
  if (!lo || !hi) return std::nullopt;
  return std::make_pair(*lo, *hi);
}

// A page the row reader does not take: raised on the builder's side to end the pages.
struct OtherPage {};

}  // namespace

std::string DeclarationRowsSql(const std::string& djxh, const std::string& month) {
  return RowsSql(djxh, month, SqlFragment());
}

std::string DeclarationRowsSql(const std::string& djxh, const std::string& month, int64_t above, int64_t upTo) {
  return RowsSql(djxh, month,
                 SqlFragment::Trusted(" and a.id > " + std::to_string(above) + " and a.id <= " + std::to_string(upTo)));
}

RosterDeclaration DeclarationFromStore(IEmployeeDao& store, const std::string& djxh, const std::string& month,
                                       const std::map<std::string, double>& amounts, const std::string& swjgdm,
                                       int jfnd, const std::function<void(std::string_view page)>& eachPage,
                                       int64_t pagePersons) {
  auto whole = [&] {
    return DeclarationFromTakenRosterText(store.getData(DeclarationRowsSql(djxh, month)), amounts, swjgdm, jfnd);
  };
  const auto ids = PersonIds(store, djxh);
  if (!ids || pagePersons <= 0) return whole();

  RosterDeclarationBuilder builder(amounts, jfnd);
  try {
    // Each page is built on the stores' worker, in order, while the store reads the next; at
    // most two wait. Once one fails, the next Post raises its failure and the reading ends.
    WithStoresBehind(
        [&](StoreBehind& behind) {
          for (int64_t upTo = ids->second; upTo >= ids->first; upTo -= pagePersons) {
            std::string page = store.getData(DeclarationRowsSql(djxh, month, upTo - pagePersons, upTo));
            if (eachPage) eachPage(page);
            behind.Post([&builder, page = std::move(page)] {
              if (!builder.AddPage(page)) throw OtherPage{};
            });
          }
        },
        2);
  } catch (const OtherPage&) {
    return whole();
  }
  return builder.Finish(swjgdm);
}

}  // namespace velmor::cli
