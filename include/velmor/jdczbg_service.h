// IJdczbgService: the street and community changes with the server (class TJdczbgServiceImpl):
// submit changes ("0070"), cancel them ("0071"), and download the record of a period ("0072",
// a count, then the pages) into the store (IJdczbgDao). Registered under this interface's GUID.
//
// Failures never raise: the log receives "[异常]TJdczbgServiceImpl.<op>：[<text>]", the text
// becomes the last-error text (GetErrorMessage), and the answer is false. One object is used by
// the host's main thread. Operations are in slot order after the two of IServiceIntf.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "velmor/business_object.h"
#include "velmor/jdczbg_types.h"
#include "velmor/progress_view.h"

namespace velmor {

class IJdczbgService : public IServiceIntf {
 public:
  VELMOR_IID("{96C34BA7-DC97-4746-81B3-1443F9282DCF}")
  // 1: submits the changes of the current payer as one request. True when the server took the
  // request; the entries it refused (keyed by position "1", "2", ...) come back in `refused`.
  virtual bool submitBGData(const std::vector<JdczbgEntity>& changes, std::vector<JdczbgRefusal>& refused) = 0;
  // 2: cancels changes by their bgid; refused entries keyed by bgid.
  virtual bool cancelBGData(const std::vector<std::string>& bgids, std::vector<JdczbgRefusal>& refused) = 0;
  // 3: downloads the changes of [bgsjq, bgsjz] ("yyyy-mm-dd") page by page (pageSize <= 0: 100)
  // and replaces the period's downloaded rows with all of them once the last page arrived;
  // `total` receives the number stored.
  virtual bool queryBGData(const std::string& bgsjq, const std::string& bgsjz, int32_t pageSize,
                           IProgressView* progress, int32_t& total) = 0;

 protected:
  ~IJdczbgService() = default;
};

}  // namespace velmor
