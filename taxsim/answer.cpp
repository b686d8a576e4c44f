#include "taxsim/answer.h"

#include <vector>

#include "taxsim/codec.h"
#include "taxsim/json_writer.h"

namespace velmor::taxsim {

TaxmlAnswer::TaxmlAnswer(std::string_view code, std::string_view message)
    : doc_(std::make_unique<pugi::xml_document>()) {
  pugi::xml_node root = doc_->append_child("taxML");
  AddValue(root, "code", code);
  AddValue(root, "message", message);
}

TaxmlAnswer& TaxmlAnswer::Add(std::string_view name, std::string_view value) {
  AddValue(Root(), name, value);
  return *this;
}

pugi::xml_node TaxmlAnswer::AddList(std::string_view listName) {
  return Root().append_child(std::string(listName).c_str());
}

pugi::xml_node TaxmlAnswer::AddRow(pugi::xml_node list, std::string_view rowName) {
  return list.append_child(std::string(rowName).c_str());
}

void TaxmlAnswer::AddValue(pugi::xml_node parent, std::string_view name, std::string_view value) {
  parent.append_child(std::string(name).c_str()).text().set(std::string(value).c_str());
}

std::string TaxmlAnswer::Code() const { return Root().child("code").text().get(); }

void TaxmlAnswer::SetCode(std::string_view code, std::string_view message) {
  Root().child("code").text().set(std::string(code).c_str());
  Root().child("message").text().set(std::string(message).c_str());
}

int TaxmlAnswer::RemoveRows(std::string_view listName, int every) {
  pugi::xml_node list = Root().find_node([&](pugi::xml_node n) { return listName == n.name(); });
  if (!list || every < 1) return 0;
  std::vector<pugi::xml_node> gone;
  int k = 0;
  for (pugi::xml_node row = list.first_child(); row; row = row.next_sibling())
    if (row.type() == pugi::node_element && k++ % every == 0) gone.push_back(row);
  for (pugi::xml_node row : gone) list.remove_child(row);
  return static_cast<int>(gone.size());
}

bool TaxmlAnswer::RemoveFirst(std::string_view name) {
  pugi::xml_node found = Root().find_node([&](pugi::xml_node n) { return name == n.name(); });
  if (!found) return false;
  return found.parent().remove_child(found);
}

namespace {

// Saves a document straight into a string: a stream's buffer and its copy were two texts of a
// 200,000-row answer at once, on top of its DOM.
struct StringWriter : pugi::xml_writer {
  std::string& out;
  explicit StringWriter(std::string& o) : out(o) {}
  void write(const void* data, size_t size) override { out.append(static_cast<const char*>(data), size); }
};

struct GzipWriter : pugi::xml_writer {
  GzipStream& out;
  explicit GzipWriter(GzipStream& o) : out(o) {}
  void write(const void* data, size_t size) override { out.Append({static_cast<const char*>(data), size}); }
};

constexpr unsigned kSaveFlags = pugi::format_raw | pugi::format_no_declaration;

}  // namespace

std::string TaxmlAnswer::GzippedUtf8Text() const {
  GzipStream gz;
  gz.Append("<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
  GzipWriter writer(gz);
  doc_->save(writer, "", kSaveFlags, pugi::encoding_utf8);
  return gz.Finish();
}

std::string TaxmlAnswer::Text(std::string_view encoding) const {
  std::string out = "<?xml version=\"1.0\" encoding=\"";
  out.append(encoding).append("\"?>");
  StringWriter writer(out);
  doc_->save(writer, "", kSaveFlags, pugi::encoding_utf8);
  return out;
}

Answer Answer::Taxml(TaxmlAnswer doc, AnswerEncoding encoding, int32_t status) {
  Answer a;
  a.envelope.status = status;
  a.document = std::make_shared<TaxmlAnswer>(std::move(doc));
  a.encoding = encoding;
  return a;
}

Answer Answer::Json(const nlohmann::json& response, int32_t status, std::string responseData) {
  Answer a;
  a.envelope.status = status;
  a.envelope.response = response.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  a.envelope.responseData = std::move(responseData);
  return a;
}

Answer Answer::JsonText(std::string response, int32_t status, std::string responseData) {
  Answer a;
  a.envelope.status = status;
  a.envelope.response = std::move(response);
  a.envelope.responseData = std::move(responseData);
  return a;
}

Answer Answer::Refuse(std::string code, std::string message) {
  Answer a;
  a.envelope.status = wire::kRefused;
  a.envelope.returnCode = "FAIL";
  a.envelope.responseData = std::move(code);
  a.envelope.returnMessage = std::move(message);
  return a;
}

Answer Answer::Error(std::string_view code, std::string_view message) {
  return Taxml(TaxmlAnswer(code, message));
}

// The response of a document's text: GBK when asked, gzipped when asked, then Base64.
std::string Answer::EncodedText(std::string text) const {
  if (encoding.gbk) text = Utf8ToGbk(text);
  if (encoding.gzip) text = Gzip(text);
  return Base64Encode(text);
}

wire::Envelope Answer::Encode() const& {
  wire::Envelope e = envelope;
  if (document && encoding.gzip && !encoding.gbk) e.response = Base64Encode(document->GzippedUtf8Text());
  else if (document) e.response = EncodedText(document->Text(encoding.gbk ? "GBK" : "UTF-8"));
  return e;
}

wire::Envelope Answer::Encode() && {
  wire::Envelope e = std::move(envelope);
  if (document && encoding.gzip && !encoding.gbk) {
    std::string packed = document->GzippedUtf8Text();
    document.reset();
    e.response = Base64Encode(packed);
  } else if (document) {
    std::string text = document->Text(encoding.gbk ? "GBK" : "UTF-8");
    document.reset();  // the DOM of a large answer goes before its text is packed
    e.response = EncodedText(std::move(text));
  }
  return e;
}

std::string EnvelopeText(const wire::Envelope& e) {
  std::string out;
  out.reserve(e.response.size() + e.returnMessage.size() + e.responseData.size() + e.returnCode.size() + 96);
  out += "{\"status\":";
  out += std::to_string(e.status);
  out += ",\"returnCode\":";
  AppendJsonString(out, e.returnCode);
  out += ",\"returnMessage\":";
  AppendJsonString(out, e.returnMessage);
  out += ",\"responseData\":";
  AppendJsonString(out, e.responseData);
  out += ",\"response\":";
  AppendJsonString(out, e.response);
  out += '}';
  return out;
}

}  // namespace velmor::taxsim
