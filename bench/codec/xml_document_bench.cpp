// The fast XML document against pugixml on a 10 MB taxML response: the load, and a walk that
// reads every field of every row by its element name.
#include <benchmark/benchmark.h>

#include <pugixml.hpp>

#include <cstdlib>
#include <iterator>

#include "codec/xml_document.h"
#include "fastparse_bench.h"

namespace velmor::bench {

const std::vector<std::string>& TaxmlRowFields() {
  static const std::vector<std::string> fields = {
      "djxh", "rydjxh", "xm", "zjlxDm", "zjhm", "sbjbjgDm", "rybh", "zsxmDm", "zspmDm", "zszmDm",
      "jfnd", "fkssqq", "fkssqz", "jfjs", "fl", "yjfe", "jmfe", "ybtfe", "yzpzxh", "swjgDm",
      "xzjdDm", "xzjdMc", "sqczDm", "sqczMc", "cbrysfDm", "cbrysfMc", "lrrq", "xgrq", "yxbz", "bz",
      "sbbm", "lxdh", "jfdcDm", "jfdcMc", "pmlxDm", "skssqq", "skssqz", "jkqx", "sjjfe", "znje",
      "yhhbDm", "yhzh", "khyhMc", "nsrmc", "nsrsbh", "jbr", "jbrq", "sjgsdq"};
  return fields;
}

const std::string& TaxmlResponse() {
  static const std::string text = [] {
    const auto& f = TaxmlRowFields();
    std::string s = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                    "<taxML xmlns=\"http://www.chinatax.gov.cn/dataspec/\" bbh=\"V1.0\" xmlbh=\"0053\">\n"
                    "  <head>\n    <tran_id>SB.QUERY.YJXX</tran_id>\n    <yblsh>20240315102030000001</yblsh>\n"
                    "  </head>\n  <body>\n    <code>00000</code>\n    <msg>处理成功</msg>\n    <yjxxGrid>\n";
    s.reserve(10'500'000);
    for (int i = 0; s.size() < 10'000'000; ++i) {
      std::string n = std::to_string(i);
      const std::string values[] = {
          "10114403000" + std::to_string(100000000 + i / 3), "20114403000" + std::to_string(100000000 + i), "张" + n,
          "201", "44030519800101" + std::to_string(1000 + i % 9000), "44030500", "R" + n, "10210", "102100110",
          "102100101", "2024", "2024-01-01", "2024-12-31", std::to_string(5000 + i % 3000) + ".00", "0.08",
          std::to_string(400 + i % 240) + ".00", "0.00", std::to_string(400 + i % 240) + ".00",
          "32" + std::to_string(1000000000 + i), "14403050000", "440305001", "南头街道", "440305001001",
          "第" + std::to_string(i % 40) + "社区", "01", "城乡居民", "2024-03-15 10:20:30", "2024-03-16 08:00:00",
          "Y", i % 11 ? "" : "备注 &amp; 说明", "R" + std::to_string(440000000 + i), "1380000" + std::to_string(1000 + i % 9000),
          "0" + std::to_string(1 + i % 6), "一档", "01", "2024-03-01", "2024-03-31", "2024-04-15",
          std::to_string(400 + i % 240) + ".00", "0.00", "105", "622202" + std::to_string(1000000000 + i),
          "中国工商银行深圳南山支行", "深圳市南山区某某科技有限公司", "91440300MA5" + std::to_string(10000000 + i % 899999),
          "王五", "2024-03-15", "14403050000"};
      if (std::size(values) != f.size()) std::abort();
      s += "      <yjxxGridlb>\n";
      for (size_t k = 0; k < f.size(); ++k) s += "        <" + f[k] + ">" + values[k] + "</" + f[k] + ">\n";
      s += "      </yjxxGridlb>\n";
    }
    s += "    </yjxxGrid>\n  </body>\n</taxML>\n";
    return s;
  }();
  return text;
}

int TaxmlRowCount() {
  int rows = 0;
  for (size_t pos = 0; (pos = TaxmlResponse().find("<yjxxGridlb>", pos)) != std::string::npos; ++pos) ++rows;
  return rows;
}

namespace {

void BM_Xml_Load(benchmark::State& state) {
  const std::string& text = TaxmlResponse();
  for (auto _ : state) {
    Ref<TXMLDocument> doc(new TXMLDocument());
    doc->LoadXML(text);
    benchmark::DoNotOptimize(doc->GetNodeCount());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_Xml_Load)->Unit(benchmark::kMillisecond);

void BM_Pugixml_LoadBuffer(benchmark::State& state) {
  const std::string& text = TaxmlResponse();
  for (auto _ : state) {
    pugi::xml_document doc;
    if (!doc.load_buffer(text.data(), text.size())) state.SkipWithError("pugixml failed");
    benchmark::DoNotOptimize(doc.first_child());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_Pugixml_LoadBuffer)->Unit(benchmark::kMillisecond);

void BM_Xml_Walk(benchmark::State& state) {
  Ref<IXMLDocument> doc = LoadXMLDocument(TaxmlResponse());
  const auto& fields = TaxmlRowFields();
  for (auto _ : state) {
    size_t bytes = 0;
    Ref<IXMLNode> grid = doc->GetRoot()->FindChild("body")->FindChild("yjxxGrid");
    for (int32_t i = 0, n = grid->GetChildCount(); i < n; ++i) {
      Ref<IXMLNode> row = grid->GetChild(i);
      for (const std::string& name : fields) bytes += row->FindChild(name)->GetText().size();
    }
    benchmark::DoNotOptimize(bytes);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(TaxmlResponse().size()));
}
BENCHMARK(BM_Xml_Walk)->Unit(benchmark::kMillisecond);

void BM_Pugixml_Walk(benchmark::State& state) {
  pugi::xml_document doc;
  doc.load_buffer(TaxmlResponse().data(), TaxmlResponse().size());
  const auto& fields = TaxmlRowFields();
  for (auto _ : state) {
    size_t bytes = 0;
    pugi::xml_node grid = doc.document_element().child("body").child("yjxxGrid");
    for (pugi::xml_node row = grid.first_child(); row; row = row.next_sibling()) {
      for (const std::string& name : fields) bytes += std::string(row.child(name.c_str()).text().get()).size();
    }
    benchmark::DoNotOptimize(bytes);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(TaxmlResponse().size()));
}
BENCHMARK(BM_Pugixml_Walk)->Unit(benchmark::kMillisecond);

const bool kRatios = [] {
  AddRatio({"XML load", "BM_Xml_Load", "BM_Pugixml_LoadBuffer", &TaxmlResponse, 0.7});
  AddRatio({"XML walk by names", "BM_Xml_Walk", "BM_Pugixml_Walk", &TaxmlResponse, 0});
  return true;
}();

}  // namespace
}  // namespace velmor::bench
