// The download of the payer's payment registrations ("0040").
#include <filesystem>
#include <fstream>

#include "business/date_time.h"
#include "codec/base64.h"
#include "codec/gbk.h"
#include "codec/taxml_exchange.h"
#include "framework/host_access.h"
#include "framework/registry.h"
#include "roster/employee_service.h"
#include "roster/employee_service_guard.h"
#include "roster/ygcbxx_download.h"

namespace velmor {

namespace {

std::string Trimmed(std::string s) {
  const char* ws = " \t\r\n";
  s.erase(0, s.find_first_not_of(ws));
  s.erase(s.find_last_not_of(ws) + 1);
  return s;
}

// The response document as UTF-8 text (the declaration may name GBK).
std::string DocumentText(const std::string& response) {
  std::string bytes = Base64Decode(response);
  const std::string head = bytes.substr(0, 100);
  if (head.find("GBK") != std::string::npos || head.find("gbk") != std::string::npos ||
      head.find("GB2312") != std::string::npos || head.find("GB18030") != std::string::npos)
    return GbkToUtf8(bytes);
  return bytes;
}

void Dump(const std::string& text) {
  std::string dir = GetPlatformManager()->GetModuleDataDir("M8");
  if (dir.empty()) return;
  std::filesystem::path path = std::filesystem::path(dir) / "Dump";
  std::error_code ec;
  std::filesystem::create_directories(path, ec);
  path /= LocalTimeText("%Y%m%d%H%M%S%f") + ".xml";
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  if (!out) throw Exception("转储文件写入失败：" + path.string());
  LogText("完成文件转储");
}

}  // namespace

void DownloadYgcbxx(const std::string& djxh, bool incremental, ISysParamIntf& params, IEmployeeDao& dao) {
  params.SetValue("ygcbxx_xtgxsj", LocalTimeText("%Y%m%d"));
  std::string gxsj, maxid;
  if (incremental) {
    gxsj = Trimmed(params.GetValue("ygcbxx_gxsj")).substr(0, 19);
    maxid = Trimmed(params.GetValue("ygcbxx_maxid"));
  }
  taxml::Call call;
  call.serviceCode = "0040";
  call.djxh = false;
  call.keys["djxh"] = djxh;
  call.keys["gxsj"] = gxsj;
  call.keys["maxid"] = maxid;
  LogText("开始[批量城乡居民缴费登记信息查询]请求");
  taxml::Reply reply = taxml::Send(call);
  if (reply.Refused() && reply.RefusalCode() == "10042") {
    LogText("结束[批量城乡居民缴费登记信息查询]请求");
    return;  // nothing new
  }
  reply.RequireSuccess();
  LogText("结束[批量城乡居民缴费登记信息查询]请求");
  const std::string response = reply.request->GetResponse();
  if (response.empty() || response == "null") return;
  const std::string xml = DocumentText(response);
  Dump(xml);
  std::string message;
  if (!dao.addOrUpdateYgcbxx(djxh, xml, message)) throw taxml::Failure(message);
}

bool TEmployeeServiceImpl::updateYgcbxx(const std::string& djxh, std::string& message, bool incremental) {
  try {
    LogText("开始下载人员登记信息。");
  } catch (...) {
  }
  bool ok = Run("updateYgcbxx", "同步异常：", false, message, [&] {
    Ref<ISysParamIntf> params = SysParams(djxh);
    Ref<IEmployeeDao> dao = EmployeeDao();
    DownloadYgcbxx(djxh, incremental, *params, *dao);
  });
  try {
    LogText("结束下载人员登记信息。");
  } catch (...) {
  }
  return ok;
}

}  // namespace velmor
