// IJfjeqrService: residents' payment-amount confirmation and personal payment agreements (class
// TJfjeqrService, registered under this interface's GUID string): amounts confirmed to the
// server ("0037") and recorded; personal deduction authorisations queried ("0038") and stored
// ("0039"); online-signed pension agreements numbered, saved, updated, verified, revoked and
// withdrawn ("0043"-"0048") and mirrored in the store (IJfjeqrDAO, from the service factory).
// Parameters and results are JSON (docs/fees.md); the payer is the portal agent's current one.
//
// Failures never raise: an operation answers false (or -1, "[]") with the user message in
// `message` (where it has one) and as the last-error text, and logs
// "[TJfjeqrService.<op>]异常：<text>". Used from the host's main thread; one object by one thread
// at a time. Operations are in slot order after IServiceIntf's two.
#pragma once

#include <cstdint>
#include <string>

#include "velmor/business_object.h"
#include "velmor/progress_view.h"

namespace velmor {

class IJfjeqrService : public IServiceIntf {
 public:
  VELMOR_IID("{8FD29A24-72B6-417E-8E4D-7A82F2A6EE7E}")
  // 1 ("0037"): confirms the lines (JSON array) and stores those the server confirmed.
  virtual bool JfjeqrSave(const std::string& lines, IProgressView* progress, std::string& message) = 0;
  // 2, 3: count and page of confirmations (filter JSON; page from 1, -1 all).
  virtual int32_t GetJfjeqrCount(const std::string& filter) = 0;
  virtual std::string GetJfjeqrData(const std::string& filter, int32_t page, int32_t pageSize) = 0;
  // 4 ("0038"): the person's deduction agreements (person: JSON with djxh) as a JSON array.
  virtual bool GrwtkkjfxyCx(const std::string& person, std::string& authorisations, std::string& message) = 0;
  // 5: no work.
  virtual bool Nop() = 0;
  // 6: the bank list of a region from "sqyh.json" (the entry's "list"; "[]" when none).
  virtual bool GetXzqhYhList(const std::string& xzqhdm, std::string& list, std::string& message) = 0;
  // 7 ("0039"): sends an authorisation and stores it as the person's valid one.
  virtual bool Grwtkkjfxybc(const std::string& authorisation, std::string& message) = 0;
  // 8, 9: count and page of authorisations.
  virtual int32_t GetSbfkfsqCount(const std::string& filter) = 0;
  virtual std::string GetSbfkfsqData(const std::string& filter, int32_t page, int32_t pageSize) = 0;
  // 10: voids an authorisation.
  virtual bool SbfkfsqZf(int32_t id, std::string& message) = 0;
  // 11-16 ("0043"-"0048"): a new agreement number of a tax office; save (out: sfxydjuuid),
  // update, verify and revoke an agreement (out: the server's message); withdraw a number.
  virtual bool synProduceSfxy(const std::string& skssswjgDm, std::string& sfxyh, std::string& message) = 0;
  virtual bool synSaveSfxyxx(const std::string& agreement, std::string& sfxydjuuid, std::string& message) = 0;
  virtual bool synUpdateSfxyxx(const std::string& agreement, std::string& returnMessage, std::string& message) = 0;
  virtual bool synCheckSfxy(const std::string& agreement, std::string& returnMessage, std::string& message) = 0;
  virtual bool synRevokeSfxy(const std::string& agreement, std::string& returnMessage, std::string& message) = 0;
  virtual bool synZfSfxyh(const std::string& zfrDm, const std::string& sfxydjuuid, std::string& message) = 0;
  // 17: stores the agreement of a person locally (one row per person and agreement number).
  virtual bool SaveJmylwqsfxy(const std::string& rydjxh, const std::string& xm, const std::string& agreement,
                              std::string& message) = 0;
  // 18, 19: count and page of agreements.
  virtual int32_t GetJmylwqsfxyCount(const std::string& filter) = 0;
  virtual std::string GetJmylwqsfxyData(const std::string& filter, int32_t page, int32_t pageSize) = 0;
  // 20, 21: the agreement's state and verification date.
  virtual bool UpdateSfyxztDm(const std::string& rydjxh, const std::string& sfxyh, const std::string& sfxyztDm,
                              std::string& message) = 0;
  virtual bool UpdateSfxyyztgrq(const std::string& rydjxh, const std::string& sfxyh, const std::string& sfxyyztgRq,
                                std::string& message) = 0;
  // 22: the name of a region from "sqyh.json" ("" when unknown).
  virtual bool GetXzqhmc(const std::string& xzqhdm, std::string& xzqhmc, std::string& message) = 0;
  // 23 (GetBankList): the whole "sqyh.json" as JSON text.
  virtual bool GetBankList(std::string& banks, std::string& message) = 0;

 protected:
  ~IJfjeqrService() = default;
};

}  // namespace velmor
