// A submitted declaration keeps its persons as compact rows: the server answers from them exactly
// as from the same persons given as JSON (a scenario's or a test's), and a scenario written from
// the state holds them as JSON again.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "taxsim/call.h"
#include "taxsim/handlers.h"
#include "taxsim/handlers/declaration_book.h"
#include "taxsim/state.h"

namespace velmor::taxsim {
namespace {

using Json = nlohmann::json;
using OJson = nlohmann::ordered_json;

// Persons whose members differ in order, presence and repetition (the last of a repeated member
// counts), with a text that needs escaping.
const char* kPersons =
    "<sbfJfsbbmxDTO><jfmxxh>1</jfmxxh><sbjbjgDm>J1</sbjbjgDm><cxjmsbbm>S1</cxjmsbbm><jhsx></jhsx>"
    "<zsxmDm>10210</zsxmDm><zspmDm>102101000</zspmDm><zszmDm></zszmDm><jfnd>2025</jfnd><yjfe>380</yjfe>"
    "<yjfje>380</yjfje><ybtfe>380</ybtfe></sbfJfsbbmxDTO>"
    "<sbfJfsbbmxDTO><yjfe>1</yjfe><cxjmsbbm>S2</cxjmsbbm><jfmxxh>2</jfmxxh><yjfe>20.5</yjfe>"
    "<zsxmDm>a&quot;b&amp;\\</zsxmDm></sbfJfsbbmxDTO>"
    "<sbfJfsbbmxDTO><jfmxxh>3</jfmxxh><cxjmsbbm>S3</cxjmsbbm><yjfe>0.333</yjfe><extra>x</extra></sbfJfsbbmxDTO>";

const Json kAsJson = Json::parse(R"([
  {"jfmxxh":"1","sbjbjgDm":"J1","cxjmsbbm":"S1","jhsx":"","zsxmDm":"10210","zspmDm":"102101000","zszmDm":"",
   "jfnd":"2025","yjfe":"380","yjfje":"380","ybtfe":"380"},
  {"yjfe":"20.5","cxjmsbbm":"S2","jfmxxh":"2","zsxmDm":"a\"b&\\"},
  {"jfmxxh":"3","cxjmsbbm":"S3","yjfe":"0.333","extra":"x"}])");

class DeclaredPersonsTest : public ::testing::Test {
 protected:
  DeclaredPersonsTest() : s_(Generate({.persons = 3, .payers = 1, .seed = 7})), djxh_(s_.payers[0].djxh) {
    RegisterDeclaration(registry_);
    RegisterPaymentHandlers(registry_);
  }

  Answer Run(State& s, const std::string& code, OJson body, const std::string& persons = "") {
    Call call;
    call.serviceCode = code;
    call.body = std::move(body);
    if (!persons.empty()) {
      call.document = std::make_unique<RequestDocument>();
      const std::string xml = "<taxML><sbfJfsbbmxList>" + persons + "</sbfJfsbbmxList></taxML>";
      EXPECT_TRUE(call.document->dom.load_string(xml.c_str()));
    }
    return registry_.Find(code)(call, s);
  }
  static std::string Text(const Answer& a) { return a.document ? a.document->Text() : a.ResponseJson(); }

  // Submits the persons; the declared entry's levy number.
  std::string Submit(const std::string& persons) {
    Answer a = Run(s_, "0004", {{"djxh", djxh_}, {"yblsh", "L1"}}, persons);
    EXPECT_NE(Text(a).find("<code>00000</code>"), std::string::npos) << Text(a);
    return s_.declarations.back().value("yzpzxh", "");
  }

  State s_;
  std::string djxh_;
  HandlerRegistry registry_;
};

TEST_F(DeclaredPersonsTest, RowsReadAsTheJsonPersons) {
  const std::string yzpzxh = Submit(kPersons);
  ASSERT_FALSE(yzpzxh.empty());
  const Json& entry = s_.declarations.back();
  EXPECT_FALSE(entry.contains("persons"));
  EXPECT_DOUBLE_EQ(entry["yjfe"].get<double>(), 381.333) << "the first yjfe of each person, as before";
  const DeclaredPersons rows(s_, entry);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows.Text(1, "yjfe"), "20.5");
  EXPECT_EQ(rows.Text(1, "jfnd", "2026"), "2026") << "absent";
  EXPECT_EQ(rows.Text(0, "zszmDm", "none"), "") << "present and empty";
  EXPECT_EQ(rows.Text(2, "extra"), "x");
  EXPECT_EQ(rows.Text(0, "extra", "none"), "none");
  EXPECT_DOUBLE_EQ(rows.Amount(2, rows.Find("yjfe")), 0.333);

  // The same declaration with its persons as JSON answers byte for byte the same.
  State json = s_;
  Json& twin = json.declarations.back();
  twin.erase("personRows");
  twin["persons"] = kAsJson;
  for (const char* code : {"0007", "0053", "0081", "0237"}) {
    OJson body = {{"djxh", djxh_}, {"yzpzxh", yzpzxh}};
    EXPECT_EQ(Text(Run(s_, code, body)), Text(Run(json, code, body))) << code;
  }
  OJson deduct = {{"zzdjxh", djxh_}, {"yzpzxhGridlb", {{{"yzpzmxxhGridlb", {{{"zsuuid", yzpzxh + "-2"}}}}}}}};
  EXPECT_EQ(Text(Run(s_, "0008", deduct)), Text(Run(json, "0008", deduct)));
  OJson vouchers = {{"zzdjxh", djxh_}, {"mxlb", {{{"yzpzxh", yzpzxh}}}}};
  EXPECT_EQ(Text(Run(s_, "0010", vouchers)), Text(Run(json, "0010", vouchers)));
  EXPECT_EQ(Summary(s_), Summary(json));
  EXPECT_EQ(s_.declarations.back()["paid"], 20.5);

  // A scenario holds the persons as JSON, and reads back to the same answers.
  OJson scenario = ToScenario(s_);
  const OJson& written = scenario["declarations"].back();
  EXPECT_FALSE(written.contains("personRows"));
  EXPECT_EQ(Json::parse(written["persons"].dump()), kAsJson);
  State back = LoadScenarioText(scenario.dump(), "s.json");
  EXPECT_EQ(Text(Run(back, "0081", {{"djxh", djxh_}, {"yzpzxh", yzpzxh}})),
            Text(Run(s_, "0081", {{"djxh", djxh_}, {"yzpzxh", yzpzxh}})));
}

// A member first met after some persons leaves those persons without it (an empty person first,
// a member only the last person has), and the rows read as before.
TEST_F(DeclaredPersonsTest, MembersFirstMetLaterAreAbsentFromThePersonsBefore) {
  Run(s_, "0004", {{"djxh", djxh_}, {"yblsh", "L4"}},
      std::string("<sbfJfsbbmxDTO/>") + kPersons + "<sbfJfsbbmxDTO><late>z</late><jfmxxh>5</jfmxxh></sbfJfsbbmxDTO>");
  const Json& entry = s_.declarations.back();
  EXPECT_DOUBLE_EQ(entry["yjfe"].get<double>(), 381.333);
  const DeclaredPersons rows(s_, entry);
  ASSERT_EQ(rows.size(), 5u);
  for (const char* name : {"jfmxxh", "yjfe", "zszmDm", "extra", "late"})
    EXPECT_EQ(rows.Text(0, name, "none"), "none") << name;
  EXPECT_EQ(rows.Text(1, "jfmxxh"), "1");
  EXPECT_EQ(rows.Text(1, "zszmDm", "none"), "");
  EXPECT_EQ(rows.Text(1, "ybtfe"), "380");
  EXPECT_EQ(rows.Text(2, "yjfe"), "20.5");
  EXPECT_EQ(rows.Text(2, "zsxmDm"), "a\"b&\\");
  EXPECT_EQ(rows.Text(3, "extra"), "x");
  EXPECT_EQ(rows.Text(3, "late", "none"), "none");
  EXPECT_EQ(rows.Text(4, "late"), "z");
  EXPECT_EQ(rows.Text(4, "jfmxxh"), "5");
  EXPECT_EQ(rows.Text(4, "extra", "none"), "none");
}

// A long list: every person's row in order, the amount summed person after person; a member only
// the last person has gives every person before an empty cell, each still read as before.
TEST_F(DeclaredPersonsTest, ALongListReadsInOrderWithAMemberMetLast) {
  const size_t n = 20005;
  for (const bool late : {false, true}) {
    std::string persons;
    double total = 0;
    for (size_t i = 0; i < n; ++i) {
      const std::string amount = std::to_string(i % 97) + "." + std::to_string(i % 7);
      total += std::strtod(amount.c_str(), nullptr);
      persons += "<sbfJfsbbmxDTO><jfmxxh>" + std::to_string(i + 1) + "</jfmxxh><cxjmsbbm>S" + std::to_string(i) +
                 "</cxjmsbbm><yjfe>" + amount + "</yjfe>" + (late && i + 1 == n ? "<late>z</late>" : "") +
                 "</sbfJfsbbmxDTO>";
    }
    Run(s_, "0004", {{"djxh", djxh_}, {"yblsh", late ? "LL" : "LN"}}, persons);
    const Json& entry = s_.declarations.back();
    EXPECT_EQ(entry["yjfe"].get<double>(), total) << "summed in order, late " << late;
    const DeclaredPersons rows(s_, entry);
    ASSERT_EQ(rows.size(), n);
    for (const size_t i : {size_t{0}, n / 2 - 1, n / 2, n / 2 + 1, n - 1}) {
      EXPECT_EQ(rows.Text(i, "jfmxxh"), std::to_string(i + 1)) << i;
      EXPECT_EQ(rows.Text(i, "cxjmsbbm"), "S" + std::to_string(i)) << i;
      EXPECT_EQ(rows.Text(i, "late", "none"), late && i + 1 == n ? "z" : "none") << i;
    }
  }
}

TEST_F(DeclaredPersonsTest, EachPersonNumberNamesThePersonOfItsLastKnownEnrolment) {
  ASSERT_GE(s_.persons.size(), 3u);
  // S1 is enrolled twice (the later enrolment's person counts), S2 once with a person the server
  // does not know (no name), S3 not at all.
  s_.enrolments.clear();
  s_.enrolments.push_back({djxh_, s_.persons[0].rydjxh, "J1", "S1", "", "Y"});
  s_.enrolments.push_back({djxh_, s_.persons[1].rydjxh, "J1", "S1", "", "Y"});
  s_.enrolments.push_back({djxh_, "UNKNOWN", "J1", "S2", "", "Y"});
  const std::string yzpzxh = Submit(kPersons);
  ASSERT_FALSE(yzpzxh.empty());
  const std::string text = Text(Run(s_, "0081", {{"djxh", djxh_}, {"yzpzxh", yzpzxh}}));
  auto rowOf = [&](const std::string& sbbm) {
    const size_t at = text.find("<sbbm>" + sbbm + "</sbbm>");
    if (at == std::string::npos) return std::string();
    const size_t from = text.rfind("<sbfRysbMxDTO>", at);
    return text.substr(from, text.find("</sbfRysbMxDTO>", at) - from);
  };
  EXPECT_NE(rowOf("S1").find("<xm>" + s_.persons[1].xm + "</xm>"), std::string::npos) << rowOf("S1");
  EXPECT_NE(rowOf("S1").find("<sfzjhm>" + s_.persons[1].zjhm + "</sfzjhm>"), std::string::npos);
  EXPECT_NE(rowOf("S2").find("<xm></xm>"), std::string::npos) << rowOf("S2");
  EXPECT_NE(rowOf("S3").find("<xm></xm>"), std::string::npos) << rowOf("S3");
}

TEST_F(DeclaredPersonsTest, RefusedPersonsAreNamedWithTheirReason) {
  Answer a = Run(s_, "0004", {{"djxh", djxh_}, {"yblsh", "L2"}},
                 "<sbfJfsbbmxDTO><jfmxxh>1</jfmxxh><cxjmsbbm>ERR1</cxjmsbbm></sbfJfsbbmxDTO>"
                 "<sbfJfsbbmxDTO><jfmxxh>2</jfmxxh><cxjmsbbm>S2</cxjmsbbm><yjfje>-1</yjfje></sbfJfsbbmxDTO>"
                 "<sbfJfsbbmxDTO><jfmxxh>3</jfmxxh><cxjmsbbm>S3</cxjmsbbm></sbfJfsbbmxDTO>"
                 "<sbfJfsbbmxDTO><jfmxxh>4</jfmxxh></sbfJfsbbmxDTO>");
  EXPECT_EQ(Text(a).substr(Text(a).find("<taxML>")),
            "<taxML><code>20001</code><message>申报校验不通过</message><cwmxList>"
            "<cwmxDTO><jfmxxh>1</jfmxxh><cwxx>证件号码校验不通过</cwxx></cwmxDTO>"
            "<cwmxDTO><jfmxxh>2</jfmxxh><cwxx>yjfje不能为负数</cwxx></cwmxDTO>"
            "<cwmxDTO><jfmxxh>4</jfmxxh><cwxx>居民申报编码不能为空</cwxx></cwmxDTO></cwmxList></taxML>");
  EXPECT_EQ(s_.declarations.back()["state"], "failed");

  // A person without members is a person all the same.
  Answer empty = Run(s_, "0004", {{"djxh", djxh_}, {"yblsh", "L3"}}, "<sbfJfsbbmxDTO/>");
  EXPECT_NE(Text(empty).find("居民申报编码不能为空"), std::string::npos) << Text(empty);
  EXPECT_EQ(DeclaredPersons(s_, s_.declarations.back()).size(), 1u) << "an empty row is a person";
  EXPECT_EQ(DeclaredPersons(s_, Json::object()).size(), 0u);
  EXPECT_EQ(DeclaredPersons(s_, Json{{"personRows", 99}}).size(), 0u) << "rows the state does not have";
}

}  // namespace
}  // namespace velmor::taxsim
