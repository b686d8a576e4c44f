// The shared output formats of list and show commands: what a script reads back from TSV and
// JSON, the table's alignment, --fields, and text that would break a format.
#include "cli/output.h"

#include <gtest/gtest.h>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <sstream>

namespace velmor::cli {
namespace {

// Runs `fill` on an Output into memory and answers what it wrote.
template <class F>
std::string Written(OutputFormat format, std::vector<std::string> fields, F fill) {
  char* buffer = nullptr;
  size_t size = 0;
  // Closed and freed also when `fill` throws (the cases that expect a usage error).
  struct Stream {
    std::FILE* file;
    char*& buffer;
    ~Stream() {
      if (file) std::fclose(file);
      std::free(buffer);
    }
  } stream{open_memstream(&buffer, &size), buffer};
  {
    Output out(format, std::move(fields), stream.file);
    fill(out);
  }
  std::fclose(stream.file);
  stream.file = nullptr;
  return std::string(buffer, size);
}

const std::vector<OutputColumn> kColumns = {{"id", "ID"}, {"xm", "姓名"}, {"sbzt", "申报状态"}};

void TwoRows(Output& out) {
  out.Begin("", kColumns);
  out.Row({"1", "张三", StateCell("2", "申报成功")});
  out.Row({"12", "O'Neil\tJr\nII", StateCell("3", "")});
  out.Finish();
}

std::vector<std::vector<std::string>> TsvRows(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    std::vector<std::string> cells;
    size_t start = 0;
    for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
      cells.push_back(line.substr(start, tab - start));
    cells.push_back(line.substr(start));
    rows.push_back(cells);
  }
  return rows;
}

TEST(Output, TsvHasAKeyHeadAndOneLinePerRowWhateverTheCellsHold) {
  const auto rows = TsvRows(Written(OutputFormat::kTsv, {}, TwoRows));
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0], (std::vector<std::string>{"id", "xm", "sbzt"}));
  EXPECT_EQ(rows[1], (std::vector<std::string>{"1", "张三", "2 申报成功"}));
  EXPECT_EQ(rows[2], (std::vector<std::string>{"12", "O'Neil Jr II", "3"})) << "tabs and breaks become spaces";
}

TEST(Output, JsonIsOneArrayOfObjectsByKey) {
  const auto json = nlohmann::json::parse(Written(OutputFormat::kJson, {}, TwoRows));
  ASSERT_TRUE(json.is_array());
  ASSERT_EQ(json.size(), 2u);
  EXPECT_EQ(json[0], (nlohmann::json{{"id", "1"}, {"xm", "张三"}, {"sbzt", "2 申报成功"}}));
  EXPECT_EQ(json[1]["xm"], "O'Neil\tJr\nII") << "JSON keeps the text as it is";
  EXPECT_EQ(nlohmann::json::parse(Written(OutputFormat::kJson, {},
                                          [](Output& out) {
                                            out.Begin("", kColumns);
                                            out.Finish();
                                          })),
            nlohmann::json::array());
  // Bytes that are not UTF-8 do not make the listing unreadable.
  const auto bad = nlohmann::json::parse(Written(OutputFormat::kJson, {}, [](Output& out) {
    out.Begin("", kColumns);
    out.Row({"1", "\xff\xfe", ""});
    out.Finish();
  }));
  EXPECT_EQ(bad[0]["id"], "1");
}

TEST(Output, SectionsMakeOneJsonObjectAndBlankLineSeparatedTables) {
  auto fill = [](Output& out) {
    out.Begin("declaration", kColumns);
    out.Row({"1", "张三", "2"});
    out.Begin("persons", {{"mxxh", "序号"}, {"xm", "姓名"}});
    out.Row({"1", "张三"});
    out.Row({"2", "李四"});
    out.Finish();
  };
  const auto json = nlohmann::json::parse(Written(OutputFormat::kJson, {}, fill));
  EXPECT_EQ(json["declaration"].size(), 1u);
  EXPECT_EQ(json["persons"][1]["xm"], "李四");
  EXPECT_EQ(Written(OutputFormat::kTsv, {}, fill), "id\txm\tsbzt\n1\t张三\t2\n\nmxxh\txm\n1\t张三\n2\t李四\n");
}

TEST(Output, TableAlignsWideCharactersAndShowsHeadings) {
  const std::string text = Written(OutputFormat::kTable, {}, [](Output& out) {
    out.Begin("", {{"id", "ID"}, {"xm", "姓名"}});
    out.Row({"1", "张三"});
    out.Row({"100", "Li"});
    out.Finish();
  });
  EXPECT_EQ(text, "ID   姓名\n1    张三\n100  Li\n");
}

TEST(Output, FieldsChooseAndOrderColumnsAndAnUnknownOneIsAUsageError) {
  EXPECT_EQ(Written(OutputFormat::kTsv, {"sbzt", "id"}, TwoRows), "sbzt\tid\n2 申报成功\t1\n3\t12\n");
  try {
    Written(OutputFormat::kTsv, {"id", "nope"}, TwoRows);
    FAIL() << "an unknown field was taken";
  } catch (const UsageError& e) {
    EXPECT_NE(std::string(e.what()).find("nope"), std::string::npos);
    EXPECT_NE(std::string(e.what()).find("id,xm,sbzt"), std::string::npos) << "names the fields there are";
  }
  // Several tables: each keeps the fields it has; a name none has is refused at the end.
  EXPECT_THROW(Written(OutputFormat::kJson, {"zz"},
                       [](Output& out) {
                         out.Begin("a", kColumns);
                         out.Finish();
                       }),
               UsageError);
}

TEST(Output, FormatAndFieldsAreCheckedWhenTheCommandLineIsRead) {
  CLI::App app;
  CLI::App* list = app.add_subcommand("list");
  AddOutputOptions(list);
  EXPECT_THROW(app.parse("list --format xml", false), CLI::ParseError);
  app.parse("list --fields id,xm --format json", false);
  EXPECT_EQ(ChosenFormat(), OutputFormat::kJson);
}

}  // namespace
}  // namespace velmor::cli
