// Request documents written out by hand for the simulator's own tests (the plug-in's builder is
// tested against the simulator in tests/integration).
#pragma once

#include <string>

#include "taxsim/codec.h"

namespace velmor::taxsim::testing {

inline std::string Root(const std::string& type, bool xmlbhFirst, const std::string& schemaFile) {
  std::string attrs = xmlbhFirst ? R"( xmlbh="String" bbh="String" xmlmc="String")"
                                 : R"( bbh="String" xmlbh="String" xmlmc="String")";
  std::string location = "http://taxml.velmor.example/dataspec/";
  if (!schemaFile.empty()) location += " " + schemaFile;
  return R"(<taxML xsi:type=")" + type + "\"" + attrs + R"( xsi:schemaLocation=")" + location +
         R"(" xmlns="http://taxml.velmor.example/dataspec/" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">)";
}

// A whole document of request type `type` with body elements `body` (UTF-8 text).
inline std::string Document(const std::string& type, bool xmlbhFirst, const std::string& schemaFile,
                            const std::string& body) {
  return std::string(R"(<?xml version="1.0" encoding="UTF-8"?>)") + Root(type, xmlbhFirst, schemaFile) + body +
         "</taxML>";
}

// Documents of three request types with the three encodings.
inline std::string GbkDocument(const std::string& body) {  // ANSI, Base64
  return Document("SbfDjXnhDjdxCxRequest", false, "TaxMLBw_SBFGL_DJ_C0020_Request_V1.0.xsd", body);
}
inline std::string Utf8Document(const std::string& body) {  // UTF-8, Base64
  return Document("SbfXhnCxDjdxRequest", false, "TaxMLBw_SBFGL_DJ_C0017_Request_V1.0.xsd", body);
}
inline std::string GzipDocument(const std::string& body) {  // ANSI, gzip, Base64
  return Document("SbfCxjmxnhRcSbYzxxBcRequest", true, "TaxMLBw_GSSBF_SB_00117_Request_V1.0.xsd", body);
}

inline std::string EncodeGbk(const std::string& doc) { return Base64Encode(Utf8ToGbk(doc)); }
inline std::string EncodeUtf8(const std::string& doc) { return Base64Encode(doc); }
inline std::string EncodeGzip(const std::string& doc) { return Base64Encode(Gzip(Utf8ToGbk(doc))); }

}  // namespace velmor::taxsim::testing
