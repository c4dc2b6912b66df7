// The component model: what an owner frees, in which order, and what an owned component
// may still do while it goes.
#include "vcl/Classes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "UiTestHelpers.h"

namespace {

std::vector<std::string> destroyed;

// Notes its name when destroyed.
class TLoggedComponent : public TComponent {
public:
  TLoggedComponent(TComponent* owner, const std::string& name) : TComponent(owner) { SetName(name); }
  ~TLoggedComponent() override { destroyed.push_back(Name()); }
  VCL_CLASS_NAME(TLoggedComponent)
};

TEST(ComponentOwnership, OwnedComponentsAreFreedWithTheOwnerLastCreatedFirst) {
  destroyed.clear();
  auto* owner = new TLoggedComponent(nullptr, "owner");
  new TLoggedComponent(owner, "a");
  auto* b = new TLoggedComponent(owner, "b");
  new TLoggedComponent(b, "b1");
  new TLoggedComponent(b, "b2");
  new TLoggedComponent(owner, "c");
  ASSERT_EQ(owner->ComponentCount(), 3);

  owner->Free();
  EXPECT_EQ(destroyed, (std::vector<std::string>{"c", "b2", "b1", "b", "a", "owner"}));
}

TEST(ComponentOwnership, AComponentFreedOrMovedElsewhereLeavesItsOwner) {
  destroyed.clear();
  auto* owner = new TLoggedComponent(nullptr, "owner");
  TComponent* a = new TLoggedComponent(owner, "a");
  auto* b = new TLoggedComponent(owner, "b");
  auto* c = new TLoggedComponent(owner, "c");

  FreeAndNil(a);
  EXPECT_EQ(a, nullptr);
  EXPECT_EQ(owner->FindComponent("a"), nullptr);

  Freeing<TLoggedComponent> other(new TLoggedComponent(nullptr, "other"));
  other->InsertComponent(c);
  EXPECT_EQ(c->Owner(), other.get());
  ASSERT_EQ(owner->ComponentCount(), 1);
  EXPECT_EQ(owner->Components(0), b);

  owner->Free();
  EXPECT_EQ(destroyed, (std::vector<std::string>{"a", "b", "owner"}));
  other.reset();
  EXPECT_EQ(destroyed, (std::vector<std::string>{"a", "b", "owner", "c", "other"}));
}

// Fires OnGone from its destructor, as a player control fires its stop event when freed.
class TNotifyingComponent : public TComponent {
public:
  using TComponent::TComponent;
  ~TNotifyingComponent() override {
    if (OnGone) OnGone(this);
  }
  VCL_CLASS_NAME(TNotifyingComponent)
  TNotifyEvent OnGone;
};

// What the owner's handler saw of its owner.
struct GoneCall {
  bool ownerDestroying;
  bool ownerDestructorRan;
  int ownerComponents;
  bool operator==(const GoneCall&) const = default;
};
std::vector<GoneCall> goneCalls;
bool watchingOwnerDestructorRan = false;

class TWatchingOwner : public TComponent {
public:
  TWatchingOwner() : TComponent(nullptr) {}
  ~TWatchingOwner() override { watchingOwnerDestructorRan = true; }
  VCL_CLASS_NAME(TWatchingOwner)
  void ChildGone(TObject*) {
    goneCalls.push_back({HasState(csDestroying), watchingOwnerDestructorRan, ComponentCount()});
  }
};

TEST(ComponentOwnership, AnOwnedComponentsDestructorMayStillCallItsOwnersHandler) {
  goneCalls.clear();
  watchingOwnerDestructorRan = false;
  auto* owner = new TWatchingOwner;
  for (int i = 0; i < 3; ++i) {
    auto* child = new TNotifyingComponent(owner);
    child->OnGone = TNotifyEvent::Bind<&TWatchingOwner::ChildGone>(owner);
  }

  owner->Free();
  // The owner is whole (its own destructor has not run) while its components go, and each
  // has left it before its destructor runs.
  EXPECT_EQ(goneCalls, (std::vector<GoneCall>{{true, false, 2}, {true, false, 1}, {true, false, 0}}));
  EXPECT_TRUE(watchingOwnerDestructorRan);
}

}  // namespace
