// The record families of the residents' basic-information collection (jcxx: 基础信息): the
// submitted persons (ds_cxjmjcxxcjryb) and their insurance lines (ds_cxjmjcxxcjxzb), and the
// lines open for registration that the rule service answers. They share the record classes of
// the payment registration (jfdj_items.h).
#pragma once

#include "residents/jfdj_items.h"

namespace velmor {

extern const JfdjFamily kCxjmjcxxRyFamily, kCxjmjcxxXzFamily;

}  // namespace velmor
