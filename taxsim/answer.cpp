#include "taxsim/answer.h"

#include <algorithm>
#include <cstring>
#include <future>
#include <stdexcept>
#include <system_error>
#include <vector>

#include "include/velmor/utf8.h"
#include "taxsim/append_parts.h"
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

namespace {

// True for a byte pugixml writes as it is in element text.
bool Plain(unsigned char c) { return c >= 0x20 && c != '&' && c != '<' && c != '>' && c != '"' && c != '\''; }

// Appends value as pugixml writes it in element text: plain text as it is, anything else through
// pugixml itself, so that the two never differ.
void AppendEscaped(std::string& out, std::string_view value) {
  bool plain = true;
  for (char c : value) plain = plain && Plain(static_cast<unsigned char>(c));
  if (plain) {
    out.append(value);
    return;
  }
  pugi::xml_document one;
  one.append_child("v").text().set(std::string(value).c_str());
  struct Append : pugi::xml_writer {
    std::string text;
    void write(const void* data, size_t size) override { text.append(static_cast<const char*>(data), size); }
  } written;
  one.document_element().print(written, "", pugi::format_raw, pugi::encoding_utf8);
  // "<v>" ... "</v>"
  out.append(written.text, 3, written.text.size() - 7);
}

void AppendElement(std::string& out, std::string_view name, std::string_view value) {
  if (std::all_of(value.begin(), value.end(), [](char c) { return Plain(static_cast<unsigned char>(c)); })) {
    // Nearly every value (20 a row, 200,000 rows a payable answer): the element written at once.
    AppendParts(out, {"<", name, ">", value, "</", name, ">"});
    return;
  }
  out.append("<").append(name).append(">");
  AppendEscaped(out, value);
  out.append("</").append(name).append(">");
}

}  // namespace

TextRows& TextRows::Row() {
  Close();
  open_ = true;
  return *this;
}

TextRows& TextRows::Value(std::string_view name, std::string_view value) {
  StartValues();
  AppendElement(text_, name, value);
  return *this;
}

TextRows& TextRows::Fixed(std::string_view elements) {
  if (elements.empty()) return *this;
  StartValues();
  text_.append(elements);
  return *this;
}

std::string TextRows::Element(std::string_view name, std::string_view value) {
  std::string out;
  AppendElement(out, name, value);
  return out;
}

TextRows& TextRows::Append(TextRows&& part) {
  Close();
  part.Close();
  text_ += part.text_;
  std::string().swap(part.text_);
  return *this;
}

void TextRows::StartValues() {
  if (!open_) Row();
  if (!filled_) text_ += start_;
  filled_ = true;
}

void TextRows::Close() {
  text_ += PendingEnd();
  open_ = filled_ = false;
}

TextRows& TaxmlAnswer::AddTextList(std::string_view listName, std::string_view rowName) {
  textLists_.push_back(std::unique_ptr<TextRows>(new TextRows(AddList(listName), std::string(rowName))));
  return *textLists_.back();
}

void TaxmlAnswer::MakeRowsElements() {
  for (const std::unique_ptr<TextRows>& rows : textLists_) {
    rows->Close();
    if (rows->text_.empty() || !rows->list_) continue;
    pugi::xml_document parsed;
    const std::string wrapped = "<r>" + rows->text_ + "</r>";
    // Kept as written: values of blanks only, and no end-of-line rewriting.
    if (!parsed.load_buffer(wrapped.data(), wrapped.size(), pugi::parse_escapes | pugi::parse_ws_pcdata,
                            pugi::encoding_utf8))
      throw std::logic_error("text rows that do not read back as XML");
    for (pugi::xml_node row = parsed.document_element().first_child(); row; row = row.next_sibling()) {
      pugi::xml_node copy = rows->list_.append_copy(row);
      // A value written empty is an element with empty text, as AddValue makes it.
      for (pugi::xml_node v = copy.first_child(); v; v = v.next_sibling())
        if (!v.first_child()) v.text().set("");
    }
  }
  textLists_.clear();
}

std::string TaxmlAnswer::Code() const { return Root().child("code").text().get(); }

void TaxmlAnswer::SetCode(std::string_view code, std::string_view message) {
  Root().child("code").text().set(std::string(code).c_str());
  Root().child("message").text().set(std::string(message).c_str());
}

void TaxmlAnswer::AddInstruction() {
  pugi::xml_node pi = Root().prepend_child(pugi::node_pi);
  pi.set_name("note");
  pi.set_value("fault");
}

int TaxmlAnswer::RemoveRows(std::string_view listName, int every) {
  MakeRowsElements();
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
  MakeRowsElements();
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

void TaxmlAnswer::Save(pugi::xml_writer& writer) const {
  if (textLists_.empty()) {
    doc_->save(writer, "", kSaveFlags, pugi::encoding_utf8);
    return;
  }
  auto put = [&](std::string_view text) { writer.write(text.data(), text.size()); };
  const pugi::xml_node root = Root();
  put("<");
  put(root.name());
  put(">");
  for (pugi::xml_node child = root.first_child(); child; child = child.next_sibling()) {
    const TextRows* rows = nullptr;
    for (const std::unique_ptr<TextRows>& t : textLists_)
      if (t->list_ == child) rows = t.get();
    if (!rows) {
      child.print(writer, "", kSaveFlags, pugi::encoding_utf8);
      continue;
    }
    put("<");
    put(child.name());
    if (rows->text_.empty() && !rows->open_) {
      put("/>");
      continue;
    }
    put(">");
    put(rows->text_);
    put(rows->PendingEnd());  // the last row, ended as Close() would end it
    put("</");
    put(child.name());
    put(">");
  }
  put("</");
  put(root.name());
  put(">");
}

std::string TaxmlAnswer::GzippedUtf8Text() const {
  GzipStream gz;
  gz.Append("<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
  GzipWriter writer(gz);
  Save(writer);
  return gz.Finish();
}

std::string TaxmlAnswer::Text(std::string_view encoding) const {
  std::string out = "<?xml version=\"1.0\" encoding=\"";
  out.append(encoding).append("\"?>");
  StringWriter writer(out);
  Save(writer);
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

Answer Answer::JsonText(JsonWriter&& written, int32_t status, std::string responseData) {
  const bool inEnvelopeForm = written.Written() == JsonWriter::Form::kInEnvelope;
  Answer a = JsonText(written.Take(), status, std::move(responseData));
  a.inEnvelopeForm = inEnvelopeForm;
  return a;
}

std::string Answer::ResponseJson() const {
  return inEnvelopeForm ? JsonFromEnvelopeForm(envelope.response) : envelope.response;
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

std::string EnvelopeText(const wire::Envelope& e, bool inEnvelopeForm) {
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
  if (inEnvelopeForm) AppendParts(out, {"\"", e.response, "\""});
  else AppendJsonString(out, e.response);
  out += '}';
  return out;
}

namespace {

// The first position from `at` on where a character starts (not a UTF-8 continuation byte).
size_t CharStart(std::string_view text, size_t at) {
  while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) ++at;
  return at;
}

// The second part is escaped this much at a time, so an abandoned sending stops it soon.
constexpr size_t kSecondPiece = size_t{1} << 20;

}  // namespace

bool EnvelopeStream::Streamable(const wire::Envelope& e) {
  const std::string_view r = e.response;
  if (r.size() < kSplitFrom) return IsWellFormedUtf8(r);
  // Cut where a character starts, the two parts are well-formed exactly when the whole is.
  const size_t mid = CharStart(r, r.size() / 2);
  std::future<bool> second;
  try {
    second = std::async(std::launch::async, [r, mid] { return IsWellFormedUtf8(r.substr(mid)); });
  } catch (const std::system_error&) {  // no thread to be had: the whole on this one
    return IsWellFormedUtf8(r);
  }
  const bool first = IsWellFormedUtf8(r.substr(0, mid));
  return second.get() && first;
}

EnvelopeStream::EnvelopeStream(wire::Envelope e, size_t splitFrom) : EnvelopeStream(std::move(e), false, splitFrom) {}

std::unique_ptr<EnvelopeStream> EnvelopeStream::FromEnvelopeForm(wire::Envelope e) {
  return std::unique_ptr<EnvelopeStream>(new EnvelopeStream(std::move(e), true, 0));
}

EnvelopeStream::EnvelopeStream(wire::Envelope e, bool inEnvelopeForm, size_t splitFrom)
    : e_(std::move(e)), escaped_(inEnvelopeForm) {
  // Its members but the response, written as EnvelopeText does: the response is set aside for
  // that rather than copied with the rest (it is tens of MB).
  std::string response = std::move(e_.response);
  e_.response.clear();
  head_ = EnvelopeText(e_);
  e_.response = std::move(response);
  head_.resize(head_.size() - 2);  // the empty response's closing quote and the brace
  const std::string_view r = e_.response;
  if (escaped_) {  // copied as it is, in one part
    split_ = r.size();
    responseSize_ = r.size() + 2;
    return;
  }
  split_ = r.size() >= splitFrom ? CharStart(r, r.size() / 2) : r.size();
  if (split_ == r.size()) {
    responseSize_ = JsonStringSize(r);
    return;
  }
  std::promise<size_t> secondSize;
  std::future<size_t> sized = secondSize.get_future();
  try {
    helper_ = std::thread(&EnvelopeStream::EscapeSecondPart, this, std::move(secondSize));
  } catch (const std::system_error&) {  // no thread to be had: escaped whole as it is sent
    split_ = r.size();
    responseSize_ = JsonStringSize(r);
    return;
  }
  const size_t first = JsonStringSize(r.substr(0, split_));  // the quotes counted here
  try {
    secondSize_ = sized.get();
  } catch (...) {
    helper_.join();
    throw;
  }
  responseSize_ = first + secondSize_;
}

EnvelopeStream::~EnvelopeStream() {
  abandon_.store(true, std::memory_order_relaxed);
  if (helper_.joinable()) helper_.join();
}

void EnvelopeStream::EscapeSecondPart(std::promise<size_t> size) {
  const std::string_view second = std::string_view(e_.response).substr(split_);
  const size_t n = JsonStringSize(second) - 2;  // its bytes only: the quotes are the first part's
  try {
    second_.reset(new char[n]);  // not zeroed: every byte is written below
  } catch (...) {
    size.set_exception(std::current_exception());
    return;
  }
  size.set_value(n);
  size_t at = 0, w = 0;
  while (at < second.size() && !abandon_.load(std::memory_order_relaxed)) {
    const size_t written = EscapeJsonPiece(second, &at, second_.get() + w, std::min(n - w, kSecondPiece));
    if (written == 0) break;  // cannot happen with the room counted above; never spin
    w += written;
  }
}

size_t EnvelopeStream::Next(char* out, size_t room) {
  char* w = out;
  if (headAt_ < head_.size()) {
    const size_t n = std::min(room, head_.size() - headAt_);
    std::memcpy(w, head_.data() + headAt_, n);
    headAt_ += n;
    w += n;
    room -= n;
  }
  const bool headDone = headAt_ == head_.size();
  const std::string_view first = std::string_view(e_.response).substr(0, split_);
  if (headDone && responseAt_ < first.size()) {
    size_t n = 0;
    if (escaped_) {
      n = std::min(room, first.size() - responseAt_);
      std::memcpy(w, first.data() + responseAt_, n);
      responseAt_ += n;
    } else {
      n = EscapeJsonPiece(first, &responseAt_, w, room);
    }
    w += n;
    room -= n;
  }
  const bool firstDone = headDone && responseAt_ == first.size();
  if (firstDone && secondAt_ < secondSize_ && room > 0) {
    if (!secondReady_) {
      helper_.join();
      secondReady_ = true;
    }
    const size_t n = std::min(room, secondSize_ - secondAt_);
    std::memcpy(w, second_.get() + secondAt_, n);
    secondAt_ += n;
    w += n;
    room -= n;
  }
  if (firstDone && secondAt_ == secondSize_ && !closed_ && room >= 2) {
    *w++ = '"';
    *w++ = '}';
    closed_ = true;
  }
  written_ += static_cast<size_t>(w - out);
  return static_cast<size_t>(w - out);
}

}  // namespace velmor::taxsim
