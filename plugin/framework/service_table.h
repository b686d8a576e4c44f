// The registration table: every service class of the module, the GUID string it is registered
// under, in start-up order. The single source of truth for service identities; each service unit
// registers its row (VELMOR_SERVICE_UNIT with the row number as its unit order).
#pragma once

#include <array>
#include <string_view>

#include "velmor/guid.h"

namespace velmor {

struct ServiceRow {
  int row;
  Guid iid;
  std::string_view className;
  std::string_view interfaceName;  // empty where the interface has no published name
};

inline constexpr std::array<ServiceRow, 47> kServiceTable = {{
    {1, Guid::Literal("{ED2E729B-499D-42A2-8A62-10901241AA07}"), "TDictMgr", ""},
    {2, Guid::Literal("{9C7A91BD-5D6A-49F4-9E9C-C70327CBAEFA}"), "TSysParamImpl", "ISysParamIntf"},
    {3, Guid::Literal("{3AF7A5C0-9432-4293-8799-173B96B243CA}"), "TCodeNameDAO", ""},
    {4, Guid::Literal("{A67BEE99-9DCF-4558-9B43-CEC04E82872C}"), "TSysParamDaoImpl", ""},
    {5, Guid::Literal("{D5DBEDEC-D449-4E4F-A1B0-39693CABF806}"), "TXnhDAO", ""},
    {6, Guid::Literal("{3E1ABB01-CF38-4BC6-88B4-495CD927FC70}"), "TRcsbDAO", "IRcsbDAO"},
    {7, Guid::Literal("{EBE883EC-E840-4051-84B4-4F6959AB8915}"), "TPaymentDAO", "IPaymentDAO"},
    {8, Guid::Literal("{BAA38FEB-5FD2-4384-8684-BB71AEE6ACFE}"), "TXnhMgr", ""},
    {9, Guid::Literal("{7464D177-8E66-4CD1-A84A-07AA400BD962}"), "TRcsbMgr", ""},
    {10, Guid::Literal("{65775C94-8F12-4C41-8819-2FD389ADB92A}"), "TPaymentMgr", "IJkService"},
    {11, Guid::Literal("{2F3A3ADE-794E-41AE-BA76-74131E00B284}"), "TEmployeeServiceImpl", ""},
    {12, Guid::Literal("{A98666E1-C49F-43AB-88B2-CFEA946F1CE2}"), "TEmployeeDaoImpl", "IEmployeeDao"},
    {13, Guid::Literal("{FFB22FC1-8464-4B62-AF85-EF25B5127674}"), "TBgTaskServiceImpl", "IBgTaskService"},
    {14, Guid::Literal("{7B36A752-BF62-4FB0-BF22-29C46082DECB}"), "TEmployeeDetailServiceImpl", ""},
    {15, Guid::Literal("{C765BF4E-710B-489A-92DE-5C1C49EFCE7A}"), "TEmployeeDetailDaoImpl", ""},
    {16, Guid::Literal("{D3BDCF3B-70C6-44FF-BF1E-F9B43F6DFDBD}"), "TEmployeeUnpaidServiceImpl", ""},
    {17, Guid::Literal("{6F5F2780-D6DC-48B0-B69F-B36B4AEF1A82}"), "TEmployeeUnpaidDaoImpl", ""},
    {18, Guid::Literal("{DBCE89D3-9FC1-4615-8694-8AFC62DD5356}"), "TJfbzImpl", ""},
    {19, Guid::Literal("{9449E2E4-3646-4C08-8BBB-990365E2B81A}"), "TJfbzDAOImpl", "IJfbzDAO"},
    {20, Guid::Literal("{45B7C260-8D57-4555-9FA1-AC434D9BE4B2}"), "TDzsbMgr", ""},
    {21, Guid::Literal("{A3BC12F7-1FF3-4573-B1FF-9AEE7C3E34B7}"), "TYjxxServiceImpl", ""},
    {22, Guid::Literal("{9139AE3B-902D-4C3D-9F98-98BEE733CF8D}"), "TYjxxDaoImpl", ""},
    {23, Guid::Literal("{50E91CD8-CBD4-46D2-AB61-D42CCB9E069B}"), "TGrsbfjn", ""},
    {24, Guid::Literal("{0BE16DC7-C2B3-46E3-AFDE-F753F3323F39}"), "TGrsbfjnDAO", ""},
    {25, Guid::Literal("{8FD29A24-72B6-417E-8E4D-7A82F2A6EE7E}"), "TJfjeqrService", ""},
    {26, Guid::Literal("{8049C896-D6B7-4090-AECA-0DF6F6057B25}"), "TJfjeqrDAOImpl", "IJfjeqrDAO"},
    {27, Guid::Literal("{C7755D5C-B96B-4652-8367-0F0B25321652}"), "TCXJMSBStatusQueryService", "ICXJMSBStatusQueryService"},
    {28, Guid::Literal("{8BCD8594-66BB-44CD-A11A-BB15AC56957B}"), "TJfpjDAO", ""},
    {29, Guid::Literal("{52B2A53D-FA07-487F-9146-111F43919A87}"), "TJfpjService", ""},
    {30, Guid::Literal("{96C34BA7-DC97-4746-81B3-1443F9282DCF}"), "TJdczbgServiceImpl", ""},
    {31, Guid::Literal("{2D6C4FFA-182B-4748-B6D1-C14CD0A7FFE5}"), "TJdczbgDaoImpl", ""},
    {32, Guid::Literal("{0D4E42D2-800B-41F9-8FA8-E5F25B45E87E}"), "TRysbztDAOImpl", ""},
    {33, Guid::Literal("{CC1729FD-BCDF-4BAC-9677-C3E9CB37F0E0}"), "TLlxyServiceImpl", ""},
    {34, Guid::Literal("{C1C13742-EB70-4AC4-B692-55006A3946A4}"), "TCxjmdpkqcServiceImpl", "ICxjmdpkqcServiceIntf"},
    {35, Guid::Literal("{22AB8918-35A0-47D3-A01D-16083FAC9531}"), "TCqcyhcxServiceImpl", ""},
    {36, Guid::Literal("{1D8504EC-2987-4CB7-A10D-7DF37518C415}"), "TTsJkMgr", ""},
    {37, Guid::Literal("{AFE31544-F133-40F5-9292-605C0DF6044D}"), "TTsrqsbjfDAOImpl", ""},
    {38, Guid::Literal("{504E4BA1-ED39-41CF-901A-B49A7ECD3FE1}"), "TCxjmjfdjxxgl", "ICxjmjfdjxxgl"},
    {39, Guid::Literal("{346EB34A-C0EA-4FE2-8F45-FC734877FE87}"), "TShbxfjfmxzm", ""},
    {40, Guid::Literal("{BE9F1483-1F0A-4FCB-BF81-AECCC36A717C}"), "TYbgrzhdj", ""},
    {41, Guid::Literal("{753725B8-2D66-4CA8-BB9D-60657F346550}"), "THnGrsbfjnDAO", ""},
    {42, Guid::Literal("{45224714-93D1-46D6-961D-E5F7554583A6}"), "THnGrsbfjn", ""},
    {43, Guid::Literal("{CBF18CC1-9E7A-4503-8EAF-95A81D524E06}"), "TCxjmjcxxcjImpl", ""},
    {44, Guid::Literal("{D3760593-9627-4524-8E1E-C6DCDF101C2A}"), "TBzDjImpl", "IBzDjIntf"},
    {45, Guid::Literal("{69F2F221-0DAC-4A2B-AE7B-46CC7DD4B77B}"), "TJtbzhImpl", "IJtbzhIntf"},
    {46, Guid::Literal("{7AFD8497-F100-4DAB-A688-C7DD1C825FED}"), "TZfdjhImpl", "IZfdjhIntf"},
    {47, Guid::Literal("{3FCEB95F-26B6-4ED6-AA1A-D4B0FF9D0BF8}"), "TCxjmxnhzjqkcxImpl", ""},
}};

// Row numbers by class, for the units that register them.
enum ServiceRowId : int {
  kRowTDictMgr = 1,
  kRowTSysParamImpl = 2,
  kRowTCodeNameDAO = 3,
  kRowTSysParamDaoImpl = 4,
  kRowTXnhDAO = 5,
  kRowTRcsbDAO = 6,
  kRowTPaymentDAO = 7,
  kRowTXnhMgr = 8,
  kRowTRcsbMgr = 9,
  kRowTPaymentMgr = 10,
  kRowTEmployeeServiceImpl = 11,
  kRowTEmployeeDaoImpl = 12,
  kRowTBgTaskServiceImpl = 13,
  kRowTEmployeeDetailServiceImpl = 14,
  kRowTEmployeeDetailDaoImpl = 15,
  kRowTEmployeeUnpaidServiceImpl = 16,
  kRowTEmployeeUnpaidDaoImpl = 17,
  kRowTJfbzImpl = 18,
  kRowTJfbzDAOImpl = 19,
  kRowTDzsbMgr = 20,
  kRowTYjxxServiceImpl = 21,
  kRowTYjxxDaoImpl = 22,
  kRowTGrsbfjn = 23,
  kRowTGrsbfjnDAO = 24,
  kRowTJfjeqrService = 25,
  kRowTJfjeqrDAOImpl = 26,
  kRowTCXJMSBStatusQueryService = 27,
  kRowTJfpjDAO = 28,
  kRowTJfpjService = 29,
  kRowTJdczbgServiceImpl = 30,
  kRowTJdczbgDaoImpl = 31,
  kRowTRysbztDAOImpl = 32,
  kRowTLlxyServiceImpl = 33,
  kRowTCxjmdpkqcServiceImpl = 34,
  kRowTCqcyhcxServiceImpl = 35,
  kRowTTsJkMgr = 36,
  kRowTTsrqsbjfDAOImpl = 37,
  kRowTCxjmjfdjxxgl = 38,
  kRowTShbxfjfmxzm = 39,
  kRowTYbgrzhdj = 40,
  kRowTHnGrsbfjnDAO = 41,
  kRowTHnGrsbfjn = 42,
  kRowTCxjmjcxxcjImpl = 43,
  kRowTBzDjImpl = 44,
  kRowTJtbzhImpl = 45,
  kRowTZfdjhImpl = 46,
  kRowTCxjmxnhzjqkcxImpl = 47,
};

constexpr const ServiceRow& ServiceRowAt(int row) { return kServiceTable[static_cast<size_t>(row - 1)]; }

}  // namespace velmor
