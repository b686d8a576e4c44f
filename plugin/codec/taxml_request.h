// RequestDocument: a taxML request document built as text, and EncodeData, which turns it into
// the value of a request body's document key ("data", or "qqbw" for some types).
//
//   taxml::RequestDocument doc("SbfCxjmxnhRcSbYzxxBcRequest");
//   doc.Add("cxjmxnhdjxh", djxh).Add("zgswjgDm", swjgDm);
//   doc.Open("sbfJfsbbmxList");
//   for (const auto& row : rows) doc.Open("sbfJfsbbmxDTO").Add("jfmxxh", row.jfmxxh).Add("yjfe", row.yjfe).Close();
//   doc.Close();
//   std::string data = taxml::EncodeData(doc);   // GBK, gzip, Base64 as the type says
//
// The text: the declaration <?xml version="1.0" encoding="UTF-8"?> (whatever bytes follow; with
// standalone="yes" where the type says so), the
// root `taxML` with xsi:type, the literal attributes xmlbh / bbh / xmlmc = "String" in the type's
// order, xsi:schemaLocation, xmlns and xmlns:xsi, then the body elements in the order added.
// Element values are escaped with the short XML escaping (& > < ' "), so a value holding "&" or
// "<" arrives intact. A value; one thread at a time.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "codec/taxml_request_types.h"

namespace velmor::taxml {

class RequestDocument {
 public:
  // Raises velmor::Exception("未知的请求报文类型：" + name) for a type not in the table.
  explicit RequestDocument(std::string_view requestType);

  const RequestType& Type() const { return *type_; }

  // Appends <name>value</name> to the innermost open element (the root at first).
  RequestDocument& Add(std::string_view name, std::string_view value);
  RequestDocument& Add(std::string_view name, const char* value) { return Add(name, std::string_view(value)); }
  RequestDocument& Add(std::string_view name, const std::string& value) { return Add(name, std::string_view(value)); }
  // Numbers in their plain decimal form: 380 gives "380", 12.5 gives "12.5" (up to 15 significant
  // digits, no thousands separator).
  RequestDocument& Add(std::string_view name, double value);
  RequestDocument& Add(std::string_view name, int64_t value);
  RequestDocument& Add(std::string_view name, int value) { return Add(name, static_cast<int64_t>(value)); }

  // Appends body content the caller's own XML builder produced (its values escaped there):
  // "<sbxx><xm>A&amp;B</xm></sbxx>". Raises velmor::Exception("请求报文片段不是有效的XML：...")
  // when it is not well-formed or holds a declaration, so raw user text cannot pass as markup.
  RequestDocument& AddBuilt(std::string_view xml);

  // Opens a list or row element; Close closes the innermost one. Raises velmor::Exception for a
  // Close with nothing open.
  RequestDocument& Open(std::string_view name);
  RequestDocument& Close();

  // The whole document. Raises velmor::Exception naming the first element still open.
  std::string Text() const;

 private:
  friend std::string EncodeData(const RequestDocument& document);
  const RequestType* type_;
  std::string text_;
  std::vector<std::string> open_;
  double lastNumber_ = 0;        // the last number added
  std::string lastNumberText_;   // and its text ("" before the first)
};

// The value of the body key (taxml_request_types.h): the text as bytes in the type's encoding (GBK through iconv, or
// UTF-8), gzip-compressed when the type says so, Base64 without line breaks. Raises velmor::EConvertError when the text
// holds a character GBK cannot represent. A document is encoded from its own text, piece by piece (it is not copied
// whole); one with an element still open raises as Text does.
std::string EncodeData(const RequestType& type, std::string_view documentText);
std::string EncodeData(const RequestDocument& document);

}  // namespace velmor::taxml
