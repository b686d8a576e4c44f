// A daily declaration built from the stored roster: every valid insured item of the roster rows
// (person x enrolment x item, as IEmployeeService::getUpdateData answers them) becomes a person
// row, grouped into one detail row per agency and levy item / sub-item / detail. The amount of an
// item is its assessed amount (`amounts`, by xzid) or else its own yjfe; items with no amount are
// left out (nothing is due for them). The fee period is the whole fee year. The result is the document that
// IRcsbMgr::SbSend takes (see examples/declaration.json).
//
// Plain functions over their arguments; any thread.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace velmor::cli {

struct RosterDeclaration {
  nlohmann::ordered_json document;  // {"swjgdm", ..., "details": [{..., "persons": [...]}]}
  std::string text;                 // the document as JSON text (document.dump())
  int persons = 0;                  // person rows (the master's zrs counts distinct persons)
  double amount = 0;                // their total
};

// `rows` is a JSON array of roster rows; rows whose item or enrolment is not valid ("Y") are
// left out. Raises std::invalid_argument when `rows` is not an array of objects, and when no
// valid item with an amount is left ("花名册中没有应申报的参保项目").
// The assessed amounts of rows {"xzid", "ybtfe"} (the stored declaration states), by xzid; rows
// without an item id or a readable amount are skipped.
std::map<std::string, double> AssessedAmounts(const nlohmann::json& rows);

RosterDeclaration DeclarationFromRoster(const nlohmann::json& rows, const std::map<std::string, double>& amounts,
                                        const std::string& swjgdm, int jfnd);

// The same two from the rows' JSON text (getUpdateData's answer, a store query's rows), read row
// by row: a roster of 100,000 persons is never held as a JSON tree. Text that is not JSON gives
// what the functions above give for a text that failed to parse. DeclarationFromRosterText sets
// `text` only (`document` stays null): the same text as DeclarationFromRoster's document.dump().
std::map<std::string, double> AssessedAmountsText(std::string_view rows);
RosterDeclaration DeclarationFromRosterText(std::string_view rows, const std::map<std::string, double>& amounts,
                                            const std::string& swjgdm, int jfnd);
// The same, taking the rows' text and letting it go once every row is read, before the document
// is put together: the two texts are never held at once. `rows` is empty afterwards.
RosterDeclaration DeclarationFromTakenRosterText(std::string&& rows, const std::map<std::string, double>& amounts,
                                                 const std::string& swjgdm, int jfnd);

// The same declaration from the rows given a page at a time (pages in the rows' order, as the
// whole text would hold them): each page is read and let go as it comes, and the document is put
// together by Finish. A value of one thread (it may be another than the one reading the pages).
class RosterDeclarationBuilder {
 public:
  RosterDeclarationBuilder(const std::map<std::string, double>& amounts, int jfnd);
  ~RosterDeclarationBuilder();
  RosterDeclarationBuilder(const RosterDeclarationBuilder&) = delete;
  RosterDeclarationBuilder& operator=(const RosterDeclarationBuilder&) = delete;

  // Adds the rows of `page`, a JSON array of row objects. False when the page is a text the row
  // reader does not take (DeclarationFromRosterText then reads the whole text as a tree): the
  // builder may hold part of the page and must not be used further.
  bool AddPage(std::string_view page);
  // As DeclarationFromRosterText; raises std::invalid_argument when no row was declared.
  RosterDeclaration Finish(const std::string& swjgdm);

 private:
  class Writer;
  std::unique_ptr<Writer> writer_;
};

}  // namespace velmor::cli
