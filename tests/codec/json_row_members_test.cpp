// RowMembers: members found by their place in the last row read the same as a search by name,
// whatever the rows' layouts, and texts read as the stores read them from a tree.
#include "codec/json_row_members.h"

#include <gtest/gtest.h>

#include <string>

namespace velmor {
namespace {

using Json = nlohmann::ordered_json;

std::string Search(const Json& row, const std::string& name) {
  auto it = row.find(name);
  if (it == row.end() || it->is_null()) return "";
  return it->is_string() ? it->get<std::string>() : it->dump();
}

TEST(RowMembers, RowsOfChangingLayoutsReadAsASearchByName) {
  const Json rows = Json::parse(R"([
    {"a": "1", "b": "2", "c": "3"},
    {"a": "4", "b": "5", "c": "6"},
    {"c": "7", "a": "8"},
    {"b": "9"},
    {"x": "0", "a": "10", "b": "11", "c": "12"},
    {"a": "13", "b": "14", "c": "15"}
  ])");
  RowMembers members{"a", "b", "c", "missing"};
  const char* names[] = {"a", "b", "c", "missing"};
  for (const Json& row : rows)
    for (size_t i = 0; i < 4; ++i)
      EXPECT_EQ(members.Text(row, i), Search(row, names[i])) << row.dump() << " " << names[i];
}

TEST(RowMembers, ValuesOtherThanTextReadAsTheStoresReadThem) {
  RowMembers members{"s", "n", "null", "obj", "flag"};
  const Json row = Json::parse(R"({"s": "文本", "n": 12.5, "null": null, "obj": {"k": [1]}, "flag": true})");
  EXPECT_EQ(members.Text(row, 0), "文本");
  EXPECT_EQ(members.Text(row, 1), "12.5");
  EXPECT_EQ(members.Text(row, 2), "");
  EXPECT_EQ(members.Text(row, 3), R"({"k":[1]})");
  EXPECT_EQ(members.Text(row, 4), "true");
  ASSERT_NE(members.Find(row, 1), nullptr);
  EXPECT_TRUE(members.Find(row, 1)->is_number());
}

TEST(RowMembers, ANonObjectRowHasNoMembers) {
  RowMembers members{"a"};
  EXPECT_EQ(members.Find(Json::parse(R"({"a": "1"})"), 0)->get<std::string>(), "1");
  for (const char* text : {"[]", "\"a\"", "null", "3"}) {
    EXPECT_EQ(members.Find(Json::parse(text), 0), nullptr) << text;
    EXPECT_EQ(members.Text(Json::parse(text), 0), "") << text;
  }
  EXPECT_EQ(members.Text(Json::object(), 0), "");  // a place past the end of a shorter row
}

}  // namespace
}  // namespace velmor
