// ICxjmjfdjxxgl: the residents' payment registration (class TCxjmjfdjxxgl). The user keeps a
// pending list of persons with the insurance lines to open, change or close (ds_jfdjryb,
// ds_jfdjxzb); submitData sends it to the server ("0162", one submission per tax office) and
// records every submission (ds_jfdjjlb, ds_jfdjjlryb, ds_jfdjjlxzb); getRespData fetches the
// verdict ("0163") and writes it back per person and line; synCxjmxnhshbxfjfdjxxCx downloads
// the payer's scheme account ("0160"). Registered under this interface's GUID.
//
// Failures never raise: the error information (operation 1) receives the user text, the log the
// line of the operation; Boolean operations answer false, counts -1. Every read is scoped to the
// current payer (the portal agent's djxh). One object is used by the host's main thread.
// Operations are in slot order; factories answer a new, empty list, item or condition of their
// family.
#pragma once

#include <cstdint>
#include <string>

#include "velmor/error_info.h"
#include "velmor/jfdj_items.h"
#include "velmor/progress_view.h"

namespace velmor {

// The error code submitData leaves when the server accepted a group but the store could not
// record it: the serial is kept, and the next submitData records the group without sending it.
inline constexpr int32_t kJfdjAcceptedNotSaved = 2;

class ICxjmjfdjxxgl : public IInterface {
 public:
  VELMOR_IID("{504E4BA1-ED39-41CF-901A-B49A7ECD3FE1}")
  virtual Ref<IErrorInfo> GetErrorInfo() = 0;                                   // 1
  virtual bool IsFunctionEnabled() = 0;                                         // 2: "NONFUNCTION014"
  virtual bool synCxjmxnhshbxfjfdjxxCx(IProgressView* progress) = 0;           // 3: "0160"
  virtual Ref<IJfdjItems> NewJfdj_Ry_Items() = 0;                               // 4
  virtual Ref<IJfdjItem> NewJfdj_Ry_Item() = 0;                                 // 5
  virtual Ref<IJfdjQueryCondition> NewJfdj_Ry_QueryCondition() = 0;             // 6
  virtual bool getJfdj_Ry_Data(IJfdjQueryCondition* qc, int32_t page, int32_t pageSize, IJfdjItems* out) = 0;  // 7
  virtual int32_t getJfdj_Ry_Count(IJfdjQueryCondition* qc) = 0;                // 8
  virtual bool delJfdj_Ry_Data(int64_t id) = 0;                                 // 9
  // 10: the pending person with the same name, ID type and number, nationality and office.
  virtual bool ry5JfdjExits(IJfdjItem* person, Ref<IJfdjItem>& existing) = 0;
  virtual Ref<IJfdjItems> NewJfdj_Xz_Items() = 0;                               // 11
  virtual Ref<IJfdjItem> NewJfdj_Xz_Item() = 0;                                 // 12
  virtual Ref<IJfdjQueryCondition> NewJfdj_Xz_QueryCondition() = 0;             // 13
  virtual bool getJfdj_Xz_Data(IJfdjQueryCondition* qc, int32_t page, int32_t pageSize, IJfdjItems* out) = 0;  // 14
  virtual int32_t getJfdj_Xz_Count(IJfdjQueryCondition* qc) = 0;                // 15
  // 16: inserts (id 0) or rewrites the person, then replaces its lines; the person's id is set.
  virtual bool saveJfdj_RyItem_XzItems(IJfdjItem* person, IJfdjItems* lines) = 0;
  virtual Ref<IJfdjItems> NewRyjbxx_Items() = 0;                                // 17
  virtual Ref<IJfdjItem> NewRyjbxx_Item() = 0;                                  // 18
  virtual Ref<IJfdjQueryCondition> NewRyjbxx_QueryCondition() = 0;             // 19
  virtual bool getRyjbxx_Data(IJfdjQueryCondition* qc, int32_t page, int32_t pageSize, IJfdjItems* out) = 0;  // 20
  virtual int32_t getRyjbxx_Count(IJfdjQueryCondition* qc) = 0;                 // 21
  // 22: true when the person (name, ID type and number, nationality, office) is enrolled.
  virtual bool ry5JbxxExits(IJfdjItem* person) = 0;
  virtual Ref<IJfdjItems> NewRycbxm_Items() = 0;                                // 23
  virtual Ref<IJfdjItem> NewRycbxm_Item() = 0;                                  // 24
  virtual Ref<IJfdjQueryCondition> NewRycbxm_QueryCondition() = 0;             // 25
  virtual bool getRycbxm_Data(IJfdjQueryCondition* qc, int32_t page, int32_t pageSize, IJfdjItems* out) = 0;  // 26
  virtual int32_t getRycbxm_Count(IJfdjQueryCondition* qc) = 0;                 // 27
  virtual Ref<IJfdjItems> NewXnhcbxm_Items() = 0;                               // 28
  virtual Ref<IJfdjItem> NewXnhcbxm_Item() = 0;                                 // 29
  virtual Ref<IJfdjQueryCondition> NewXnhcbxm_QueryCondition() = 0;             // 30
  virtual bool getXnhcbxm_Data(IJfdjQueryCondition* qc, int32_t page, int32_t pageSize, IJfdjItems* out) = 0;  // 31
  virtual int32_t getXnhcbxm_Count(IJfdjQueryCondition* qc) = 0;                // 32
  // 33-36: roster persons and their enrolment lines copied into pending records.
  virtual bool RyjbxxItemsToJfdjRyItems(IJfdjItems* roster, IJfdjItems* pending) = 0;
  virtual bool RyjbxxItemToJfdjRyItem(IJfdjItem* roster, IJfdjItem* pending) = 0;
  virtual bool RycbxmItemsToJfdjXzItems(IJfdjItems* lines, IJfdjItems* pending) = 0;
  virtual bool RycbxmItemToJfdjXzItem(IJfdjItem* line, IJfdjItem* pending) = 0;
  virtual bool submitData(IJfdjItems* persons, IProgressView* progress) = 0;    // 37: "0162"
  virtual bool getRespData(IJfdjItem* submission, IProgressView* progress) = 0;  // 38: "0163"
  virtual Ref<IJfdjItems> NewJfdjjl_Items() = 0;                                // 39
  virtual Ref<IJfdjItem> NewJfdjjl_Item() = 0;                                  // 40
  virtual Ref<IJfdjQueryCondition> NewJfdjjl_QueryCondition() = 0;             // 41
  virtual Ref<IJfdjItems> NewJfdjjl_Ry_Items() = 0;                             // 42
  virtual Ref<IJfdjItem> NewJfdjjl_Ry_Item() = 0;                               // 43
  virtual Ref<IJfdjQueryCondition> NewJfdjjl_Ry_QueryCondition() = 0;          // 44
  virtual Ref<IJfdjItems> NewJfdjjl_Xz_Items() = 0;                             // 45
  virtual Ref<IJfdjItem> NewJfdjjl_Xz_Item() = 0;                               // 46
  virtual Ref<IJfdjQueryCondition> NewJfdjjl_Xz_QueryCondition() = 0;          // 47
  virtual bool getJfdjjl_Data(IJfdjQueryCondition* qc, int32_t page, int32_t pageSize, IJfdjItems* out) = 0;  // 48
  virtual int32_t getJfdjjl_Count(IJfdjQueryCondition* qc) = 0;                 // 49
  virtual bool getJfdjjl_Ry_Data(IJfdjQueryCondition* qc, int32_t page, int32_t pageSize, IJfdjItems* out) = 0;  // 50
  virtual int32_t getJfdjjl_Ry_Count(IJfdjQueryCondition* qc) = 0;              // 51
  virtual bool getJfdjjl_Xz_Data(IJfdjQueryCondition* qc, int32_t page, int32_t pageSize, IJfdjItems* out) = 0;  // 52
  virtual int32_t getJfdjjl_Xz_Count(IJfdjQueryCondition* qc) = 0;              // 53

 protected:
  ~ICxjmjfdjxxgl() = default;
};

}  // namespace velmor
