// Answer: what a service handler gives back, before the simulator encodes it into the wire
// envelope (docs/wire.md). A taxML answer is kept as a DOM until the very end, so injected faults
// (another result code, a dropped list) can change it before it is encoded.
//
// TaxmlAnswer builds a response document: root `taxML` with `code` and `message` first, then
// result elements and lists of DTO rows. Values are set as text; pugixml escapes them.
// A list of many rows can be kept as text instead (AddTextList): it is written exactly as the
// DOM of the same rows would be, and the faults that change the document turn its rows into
// elements first.
//
// Values; one thread at a time.
#pragma once

#include <atomic>
#include <future>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>
#include <pugixml.hpp>

#include "host/net/wire.h"
#include "taxsim/json_writer.h"

namespace velmor::taxsim {

inline constexpr const char* kOkCode = "00000";

// The rows of a text list: each row's values written as the DOM would save them, as they come
// (a 200,000-row list costs its text rather than a DOM of millions of nodes). Owned by its
// answer; valid while the answer lives.
class TextRows {
 public:
  // Starts a row (the one before ends).
  TextRows& Row();
  // Adds <name>value</name> to the row started last.
  TextRows& Value(std::string_view name, std::string_view value);
  // Adds elements as Value writes them (texts of Element): the part of a row that every row
  // repeats, written once rather than value by value 200,000 times.
  TextRows& Fixed(std::string_view elements);
  // <name>value</name> as Value writes it.
  static std::string Element(std::string_view name, std::string_view value);
  // Rows of the same name that belong to no answer, to fill on another thread and Append here
  // after: the rows of a long list written in two halves at once.
  TextRows Part() const { return TextRows(pugi::xml_node(), start_.substr(1, start_.size() - 2)); }
  // Ends the row open here and adds the rows of `part` after the rows written so far.
  TextRows& Append(TextRows&& part);
  // Room for `bytes` of rows taken at once: rows of 100 MB grown by doubling are copied into
  // fresh pages at every step.
  TextRows& Reserve(size_t bytes) {
    text_.reserve(bytes);
    return *this;
  }

 private:
  friend class TaxmlAnswer;
  TextRows(pugi::xml_node list, const std::string& rowName)
      : list_(list), start_("<" + rowName + ">"), end_("</" + rowName + ">"), empty_("<" + rowName + "/>") {}
  void Close();
  // Opens a row when none is, and its start tag before its first value.
  void StartValues();
  // The end of the row still open (end_, or empty_ for one without values); "" when none is.
  std::string_view PendingEnd() const { return !open_ ? std::string_view() : filled_ ? end_ : empty_; }

  pugi::xml_node list_;              // the list's element in the DOM, without children while rows are text
  std::string start_, end_, empty_;  // a row's tags
  std::string text_;
  bool open_ = false, filled_ = false;
};

class TaxmlAnswer {
 public:
  explicit TaxmlAnswer(std::string_view code = kOkCode, std::string_view message = "处理成功");
  TaxmlAnswer(TaxmlAnswer&&) = default;
  TaxmlAnswer& operator=(TaxmlAnswer&&) = default;

  pugi::xml_node Root() const { return doc_->document_element(); }
  // Appends <name>value</name> to the root.
  TaxmlAnswer& Add(std::string_view name, std::string_view value);
  // Appends an empty list element to the root; add rows with AddRow.
  pugi::xml_node AddList(std::string_view listName);
  // Appends <rowName> to list and returns it; fill it with AddValue.
  static pugi::xml_node AddRow(pugi::xml_node list, std::string_view rowName);
  static void AddValue(pugi::xml_node parent, std::string_view name, std::string_view value);
  // Appends an empty list element to the root whose rows (named rowName) are kept as text.
  TextRows& AddTextList(std::string_view listName, std::string_view rowName);

  std::string Code() const;
  // Replaces code and message (the "code" fault).
  void SetCode(std::string_view code, std::string_view message);
  // Removes the first element of that name anywhere below the root; false when there is none.
  bool RemoveFirst(std::string_view name);
  // Removes every `every`-th row (the 1st, the every+1-th, ...) of the first list element of that
  // name (the "omit-rows" fault); the number removed.
  int RemoveRows(std::string_view listName, int every);
  // Puts the processing instruction <?note fault?> first inside the root (the "instruction"
  // fault: a well-formed text that readers of a flat list may leave to a whole document).
  void AddInstruction();
  // Turns the rows of every text list into elements of the DOM (the faults above do it first).
  void MakeRowsElements();

  // The document as text with the declaration naming `encoding` ("UTF-8" or "GBK"); UTF-8 bytes.
  std::string Text(std::string_view encoding = "UTF-8") const;
  // Text("UTF-8") packed by gzip as it is written: a 200,000-row answer's text is never held
  // whole beside its DOM.
  std::string GzippedUtf8Text() const;

 private:
  // Writes the document after its declaration: the root's children one by one, a text list's
  // rows as they are.
  void Save(pugi::xml_writer& writer) const;

  std::unique_ptr<pugi::xml_document> doc_;
  std::vector<std::unique_ptr<TextRows>> textLists_;
};

// How a taxML answer goes into the envelope's "response".
struct AnswerEncoding {
  bool gbk = false;   // GBK bytes and declaration (else UTF-8)
  bool gzip = false;  // gzip before Base64
};

struct Answer {
  wire::Envelope envelope;                // status, returnCode, returnMessage, responseData, response
  std::shared_ptr<TaxmlAnswer> document;  // when set, encoded into envelope.response at the end
  AnswerEncoding encoding;
  // envelope.response is a JSON text already escaped as the envelope carries it
  // (JsonWriter::Form::kInEnvelope); whoever sets the response otherwise clears it.
  bool inEnvelopeForm = false;

  // Status 2 (or `status`) with a taxML document.
  static Answer Taxml(TaxmlAnswer doc, AnswerEncoding encoding = {}, int32_t status = wire::kAnswered);
  // Status 2 (or `status`) with a JSON text as response and "responseData" as given.
  static Answer Json(const nlohmann::json& response, int32_t status = wire::kAnswered,
                     std::string responseData = "null");
  // The same with the response's JSON text already written (taxsim/json_writer.h).
  static Answer JsonText(std::string response, int32_t status = wire::kAnswered, std::string responseData = "null");
  // The same with what the writer wrote, in its form.
  static Answer JsonText(JsonWriter&& written, int32_t status = wire::kAnswered, std::string responseData = "null");
  // Status -2: refused with a result code and message.
  static Answer Refuse(std::string code, std::string message);
  // A taxML answer whose code is not "00000".
  static Answer Error(std::string_view code, std::string_view message);

  // The envelope with the document encoded (Base64, optional gzip, GBK or UTF-8); the second
  // moves the response out instead of copying it.
  wire::Envelope Encode() const&;
  wire::Envelope Encode() &&;

  // The JSON text of a JSON answer's response, whatever its form.
  std::string ResponseJson() const;

 private:
  std::string EncodedText(std::string text) const;
};

// The envelope's JSON text, byte for byte as wire::EncodeEnvelope writes it, without its copies
// of the response (a day's arrears answer is a hundred megabytes). With `inEnvelopeForm` the
// response is taken as already escaped (Answer::inEnvelopeForm).
std::string EnvelopeText(const wire::Envelope& e, bool inEnvelopeForm = false);

// The same text in pieces, for a large answer sent while it is escaped: no buffer of the whole
// envelope is made, and the client reads the first pieces while the rest are written. Size()
// is the text's length; Next writes the next piece into the `room` bytes at `out` (at least 6)
// and returns its length, 0 once everything is written. Only for an envelope Streamable says
// yes to (its response is well-formed UTF-8, which is escaped as is).
//
// A response of `splitFrom` bytes or more is escaped in two parts at once: the first into the
// pieces as they are asked for, the second (from a character's start near the middle) on a
// thread of its own into a buffer, copied out once the first is written. The client waits for
// the whole body anyway, and the second core is otherwise idle while the answer goes out.
// A response already in envelope form (FromEnvelopeForm) is copied as it is.
// Ownership: holds the envelope it is given; the destructor waits for its thread (told to stop
// early when the sending was abandoned). Thread rule: one thread at a time.
class EnvelopeStream {
 public:
  static constexpr size_t kSplitFrom = size_t{8} << 20;

  static bool Streamable(const wire::Envelope& e);
  explicit EnvelopeStream(wire::Envelope e, size_t splitFrom = kSplitFrom);
  // For an envelope whose response is in envelope form (Answer::inEnvelopeForm).
  static std::unique_ptr<EnvelopeStream> FromEnvelopeForm(wire::Envelope e);
  ~EnvelopeStream();
  EnvelopeStream(const EnvelopeStream&) = delete;
  EnvelopeStream& operator=(const EnvelopeStream&) = delete;

  size_t Size() const { return head_.size() + responseSize_; }
  size_t Written() const { return written_; }
  size_t Next(char* out, size_t room);

 private:
  EnvelopeStream(wire::Envelope e, bool inEnvelopeForm, size_t splitFrom);
  void EscapeSecondPart(std::promise<size_t> size);

  wire::Envelope e_;
  std::string head_;         // up to and with the response's opening quote
  size_t responseSize_ = 0;  // the response escaped, with its quotes: the rest but the brace
  size_t headAt_ = 0, responseAt_ = 0, written_ = 0;
  bool escaped_ = false;  // the response is in envelope form: copied, not escaped
  bool closed_ = false;  // the response's closing quote and the envelope's brace are written
  // The second part: the response from `split_` on, escaped by `helper_` into `second_`.
  size_t split_ = 0;
  std::unique_ptr<char[]> second_;
  size_t secondSize_ = 0, secondAt_ = 0;
  std::thread helper_;
  std::atomic<bool> abandon_{false};
  bool secondReady_ = false;  // helper_ joined and its part whole
};

}  // namespace velmor::taxsim
