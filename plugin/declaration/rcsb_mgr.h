// TRcsbMgr: the daily-declaration service (IRcsbMgr), registered as row 9 of the service table.
// Talks to the server through the taxML exchange and stores through IRcsbDAO, which it obtains
// from the host's factory per operation. One object serves one thread at a time.
#pragma once

#include <cstdint>
#include <string>

#include "business/business_object.h"
#include "velmor/rcsb_dao.h"
#include "velmor/rcsb_mgr.h"

namespace velmor {

class TRcsbMgr : public ServiceImpl<TSBBaseObj, IRcsbMgr> {
 public:
  VELMOR_PUBLISHED(TRcsbMgr, TSBBaseObj)

  bool UpdateZfFk(int32_t id, int32_t sbzt, const std::string& sbyy) override;
  bool GetExistsJfndLb(const std::string& djxh, std::string& years) override;
  bool GetSbmxData(int32_t id, const std::string& zspmdm, std::string& rows) override;
  bool GetSbzbData(const std::string& filter, int32_t page, int32_t pageSize, std::string& rows) override;
  bool GetSbzbCount(const std::string& filter, int32_t& count) override;
  bool GetSbFk(int32_t id, IProgressView* progress, int32_t& sbzt, std::string& error) override;
  bool GetWjkDataLb(const std::string& djxh, const std::string& states, std::string& vouchers) override;
  bool UpdateJkzt(const std::string& djxh, const std::string& yzpzxh, int32_t jkzt) override;
  bool synSbqdCx(const std::string& jfrlx, const std::string& fkssqq, const std::string& fkssqz,
                 IProgressView* progress, std::string& error) override;
  bool SbSend(const std::string& declaration, IProgressView* progress, int32_t& id, int32_t& sbzt,
              std::string& error) override;
  bool Sbzf(int32_t id, IProgressView* progress, int32_t& sbzt, std::string& error) override;
  bool GetSbRymxData(int32_t id, std::string& rows) override;

 private:
  // Runs a store call; on failure copies the store's error text.
  template <class F>
  bool Forward(const char* op, F&& call);
};

}  // namespace velmor
