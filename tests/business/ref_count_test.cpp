// Reference counting, interfaces, class references and the count traces.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "fake_debugger.h"
#include "test_records.h"
#include "velmor/platform.h"

namespace velmor::testing {
namespace {

// Captures the platform debug output for the life of the object.
class DebugOutputCapture {
 public:
  DebugOutputCapture() {
    platform::SetDebugOutputSink([this](std::string_view t) { lines.emplace_back(t); });
  }
  ~DebugOutputCapture() { platform::SetDebugOutputSink(nullptr); }
  std::vector<std::string> lines;
};

TEST(RefCount, NobodyHoldsANewObjectAndTheLastReleaseDestroysIt) {
  const int before = g_destroyed;
  TAllKinds* raw = Construct<TAllKinds>();
  EXPECT_EQ(raw->GetRefCount(), 0);
  EXPECT_FALSE(raw->TraceRefCount());
  {
    Ref<TAllKinds> r(raw);
    EXPECT_EQ(r->GetRefCount(), 1);
  }
  EXPECT_EQ(g_destroyed, before + 1);
}

TEST(RefCount, NewGivesOneReferenceAndCopiesAddMore) {
  const int before = g_destroyed;
  Ref<TAllKinds> a = New<TAllKinds>();
  EXPECT_EQ(a->GetRefCount(), 1);
  Ref<TAllKinds> b = a;
  Ref<IBusinessObject> c(a.get());
  EXPECT_EQ(c->GetRefCount(), 3);
  b = nullptr;
  c = nullptr;
  EXPECT_EQ(a->GetRefCount(), 1);
  EXPECT_EQ(g_destroyed, before);
  a = nullptr;
  EXPECT_EQ(g_destroyed, before + 1);
}

class TSelfReferencing : public TBusinessObject {
 public:
  TSelfReferencing() {
    // Handing itself out during construction must not destroy the object.
    Ref<IBusinessObject> me(this);
    countInside = me->GetRefCount();
  }
  int32_t countInside = 0;
  VELMOR_PUBLISHED(TSelfReferencing, TBusinessObject)
};

TEST(RefCount, TheConstructionReferenceProtectsTheConstructor) {
  Ref<TSelfReferencing> o = New<TSelfReferencing>();
  EXPECT_EQ(o->countInside, 2);
  EXPECT_EQ(o->GetRefCount(), 1);
}

class TThrowing : public TBusinessObject {
 public:
  TThrowing() { throw std::runtime_error("constructor failed"); }
};

TEST(RefCount, AFailedConstructionIsNoInvalidPointer) {
  DebugOutputCapture capture;
  EXPECT_THROW(New<TThrowing>(), std::runtime_error);
  EXPECT_TRUE(capture.lines.empty());
}

TEST(RefCount, DestroyingAReferencedObjectIsReportedNotFatal) {
  DebugOutputCapture capture;
  FakeDebugHost host;
  {
    TAllKinds held;  // on the stack: destroyed at scope end whatever its count
    held.AfterConstruction();
    held.AddRef();
  }
  ASSERT_EQ(capture.lines.size(), 1u);
  EXPECT_EQ(capture.lines[0], "EInvalidPointer: Invalid pointer operation: 对象[TAllKinds]销毁时引用计数为[1]");
  ASSERT_EQ(host.debugger().lines.size(), 1u);
  EXPECT_EQ(host.debugger().lines[0], capture.lines[0]);
  {
    TAllKinds scoped;  // never handed out: still holds its construction reference only
  }
  EXPECT_EQ(capture.lines.size(), 1u);
}

TEST(RefCount, CountsAreAtomicAcrossThreads) {
  Ref<TAllKinds> o = New<TAllKinds>();
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([p = o.get()] {
      for (int i = 0; i < 20000; ++i) {
        p->AddRef();
        p->Release();
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(o->GetRefCount(), 1);
}

// ---- Traces ----------------------------------------------------------------------------------
TEST(RefCountTrace, EveryChangeIsWrittenWithTheCountsBeforeAndAfter) {
  FakeDebugHost host;
  const int before = g_destroyed;
  Ref<TAllKinds> a = New<TAllKinds>();
  a->SetTraceRefCount(true);
  {
    Ref<TAllKinds> b = a;
  }
  a = nullptr;
  EXPECT_EQ(g_destroyed, before + 1);
  const std::vector<std::string> expected = {
      "对象[TAllKinds]的引用计数[1]加1，现在为[2]",
      "对象[TAllKinds]的引用计数[2]减1，现在为[1]",
      "对象[TAllKinds]的引用计数[1]减1，现在为[0]",
  };
  EXPECT_EQ(host.debugger().lines, expected);
  EXPECT_EQ(host.debugger().categories[0], "TBusinessObject");
}

TEST(RefCountTrace, NothingIsWrittenWhenOffInactiveOrWithoutHost) {
  {
    Ref<TAllKinds> a = New<TAllKinds>();
    a->SetTraceRefCount(true);
    Ref<TAllKinds> b = a;  // no host: skipped
  }
  FakeDebugHost host;
  Ref<TAllKinds> a = New<TAllKinds>();
  { Ref<TAllKinds> b = a; }
  EXPECT_TRUE(host.debugger().lines.empty());
  EXPECT_EQ(host.debugger().activeQueries, 0);  // not even asked
  host.debugger().active = false;
  a->SetTraceRefCount(true);
  { Ref<TAllKinds> b = a; }
  EXPECT_TRUE(host.debugger().lines.empty());
  EXPECT_EQ(host.debugger().activeQueries, 2);
}

TEST(RefCountTrace, AFailingDebuggerDoesNotBreakCounting) {
  FakeDebugHost host;
  host.debugger().throwOnWrite = true;
  Ref<TAllKinds> a = New<TAllKinds>();
  a->SetTraceRefCount(true);
  EXPECT_NO_THROW({ Ref<TAllKinds> b = a; });
  EXPECT_EQ(a->GetRefCount(), 1);
}

// ---- Interfaces ------------------------------------------------------------------------------
TEST(QueryInterface, TheBusinessObjectAnswersIInterfaceAndIBusinessObject) {
  Ref<TAllKinds> o = New<TAllKinds>();
  void* out = nullptr;
  ASSERT_EQ(o->QueryInterface(IBusinessObject::kIid, &out), kOk);
  EXPECT_EQ(out, static_cast<IBusinessObject*>(o.get()));
  EXPECT_EQ(o->GetRefCount(), 2);
  static_cast<IBusinessObject*>(out)->Release();
  ASSERT_EQ(o->QueryInterface(IInterface::kIid, &out), kOk);
  EXPECT_EQ(out, static_cast<IInterface*>(o.get()));
  static_cast<IInterface*>(out)->Release();
  out = o.get();
  EXPECT_EQ(o->QueryInterface(IContact::kIid, &out), kNoInterface);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(o->QueryInterface(IBusinessObject::kIid, nullptr), kNoInterface);
  EXPECT_EQ(o->GetRefCount(), 1);
  EXPECT_EQ(o->GetObject(), static_cast<void*>(static_cast<TBusinessObject*>(o.get())));
}

TEST(QueryInterface, ImplementsAddsItsInterfacesAndRoutesTheirBusinessSlots) {
  Ref<TContact> c = New<TContact>();
  Ref<IContact> i = Query<IContact>(c);
  ASSERT_TRUE(i);
  EXPECT_EQ(c->GetRefCount(), 2);
  // IContact's own copy of the IBusinessObject slots reaches the business object.
  i->SetPropTextByName("lxdh", "123");
  EXPECT_EQ(i->GetLxdh(), "123");
  EXPECT_EQ(i->GetPropText(0), "123");
  EXPECT_EQ(i->GetPropCount(), 2);
  EXPECT_EQ(i->GetRefCount(), 2);
  EXPECT_EQ(i->GetObject(), static_cast<void*>(static_cast<TBusinessObject*>(c.get())));
  i->SetObjectTag("tag");
  EXPECT_EQ(c->GetObjectTag(), "tag");
  Ref<IBusinessObject> b = Query<IBusinessObject>(i);
  ASSERT_TRUE(b);
  EXPECT_EQ(b->GetPropTextByName("LXDH"), "123");
  EXPECT_TRUE(Query<IInterface>(i));
}

class IDerivedContact : public IContact {
 public:
  VELMOR_IID("{0A1B2C3D-4E5F-4071-8293-A4B5C6D7E8F9}")
  using Base = IContact;
  virtual int32_t Level() = 0;
};

class TDerivedContact : public Implements<TBusinessObject, IDerivedContact> {
 public:
  std::string GetLxdh() override { return "d"; }
  int32_t Level() override { return 2; }
  VELMOR_PUBLISHED(TDerivedContact, TBusinessObject)
};

TEST(QueryInterface, ANamedBaseInterfaceIsAnsweredToo) {
  Ref<TDerivedContact> d = New<TDerivedContact>();
  Ref<IContact> base = Query<IContact>(d);
  ASSERT_TRUE(base);
  EXPECT_EQ(base->GetLxdh(), "d");
  Ref<IDerivedContact> derived = Query<IDerivedContact>(base);
  ASSERT_TRUE(derived);
  EXPECT_EQ(derived->Level(), 2);
  EXPECT_EQ(d->GetRefCount(), 3);
}

class ISampleService : public IServiceIntf {
 public:
  VELMOR_IID("{11223344-5566-4778-8899-AABBCCDDEEFF}")
  virtual int32_t Answer() = 0;
};

class TSampleService : public ServiceImpl<TSBBaseObj, ISampleService> {
 public:
  int32_t Answer() override { return 42; }
  VELMOR_PUBLISHED(TSampleService, TSBBaseObj)
};

TEST(ServiceImpl, TheLastErrorTextThroughTheServiceInterface) {
  Ref<TSampleService> s = New<TSampleService>();
  Ref<ISampleService> i = Query<ISampleService>(s);
  ASSERT_TRUE(i);
  EXPECT_EQ(i->GetErrorMessage(), "");
  i->SetErrorMessage("数据库执行失败");
  EXPECT_EQ(s->ErrorMessage, "数据库执行失败");
  EXPECT_EQ(s->GetErrorMessageText(), "数据库执行失败");
  s->SetErrorMessageText("数据库查询失败。");
  EXPECT_EQ(i->GetErrorMessage(), "数据库查询失败。");
  EXPECT_EQ(i->Answer(), 42);
}

// ---- Class references ------------------------------------------------------------------------
TEST(ClassOf, CreatesAnInstanceHeldOnceUnderItsName) {
  const ClassRef& cls = ClassOf<TSampleService>::Instance();
  EXPECT_EQ(cls.ClassName(), "TSampleService");
  EXPECT_EQ(&cls, &ClassOf<TSampleService>::Instance());
  Ref<IInterface> obj = cls.CreateInstance();
  ASSERT_TRUE(obj);
  Ref<ISampleService> svc = Query<ISampleService>(obj);
  ASSERT_TRUE(svc);
  EXPECT_EQ(svc->Answer(), 42);
  Ref<IBusinessObject> bo = Query<IBusinessObject>(obj);
  ASSERT_TRUE(bo);
  EXPECT_EQ(bo->GetRefCount(), 3);
}

TEST(ClassOf, TheInstanceDiesWithItsLastReference) {
  const int before = g_destroyed;
  Ref<IInterface> obj = ClassOf<TAllKinds>::Instance().CreateInstance();
  Ref<IBusinessObject> bo = Query<IBusinessObject>(obj);
  EXPECT_EQ(bo->GetRefCount(), 2);
  EXPECT_EQ(bo->GetPropCount(), kAllKindsCount);
  bo = nullptr;
  obj = nullptr;
  EXPECT_EQ(g_destroyed, before + 1);
  EXPECT_EQ(ClassOf<TAllKinds>::Instance().ClassName(), "TAllKinds");
}

TEST(ObjectTag, IsStoredAsGiven) {
  Ref<TAllKinds> o = New<TAllKinds>();
  EXPECT_EQ(o->GetObjectTag(), "");
  o->SetObjectTag("标记");
  EXPECT_EQ(o->GetObjectTag(), "标记");
}

}  // namespace
}  // namespace velmor::testing
