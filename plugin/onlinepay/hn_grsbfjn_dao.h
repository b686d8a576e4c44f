// THnGrsbfjnDAO: the store of regional individual payment orders (IHnGrsbfjnDAO) on
// sb_hngrsbfjfjl and sb_hngrsbfjfjlmxb, registered as row 41 of the service table. Every value
// is quote-doubled; each operation takes its own connection and catches every failure at its
// boundary. One object is used by one thread at a time.
#pragma once

#include <string>
#include <string_view>

#include "business/business_object.h"
#include "velmor/hn_grsbfjn_dao.h"

namespace velmor {

namespace onlinepay {
// The stored state of the server's orderStatus: "0", "1", "4", "5", "99" as they come, "6" as
// "1", anything else "98".
std::string HnOrderState(std::string_view orderStatus);
}  // namespace onlinepay

class THnGrsbfjnDAO : public ServiceImpl<TSBBaseObj, IHnGrsbfjnDAO> {
 public:
  VELMOR_PUBLISHED(THnGrsbfjnDAO, TSBBaseObj)

  bool SaveJfxx(const std::string& detailList) override;
  std::string GetData(const std::string& djxh, const std::string& filter, int32_t page, int32_t pageSize) override;
  std::string GetMxData(const std::string& djxh, const std::string& ddh) override;
  int32_t GetCount(const std::string& djxh, const std::string& filter) override;
  std::string GetDjfDataLb(const std::string& djxh) override;
  bool UpdateDdzt(const std::string& djxh, const std::string& ddh, const std::string& ddzt, const std::string& ddzfsj,
                  const std::string& zfqd) override;

 private:
  template <class R, class F>
  R Guard(std::string_view op, const char* text, R fallback, F&& body);
};

}  // namespace velmor
