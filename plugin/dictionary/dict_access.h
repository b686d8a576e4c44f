// Convenience functions for services: the shared dictionary manager from the host factory and
// the tables services ask for most. Each obtains the manager afresh (the factory keeps the one
// instance). Main thread, like the manager.
#pragma once

#include <string>

#include "velmor/dict_mgr.h"

namespace velmor {

// The shared manager: found at the factory, else created from the registered class and
// registered there. Raises velmor::Exception("创建平台组件接口失败！") when neither works.
Ref<IDictMgr> GetDictMgr();

// The manager's sub-district rule; null (never a throw) without a manager.
Ref<IRS_xzjd_sqcz> GetXzjdSqczRule();

// JSON dictionaries.
Ref<IDictionary> DictSwjg();
Ref<IDictionary> DictSbjbjg();
Ref<IDictionary> DictZjlx();
Ref<IDictionary> DictRytslb();
Ref<IDictionary> DictCbsf();
Ref<IDictionary> DictRsjfrylb();
// Database dictionaries.
Ref<IDictionary> DictXzqh();
Ref<IDictionary> DictDwcbzt();
Ref<IDictionary> DictTsdwlb();
Ref<IDictionary> DictTcq();
Ref<IDictionary> DictDwcbtslb();
Ref<IDictionary> DictXzjd();
Ref<IDictionary> DictSqcz();
Ref<IDictionary> DictRycbtslb();

// The name of a code in a dictionary of the manager (JSON first, then database); empty when the
// dictionary or the code is unknown.
std::string DictName(const std::string& dictName, const std::string& code);

}  // namespace velmor
