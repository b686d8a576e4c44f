#include "codec/taxml_request_types.h"

#include <array>

namespace velmor::taxml {
namespace {

// Most types: GBK, no compression, bbh first, schema file named.
constexpr RequestType Ansi(std::string_view n, std::string_view a, std::string_view k, std::string_view no) {
  return {n, a, k, no, false, false, false, true};
}

// The variations of a few types.
constexpr RequestType InQqbw(RequestType t) {
  t.bodyKey = "qqbw";
  return t;
}
constexpr RequestType Standalone(RequestType t) {
  t.standalone = true;
  return t;
}
constexpr RequestType SchemaNamed(RequestType t, std::string_view file) {
  t.schemaName = file;
  return t;
}

constexpr std::array kTypes = {
    InQqbw(Ansi("CxjmJdczBgRequest", "SBFGL", "DJ", "00114")),
    InQqbw(Ansi("CxjmJdczCxRequest", "SBFGL", "DJ", "00116")),
    Ansi("CxjmPlkkQcCxRequest", "SBFGL", "SB", "00135"),
    Ansi("CxjmShbxfJfdjRequest", "SBFGL", "DJ", "00212"),
    SchemaNamed(Ansi("CxjmXnhShbxfJfDjxxCxRequest", "SBFGL", "DJ", "00206"), "TaxMLBw_SBFGL_DJ_00206_Request.xsd"),
    Ansi("DpkqcZfRequest", "SBFGL", "SB", "00132"),
    Ansi("HXZGZS00193Request", "SBFZS", "ZS", "00193"),
    // The two-party agreement types put xmlbh first.
    RequestType{"HXZGZS10303Request", "SBFZS", "ZS", "10303", false, false, true, true},
    RequestType{"HXZGZS10304Request", "SBFZS", "ZS", "10304", false, false, true, true},
    Ansi("SbfCxjmJfdcRequest", "SBFGL", "SB", "00125"),
    Ansi("SbfCxjmJtbzSbCxRequest", "SBFGL", "SB", "00179"),
    Ansi("SbfCxjmJtbzSbRequest", "SBFGL", "SB", "00178"),
    Ansi("SbfCxjmTsrqLnbjdcCxRequest", "SBFGL", "SB", "00173"),
    Standalone(Ansi("SbfCxjmTsrqSbxxBcRequest", "SBFGL", "SB", "00168")),
    Ansi("SbfCxjmTsrqSdndCxRequest", "SBFGL", "SB", "00174"),
    Ansi("SbfCxjmXnhDjxxCxRequest", "SBFGL", "DJ", "00145"),
    Ansi("SbfCxjmYjfeCxRequest", "SBFGL", "SB", "00119"),
    InQqbw(Ansi("SbfCxjmYjfeSzRequest", "SBFGL", "SB", "00122")),
    Ansi("SbfCxjmYjfeZfRequest", "SBFGL", "SB", "00140"),
    // The daily-declaration types put xmlbh first.
    RequestType{"SbfCxjmxnSbfRcsbCxRequest", "SBFGL", "SB", "00146", false, false, true, true},
    Ansi("SbfCxjmxnhDrCxjmxxBcGzRequest", "SBFGL", "SB", "00170"),
    Ansi("SbfCxjmxnhDrJgCxGzRequest", "SBFGL", "SB", "00171"),
    RequestType{"SbfCxjmxnhRcSbYzxxBcRequest", "GSSBF", "SB", "00117", false, true, true, true},
    RequestType{"SbfCxjmxnhRcSbYzxxBcSnRequest", "SBFGL", "SB", "00143", true, false, true, true},
    Ansi("SbfCxjmxnhSbfSbYzxxBcDzmsRequest", "SBFGL", "SB", "00128"),
    Ansi("SbfCxjmylOtxxCxRequest", "SBFGL", "SB", "00169"),
    Ansi("SbfCyhShbxfJfzmCxRequest", "SBFGL", "ZM", "00108"),
    Ansi("SbfCyhShbxfJfzmCyRequest", "SBFGL", "ZM", "00110"),
    Ansi("SbfCyhShbxfJfzmDyRequest", "SBFGL", "ZM", "00107"),
    Ansi("SbfCyhShbxfJfzmZfRequest", "SBFGL", "ZM", "00109"),
    Ansi("SbfCyhShbxfZrrjfqdCxRequest", "SBFGL", "ZM", "00106"),
    InQqbw(Ansi("SbfDjJdxzbgjlcxRequest", "SBFGL", "DJ", "00115")),
    Ansi("SbfDjXnhDjdxCxRequest", "SBFGL", "DJ", "C0020"),
    // The online payment orders ("0049", and "0189" of the regional form).
    Ansi("SbfGrJfXdRequest", "SBFGL", "SB", "00190"),
    Ansi("SbfHnGrJfXdRequest", "SBFGL", "SB", "00191"),
    Ansi("SbfLhjyryHdxxCxRequest", "SBFGL", "SB", "00109"),
    Ansi("SbfPlCbryJfDjxxCxRequest", "SBFGL", "DJ", "00112"),
    RequestType{"SbfXhnCxDjdxRequest", "SBFGL", "DJ", "C0017", true, false, false, true},
    Ansi("SbfXnhCxjmQcxxCxRequest", "SBFGL", "SB", "00160"),
    Ansi("SbfXnhGrSbfDjxxCxRequest", "SBFGL", "DJ", "00202"),
    Ansi("SbfXnhGrSbfJfdjjgCxRequest", "SBFGL", "DJ", "00211"),
    Ansi("SbfXnhGrSbfJfdjsqRequest", "SBFGL", "DJ", "00210"),
    Ansi("SbfXzzjmsCxRequest", "SBFGL", "GY", "00102"),
    Ansi("SbfYbGrzhDjcxjmxxCxRequest", "SBFGL", "DJ", "00139"),
    Ansi("SbfYbGrzhDjgxWhRequest", "SBFGL", "DJ", "00137"),
    Ansi("SbfYbGrzhDjgxxxCxRequest", "SBFGL", "DJ", "00138"),
    Ansi("SbfZrrJfDjxxCxRequest", "SBFGL", "DJ", "00111"),
};

}  // namespace

const RequestType* FindRequestType(std::string_view name) {
  for (const auto& t : kTypes)
    if (t.name == name) return &t;
  return nullptr;
}

std::span<const RequestType> AllRequestTypes() { return kTypes; }

std::string SchemaFileName(const RequestType& t) {
  if (!t.schemaName.empty()) return std::string(t.schemaName);
  return "TaxMLBw_" + std::string(t.area) + "_" + std::string(t.kind) + "_" + std::string(t.number) +
         "_Request_V1.0.xsd";
}

}  // namespace velmor::taxml
