// TDealCbxxAndRyxx: the bulk processor of a roster download. It turns the downloaded enrolment
// records (insured items, keyed by cbzxID, linked to their person record by cbxxID) and person
// records (one per enrolment with an agency, keyed by cbxxID) into roster statements, and queues
// them on its own writer thread (TAsynExecSql), which runs them in one transaction.
//
// Records are read from the two collectors (codec/fast_json.h) as they grow: each pass handles
// only the records that arrived since the last one. Person records: the person's own `djxh`
// becomes `rydjxh`, `sbbm` becomes `rybh`, `lxdh` becomes `phonenumber`; an empty `yxbz` means
// "N". Enrolment records: `cbxzID` becomes `xzid`, `ksjfrq`/`tzjfrq` become the months
// `ksjfyf`/`tzjfyf`, `xgrq` becomes `gxsj`; the person, agency and person number come from the
// person record of the same `cbxxID` (an item whose person record has not arrived waits for a
// later pass), the sub-item type `pmlx` from sb_pmlxb.
//
// Statements: a locally added twin with the same name, ID type and number is removed with its
// enrolments and items; persons, enrolments and items are written by update-else-insert,
// delete-then-insert when copies exist. The processor knows which keys the writer's transaction
// already holds (it reads them on the writer's connection once the writer has opened its batch,
// and adds every key it queues), so it queues the twin removal only for a person that has a
// local twin and only the insert for a key that does not exist yet: the same rows as the full
// statements, with fewer of them. Statements handed to queueSql make it read the keys again
// before the next pass.
//
// Persons, enrolments and items are written by statements with bound values (one text per kind,
// prepared once by the host), and the rows of one table queued back to back share one bulk item
// of up to kRowsPerInsert rows (store/background/bulk_rows.h). Waiting rows are queued before
// any other statement, and a row of other statements of the same table first queues the rows
// waiting for it, so the order of statements that could see them is kept.
//
// A server person with an empty phone number keeps the phone number stored locally.
//
// Ownership: the collectors and the connection are the caller's and must outlive the
// processor; the writer is the processor's: destroying the processor stops the writer and joins
// it, rolling back a batch that was not finished. One thread uses a processor at a time.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "codec/fast_json.h"
#include "store/background/asyn_exec_sql.h"
#include "store/background/bulk_rows.h"
#include "velmor/text_hash.h"

namespace velmor {

inline constexpr int kXzxxProgressMax = 200;
inline constexpr int kXzxxProgressIntervalMs = 300;
inline constexpr int kRowsPerInsert = 100;

class TDealCbxxAndRyxx {
 public:
  using ProgressFn = std::function<void(int count, int max)>;

  // Either collector may be null (a processor that only recomputes states or cleans up).
  TDealCbxxAndRyxx(TFastParseJson* cbxx, TFastParseJson* ryxx, Ref<IDBMechanism> db, std::string djxh);
  ~TDealCbxxAndRyxx();
  TDealCbxxAndRyxx(const TDealCbxxAndRyxx&) = delete;
  TDealCbxxAndRyxx& operator=(const TDealCbxxAndRyxx&) = delete;

  // Persons and their enrolments from the person records not yet processed; returns how many
  // person records this pass queued.
  int dealRyxx();
  // Insured items from the enrolment records not yet processed; `progress` gets (items queued
  // so far, 200) at most every 300 ms. Returns how many items this pass queued.
  int dealXzxx(const ProgressFn& progress = {});
  // Queues the recomputation of every person's summary state cbzt: "3" (no item), "2" (items),
  // "1" (a valid item of a valid enrolment running in `month` or later; default: this month).
  void updateCbzt(const std::string& month = {});
  // Queues the removal of enrolments without items, then of server persons without enrolments.
  void clearInvalid();
  // For a full download, after the last pass: queues the marks (updateFlag 1) that keep the
  // persons whose records were refused (RefusedSummary), so the sweep of persons the server no
  // longer has spares them, and the removal of the items of the other server persons that this
  // download did not write (the server no longer has them). Items of refused records stay.
  void sweepItems();
  // After sweepItems: whether a server person was left unmarked (updateFlag 0), so that the
  // removal of the persons the server no longer has would remove any.
  bool StalePersons() const { return stalePersons_; }
  // Queues a plain statement.
  void queueSql(std::string sql);
  // After the last pass and sweep: lets go of the sets of handled persons, written items and the
  // transaction's keys (hundreds of thousands of texts at a full download), so they are freed
  // while the writer still runs what is queued instead of after it. No pass follows: dealRyxx,
  // dealXzxx and sweepItems then raise velmor::Exception; the summaries stay as they were.
  void ReleaseIndexes();
  // Ends the batch and waits for the writer (see TAsynExecSql::WaitForIdle; raises
  // "保存数据库失败！" when the batch failed).
  bool WaitForIdle(int64_t timeoutMs);
  // Drops what is queued and rolls back the writer's open transaction (failure paths).
  void RollbackIfOpen();

  // Indexes the records that arrived since the last pass; true when there are any.
  bool PrepareNewRecords();

  // The records left out so far, for the log: person records without cbxxID, enrolment records
  // without cbxzID, and enrolment records whose person never arrived; each with its count and
  // first keys. Empty when none. Meaningful after the last pass.
  std::string DroppedSummary() const;
  // The records refused because a value cannot be stored as it is (a NUL character, bytes that
  // are not UTF-8), each named by the person number and the field: "人员信息1条含无法保存的字符，
  // 未入库（人员编号R1的xm）". Their items are left out with them; the other records are stored.
  // Empty when none. Meaningful after the last pass.
  std::string RefusedSummary() const;

  int PersonCount() const { return personsWritten_; }
  int ItemCount() const { return itemsWritten_; }
  // The towns, communities and insured-person categories met so far (code -> name).
  using CodeNames = std::map<std::string, std::string, std::less<>>;
  const CodeNames& Towns() const { return towns_; }
  const CodeNames& Communities() const { return communities_; }
  const CodeNames& Categories() const { return categories_; }
  TAsynExecSql& Writer() { return *writer_; }
  // How many rows of one table share a queue item (1: one item per row; the default
  // kRowsPerInsert).
  void SetRowsPerInsert(int rows);
  const std::string& Djxh() const { return djxh_; }

 private:
  struct PersonCols {
    int cbxxID = -1, djxh = -1, xm = -1, zjlxDm = -1, zjhm = -1, sbjbjgDm = -1, sbbm = -1, lxdh = -1, xgrq = -1,
        yxbz = -1;
  };
  struct EnrolCols {
    int cbxxID = -1, djxh = -1, cbxzID = -1, zsxmDm = -1, zspmDm = -1, zszmDm = -1, xzlxDm = -1, xzjdDm = -1,
        xzjdMc = -1, sqczDm = -1, sqczMc = -1, rycbtslbDm = -1, rycbtslbMc = -1, ksjfrq = -1, tzjfrq = -1, xgrq = -1,
        yxbz = -1;
  };

  // Queues the rows waiting, then a plain statement.
  void queueStatement(std::string sql);
  void FlushInserts();
  // Raises once ReleaseIndexes was called.
  void RequireOpen() const;
  void FindColumns();
  // Reads the keys the writer's transaction holds (after a barrier that opens the batch).
  void EnsureKeys();
  void LoadPmlx();

  TFastParseJson* cbxx_;
  TFastParseJson* ryxx_;
  Ref<IDBMechanism> db_;
  std::string djxh_;
  WriterPtr<TAsynExecSql> writer_;

  PersonCols pc_;
  EnrolCols ec_;
  bool personColsFound_ = false, enrolColsFound_ = false;
  int personCursor_ = 0;  // next person record not yet indexed
  int enrolCursor_ = 0;   // next enrolment record not yet indexed
  std::vector<int> pendingPersons_;  // indexed, not yet processed
  std::vector<int> pendingEnrols_;   // indexed, waiting for their person record
  // Looked up by a record's key (a view) without a copy.
  TextMap<int> personByCbxxId_;
  // Records left out: how many, and the first few keys of each kind.
  struct Dropped {
    int count = 0;
    std::vector<std::string> first;
    void Note(std::string_view key);
  };
  Dropped personsWithoutId_, itemsWithoutId_;
  // Records refused for a value that cannot be stored: (record index, field index).
  std::vector<std::pair<int, int>> refusedPersons_, refusedItems_;
  TextSet refusedIds_;  // cbxxID of the refused persons
  int itemsOfRefused_ = 0;                      // items left out with their refused person

  // The five sets: persons handled (cbxxID), towns, communities, categories, and the items
  // written (cbzxID).
  std::unordered_set<std::string> handledPersons_;
  CodeNames towns_, communities_, categories_;
  std::unordered_set<std::string> writtenItems_;

  // Keys of the writer's transaction: persons (rydjxh), enrolments (rydjxh|sbjbjgdm|rybh),
  // items (xzid), and the local persons (xm|zjlx|zjhm) that a server twin would replace.
  bool keysValid_ = false;
  bool released_ = false;  // ReleaseIndexes was called: no further pass
  std::unordered_set<std::string> personKeys_, enrolKeys_, itemKeys_, localTwins_;
  // While the keys are valid: the server persons (ly empty or "0") still unmarked (updateFlag 0),
  // as read with the keys, less those written since.
  std::unordered_set<std::string> unmarkedPersons_;
  TextMap<std::string> pmlx_;  // zspmdm -> pmlx
  bool pmlxLoaded_ = false;

  // The rows waiting, per table.
  BulkRows persons_, enrols_, items_;

  bool stalePersons_ = true;
  int personsWritten_ = 0;
  int itemsWritten_ = 0;
};

}  // namespace velmor
