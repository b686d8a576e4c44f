#include "business/items.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "business/probe.h"
#include "velmor/exceptions.h"

namespace velmor {
namespace {

using testing::IProbe;
using testing::Probe;

std::string ListError(const std::function<void()>& f) {
  try {
    f();
  } catch (const EListError& e) {
    return e.what();
  }
  return "no error";
}

class Items : public ::testing::Test {
 protected:
  Ref<Probe> NewProbe(int id) { return Make<Probe>(id, &alive_); }
  std::vector<int> Ids() {
    std::vector<int> ids;
    for (int32_t i = 0; i < list_->GetCount(); ++i) {
      Ref<IProbe> p = Query<IProbe>(list_->GetItem(i));
      ids.push_back(p ? p->Id() : -1);
    }
    return ids;
  }
  int alive_ = 0;
  Ref<TItems> list_ = Make<TItems>();
};

TEST_F(Items, AddGetAndTheNullAnswersOutsideTheRange) {
  EXPECT_EQ(list_->GetItem(0), nullptr);
  EXPECT_EQ(list_->GetItem(-1), nullptr);
  auto a = NewProbe(1), b = NewProbe(2);
  EXPECT_EQ(list_->Add(a.get()), 0);
  EXPECT_EQ(list_->Add(b.get()), 1);
  EXPECT_EQ(list_->GetCount(), 2);
  EXPECT_EQ(list_->GetItem(1).get(), static_cast<IInterface*>(b.get()));
  EXPECT_EQ(list_->GetItem(-1), nullptr);
  EXPECT_EQ(list_->GetItem(2), nullptr);
  EXPECT_EQ(list_->ItemAs<IProbe>(0)->Id(), 1);
  EXPECT_EQ(list_->ItemAs<IProbe>(7), nullptr);
}

TEST_F(Items, TheListHoldsOneReferencePerEntry) {
  auto a = NewProbe(1);
  EXPECT_EQ(a->Count(), 1);
  list_->Add(a.get());
  list_->Add(a.get());
  EXPECT_EQ(a->Count(), 3);
  list_->Delete(0);
  EXPECT_EQ(a->Count(), 2);
  list_->Clear();
  EXPECT_EQ(a->Count(), 1);
  EXPECT_EQ(list_->GetCount(), 0);
}

TEST_F(Items, ClearDeleteAndDestructionReleaseTheItems) {
  for (int i = 0; i < 5; ++i) list_->Add(NewProbe(i).get());
  EXPECT_EQ(alive_, 5);  // kept alive by the list alone
  list_->Delete(2);
  EXPECT_EQ(alive_, 4);
  EXPECT_EQ(Ids(), (std::vector<int>{0, 1, 3, 4}));
  list_->Clear();
  EXPECT_EQ(alive_, 0);
  for (int i = 0; i < 3; ++i) list_->Add(NewProbe(i).get());
  list_ = nullptr;  // the last reference: the list dies and takes its items with it
  EXPECT_EQ(alive_, 0);
}

TEST_F(Items, SetItemReleasesTheOldReference) {
  auto a = NewProbe(1), b = NewProbe(2);
  list_->Add(a.get());
  list_->SetItem(0, b.get());
  EXPECT_EQ(a->Count(), 1);
  EXPECT_EQ(b->Count(), 2);
  list_->SetItem(0, nullptr);
  EXPECT_EQ(b->Count(), 1);
  EXPECT_EQ(list_->GetItem(0), nullptr);
  EXPECT_EQ(list_->GetCount(), 1);
}

TEST_F(Items, BadIndexesRaiseTheListIndexErrorAndChangeNothing) {
  auto a = NewProbe(1), b = NewProbe(2);
  list_->Add(a.get());
  EXPECT_EQ(ListError([&] { list_->SetItem(1, b.get()); }), "List index out of bounds (1)");
  EXPECT_EQ(ListError([&] { list_->Delete(-1); }), "List index out of bounds (-1)");
  EXPECT_EQ(ListError([&] { list_->Exchange(0, 3); }), "List index out of bounds (3)");
  EXPECT_EQ(ListError([&] { list_->Insert(2, b.get()); }), "List index out of bounds (2)");
  EXPECT_EQ(ListError([&] { list_->Insert(-1, b.get()); }), "List index out of bounds (-1)");
  EXPECT_EQ(list_->GetCount(), 1);
  EXPECT_EQ(b->Count(), 1);  // no reference taken and none leaked
  list_->Clear();
  EXPECT_EQ(ListError([&] { list_->Delete(0); }), "List index out of bounds (0)");
}

TEST_F(Items, InsertAndExchange) {
  for (int i = 0; i < 3; ++i) list_->Add(NewProbe(i).get());
  list_->Insert(0, NewProbe(10).get());
  list_->Insert(4, NewProbe(11).get());  // at the end
  list_->Exchange(1, 3);
  EXPECT_EQ(Ids(), (std::vector<int>{10, 2, 1, 0, 11}));
  list_->Exchange(2, 2);
  EXPECT_EQ(Ids(), (std::vector<int>{10, 2, 1, 0, 11}));
}

TEST_F(Items, NotificationsFollowTheChanges) {
  EXPECT_FALSE(list_->GetOnNotify());
  std::vector<std::string> events;
  list_->SetOnNotify([&](IInterface* item, ListNotification action) {
    int id = Query<IProbe>(item)->Id();
    events.push_back((action == ListNotification::Added ? "+" : "-") + std::to_string(id));
  });
  EXPECT_TRUE(list_->GetOnNotify());
  list_->Add(NewProbe(1).get());
  list_->Insert(0, NewProbe(2).get());
  list_->Add(nullptr);  // null entries are not notified
  list_->Add(NewProbe(3).get());
  list_->SetItem(0, NewProbe(4).get());  // replaces inside the entry: no notification
  list_->Delete(1);
  list_->Clear();  // last first
  EXPECT_EQ(events, (std::vector<std::string>{"+1", "+2", "+3", "-1", "-3", "-4"}));
  list_->SetOnNotify(nullptr);
  EXPECT_FALSE(list_->GetOnNotify());
  list_->Add(NewProbe(5).get());
  EXPECT_EQ(events.size(), 6u);
}

TEST_F(Items, AThrowingHandlerLeavesAConsistentList) {
  list_->SetOnNotify([](IInterface*, ListNotification action) {
    if (action == ListNotification::Added) throw Exception("added");
    throw Exception("deleted");
  });
  EXPECT_THROW(list_->Add(NewProbe(1).get()), Exception);
  EXPECT_THROW(list_->Insert(0, NewProbe(2).get()), Exception);
  EXPECT_EQ(list_->GetCount(), 2);  // the operations completed before the handler ran
  EXPECT_EQ(alive_, 2);
  EXPECT_THROW(list_->Delete(0), Exception);
  EXPECT_EQ(list_->GetCount(), 1);
  EXPECT_EQ(alive_, 1);  // deleted and released all the same
  list_ = nullptr;        // destruction swallows the handler's exception and frees the rest
  EXPECT_EQ(alive_, 0);
}

TEST_F(Items, AnItemDiesAfterItHasLeftTheList) {
  auto p = NewProbe(1);
  int countSeen = -1;
  TItems* raw = list_.get();
  p->onDestroy = [&] { countSeen = raw->GetCount(); };
  list_->Add(NewProbe(0).get());
  list_->Add(p.get());
  p = nullptr;
  list_->Delete(1);
  EXPECT_EQ(countSeen, 1);
}

TEST_F(Items, ObjectAndInterfaces) {
  EXPECT_EQ(list_->GetObject(), static_cast<void*>(list_.get()));
  EXPECT_TRUE(Query<IItems>(list_.get()));
  EXPECT_TRUE(Query<IInterface>(list_.get()));
  EXPECT_FALSE(Query<IProbe>(list_.get()));
}

}  // namespace
}  // namespace velmor
