// TJdczbgServiceImpl: the street and community changes with the server (IJdczbgService),
// registered as row 30 of the service table. Documents go under the body key "qqbw" (their
// request types say so); the download's rows are kept by the store (IJdczbgDao, from the
// service factory). One object is used by the host's main thread.
#pragma once

#include <string>
#include <vector>

#include "business/business_object.h"
#include "velmor/jdczbg_service.h"

namespace velmor {

inline constexpr const char* kJdczbgNoDao = "创建平台组件接口[IJdczbgDao]失败！";
inline constexpr int32_t kJdczbgPageSize = 100;

class TJdczbgServiceImpl : public ServiceImpl<TSBBaseObj, IJdczbgService> {
 public:
  VELMOR_PUBLISHED(TJdczbgServiceImpl, TSBBaseObj)

  bool submitBGData(const std::vector<JdczbgEntity>& changes, std::vector<JdczbgRefusal>& refused) override;
  bool cancelBGData(const std::vector<std::string>& bgids, std::vector<JdczbgRefusal>& refused) override;
  bool queryBGData(const std::string& bgsjq, const std::string& bgsjz, int32_t pageSize, IProgressView* progress,
                   int32_t& total) override;
};

}  // namespace velmor
