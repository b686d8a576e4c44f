// TRcsbMgr: the list downloads by payer type ("0053"), through the data interface ("0299"), and
// the download of a declaration's persons ("0081").
#include <algorithm>
#include <sstream>
#include <vector>

#include <pugixml.hpp>

#include "business/date_time.h"
#include "codec/taxml_exchange.h"
#include "framework/host_access.h"
#include "codec/taxml_response.h"
#include "declaration/mgr_support.h"
#include "declaration/rcsb_mgr.h"

namespace velmor {

using namespace declaration;

namespace declaration {

std::string RawText(const taxml::Response& answer) {
  std::ostringstream text;
  answer.Root().print(text, "", pugi::format_raw);
  return text.str();
}

taxml::Call SbqdQueryCall(const std::string& djxh, const std::string& jfrlx, const std::string& sbrqq,
                          const std::string& sbrqz, const std::string& fkssqq, const std::string& fkssqz,
                          IProgressView* progress) {
  taxml::Call call;
  call.serviceCode = "0053";
  call.djxh = false;
  call.progress = progress;
  call.keys["djxh"] = djxh;
  call.keys["jfrlx"] = jfrlx;
  call.keys["zgswjgdm"] = "";
  call.keys["sbrqq"] = sbrqq;
  call.keys["sbrqz"] = sbrqz;
  call.keys["fkssqq"] = fkssqq;
  call.keys["fkssqz"] = fkssqz;
  return call;
}

}  // namespace declaration

namespace {
constexpr const char* kDownloadFailed = "下载异常。";

// "5,8" -> {"5", "8"}; only the three payer types the download knows, each once, in 5/8/9 order.
std::vector<std::string> SelectedTypes(const std::string& list) {
  std::vector<std::string> words;
  std::string word;
  std::istringstream in(list);
  while (std::getline(in, word, ',')) {
    word.erase(0, word.find_first_not_of(' '));
    word.erase(word.find_last_not_of(' ') + 1);
    if (word.empty()) continue;
    if (word != "5" && word != "8" && word != "9") throw Exception("不支持的缴费人类型[" + word + "]");
    words.push_back(word);
  }
  std::vector<std::string> out;
  for (const char* t : {"5", "8", "9"}) {
    if (std::find(words.begin(), words.end(), t) != words.end()) out.emplace_back(t);
  }
  if (out.empty()) throw Exception("未选择缴费人类型");
  return out;
}

// The person of one sbfRysbMxList row in the store's columns; `line` is its line number.
Json PersonOf(pugi::xml_node row, int32_t line) {
  auto v = [&](const char* name) { return std::string(row.child(name).text().get()); };
  const std::string fkssqq = v("fkssqq");
  return {{"mxxh", std::to_string(line)}, {"xm", v("xm")}, {"zjlx", v("sfzjlx")}, {"zjhm", v("sfzjhm")},
          {"sbjbjgdm", v("sbjbjgDm")}, {"rybh", v("sbbm")}, {"xz_xzjddm", v("jdxz")}, {"xz_sqhczdm", v("sqcz")},
          {"jfnd", fkssqq.substr(0, 4)}, {"zsxmdm", v("zsxmDm")}, {"zspmdm", v("zspmDm")}, {"zszmdm", v("zszmDm")},
          {"jfje", v("yjfe")}, {"fkssqq", fkssqq}, {"fkssqz", v("fkssqz")}, {"sjscrq", NowText().substr(0, 10)},
          {"yjfje", v("yjfje")}, {"ybtfe", v("ybtfe")}, {"jmfe", v("jmfe")}};
}
}  // namespace

void TRcsbMgr::DownloadSbfysbqdByJfrlx(const std::string& jfrlx, const std::string& sbrqq, const std::string& sbrqz,
                                       const std::string& fkssqq, const std::string& fkssqz, IProgressView* progress) {
  Ref<IRcsbDAO> dao = Dao();
  const std::string djxh = CurrentDjxh();
  taxml::Reply reply = taxml::Send(SbqdQueryCall(djxh, jfrlx, sbrqq, sbrqz, fkssqq, fkssqz, progress));
  reply.RequireSuccess();
  taxml::Response answer = taxml::Response::Read(reply);
  answer.RequireSuccess();
  answer.RequireList("sbqkxxList");
  Check(*dao, dao->SaveSbfysbqd(djxh, RawText(answer)));
}

bool TRcsbMgr::DownloadSbqdByJfrlxs(const std::string& jfrlxs, bool byDeclarationDate, const std::string& from,
                                    const std::string& to, IProgressView* progress, std::string& error) {
  return Boundary("DownloadSbfysbqdByJfrlx", kDownloadFailed, true, error, ErrorMessage, [&] {
    for (const std::string& jfrlx : SelectedTypes(jfrlxs)) {
      if (byDeclarationDate) {
        DownloadSbfysbqdByJfrlx(jfrlx, from, to, "", "", progress);
      } else {
        DownloadSbfysbqdByJfrlx(jfrlx, "", "", from, to, progress);
      }
      Advance(progress, 1);
    }
    Ref<IRcsbDAO> dao = Dao();
    SettleJournalled(*dao, CurrentDjxh());
  });
}

bool TRcsbMgr::synSbqdCxSjjk(const std::string& sbrqq, const std::string& sbrqz, IProgressView* progress,
                             std::string& error) {
  return Boundary("synSbqdCxSjjk", "申报清单查询异常：", true, error, ErrorMessage, [&] {
    Ref<IRcsbDAO> dao = Dao();
    const std::string djxh = CurrentDjxh();
    taxml::Call call;
    call.serviceCode = "0299";
    call.djxh = false;
    call.progress = progress;
    call.keys["djxh"] = djxh;
    call.keys["jfrlx"] = "5";
    call.keys["sbrqq"] = sbrqq;
    call.keys["sbrqz"] = sbrqz;
    taxml::Reply reply = taxml::Send(call);
    reply.RequireSuccess();
    taxml::Response answer = taxml::Response::Read(reply);
    answer.RequireSuccess();
    answer.RequireList("sbqkxxList");
    Check(*dao, dao->saveSbqdCxSjjk(djxh, RawText(answer)));
    SettleJournalled(*dao, djxh);
    Advance(progress, 1);
  });
}

bool TRcsbMgr::SbmxjlXz(const std::string& yzpzxh, IProgressView* progress, int32_t& count, std::string& error) {
  return Boundary("SbmxjlXz", "下载申报明细异常：", true, error, ErrorMessage, [&] {
    if (yzpzxh.empty()) throw Exception("应征凭证序号为空");
    Ref<IRcsbDAO> dao = Dao();
    Json master = MasterBy(*dao, "yzpzxh", yzpzxh);
    const int32_t id = Int(master, "id");
    taxml::Call call;
    call.serviceCode = "0081";
    call.djxh = false;
    call.progress = progress;
    call.keys["djxh"] = CurrentDjxh();
    call.keys["yzpzxh"] = yzpzxh;
    taxml::Reply reply = taxml::Send(call);
    reply.RequireSuccess();
    taxml::Response answer = taxml::Response::Read(reply);
    const std::string code = answer.Value("cljgcode");
    count = 0;
    if (code == "30062") return;  // the server holds no persons for this voucher
    if (code != "00000") {
      const std::string message = answer.Value("cljgmsg").empty() ? answer.Message() : answer.Value("cljgmsg");
      throw taxml::Failure("【" + code + "】" + RenderMessage(code, message));
    }
    pugi::xml_node list = answer.List("sbfRysbMxList");
    if (!list) throw taxml::Failure("反馈报文缺少<sbfRysbMxList>节点");
    Json persons = Json::array();
    int32_t line = 0;
    for (pugi::xml_node row : list.children()) {
      if (row.type() == pugi::node_element) persons.push_back(PersonOf(row, ++line));
    }
    Check(*dao, dao->SaveSbrymxb(id, persons.dump()));
    const int32_t n = static_cast<int32_t>(persons.size());
    Check(*dao, dao->UpdateSbxmbMisc(id, n, n > 0 ? 1 : 0, 1));
    count = n;
    Advance(progress, 1);
  });
}

}  // namespace velmor
