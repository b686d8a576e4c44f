// IGrsbfjn: individual online payment (class TGrsbfjn, registered under this interface's GUID
// string). Two channels: orders at the bank's payment platform over HTTPS with signed parameters
// (Sbfjn, DoZfztCx; the platform settings are system parameters "ccb_zrzfpt_*", the signing key
// the enciphered "Key_CCB.pem"; docs/onlinepay.md), and orders through the tax server ("0049"
// order, "0050" details, "0051" list, "0052" state). Orders are recorded through IGrsbfjnDAO.
// Parameters and results are JSON; the payer is the portal agent's current one.
//
// Failures never raise: an operation answers false (or the store's empty result) with the user
// message in `message` and as the last-error text, and logs "[TGrsbfjn.<op>]异常：<text>". Used
// from the host's main thread; one object by one thread at a time. Operations are in slot order
// after IServiceIntf's two.
#pragma once

#include <cstdint>
#include <string>

#include "velmor/business_object.h"

namespace velmor {

class IGrsbfjn : public IServiceIntf {
 public:
  VELMOR_IID("{50E91CD8-CBD4-46D2-AB61-D42CCB9E069B}")
  // 1: a bank order. order: {rydjxh, xm, zjlx, zjhm, sjhm, email, sbjbjgdm, rybh, pmlx, jfnd,
  // ksny, zzny ("yyyymm"), xz_xzjddm, xz_sqhczdm, swjgdm, spddh (optional: a fresh one is made),
  // lines: [{zsxmdm, zspmdm, zszmdm, jfje}]}; result: {spddh, zfddh, syturl, ddscrq, ddcssj,
  // jfje}. The lines are stored unpaid once the bank has accepted the order.
  virtual bool Sbfjn(const std::string& order, std::string& result, std::string& message) = 0;
  // 2, 3, 4: the store's count, page and unpaid orders for the current payer.
  virtual int32_t GetCount(const std::string& filter) = 0;
  virtual std::string GetData(const std::string& filter, int32_t page, int32_t pageSize) = 0;
  virtual std::string GetAllDjfDataLb() = 0;
  // 5: the bank's state of an order, stored; result {spddh, zfddh, ddzt}.
  virtual bool DoZfztCx(const std::string& spddh, const std::string& zfddh, std::string& result,
                        std::string& message) = 0;
  // 6 ("0049"): a server order; result {orderId, queryId, zffsDm, zfUrl, qrcodeStr, ddscsj}, stored.
  virtual bool Xd(const std::string& order, std::string& result, std::string& message) = 0;
  // 7 ("0050"): the details of a server order, as the server gives them.
  virtual bool ddmxCx(const std::string& orderId, const std::string& queryId, std::string& result,
                      std::string& message) = 0;
  // 8 ("0051"): a page of server orders. query: {xnhDjxh, ddscsjq, ddscsjz, pageNumber, pageSize,
  // jfrlxDm}; result: the server's list.
  virtual bool ddCx(const std::string& query, std::string& result, std::string& message) = 0;
  // 9 ("0052"): the state of a server order; result {ddztDm, sbyy}.
  virtual bool ddztCx(const std::string& orderId, const std::string& queryId, std::string& result,
                      std::string& message) = 0;
  // 10, 11: the store's payment data of server orders.
  virtual bool SaveDdZfData(const std::string& data) = 0;
  virtual std::string GetDdZfData(const std::string& orderId, const std::string& queryId) = 0;

 protected:
  ~IGrsbfjn() = default;
};

}  // namespace velmor
