// The steps both forms of submission share: the submission document built from a declaration,
// the journal of a submission (stored before it is sent) and recording its outcome.
//
// Plain functions over their arguments; the thread rule is the caller's.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "codec/taxml_encoded_ahead.h"
#include "codec/taxml_request.h"
#include "declaration/dao_support.h"
#include "declaration/feedback.h"
#include "declaration/parsed_declaration.h"
#include "velmor/exceptions.h"
#include "velmor/rcsb_dao.h"

namespace velmor::declaration {

inline constexpr const char* kYzpzzlDm = "BDA0611049";

class SbbwBuilder;

// The declaration handed to a submission, read once for the document and the store: a
// ParsedDeclaration, or for text of another shape the general parser's tree.
class SubmittedDeclaration {
 public:
  // Raises StoreError("申报数据无效", ...) when `text` is no JSON object. The text must outlive it.
  explicit SubmittedDeclaration(const std::string& text);
  // Lets go of what was read (a roster-sized declaration's memory goes before it is sent).
  void Release();

 private:
  friend class SbbwBuilder;
  friend std::function<void()> FillBesideJournal(const SubmittedDeclaration&, SbbwBuilder&);
  friend int32_t JournalSubmission(IRcsbDAO&, SubmittedDeclaration&, const std::string&, const std::string&,
                                   const std::string&, int32_t);
  const std::string& text_;
  std::optional<ParsedDeclaration> parsed_;
  Json tree_;
};

// The document of `requestType` for declaration `sb` of payer `djxh`: the payer, its tax office,
// the fixed declaration codes and one sbfJfsbbmxDTO per person, made in two steps so that it can
// be built beside the journal. The constructor reads the master's office and checks every value
// the document carries: it raises Exception("创建报文异常") when the document cannot be made (the
// reason goes to the log under `op`), and names a value the document cannot carry (a NUL or
// another control character, text that is not UTF-8, a character GBK lacks in a GBK document):
// "创建报文异常：第2行人员张三的xzjdDm含控制字符". Fill then adds the elements, raising the same
// way; it reads the declaration's details and persons only, never its master.
//
// A value over `sb`, which must outlive it. Fill once, on one thread at a time; the document is
// the caller's to send once Fill has returned.
class SbbwBuilder {
 public:
  SbbwBuilder(std::string_view requestType, const SubmittedDeclaration& sb, std::string djxh, std::string_view op);
  SbbwBuilder(const SbbwBuilder&) = delete;
  SbbwBuilder& operator=(const SbbwBuilder&) = delete;

  taxml::RequestDocument& Document() { return *doc_; }
  void Fill();

 private:
  // Every person of the declaration, in order, to `each` (in whichever form it was read).
  template <class Each>
  void EachPerson(Each&& each) const;

  const SubmittedDeclaration& sb_;
  std::string djxh_, swjgdm_, op_;
  std::optional<taxml::RequestDocument> doc_;
  bool gbk_ = false;
};

// The whole document at once: SbbwBuilder's checks and Fill.
taxml::RequestDocument BuildSbbw(std::string_view requestType, const SubmittedDeclaration& sb,
                                 const std::string& djxh, std::string_view op);

// A submission builds and encodes its document on a second thread while it journals the
// declaration (taxml::EncodedAhead with this as its preparation). A declaration read by the
// plug-in is built there (the journal marks only its master); one held as a tree, which the
// journal marks and lets go of, is built here first and nothing is left to do there.
std::function<void()> FillBesideJournal(const SubmittedDeclaration& sb, SbbwBuilder& document);

// After the journal: waits for the document to be built and encoded, then lets go of the
// declaration. When that failed, nothing was sent: the journal `journal` is dropped again and
// the failure raised.
void AwaitDocument(IRcsbDAO& dao, int32_t journal, taxml::EncodedAhead& encoded, SubmittedDeclaration& sb,
                   std::string_view op);

// A submission is journalled before it is sent: the declaration is stored in one of these
// states with its serial and business id, and its outcome is recorded once the server answered.
// A journalled master is never sent again; it is settled by asking the server under its serial
// (GetSbFk / GetSbFk_61, and the list download does that for every one of the payer).
inline constexpr int32_t kSbztSending = 10;            // sent by "0004"
inline constexpr int32_t kSbztSendingSecondForm = 11;  // sent by "0083"
inline constexpr const char* kMayBeAccepted = "服务器可能已受理，请先同步申报清单";

inline bool IsJournalled(int32_t sbzt) { return sbzt == kSbztSending || sbzt == kSbztSendingSecondForm; }

// Raises "申报记录[id]尚未确认服务器是否受理，请先同步申报清单" while the payer has a journalled
// submission whose outcome is unknown: sending again could file it twice.
void RefuseWhileUnconfirmed(IRcsbDAO& dao, const std::string& djxh);

// Stores declaration `sb` of payer `djxh` in state `sending` with serial `yblsh` and business id
// `jywyid`, in one store transaction; answers the master id. Raises the store's error text (then
// nothing was sent). Of a declaration read by the plug-in it changes the master only (its
// document may be being built meanwhile); one held as a tree is marked and let go of.
int32_t JournalSubmission(IRcsbDAO& dao, SubmittedDeclaration& sb, const std::string& djxh, const std::string& yblsh,
                          const std::string& jywyid, int32_t sending);

// Removes the journal of a submission the server refused; a failure is logged under `op` (the
// master stays journalled and is settled by the next list download).
void DropJournal(IRcsbDAO& dao, int32_t id, std::string_view op) noexcept;

// Records the outcome of journalled master `id`: state `sbzt` and, with a final feedback, its
// reason, voucher number and persons in error, in one store transaction.
void RecordOutcome(IRcsbDAO& dao, int32_t id, int32_t sbzt, const std::optional<Feedback>& fb);

// Runs `steps`, the part of a submission after its request may have left. A FeedbackRefused
// (the server says it does not hold the declaration) drops the journal and passes on; any other
// failure leaves the journal and raises Exception("<text>；" + kMayBeAccepted), so the user
// knows not to send it again.
template <class F>
void AfterSending(IRcsbDAO& dao, int32_t id, std::string_view op, F&& steps) {
  try {
    steps();
  } catch (const FeedbackRefused&) {
    DropJournal(dao, id, op);
    throw;
  } catch (const std::exception& e) {
    throw Exception(std::string(e.what()) + "；" + kMayBeAccepted);
  }
}

// Records a fetched feedback on a stored master: its state and reason, and with a final result
// the voucher number and the persons in error, in one store transaction.
void RecordFeedback(IRcsbDAO& dao, int32_t id, const Feedback& fb);

// Reads a fetched feedback with `read` and records it on master `id`, whose stored state is
// `state`; answers the new state. A journalled master the server says it does not hold was
// never filed: it becomes failed (state 3) with the server's text as reason.
template <class Read>
int32_t SettleFeedback(IRcsbDAO& dao, int32_t id, int32_t state, Read&& read) {
  Feedback fb;
  try {
    fb = read();
  } catch (const FeedbackRefused& e) {
    if (!IsJournalled(state)) throw;
    fb = Feedback{};
    fb.sbzt = 3;
    fb.sbyy = e.what();
  }
  RecordFeedback(dao, id, fb);
  return fb.sbzt;
}

}  // namespace velmor::declaration
