// DzjfpzElecSeal: an electronic payment certificate sealed by the host's seal service and its
// print recorded in the payment store.
#include "framework/host_access.h"
#include "payment/payment_mgr.h"

namespace velmor {

using Json = nlohmann::ordered_json;
using service::OpRefusal;
using service::Text;

namespace {
constexpr const char* kSealCode = "866";
constexpr const char* kSealDescription = "code:税务机关（电子章）";
}  // namespace

bool TPaymentMgr::DzjfpzElecSeal(const std::string& record, IProgressView* progress) {
  return Run("DzjfpzElecSeal", "系统异常，请稍后再试", [&] {
    payment::Advance(progress, 0.1);
    Json r = payment::ObjectOf(record, "电子缴费凭证记录");
    const std::string pdf = Text(r, "pdfFile");
    if (pdf.empty()) throw OpRefusal("电子缴费凭证记录缺少pdfFile。");
    std::string error;
    // The seal first: a certificate that could not be sealed is not recorded as printed.
    if (!GetSealService()->Seal(pdf, kSealCode, kSealDescription, error)) throw OpRefusal(error);
    payment::Advance(progress, 0.7);
    Ref<IPaymentDAO> store = Store();
    const int32_t id = payment::IntOf(r, "id");
    const bool stored = id > 0 ? store->UpdateDzjfpzDy(id) : store->SaveDzjfpz(r.dump());
    if (!stored) throw OpRefusal(store->GetErrorMessage());
    payment::Advance(progress, 0.2);
  });
}

}  // namespace velmor
