// A list kept as text answers exactly what the DOM of the same rows answers: as it is, packed,
// and after the faults that change the document.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "taxsim/answer.h"
#include "taxsim/codec.h"

namespace velmor::taxsim {
namespace {

using Values = std::vector<std::pair<std::string, std::string>>;

// Rows of awkward values: empty, blanks only, markup, quotes, control bytes, UTF-8, a NUL.
std::vector<Values> AwkwardRows() {
  return {
      {{"a", "1"}, {"b", ""}, {"c", "  "}},
      {},  // a row without values
      {{"a", "x<y>&z"}, {"b", "\"q\" 'r'"}, {"c", "tab\there\nnew\rline"}},
      {{"a", std::string("bell\a and \x1f")}, {"b", "王小二"}, {"c", std::string("cut\0off", 7)}},
      {{"a", "]]>"}, {"b", "&amp;"}, {"c", "last"}},
  };
}

// The same answer built both ways: a code, a value, the list, a value after it.
struct Built {
  TaxmlAnswer dom, text;
};

Built Build(const std::vector<Values>& rows) {
  Built b;
  for (TaxmlAnswer* doc : {&b.dom, &b.text}) doc->Add("before", "v&1");
  pugi::xml_node list = b.dom.AddList("list");
  for (const Values& r : rows) {
    pugi::xml_node row = TaxmlAnswer::AddRow(list, "row");
    for (const auto& [name, value] : r) TaxmlAnswer::AddValue(row, name, value);
  }
  TextRows& text = b.text.AddTextList("list", "row");
  for (const Values& r : rows) {
    text.Row();
    for (const auto& [name, value] : r) text.Value(name, value);
  }
  for (TaxmlAnswer* doc : {&b.dom, &b.text}) doc->Add("after", "<end>");
  return b;
}

TEST(TextRows, WrittenAsTheDomOfTheSameRows) {
  Built b = Build(AwkwardRows());
  EXPECT_EQ(b.text.Text(), b.dom.Text());
  EXPECT_EQ(b.text.Text("GBK"), b.dom.Text("GBK"));
  EXPECT_EQ(Gunzip(b.text.GzippedUtf8Text()), Gunzip(b.dom.GzippedUtf8Text()));
  EXPECT_NE(b.dom.Text().find("<row/>"), std::string::npos) << "a row without values";

  // No rows at all: the list is written empty, as the DOM writes it.
  Built none = Build({});
  EXPECT_EQ(none.text.Text(), none.dom.Text());
  EXPECT_NE(none.dom.Text().find("<list/>"), std::string::npos);
}

// A part of every row written once (Fixed of Element texts) is the text of its values, wherever
// it falls in the row: first, between values, alone.
TEST(TextRows, FixedPartsAreTheTextOfTheirValues) {
  std::vector<Values> rows = AwkwardRows();
  rows.push_back({{"only", "x<y>"}});
  Built b = Build(rows);
  TaxmlAnswer fixed;
  fixed.Add("before", "v&1");
  TextRows& text = fixed.AddTextList("list", "row");
  for (const Values& r : rows) {
    text.Row();
    for (size_t i = 0; i < r.size(); ++i) {
      const auto& [name, value] = r[i];
      if (i % 2 == 0) text.Fixed(TextRows::Element(name, value));
      else text.Value(name, value);
    }
    text.Fixed("");  // nothing to add: the row stays as it is (an empty row stays empty)
  }
  fixed.Add("after", "<end>");
  EXPECT_EQ(fixed.Text(), b.dom.Text());
}

// Rows written into a part (on another thread, as a long list's second half is) and appended
// read as the rows written one after another; an empty part adds nothing.
TEST(TextRows, RowsOfAnAppendedPartFollowTheRowsBefore) {
  const std::vector<Values> rows = AwkwardRows();
  Built b = Build(rows);
  TaxmlAnswer parted;
  parted.Add("before", "v&1");
  TextRows& list = parted.AddTextList("list", "row");
  TextRows part = list.Part();
  std::thread other([&] {
    for (size_t i = 2; i < rows.size(); ++i) {
      part.Row();
      for (const auto& [name, value] : rows[i]) part.Value(name, value);
    }
  });
  for (size_t i = 0; i < 2; ++i) {
    list.Row();
    for (const auto& [name, value] : rows[i]) list.Value(name, value);
  }
  other.join();
  list.Append(std::move(part));
  list.Append(list.Part());
  parted.Add("after", "<end>");
  EXPECT_EQ(parted.Text(), b.dom.Text());
}

TEST(TextRows, TheFaultsChangeTheRowsAsTheyChangeTheDom) {
  const std::vector<std::function<void(TaxmlAnswer&)>> faults = {
      [](TaxmlAnswer& a) { EXPECT_EQ(a.RemoveRows("list", 2), 3); },
      [](TaxmlAnswer& a) { EXPECT_EQ(a.RemoveRows("list", 1), 5); },
      [](TaxmlAnswer& a) { EXPECT_TRUE(a.RemoveFirst("list")); },
      [](TaxmlAnswer& a) { EXPECT_TRUE(a.RemoveFirst("row")); },
      [](TaxmlAnswer& a) { EXPECT_TRUE(a.RemoveFirst("c")); },
      [](TaxmlAnswer& a) { EXPECT_FALSE(a.RemoveFirst("nothing")); },
      [](TaxmlAnswer& a) { a.SetCode("99999", "出错<了>"); },
  };
  for (size_t i = 0; i < faults.size(); ++i) {
    Built b = Build(AwkwardRows());
    faults[i](b.dom);
    faults[i](b.text);
    EXPECT_EQ(b.text.Text(), b.dom.Text()) << "fault " << i;
    EXPECT_EQ(b.text.Code(), b.dom.Code()) << "fault " << i;
  }
  // Rows made elements keep their values: a second fault acts on them as on the DOM's.
  Built b = Build(AwkwardRows());
  for (TaxmlAnswer* doc : {&b.dom, &b.text}) {
    doc->RemoveRows("list", 3);
    doc->RemoveFirst("b");
  }
  EXPECT_EQ(b.text.Text(), b.dom.Text());
}

TEST(TextRows, ALargeListIsTheSameText) {
  std::vector<Values> rows;
  for (int i = 0; i < 5000; ++i)
    rows.push_back({{"n", std::to_string(i)}, {"v", i % 7 == 0 ? "" : "x" + std::to_string(i * 31)}});
  Built b = Build(rows);
  EXPECT_EQ(b.text.Text(), b.dom.Text());
  EXPECT_EQ(Gunzip(b.text.GzippedUtf8Text()), Gunzip(b.dom.GzippedUtf8Text()));
}

}  // namespace
}  // namespace velmor::taxsim
