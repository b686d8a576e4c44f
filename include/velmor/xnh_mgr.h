// IXnhMgr: the manager of the payer's scheme account (class TXnhMgr, registered under this
// interface's GUID string): keeps the account in step with the server ("0001", "0055", "0224",
// "0343") and answers the lookups of the payment and registration screens through its store
// (IXnhDAO, obtained from the service factory).
//
// The payer is the portal agent's current one. Failures never raise: an operation answers false
// with the user message as its last-error text (GetErrorMessage) and logs
// "[TXnhMgr.<op>]异常：<text>". Every server operation advances the given progress view (may be
// null). Used by one thread at a time. Operations are in slot order after IServiceIntf's two.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "velmor/business_object.h"
#include "velmor/progress_view.h"
#include "velmor/ref.h"
#include "velmor/xnh_cbxx_item.h"
#include "velmor/xnh_dao.h"

namespace velmor {

class IXnhMgr : public IServiceIntf {
 public:
  VELMOR_IID("{BAA38FEB-5FD2-4384-8684-BB71AEE6ACFE}")
  // 1 ("0001"): downloads the account and replaces the payer's three tables; stores the time as
  // "xnhdjxx_gxsj".
  virtual bool DjxxXz(IProgressView* progress) = 0;
  // 2 ("0055"): asks and stores the collection mode of every insured item.
  virtual bool downloadZjms(IProgressView* progress) = 0;
  // 3 ("0224"): asks the scheme registration number of every valid office.
  virtual bool synXnhsbdjxhCx(IProgressView* progress) = 0;
  // 4: the number of an office from the last answer of 3.
  virtual bool getSbdjxh(const std::string& swjgdm, std::string& sbdjxh) = 0;
  // 5, 6 ("0343"): submits the payment-list query of a period (yblsh receives its serial), then
  // fetches its answer as a JSON array of objects (an empty array for "70001"/"70002").
  virtual bool synJfqdCx(const std::string& fkssqq, const std::string& fkssqz, std::string& yblsh) = 0;
  virtual bool synJfqdCxFk(const std::string& yblsh, std::string& json) = 0;
  // 7: the distinct combinations of the valid units matching the condition (may be null).
  virtual bool queryXnhCbxxItems(IXnhCbxxQc* condition, Ref<IXnhCbxxItems>& items) = 0;
  // 8, 9: associated-payment and medical-only flags of the account.
  virtual bool isYjgl() = 0;
  virtual bool isYbgzdjXnh() = 0;
  // 10-32: the store's operations 1-23, passed straight to it (same arguments and answers; the
  // store's last-error text becomes the manager's).
  virtual bool HasXnhDjxx(const std::string& djxh) = 0;
  virtual bool SaveXnhDjxx(const std::string& djxh, const std::vector<XnhJbxx>& offices, std::string& message) = 0;
  virtual std::string GetXnhJbxx(const std::string& djxh) = 0;
  virtual std::string getZgswksDmLb(const std::string& djxh) = 0;
  virtual std::string getSqhczData(const std::string& djxh, const std::string& xzjddm) = 0;
  virtual std::string getCbxxData(const std::string& djxh, const std::string& sbjbjgdm, int32_t page,
                                  int32_t pageSize) = 0;
  virtual std::string GetSwjgList(const std::string& djxh) = 0;
  virtual std::string GetXzjdData(const std::string& djxh, const std::string& sbjbjgdm) = 0;
  virtual std::string GetZsxmDmList(const std::string& djxh, const std::string& sbjbjgdm) = 0;
  virtual std::string GetZspmDmList(const std::string& djxh, const std::string& sbjbjgdm,
                                    const std::string& zsxmdm) = 0;
  virtual std::string GetZszmDmList(const std::string& djxh, const std::string& sbjbjgdm, const std::string& zsxmdm,
                                    const std::string& zspmdm) = 0;
  virtual bool saveZjms(const std::string& djxh, const std::vector<XnhZjmsEntry>& entries, std::string& message) = 0;
  virtual bool getZjms(const std::string& djxh, int32_t& total, int32_t& mode01, int32_t& mode02) = 0;
  virtual std::string GetSbjbjgList(const std::string& djxh, const std::string& dwbh) = 0;
  virtual std::string getXzjdZspm(const std::string& djxh) = 0;
  virtual std::string GetDwbhList(const std::string& djxh, const std::string& yxbz, const std::string& sbjbjgdm) = 0;
  virtual std::string GetSbjbjgText(const std::string& djxh) = 0;
  virtual std::string getYxCbxx(const std::string& djxh, const std::string& month) = 0;
  virtual std::string getJtbzhSwjgDmList(const std::string& djxh) = 0;
  virtual std::string getAllJfrZsxmList(const std::string& djxh, const std::vector<std::string>& marks,
                                        const std::string& dwbh, const std::string& sbjbjgdm) = 0;
  virtual std::string getSbjbjgDwbhList(const std::string& djxh) = 0;
  virtual std::string getAllDwbhList(const std::string& djxh, const std::vector<std::string>& marks,
                                     const std::string& yxbz) = 0;
  virtual std::string getJtbzhZspmZszmList(const std::string& djxh, const std::vector<std::string>& units) = 0;
  // 33 on are additions of this host.
  // 33: the store itself, for its own additions (null with the message when it cannot be had).
  virtual Ref<IXnhDAO> GetDAO() = 0;
  // 34: the payer's insurance types (the types of an enrolment download); false with the
  // store's message when it cannot be read.
  virtual bool GetXzlxList(const std::string& djxh, std::vector<std::string>& types) = 0;
  // 35: a new, empty condition for queryXnhCbxxItems.
  virtual Ref<IXnhCbxxQc> NewCbxxQc() = 0;

 protected:
  ~IXnhMgr() = default;
};

}  // namespace velmor
