// The table of taxML request types: for each type the parts of its schema file name (or the
// whole name where it breaks the pattern), how its document is encoded (GBK or UTF-8, gzip or
// not), the body key that carries it, whether its declaration says standalone="yes", and the
// order of its literal root attributes.
// Every service that sends a request document names its type here.
//
// A constant table; lookups are safe from any thread.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace velmor::taxml {

// The data-specification namespace of request documents (xsi:schemaLocation and xmlns).
inline constexpr std::string_view kNamespace = "http://taxml.velmor.example/dataspec/";
inline constexpr std::string_view kXsiNamespace = "http://www.w3.org/2001/XMLSchema-instance";

struct RequestType {
  std::string_view name;                // the xsi:type, "SbfCxjmxnhRcSbYzxxBcRequest"
  std::string_view area, kind, number;  // "GSSBF", "SB", "00117"
  bool utf8 = false;                    // the document's bytes are UTF-8 (else GBK, the ANSI code page)
  bool gzip = false;                    // compressed as one gzip member before Base64
  bool xmlbhFirst = false;              // root attributes xmlbh, bbh, xmlmc (else bbh, xmlbh, xmlmc)
  bool schemaFile = true;               // xsi:schemaLocation names the schema file after the namespace
  std::string_view bodyKey = "data";    // the request body's key that carries the document
  std::string_view schemaName = {};     // the schema file name given whole (not built from the parts)
  bool standalone = false;              // the declaration says standalone="yes"
};

// The row of a request type; null when the name is not in the table.
const RequestType* FindRequestType(std::string_view name);
// Every row, in name order.
std::span<const RequestType> AllRequestTypes();

// "TaxMLBw_" + area + "_" + kind + "_" + number + "_Request_V1.0.xsd", or the name given whole
std::string SchemaFileName(const RequestType& type);

}  // namespace velmor::taxml
