#include "workbook_test_util.h"

#include <zip.h>

namespace velmor::workbook::testing {

std::string FixturePath(const std::string& name) {
  return std::string(VELMOR_SOURCE_DIR) + "/tests/workbook/fixtures/" + name;
}

bool WriteZip(const std::string& path, const Parts& parts, bool store) {
  int err = 0;
  zip_t* za = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err);
  if (!za) return false;
  for (const auto& [name, data] : parts) {
    zip_source_t* src = zip_source_buffer(za, data.data(), data.size(), 0);
    zip_int64_t index = src ? zip_file_add(za, name.c_str(), src, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE) : -1;
    if (index < 0) {
      if (src) zip_source_free(src);
      zip_discard(za);
      return false;
    }
    // Fast deflate: the tests' large parts are runs of one character.
    zip_set_file_compression(za, static_cast<zip_uint64_t>(index), store ? ZIP_CM_STORE : ZIP_CM_DEFLATE, store ? 0 : 1);
  }
  return zip_close(za) == 0;
}

Parts MinimalPackage(const std::string& sheetBody, const std::string& sharedStrings, const std::string& styles) {
  const std::string ns = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
  const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
  Parts parts = {
      {"[Content_Types].xml",
       "<?xml version=\"1.0\"?><Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"/>"},
      {"_rels/.rels",
       "<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
       "<Relationship Id=\"rId1\" Type=\"" + rel + "/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>"},
      {"xl/workbook.xml",
       "<?xml version=\"1.0\"?><workbook xmlns=\"" + ns + "\" xmlns:r=\"" + rel + "\"><sheets>"
       "<sheet name=\"Sheet1\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
      {"xl/_rels/workbook.xml.rels",
       "<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
       "<Relationship Id=\"rId1\" Type=\"" + rel + "/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
       "<Relationship Id=\"rId2\" Type=\"" + rel + "/sharedStrings\" Target=\"sharedStrings.xml\"/>"
       "<Relationship Id=\"rId3\" Type=\"" + rel + "/styles\" Target=\"styles.xml\"/></Relationships>"},
      {"xl/worksheets/sheet1.xml",
       "<?xml version=\"1.0\"?><worksheet xmlns=\"" + ns + "\">" + sheetBody + "</worksheet>"},
  };
  if (!sharedStrings.empty())
    parts.push_back({"xl/sharedStrings.xml", "<?xml version=\"1.0\"?><sst xmlns=\"" + ns + "\">" + sharedStrings + "</sst>"});
  if (!styles.empty())
    parts.push_back({"xl/styles.xml", "<?xml version=\"1.0\"?><styleSheet xmlns=\"" + ns + "\">" + styles + "</styleSheet>"});
  return parts;
}

std::optional<std::string> ReadPart(const std::string& zipPath, const std::string& name) {
  int err = 0;
  zip_t* za = zip_open(zipPath.c_str(), ZIP_RDONLY, &err);
  if (!za) return std::nullopt;
  std::optional<std::string> out;
  zip_stat_t st;
  if (zip_stat(za, name.c_str(), 0, &st) == 0) {
    if (zip_file_t* f = zip_fopen(za, name.c_str(), 0)) {
      std::string data(st.size, '\0');
      if (zip_fread(f, data.data(), st.size) == static_cast<zip_int64_t>(st.size)) out = data;
      zip_fclose(f);
    }
  }
  zip_discard(za);
  return out;
}

}  // namespace velmor::workbook::testing
