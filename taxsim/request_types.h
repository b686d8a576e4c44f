// The simulator's table of taxML request types: for each type the schema file parts (or the whole
// name), the byte encoding and compression of its document, the body key carrying it, whether
// its declaration says standalone="yes", and the order of the literal root attributes. The
// simulator checks every incoming document against its row, so a document built or encoded the
// wrong way is refused instead of silently accepted.
//
// The table is a constant; lookups are safe from any thread.
#pragma once

#include <string>
#include <string_view>

namespace velmor::taxsim {

// The data-specification namespace of request documents (also their xmlns).
inline constexpr std::string_view kTaxmlNamespace = "http://taxml.velmor.example/dataspec/";
inline constexpr std::string_view kXsiNamespace = "http://www.w3.org/2001/XMLSchema-instance";

struct RequestTypeInfo {
  std::string_view name;
  std::string_view area, kind, number;  // schema file "TaxMLBw_" area "_" kind "_" number "_Request_V1.0.xsd"
  bool gbk = true;                      // false: UTF-8
  bool gzip = false;
  bool xmlbhFirst = false;            // root attributes xmlbh, bbh, xmlmc (else bbh, xmlbh, xmlmc)
  bool schemaFile = true;             // xsi:schemaLocation names the schema file after the namespace
  std::string_view bodyKey = "data";  // the request body's key that carries the document
  std::string_view schemaName = {};   // the schema file name given whole
  bool standalone = false;            // declaration <?xml version="1.0" encoding="UTF-8" standalone="yes"?>
};

// The row of a request type; null when unknown.
const RequestTypeInfo* FindRequestType(std::string_view name);

// "TaxMLBw_GSSBF_SB_00117_Request_V1.0.xsd", or the name given whole
std::string SchemaFileName(const RequestTypeInfo& type);

}  // namespace velmor::taxsim
