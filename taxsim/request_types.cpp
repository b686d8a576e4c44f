#include "taxsim/request_types.h"

#include <array>

namespace velmor::taxsim {
namespace {

constexpr RequestTypeInfo Gbk(std::string_view n, std::string_view a, std::string_view k, std::string_view no) {
  return {n, a, k, no, true, false, false, true};
}

constexpr RequestTypeInfo InQqbw(RequestTypeInfo t) {
  t.bodyKey = "qqbw";
  return t;
}
constexpr RequestTypeInfo Standalone(RequestTypeInfo t) {
  t.standalone = true;
  return t;
}
constexpr RequestTypeInfo SchemaNamed(RequestTypeInfo t, std::string_view file) {
  t.schemaName = file;
  return t;
}

// Kept in step with the plug-in's own table by the integration tests (every row is sent once).
constexpr std::array kTypes = {
    InQqbw(Gbk("CxjmJdczBgRequest", "SBFGL", "DJ", "00114")),
    InQqbw(Gbk("CxjmJdczCxRequest", "SBFGL", "DJ", "00116")),
    Gbk("CxjmPlkkQcCxRequest", "SBFGL", "SB", "00135"),
    Gbk("CxjmShbxfJfdjRequest", "SBFGL", "DJ", "00212"),
    SchemaNamed(Gbk("CxjmXnhShbxfJfDjxxCxRequest", "SBFGL", "DJ", "00206"), "TaxMLBw_SBFGL_DJ_00206_Request.xsd"),
    Gbk("DpkqcZfRequest", "SBFGL", "SB", "00132"),
    Gbk("HXZGZS00193Request", "SBFZS", "ZS", "00193"),
    // The two-party agreement types put xmlbh first.
    RequestTypeInfo{"HXZGZS10303Request", "SBFZS", "ZS", "10303", true, false, true, true},
    RequestTypeInfo{"HXZGZS10304Request", "SBFZS", "ZS", "10304", true, false, true, true},
    Gbk("SbfCxjmJfdcRequest", "SBFGL", "SB", "00125"),
    Gbk("SbfCxjmJtbzSbCxRequest", "SBFGL", "SB", "00179"),
    Gbk("SbfCxjmJtbzSbRequest", "SBFGL", "SB", "00178"),
    Gbk("SbfCxjmTsrqLnbjdcCxRequest", "SBFGL", "SB", "00173"),
    Standalone(Gbk("SbfCxjmTsrqSbxxBcRequest", "SBFGL", "SB", "00168")),
    Gbk("SbfCxjmTsrqSdndCxRequest", "SBFGL", "SB", "00174"),
    Gbk("SbfCxjmXnhDjxxCxRequest", "SBFGL", "DJ", "00145"),
    Gbk("SbfCxjmYjfeCxRequest", "SBFGL", "SB", "00119"),
    InQqbw(Gbk("SbfCxjmYjfeSzRequest", "SBFGL", "SB", "00122")),
    Gbk("SbfCxjmYjfeZfRequest", "SBFGL", "SB", "00140"),
    RequestTypeInfo{"SbfCxjmxnSbfRcsbCxRequest", "SBFGL", "SB", "00146", true, false, true, true},
    Gbk("SbfCxjmxnhDrCxjmxxBcGzRequest", "SBFGL", "SB", "00170"),
    Gbk("SbfCxjmxnhDrJgCxGzRequest", "SBFGL", "SB", "00171"),
    RequestTypeInfo{"SbfCxjmxnhRcSbYzxxBcRequest", "GSSBF", "SB", "00117", true, true, true, true},
    RequestTypeInfo{"SbfCxjmxnhRcSbYzxxBcSnRequest", "SBFGL", "SB", "00143", false, false, true, true},
    Gbk("SbfCxjmxnhSbfSbYzxxBcDzmsRequest", "SBFGL", "SB", "00128"),
    Gbk("SbfCxjmylOtxxCxRequest", "SBFGL", "SB", "00169"),
    Gbk("SbfCyhShbxfJfzmCxRequest", "SBFGL", "ZM", "00108"),
    Gbk("SbfCyhShbxfJfzmCyRequest", "SBFGL", "ZM", "00110"),
    Gbk("SbfCyhShbxfJfzmDyRequest", "SBFGL", "ZM", "00107"),
    Gbk("SbfCyhShbxfJfzmZfRequest", "SBFGL", "ZM", "00109"),
    Gbk("SbfCyhShbxfZrrjfqdCxRequest", "SBFGL", "ZM", "00106"),
    InQqbw(Gbk("SbfDjJdxzbgjlcxRequest", "SBFGL", "DJ", "00115")),
    Gbk("SbfDjXnhDjdxCxRequest", "SBFGL", "DJ", "C0020"),
    Gbk("SbfGrJfXdRequest", "SBFGL", "SB", "00190"),
    Gbk("SbfHnGrJfXdRequest", "SBFGL", "SB", "00191"),
    Gbk("SbfLhjyryHdxxCxRequest", "SBFGL", "SB", "00109"),
    Gbk("SbfPlCbryJfDjxxCxRequest", "SBFGL", "DJ", "00112"),
    RequestTypeInfo{"SbfXhnCxDjdxRequest", "SBFGL", "DJ", "C0017", false, false, false, true},
    Gbk("SbfXnhCxjmQcxxCxRequest", "SBFGL", "SB", "00160"),
    Gbk("SbfXnhGrSbfDjxxCxRequest", "SBFGL", "DJ", "00202"),
    Gbk("SbfXnhGrSbfJfdjjgCxRequest", "SBFGL", "DJ", "00211"),
    Gbk("SbfXnhGrSbfJfdjsqRequest", "SBFGL", "DJ", "00210"),
    Gbk("SbfXzzjmsCxRequest", "SBFGL", "GY", "00102"),
    Gbk("SbfYbGrzhDjcxjmxxCxRequest", "SBFGL", "DJ", "00139"),
    Gbk("SbfYbGrzhDjgxWhRequest", "SBFGL", "DJ", "00137"),
    Gbk("SbfYbGrzhDjgxxxCxRequest", "SBFGL", "DJ", "00138"),
    Gbk("SbfZrrJfDjxxCxRequest", "SBFGL", "DJ", "00111"),
};

}  // namespace

const RequestTypeInfo* FindRequestType(std::string_view name) {
  for (const auto& t : kTypes)
    if (t.name == name) return &t;
  return nullptr;
}

std::string SchemaFileName(const RequestTypeInfo& t) {
  if (!t.schemaName.empty()) return std::string(t.schemaName);
  return "TaxMLBw_" + std::string(t.area) + "_" + std::string(t.kind) + "_" + std::string(t.number) +
         "_Request_V1.0.xsd";
}

}  // namespace velmor::taxsim
