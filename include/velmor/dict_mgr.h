// IDictMgr: the dictionary manager, the one shared service (class TDictMgr, registered under this
// interface's GUID string) that keeps the module's code tables and rule tables and updates the
// rule file from the server.
//
// Obtain it through the host factory (one instance per process). It is used from the host's main
// thread; the dictionaries and rule tables it hands out are reference-counted and keep answering
// from the rules they were built from after an update replaces them. Operations are in slot
// order: the two last-error operations, the published ones, then host additions.
#pragma once

#include <string>

#include "velmor/cbxm.h"
#include "velmor/cxjm_fkssq_gz.h"
#include "velmor/cxjm_syrqlx_dz_gz.h"
#include "velmor/cxjmyjfedc_gz.h"
#include "velmor/dictionary.h"
#include "velmor/grcbrytslbdz_gz.h"
#include "velmor/grdjxzdz_gz.h"
#include "velmor/interface.h"
#include "velmor/jfbz_gz.h"
#include "velmor/key_value_gz.h"
#include "velmor/pmlx_gz.h"
#include "velmor/ref.h"
#include "velmor/rs_xzjd_sqcz.h"
#include "velmor/ryzt_gz.h"
#include "velmor/sbjbjg_zspm_dz_gz.h"
#include "velmor/sfzjlx_gj_gz.h"
#include "velmor/xnhflbs_gz.h"
#include "velmor/xzqh_gz.h"
#include "velmor/xzylgx_gz.h"
#include "velmor/yhhb_gz.h"

namespace velmor {

class IDictMgr : public IInterface {
 public:
  VELMOR_IID("{ED2E729B-499D-42A2-8A62-10901241AA07}")
  virtual std::string GetErrorMessage() = 0;
  virtual void SetErrorMessage(const std::string& message) = 0;
  // Reads the rule file once; later calls return at once. False (ErrorMessage set) on failure.
  virtual bool LoadRules() = 0;
  // Fetches changed rules from the server unless they were updated today (or force). False with
  // ErrorMessage set when the update failed; the old rules then stay in place. True with a
  // non-empty ErrorMessage is a partial update: the rules it names came damaged and were left empty.
  virtual bool Update(const std::string& djxh, bool force) = 0;
  // A dictionary by name ("dict_zjlx"), or null for an unknown name.
  virtual Ref<IDictionary> GetJsonDictionary(const std::string& name) = 0;
  virtual Ref<IDictionary> GetDbDictionary(const std::string& name) = 0;
  // The region table of "dqdmmc.dat".
  virtual Ref<IDictionary> GetRegionDictionary() = 0;
  // Business-field query "0062": true with the server's answer text in `answer`.
  virtual bool QueryBusinessField(const std::string& yblsh, const std::string& djxh, const std::string& cxlx,
                                  const std::string& cxcsnr, std::string& answer) = 0;
  // "gxsj" and "scgxsj" of the rule file; empty when never updated.
  virtual std::string GetUpdateTime() = 0;
  virtual std::string GetPreviousUpdateTime() = 0;
  // Rule tables and built-in tables, cached until the next update.
  virtual Ref<IRS_xzjd_sqcz> GetXzjdSqczGz() = 0;
  virtual Ref<IPmlxGz> GetPmlxGz() = 0;
  virtual Ref<ICxjmFkssqGzIntf> GetCxjmFkssqGz() = 0;
  virtual Ref<IDictionary> GetCbxzDictionary() = 0;
  virtual Ref<IDictionary> GetMzGz() = 0;
  virtual Ref<IDictionary> GetQsgxDictionary() = 0;
  // The other rule tables, by rule: "xzGz", "jfbzGz", "jnfsGz", "sbjbjgzspmdzGz", "yhhbGz",
  // "sfzjlxGjGz", "rsxzqhGz", "grdjxzdzGz", "grcbrytslbdzGz", "cxjmyjfedcGz", "ryztGz", "swryGz",
  // "cxjmCbrytslbSyrqlxDzGz", "xnhflbsGz". Never null: an absent rule gives an empty table.
  virtual Ref<ICbxmIntf> GetCbxmGz() = 0;
  virtual Ref<IJfbzGzIntf> GetJfbzGz() = 0;
  virtual Ref<IXzylgxGz> GetXzylgxGz() = 0;
  virtual Ref<ISbjbjgZspmDzGz> GetSbjbjgZspmDzGz() = 0;
  virtual Ref<IYhhbGzIntf> GetYhhbGz() = 0;
  virtual Ref<ISfzjlxGjGzIntf> GetSfzjlxGjGz() = 0;
  virtual Ref<IXzqhGzIntf> GetXzqhGz() = 0;
  virtual Ref<IGrdjxzdzGzIntf> GetGrdjxzdzGz() = 0;
  virtual Ref<IGrcbrytslbdzGzIntf> GetGrcbrytslbdzGz() = 0;
  virtual Ref<ICxjmyjfedcGzIntf> GetCxjmyjfedcGz() = 0;
  virtual Ref<IRyztGzIntf> GetRyztGz() = 0;
  virtual Ref<IKeyValueGzIntf> GetSwryGz() = 0;
  virtual Ref<ICxjmCbrytslbSyrqlxDzGzIntf> GetCxjmCbrytslbSyrqlxDzGz() = 0;
  virtual Ref<IXnhflbsGzIntf> GetXnhflbsGz() = 0;
  // Host additions. The rules of the file as a JSON array of {"name", "rows", "md5"} in file order.
  virtual std::string GetRuleSummary() = 0;
  // The full path of the rule file.
  virtual std::string GetRuleFilePath() = 0;

 protected:
  ~IDictMgr() = default;
};

}  // namespace velmor
