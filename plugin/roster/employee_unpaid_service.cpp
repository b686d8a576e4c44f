#include "roster/employee_unpaid_service.h"

#include <map>

#include "framework/boundary.h"
#include "framework/host_access.h"
#include "framework/module.h"
#include "framework/registry.h"
#include "framework/service_table.h"
#include "store/json_text.h"
#include "velmor/jfbz_dao.h"
#include "workbook/workbook.h"

namespace velmor {

namespace {

constexpr const char* kClass = "TEmployeeUnpaidServiceImpl";
constexpr const char* kSheetName = "未缴费人员";

Ref<IEmployeeUnpaidDao> UnpaidDao() {
  return CreatePluginService<IEmployeeUnpaidDao>("创建平台组件接口[IEmployeeUnpaidDao]失败！");
}

// zspmdm -> pmlx from the fee standards' sub-item table.
std::map<std::string, std::string> PmlxOfSubItems() {
  Ref<IJfbzDAO> jfbz = CreatePluginService<IJfbzDAO>("创建平台组件接口[IJfbzDAO]失败！");
  const std::string text = jfbz->GetAllPmlxList();
  if (!jfbz->GetErrorMessage().empty()) throw Exception(jfbz->GetErrorMessage());
  std::map<std::string, std::string> out;
  for (const auto& row : nlohmann::ordered_json::parse(text)) out[RowText(row, "zspmdm")] = RowText(row, "pmlx");
  return out;
}

}  // namespace

const std::vector<std::string>& UnpaidCaptions() {
  static const std::vector<std::string> captions = {
      "姓名",     "证件类型", "证件号码", "手机号码", "分组",     "社保经办机构", "人员编号", "征收项目",
      "征收品目", "征收子目", "品目类型", "乡镇街道", "社区村组", "开始缴费月份", "停止缴费月份"};
  return captions;
}

bool TEmployeeUnpaidServiceImpl::getData(const std::string& djxh, const UnpaidFilter& filter, int32_t page,
                                         int32_t pageSize, std::vector<TEmployeeUnpaidEntity>& rows) {
  rows.clear();
  ErrorMessage.clear();
  return Attempt<Exception>({kClass, "getData", LogForm::kBracketed}, {"", true, UnknownText::kShown}, &ErrorMessage,
                            [&] {
                              Ref<IEmployeeUnpaidDao> dao = UnpaidDao();
                              if (!dao->getData(djxh, filter, page, pageSize, rows))
                                throw Exception(dao->GetErrorMessage());
                            });
}

bool TEmployeeUnpaidServiceImpl::exportData(const std::string& djxh, const UnpaidFilter& filter,
                                            const std::string& path, int32_t& count) {
  count = 0;
  ErrorMessage.clear();
  return Attempt<Exception, workbook::WorkbookError>(
      {kClass, "exportData", LogForm::kBracketed}, {"", true, UnknownText::kShown}, &ErrorMessage, [&] {
        if (path.empty()) throw Exception("请指定导出文件。");
        Ref<IEmployeeUnpaidDao> dao = UnpaidDao();
        std::vector<TEmployeeUnpaidEntity> rows;
        if (!dao->getData(djxh, filter, -1, 0, rows)) throw Exception(dao->GetErrorMessage());
        // The fee standards are asked only when an item lacks its type.
        std::map<std::string, std::string> pmlx;
        bool pmlxRead = false;
        workbook::Workbook book;
        workbook::Sheet& sheet = book.AddSheet(kSheetName);
        sheet.SetHeader(UnpaidCaptions());
        for (const TEmployeeUnpaidEntity& r : rows) {
          std::string type = r.pmlx;
          if (type.empty()) {
            if (!pmlxRead) {
              pmlx = PmlxOfSubItems();
              pmlxRead = true;
            }
            auto it = pmlx.find(r.zspmdm);
            if (it != pmlx.end()) type = it->second;
          }
          sheet.AppendRow({r.xm, r.zjlx, r.zjhm, r.phonenumber, r.fullname, r.sbjbjgdm, r.rybh, r.zsxmdm, r.zspmdm,
                           r.zszmdm, type, r.xzjddm, r.sqhczdm, r.ksjfyf, r.tzjfyf});
        }
        book.Save(path);
        count = static_cast<int32_t>(rows.size());
      });
}

namespace {
void RegisterUnpaidService() {
  RegisterServiceClass(ServiceRowAt(kRowTEmployeeUnpaidServiceImpl).iid,
                       &ClassOf<TEmployeeUnpaidServiceImpl>::Instance());
}
void UnregisterUnpaidService() { UnregisterServiceClass(ServiceRowAt(kRowTEmployeeUnpaidServiceImpl).iid); }
}  // namespace

}  // namespace velmor

VELMOR_SERVICE_UNIT(16, velmor::RegisterUnpaidService, velmor::UnregisterUnpaidService)
