// A page of declaration states read record by record: the records and their texts are those the
// general parser's tree gives, for ordinary pages and odd ones alike.
#include "roster/hdsbzt_page.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "codec/taxml_exchange.h"

namespace velmor::roster {
namespace {

using Record = std::vector<std::string>;

std::vector<Record> Read(const std::string& page) {
  std::vector<Record> out;
  ForEachState(page, [&](std::string_view a, std::string_view b, std::string_view c, std::string_view d,
                         std::string_view e, std::string_view f) {
    out.push_back({std::string(a), std::string(b), std::string(c), std::string(d), std::string(e), std::string(f)});
  });
  return out;
}

// What the tree gives: a member's string, "" when absent or null, else its dump().
std::vector<Record> Reference(const std::string& page) {
  const nlohmann::json tree = nlohmann::json::parse(page);
  std::vector<Record> out;
  auto text = [](const nlohmann::json& row, const char* key) -> std::string {
    if (!row.is_object() || !row.contains(key) || row[key].is_null()) return "";
    return row[key].is_string() ? row[key].get<std::string>() : row[key].dump();
  };
  for (const auto& row : tree.value("sbztList", nlohmann::json::array())) {
    Record r;
    for (const char* k : {"jfnd", "xzid", "sbrq", "ybtfe", "sbzt", "jfzt"}) r.push_back(text(row, k));
    out.push_back(r);
  }
  return out;
}

TEST(HdsbztPage, RecordsReadAsTheTreeReadsThem) {
  const std::vector<std::string> pages = {
      R"({"code":"00000","sbztList":[{"jfnd":"2024","xzid":"X1","sbrq":"2024-03-01","ybtfe":"380.00","sbzt":"1","jfzt":"10"},)"
      R"({"xzid":"X2","jfnd":"2024","ybtfe":380.5,"sbzt":1,"jfzt":null,"extra":{"a":[1,2]}}]})",
      // Escapes, a name given twice (the last value), booleans and numbers as dump() writes them.
      R"({"sbztList":[{"xzid":"X\"3\u00e9","xzid":"X4","sbzt":true,"ybtfe":1e2,"jfnd":"2025"}], "other": 1})",
      // Elements that are no objects read as empty records.
      R"({"sbztList":[1,"x",null,[],{}]})",
      R"({"sbztList":[]})",
      R"({"code":"00000"})",
      R"({"sbztList":null})",
      R"({"sbztList":{"jfnd":"2024","xzid":"X5"}})",
      "  {\"sbztList\":[{\"xzid\":\"X6\"}]}  ",
  };
  for (const std::string& page : pages) EXPECT_EQ(Read(page), Reference(page)) << page;
}

TEST(HdsbztPage, APageThatIsNoObjectFailsByName) {
  for (const char* page : {"[]", "null", "\"text\"", "not json", "{\"sbztList\":[{\"xzid\":\"X1\"},]}"}) {
    try {
      Read(page);
      ADD_FAILURE() << "read: " << page;
    } catch (const taxml::Failure& e) {
      EXPECT_EQ(std::string(e.what()), "反馈数据异常：应答不是JSON对象") << page;
    }
  }
}

}  // namespace
}  // namespace velmor::roster
