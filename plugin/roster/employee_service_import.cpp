// The roster's workbook imports: outside persons (importWbry, on to "0057" through addWbry) and
// the phone numbers, groups and remarks of persons already in the roster (ImportPhoneNumber).
// Every data row ends accepted or rejected with its message; rejected rows go to an error
// workbook beside the source.
#include <map>
#include <set>

#include "codec/text_utils.h"
#include "dictionary/dict_access.h"
#include "framework/host_access.h"
#include "framework/progress.h"
#include "roster/employee_service.h"
#include "roster/employee_service_guard.h"
#include "roster/roster_workbook.h"
#include "workbook/workbook.h"

namespace velmor {

namespace {

// The whole workbook refused: its text reaches the user as it is.
[[noreturn]] void Refuse(const std::string& text) { throw service::OpRefusal(text); }

std::string RegionCode() { return TrimBlanks(GetSyspzxx()->GetValue(roster::kRegionCodeKey)); }

// The data rows of a workbook checked against `layout`; refuses a caption mismatch and an empty
// workbook.
std::vector<roster::DataRow> ReadRows(workbook::Workbook& book, roster::ImportLayout& layout, bool agencyAllowed) {
  const workbook::Sheet& sheet = book.FirstSheet();
  try {
    roster::CheckCaptions(sheet.RowText(0), layout, agencyAllowed);
  } catch (const Exception& e) {
    Refuse(e.what());
  }
  std::vector<roster::DataRow> rows = roster::DataRows(sheet, layout.captions.size() + (layout.agency >= 0 ? 1 : 0));
  if (rows.empty()) Refuse(roster::kNoDataRow);
  return rows;
}

std::string Cell(const std::vector<std::string>& row, int col) {
  return col >= 0 && static_cast<size_t>(col) < row.size() ? TrimBlanks(row[static_cast<size_t>(col)]) : "";
}

std::string Join(const std::vector<std::string>& errors) {
  std::string out;
  for (const std::string& e : errors) out += (out.empty() ? "" : roster::kRowErrorSeparator) + e;
  return out;
}

// name|type|number -> the ids of the payer's persons so named.
std::map<std::string, std::vector<std::string>> PersonIds(IEmployeeDao& dao, const std::string& djxh) {
  const std::string text = dao.getRy3ElementHashData(djxh, RyOrigin::kAll);
  if (!dao.GetErrorMessage().empty()) throw service::OpRefusal(dao.GetErrorMessage());
  std::map<std::string, std::vector<std::string>> out;
  for (const std::string& line : SplitText(text, '\n', false)) {
    const size_t eq = line.rfind('=');
    if (eq != std::string::npos) out[line.substr(0, eq)] = SplitText(line.substr(eq + 1), ',');
  }
  return out;
}

// The group of a row's path through the host's group store (created when missing).
void ResolveGroup(IGroupServiceDAO& groups, const std::string& djxh, const std::vector<std::string>& names,
                  int32_t& fzid, std::string& fullpath) {
  std::string message;
  if (!groups.ResolveGroupPath(djxh, names, fzid, fullpath, message)) Refuse("分组处理失败：" + message);
}

}  // namespace

bool TEmployeeServiceImpl::importWbry(const std::string& djxh, const std::string& path, IProgressView* progress,
                                      std::vector<TWbryImportEntity>& rows, WorkbookImportResult& result,
                                      std::string& message) {
  rows.clear();
  result = {};
  return Run("importWbry", "导入异常：", false, message, [&] {
    workbook::Workbook book = workbook::Workbook::Open(path);
    roster::ImportLayout layout = roster::WbryLayout(RegionCode());
    const std::vector<roster::DataRow> data = ReadRows(book, layout, true);
    Ref<IGroupServiceDAO> groups = GetGroupServiceDAO();
    Ref<IEmployeeDao> dao = EmployeeDao();
    KnownServerPersons known(*dao, djxh);
    const std::set<std::string> agencies = ValidSbjbjgdm();
    Ref<IDictionary> zjlxDict = DictZjlx();

    std::vector<WbryInput> inputs;
    std::vector<size_t> sentRow;  // inputs[i] came from rows[sentRow[i]]
    for (const roster::DataRow& d : data) {
      TWbryImportEntity e;
      e.row = static_cast<int32_t>(d.index) + 1;
      e.xm = Cell(d.cells, 0);
      const std::string zjlxmc = Cell(d.cells, 1);
      e.zjhm = Cell(d.cells, 2);
      std::vector<std::string> errors;
      if (e.xm.empty() || zjlxmc.empty() || e.zjhm.empty()) {
        errors.push_back(roster::kWbryIncomplete);
      } else {
        e.zjlx = zjlxDict ? TrimBlanks(zjlxDict->GetCodeByName(zjlxmc)) : "";
        if (e.zjlx.empty()) errors.push_back(roster::kNoZjlxCode);
        if (e.zjlx == roster::kResidentIdCard && !roster::ResidentIdNumberOk(e.zjhm))
          errors.push_back(roster::kBadIdNumber);
        if (!e.zjlx.empty() && known.Knows(e.xm, e.zjlx, e.zjhm)) errors.push_back(kWbryDuplicate);
      }
      // One valid agency is every person's; with several, the row names its own.
      if (agencies.size() == 1) {
        e.sbjbjgdm = *agencies.begin();
      } else {
        e.sbjbjgdm = Cell(d.cells, layout.agency);
        if (e.sbjbjgdm.empty()) errors.push_back(roster::kNoSbjbjg);
        else if (!agencies.count(e.sbjbjgdm)) errors.push_back(roster::kBadSbjbjg);
      }
      if (errors.empty()) {
        const std::vector<std::string> names = roster::GroupPath(d.cells, layout);
        if (!names.empty()) ResolveGroup(*groups, djxh, names, e.fzid, e.fullpath);
        inputs.push_back({e.xm, e.zjlx, e.zjhm, e.sbjbjgdm, e.fzid, e.fullpath, ""});
        sentRow.push_back(rows.size());
      } else {
        e.answer = Join(errors);
      }
      rows.push_back(std::move(e));
    }
    StepProgress(progress, 20);

    if (!inputs.empty()) {
      std::vector<WbryOutcome> outcomes;
      std::string text;
      if (!AddWbry(djxh, inputs, progress, outcomes, text, &known)) Refuse(text);
      for (size_t i = 0; i < outcomes.size() && i < sentRow.size(); ++i) {
        TWbryImportEntity& e = rows[sentRow[i]];
        e.state = outcomes[i].state;
        e.hh = outcomes[i].hh;
        e.answer = outcomes[i].state.empty() && outcomes[i].reason.empty() ? "服务器未返回该人员的处理结果"
                                                                            : outcomes[i].reason;
      }
    }

    std::map<uint32_t, std::string> errors;
    for (const TWbryImportEntity& e : rows) {
      if (e.state.empty()) errors[static_cast<uint32_t>(e.row - 1)] = e.answer;
      else ++result.accepted;
    }
    result.rejected = static_cast<int32_t>(errors.size());
    if (!errors.empty()) result.errorFile = roster::WriteErrorWorkbook(book, errors);
  });
}

bool TEmployeeServiceImpl::ImportPhoneNumber(const std::string& djxh, const std::string& path,
                                             IProgressView* progress, WorkbookImportResult& result,
                                             std::string& message) {
  result = {};
  return Run("ImportPhoneNumber", "导入异常：", false, message, [&] {
    workbook::Workbook book = workbook::Workbook::Open(path);
    roster::ImportLayout layout = roster::PhoneLayout(RegionCode());
    const std::vector<roster::DataRow> data = ReadRows(book, layout, false);
    Ref<IGroupServiceDAO> groups = GetGroupServiceDAO();
    Ref<IEmployeeDao> dao = EmployeeDao();
    const auto ids = PersonIds(*dao, djxh);
    const std::string mobileRule = TrimBlanks(GetSyspzxx()->GetValue(roster::kMobileRuleKey));
    Ref<IDictionary> zjlxDict = DictZjlx();

    std::map<uint32_t, std::string> errors;
    for (const roster::DataRow& d : data) {
      const std::string xm = Cell(d.cells, 0), zjlxmc = Cell(d.cells, 1), zjhm = Cell(d.cells, 2);
      const std::string phone = Cell(d.cells, layout.phone), bzxx = Cell(d.cells, layout.remark);
      if (xm.empty() || zjlxmc.empty() || zjhm.empty()) {
        errors[d.index] = roster::kPhoneIncomplete;
        continue;
      }
      const std::string zjlx = zjlxDict ? TrimBlanks(zjlxDict->GetCodeByName(zjlxmc)) : "";
      auto person = ids.find(PersonKey(xm, zjlx, zjhm));
      std::vector<std::string> rowErrors;
      if (zjlx.empty() || person == ids.end()) rowErrors.push_back(roster::kPersonMissing);
      if (!phone.empty() && !roster::MobileNumberOk(phone, mobileRule)) rowErrors.push_back(roster::kBadMobile);
      if (!rowErrors.empty()) {
        errors[d.index] = Join(rowErrors);
        continue;
      }
      // Only what the row fills changes: an empty cell keeps the person's value.
      const std::vector<std::string> names = roster::GroupPath(d.cells, layout);
      int32_t fzid = -1;
      std::string fullpath;
      if (!names.empty()) ResolveGroup(*groups, djxh, names, fzid, fullpath);
      for (const std::string& idText : person->second) {
        const int32_t id = std::stoi(idText);
        if ((!phone.empty() && !dao->UpdatePhoneNumberById(id, phone)) ||
            (!names.empty() && !dao->UpdateGroupInfoById(id, fzid, fullpath)) ||
            (!bzxx.empty() && !dao->UpdateBzxxById(id, bzxx)))
          Refuse(dao->GetErrorMessage());
      }
      ++result.accepted;
    }
    StepProgress(progress, 100);
    result.rejected = static_cast<int32_t>(errors.size());
    if (!errors.empty()) result.errorFile = roster::WriteErrorWorkbook(book, errors);
  });
}

}  // namespace velmor
