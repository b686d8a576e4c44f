// TSysParamImpl: the parameter service (ISysParamIntf), a cache of the current payer's system
// parameters over the parameter store (ISysParamDAO, obtained from the service factory; when it
// cannot be, "创建接口[ISysParamDAO]失败！" is raised and logged). Registered as row 2 of the
// service table.
//
// The cache holds the payer's own values and the "global_param" values; the payer's shadow the
// global ones. SetValueFor writes only a value that differs from the one held, and changes the
// cache only once the store has the value. A mutex serialises calls on one object.
#pragma once

#include <mutex>
#include <string>

#include "business/business_object.h"
#include "business/data_vo.h"
#include "store/param_cache.h"
#include "velmor/sys_param.h"
#include "velmor/sys_param_dao.h"

namespace velmor {

inline constexpr const char* kNoSysParamDao = "创建接口[ISysParamDAO]失败！";

class TSysParamImpl : public Implements<TBusinessObject, ISysParamIntf> {
 public:
  VELMOR_PUBLISHED(TSysParamImpl, TBusinessObject)

  TSysParamImpl();

  void SetDjxh(const std::string& djxh) override;
  Ref<IDataVO> GetDataVO() override { return dataVO_; }
  std::string GetValue(const std::string& key) override;
  std::string GetValueDef(const std::string& key, const std::string& def) override;
  bool SetValue(const std::string& key, const std::string& value) override;
  bool SetValueFor(const std::string& djxh, const std::string& key, const std::string& value) override;
  std::string GetExtraText1() override { return extraText1_; }
  std::string GetExtraText2() override { return extraText2_; }
  std::string GetValueList() override;

 private:
  void Load();
  bool Store(ISysParamDAO& dao, const std::string& djxh, const std::string& key, const std::string& value);

  std::mutex mutex_;
  std::string djxh_;
  ParamCache cache_;
  Ref<IDataVO> dataVO_;
  std::string extraText1_, extraText2_;  // nothing assigns them
};

}  // namespace velmor
