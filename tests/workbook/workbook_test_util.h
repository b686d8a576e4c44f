// Helpers of the workbook tests: packages built from hand-written parts, parts read back out of
// saved files, the fixture folder, and a matcher for the engine's exceptions.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "workbook/part_source.h"
#include "workbook/workbook.h"

namespace velmor::workbook::testing {

using Parts = std::vector<std::pair<std::string, std::string>>;

// The folder of the committed fixtures.
std::string FixturePath(const std::string& name);

// Writes a zip archive of the parts (deflated, or stored when `store`); false on failure.
bool WriteZip(const std::string& path, const Parts& parts, bool store = false);

// The parts of a minimal one-sheet package around the given sheet XML (the <sheetData> content
// and anything after it), with optional shared strings (<si> items) and styles (cellXfs/numFmts).
Parts MinimalPackage(const std::string& sheetBody, const std::string& sharedStrings = "",
                     const std::string& styles = "");

// One part of a saved package; nullopt when missing.
std::optional<std::string> ReadPart(const std::string& zipPath, const std::string& name);

// Parts served from memory, for Workbook::ReadXlsxParts.
class MapPartSource : public PartSource {
 public:
  explicit MapPartSource(const Parts& parts) : parts_(parts.begin(), parts.end()) {}
  std::optional<std::string> Read(const std::string& name) override {
    auto it = parts_.find(name);
    if (it == parts_.end()) return std::nullopt;
    return it->second;
  }

 private:
  std::map<std::string, std::string> parts_;
};

}  // namespace velmor::workbook::testing

// Expects `statement` to throw WorkbookError with exactly that code and message.
#define EXPECT_WORKBOOK_ERROR(statement, expectedCode, expectedMessage)                      \
  do {                                                                                       \
    try {                                                                                    \
      statement;                                                                             \
      ADD_FAILURE() << "no WorkbookError from " #statement;                                  \
    } catch (const ::velmor::workbook::WorkbookError& e) {                                   \
      EXPECT_EQ(static_cast<int>(e.code()), static_cast<int>(expectedCode)) << e.what();     \
      EXPECT_EQ(std::string(e.what()), std::string(expectedMessage));                        \
    }                                                                                        \
  } while (0)
