// IJdczbgDao: the store of the street and community changes (class TJdczbgDaoImpl), table
// sb_jdczbgb. Registered under this interface's GUID.
//
// Failures never raise: the line "[异常]TJdczbgDaoImpl.<op>：[<text>]" goes to the debug log, the
// user message ("数据库查询失败。", "数据库更新失败。") becomes the last-error text, and the answer is
// false or -1. Every value is quote-doubled in its statement. Each call takes its own connection;
// one object is used by one thread at a time. Operations are in slot order after the two of
// IServiceIntf.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "velmor/business_object.h"
#include "velmor/jdczbg_types.h"

namespace velmor {

class IJdczbgDao : public IServiceIntf {
 public:
  VELMOR_IID("{2D6C4FFA-182B-4748-B6D1-C14CD0A7FFE5}")
  // 1: inserts one change; id receives its row id.
  virtual bool insertData(const JdczbgEntity& entity, int64_t& id) = 0;
  // 2: deletes one row by id.
  virtual bool delData(int64_t id) = 0;
  // 3: replaces the payer's downloaded rows (sjlx 1) whose change day lies in [bgsjq, bgsjz] by
  // `entities`, in one transaction: nothing changes when any statement fails.
  virtual bool replaceDownloaded(const std::string& djxh, const std::string& bgsjq, const std::string& bgsjz,
                                 const std::vector<JdczbgEntity>& entities) = 0;
  // 4: the number of the payer's rows matching the filter; -1 on failure.
  virtual int32_t getCount(const std::string& djxh, const JdczbgFilter& filter) = 0;
  // 5: one page of them (page from 1, -1 for all), newest change first.
  virtual bool getData(const std::string& djxh, const JdczbgFilter& filter, int32_t page, int32_t pageSize,
                       std::vector<JdczbgEntity>& rows) = 0;

 protected:
  ~IJdczbgDao() = default;
};

}  // namespace velmor
