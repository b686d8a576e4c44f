// One declared person (ds_sbrymxb, 30 columns from mxbid to sjyjfe): its insert, shared by the
// save of a declaration and the replacement of a master's persons, and the reading of its
// values under either spelling. A person object may carry the names the submission document
// uses (jfmxxh, sbjbjgDm, cxjmsbbm, xzjdDm, sqczDm, zsxmDm, zspmDm, zszmDm) or the store's
// column names; the document and the store read the same value, so what is stored is what was
// sent.
//
// A person is read through three functions of its record type R, found by argument lookup:
// Text(r, PersonField), Int(r, PersonField) and Amount(r, PersonField), with the meaning of
// dao_support.h's Text / Int / Amount of the member of that name. Records are JSON objects (below)
// or the rows of a ParsedDeclaration (parsed_declaration.h).
//
// Plain functions over their arguments; any thread.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "declaration/dao_support.h"
#include "store/bound_sql.h"

namespace velmor::declaration {

// The members of a person that the document and the store read: the store's columns, then the
// document's own names of eight of them, then jhsx (sent, never stored).
enum class PersonField : uint8_t {
  mxxh, xm, zjlx, zjhm, sbjbjgdm, rybh, xz_xzjddm, xz_sqhczdm, jfnd, zsxmdm, zspmdm, zszmdm, jfje, jffs, jflx,
  sbyy, pmlx, cbrytslbdm, cxjmhdid, zjtzlsh, sblsh, fkssqq, fkssqz, sjscrq, jyzt, bz, yjfje, ybtfe, sjyjfe,
  jfmxxh, sbjbjgDm, cxjmsbbm, xzjdDm, sqczDm, zsxmDm, zspmDm, zszmDm, jhsx,
  kCount
};
inline constexpr size_t kPersonFieldCount = static_cast<size_t>(PersonField::kCount);

// The member name of each field, in enum order.
extern const std::array<std::string_view, kPersonFieldCount> kPersonFieldNames;
inline std::string_view NameOf(PersonField f) { return kPersonFieldNames[static_cast<size_t>(f)]; }
// The field of member name `name`; false when the store and the document never read it.
bool PersonFieldOf(std::string_view name, PersonField& field);

// The document's name for store column `column`, or the column itself when it has none.
PersonField SubmissionName(PersonField column);

// A JSON person object read by field.
inline std::string Text(const Json& person, PersonField f) { return Text(person, NameOf(f)); }
inline int32_t Int(const Json& person, PersonField f) { return Int(person, NameOf(f)); }
inline double Amount(const Json& person, PersonField f) { return Amount(person, NameOf(f)); }

// The value of store column `column` of `person`: the submission's name for it when that is
// present and not empty, else the column itself.
template <class R>
std::string PersonText(const R& person, PersonField column) {
  const PersonField name = SubmissionName(column);
  if (name != column) {
    std::string v = Text(person, name);
    if (!v.empty()) return v;
  }
  return Text(person, column);
}

// The INSERT of one person, its values bound: the statement is prepared once for all persons.
extern const std::string kPersonInsert;

// The values of kPersonInsert for `person` under master `mxbid`, appended to `values`.
template <class R>
void BindPerson(BoundValues& v, int32_t mxbid, const R& p) {
  using F = PersonField;
  v.Int(mxbid);
  for (F c : {F::mxxh, F::xm, F::zjlx, F::zjhm, F::sbjbjgdm, F::rybh, F::xz_xzjddm, F::xz_sqhczdm, F::jfnd, F::zsxmdm,
              F::zspmdm, F::zszmdm})
    v.Text(PersonText(p, c));
  v.Money(Amount(p, F::jfje));
  for (F c : {F::jffs, F::jflx, F::sbyy, F::pmlx, F::cbrytslbdm, F::cxjmhdid, F::zjtzlsh, F::sblsh, F::fkssqq,
              F::fkssqz, F::sjscrq})
    v.Text(PersonText(p, c));
  v.Int(Int(p, F::jyzt)).Text(PersonText(p, F::bz));
  v.Money(Amount(p, F::yjfje)).Money(Amount(p, F::ybtfe)).Money(Amount(p, F::sjyjfe));
}

}  // namespace velmor::declaration
