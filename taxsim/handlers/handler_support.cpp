#include "taxsim/handlers/handler_support.h"

#include <cmath>
#include <cstdio>
#include <ctime>
#include <exception>
#include <thread>

namespace velmor::taxsim {

namespace {

std::string RowName(std::string_view list) {
  if (list.size() > 4 && list.substr(list.size() - 4) == "List")
    return std::string(list.substr(0, list.size() - 4)) + "DTO";
  return std::string(list) + "DTO";
}

std::string Scalar(const Result& v) { return v.is_string() ? v.get<std::string>() : v.is_null() ? "" : v.dump(); }

void AddMembers(pugi::xml_node parent, const Result& object) {
  for (auto it = object.begin(); it != object.end(); ++it) {
    if (it->is_array()) {
      pugi::xml_node list = parent.append_child(it.key().c_str());
      for (const Result& row : *it) {
        pugi::xml_node r = TaxmlAnswer::AddRow(list, RowName(it.key()));
        if (row.is_object())
          AddMembers(r, row);
        else
          r.text().set(Scalar(row).c_str());
      }
    } else if (it->is_object()) {
      AddMembers(parent.append_child(it.key().c_str()), *it);
    } else {
      TaxmlAnswer::AddValue(parent, it.key(), Scalar(*it));
    }
  }
}

}  // namespace

Answer ResultAnswer(const Call& call, const Result& result) {
  if (call.endpoint == Call::Endpoint::kSubmit) {
    Result out = {{"code", kOkCode}, {"message", "处理成功"}};
    for (auto it = result.begin(); it != result.end(); ++it) out[it.key()] = it.value();
    return Answer::Json(nlohmann::json(out));
  }
  TaxmlAnswer doc;
  AddMembers(doc.Root(), result);
  return Answer::Taxml(std::move(doc));
}

Answer ResultError(const Call& call, std::string_view code, std::string_view message) {
  if (call.endpoint == Call::Endpoint::kSubmit) return Answer::Json({{"code", code}, {"message", message}});
  return Answer::Error(code, message);
}

const Payer& RequirePayer(const State& s, const Call& call) {
  const Payer* p = s.FindPayer(call.Djxh());
  if (!p) throw Refusal("10042", "缴费人[" + call.Djxh() + "]不存在");
  return *p;
}

std::string Param(const Call& call, std::string_view name) {
  return call.document ? call.document->Value(name) : call.Key(name);
}

std::vector<pugi::xml_node> DocumentRows(const Call& call, std::string_view list) {
  std::vector<pugi::xml_node> rows;
  if (!call.document) return rows;
  pugi::xml_node l = call.document->Root().child(std::string(list).c_str());
  for (pugi::xml_node r = l.first_child(); r; r = r.next_sibling())
    if (r.type() == pugi::node_element) rows.push_back(r);
  return rows;
}

const Person* FindByZjhm(const State& s, std::string_view zjhm, std::string_view zjlx) {
  if (zjhm.empty()) return nullptr;
  for (const Person& p : s.persons)
    if (p.zjhm == zjhm && (zjlx.empty() || p.zjlxDm == zjlx)) return &p;
  return nullptr;
}

const Person* FindByRydjxh(const State& s, std::string_view rydjxh) {
  for (const Person& p : s.persons)
    if (p.rydjxh == rydjxh) return &p;
  return nullptr;
}

std::vector<const Item*> ItemsOf(const State& s, std::string_view rydjxh, std::string_view jfnd) {
  std::vector<const Item*> out;
  for (const Item& it : s.items)
    if (it.rydjxh == rydjxh && (jfnd.empty() || it.jfnd == jfnd)) out.push_back(&it);
  return out;
}

std::vector<const Item*> PayerItems(const State& s, std::string_view djxh, std::string_view jfnd) {
  std::vector<const Item*> out;
  for (const Item& it : s.items)
    if (it.djxh == djxh && (jfnd.empty() || it.jfnd == jfnd)) out.push_back(&it);
  return out;
}

std::string Amount(double v) {
  // An amount of whole cents (nearly every one: a day's answers write hundreds of thousands) is
  // written from its cents. Within a millionth of a cent of a whole number of them, the "%.2f"
  // rounding is that number whatever the double's last bits are; anything else, a negative
  // amount (a "-0.00" among them) and the very large go to snprintf.
  const double cents = v * 100;
  if (!std::signbit(v) && cents < 1e12) {
    const double whole = std::nearbyint(cents);
    if (std::fabs(cents - whole) < 1e-6) {
      auto n = static_cast<unsigned long long>(whole);
      char buf[24];
      char* end = buf + sizeof buf;
      char* p = end;
      *--p = static_cast<char>('0' + n % 10);
      n /= 10;
      *--p = static_cast<char>('0' + n % 10);
      n /= 10;
      *--p = '.';
      do {
        *--p = static_cast<char>('0' + n % 10);
        n /= 10;
      } while (n != 0);
      return std::string(p, end);
    }
  }
  char buf[400];  // the largest double has 309 digits before the point
  std::snprintf(buf, sizeof buf, "%.2f", v);
  return buf;
}

std::string LocalTimeText(const char* format, long offsetSeconds) {
  const std::time_t t = std::time(nullptr) + static_cast<std::time_t>(offsetSeconds);
  std::tm tm{};
  localtime_r(&t, &tm);
  char buf[64];
  std::strftime(buf, sizeof buf, format, &tm);
  return buf;
}

Answer JsonRefusal(const char* code, const std::string& message) {
  Answer a = Answer::Json(nlohmann::json::object());
  a.envelope.returnCode = code;
  a.envelope.returnMessage = message;
  return a;
}

void InHalves(size_t count, const std::function<void(size_t from, size_t to, int half)>& part) {
  if (count < kHalvesFrom) {
    part(0, count, 0);
    return;
  }
  const size_t half = count / 2;
  std::exception_ptr failure;
  std::thread second([&] {
    try {
      part(half, count, 1);
    } catch (...) {
      failure = std::current_exception();
    }
  });
  try {
    part(0, half, 0);
  } catch (...) {
    second.join();
    throw;
  }
  second.join();
  if (failure) std::rethrow_exception(failure);
}

}  // namespace velmor::taxsim
