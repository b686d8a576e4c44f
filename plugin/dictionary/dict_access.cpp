#include "dictionary/dict_access.h"

#include "framework/registry.h"

namespace velmor {

Ref<IDictMgr> GetDictMgr() { return ObtainHostComponent<IDictMgr>("", "创建平台组件接口失败！"); }

Ref<IRS_xzjd_sqcz> GetXzjdSqczRule() {
  try {
    return GetDictMgr()->GetXzjdSqczGz();
  } catch (const std::exception&) {
    return nullptr;
  }
}

Ref<IDictionary> DictSwjg() { return GetDictMgr()->GetJsonDictionary("dict_swjg"); }
Ref<IDictionary> DictSbjbjg() { return GetDictMgr()->GetJsonDictionary("dict_sbjbjg"); }
Ref<IDictionary> DictZjlx() { return GetDictMgr()->GetJsonDictionary("dict_zjlx"); }
Ref<IDictionary> DictRytslb() { return GetDictMgr()->GetJsonDictionary("rytslbGz"); }
Ref<IDictionary> DictCbsf() { return GetDictMgr()->GetJsonDictionary("cbsfGz"); }
Ref<IDictionary> DictRsjfrylb() { return GetDictMgr()->GetJsonDictionary("rsjfrylbGz"); }
Ref<IDictionary> DictXzqh() { return GetDictMgr()->GetDbDictionary("dict_xzqh"); }
Ref<IDictionary> DictDwcbzt() { return GetDictMgr()->GetDbDictionary("dict_dwcbzt"); }
Ref<IDictionary> DictTsdwlb() { return GetDictMgr()->GetDbDictionary("dict_tsdwlb"); }
Ref<IDictionary> DictTcq() { return GetDictMgr()->GetDbDictionary("dict_tcq"); }
Ref<IDictionary> DictDwcbtslb() { return GetDictMgr()->GetDbDictionary("dict_dwcbtslb"); }
Ref<IDictionary> DictXzjd() { return GetDictMgr()->GetDbDictionary("dict_xzjd"); }
Ref<IDictionary> DictSqcz() { return GetDictMgr()->GetDbDictionary("dict_sqcz"); }
Ref<IDictionary> DictRycbtslb() { return GetDictMgr()->GetDbDictionary("dict_rycbtslb"); }

std::string DictName(const std::string& dictName, const std::string& code) {
  Ref<IDictMgr> mgr = GetDictMgr();
  Ref<IDictionary> d = mgr->GetJsonDictionary(dictName);
  if (!d) d = mgr->GetDbDictionary(dictName);
  return d ? d->GetNameByCode(code) : std::string();
}

}  // namespace velmor
