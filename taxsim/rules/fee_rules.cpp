#include "taxsim/rules/fee_rules.h"

#include <algorithm>

namespace velmor::taxsim {

namespace {

using json = nlohmann::json;

json Ranged(const char* zsxm, const char* zspm, const std::string& zszm, const std::string& agency, int nldq,
            int nldz, const char* xb) {
  return {{"zsxmdm", zsxm}, {"zspmdm", zspm}, {"zszmdm", zszm}, {"sbjbjgdm", agency}, {"yxqq", "2000-01-01"},
          {"yxqz", "2099-12-31"}, {"nldq", nldq}, {"nldz", nldz}, {"xb", xb}};
}

json Grade(json row, const char* dcdm, double dcje) {
  row["dcdm"] = dcdm;
  row["dcje"] = dcje;
  return row;
}

bool Open(const std::string& code) {
  std::string lower = code;
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
  return lower.empty() || lower == "null";
}

}  // namespace

json FeeRules(const std::set<std::string>& agencies) {
  json pmlx = json::array(), jffs = json::array(), jfsxx = json::array(), jfdc = json::array();
  // Employees' levies (as "pmlxGz" and "jfbzGz"): grade 300 per agency, ages 0 to 200.
  const char* const kLevies[][3] = {{"10210", "102101000", "01"}, {"10212", "102121000", "02"},
                                    {"10213", "102131000", "03"}};
  for (const auto& l : kLevies) {
    pmlx.push_back({{"zspmdm", l[1]}, {"pmlx", l[2]}});
    jffs.push_back({{"zsxmdm", l[0]}, {"zspmdm", l[1]}, {"zszmdm", ""}, {"sbjbjgdm", ""}, {"jffs", "05"}});
    for (const std::string& a : agencies) jfdc.push_back(Grade(Ranged(l[0], l[1], "", a, 0, 200, ""), "01", 300));
  }
  // Residents' pension (as "cxjmyjfedcGz"): grades by age and sex for every agency, one agency
  // with a grade list of its own.
  pmlx.push_back({{"zspmdm", "102190100"}, {"pmlx", "01"}});
  jffs.push_back({{"zsxmdm", "10219"}, {"zspmdm", "102190100"}, {"zszmdm", "null"}, {"sbjbjgdm", ""}, {"jffs", "05"}});
  jfdc.push_back(Grade(Ranged("10219", "102190100", "", "", 16, 59, ""), "01", 380));
  jfdc.push_back(Grade(Ranged("10219", "102190100", "", "", 16, 59, ""), "02", 580));
  jfdc.push_back(Grade(Ranged("10219", "102190100", "", "", 16, 59, ""), "03", 880));
  jfdc.push_back(Grade(Ranged("10219", "102190100", "", "", 60, -1, "1"), "01", 200));
  jfdc.push_back(Grade(Ranged("10219", "102190100", "", "", 60, -1, "2"), "01", 180));
  if (!agencies.empty())
    jfdc.push_back(Grade(Ranged("10219", "102190100", "", *agencies.begin(), 16, 59, ""), "01", 400));
  // Residents' medical insurance: paid within limits, the same for everyone.
  pmlx.push_back({{"zspmdm", "102120300"}, {"pmlx", "00"}});
  jffs.push_back({{"zsxmdm", "10212"}, {"zspmdm", "102120300"}, {"zszmdm", ""}, {"sbjbjgdm", ""}, {"jffs", "04"}});
  json limit = Ranged("10212", "102120300", "", "", -1, -1, "");
  limit["xxje"] = 320;
  limit["sxje"] = 1000;
  jfsxx.push_back(limit);
  return {{"pmlxLb", pmlx}, {"jffsLb", jffs}, {"jfsxxLb", jfsxx}, {"jfdcLb", jfdc}};
}

json FeeGrades(const json& gzLb, const std::string& sbjbjgDm, const std::string& zsxmDm, const std::string& zspmDm,
               const std::string& zszmDm) {
  std::vector<std::pair<int, json>> found;
  for (const json& r : gzLb.value("jfdcLb", json::array())) {
    if (r.value("zsxmdm", "") != zsxmDm || r.value("zspmdm", "") != zspmDm) continue;
    const std::string a = r.value("sbjbjgdm", ""), z = r.value("zszmdm", "");
    if (!Open(a) && a != sbjbjgDm) continue;
    if (!Open(z) && z != zszmDm) continue;
    if (!r.value("xb", "").empty()) continue;  // no sex in the request: rows for both sexes only
    found.push_back({(Open(a) ? 0 : 2) + (Open(z) ? 0 : 1), r});
  }
  int best = -1;
  for (const auto& [score, row] : found) best = std::max(best, score);
  std::vector<json> rows;
  for (const auto& [score, row] : found)
    if (score == best) rows.push_back({{"dcdm", row["dcdm"]}, {"dcje", row["dcje"]}});
  std::stable_sort(rows.begin(), rows.end(),
                   [](const json& x, const json& y) { return x["dcje"].get<double>() < y["dcje"].get<double>(); });
  return json(rows);
}

}  // namespace velmor::taxsim
