// The component model: objects, method pointers (events), components with owner and
// state, and the shift state of keyboard and mouse events.
#pragma once

#include <string>
#include <vector>

class TPropertyTable;
struct TPublishedNames;

// Declares a class's name, for ClassName() and for the form reader's class lookup.
#define VCL_CLASS_NAME(Name)                        \
  static constexpr const char* StaticClassName = #Name; \
  const char* ClassName() const override { return StaticClassName; }

// Root of the class library's objects.
class TObject {
public:
  virtual ~TObject() = default;
  virtual const char* ClassName() const { return "TObject"; }
};

// An object whose properties a form description can store.
class TPersistent : public TObject {
public:
  VCL_CLASS_NAME(TPersistent)
  // The published properties, for the form reader and writer.
  virtual const TPropertyTable& Properties() const;
};

// A method pointer: the code of a handler and the object it belongs to.
struct TMethod {
  void* Code = nullptr;
  void* Data = nullptr;
  bool operator==(const TMethod&) const = default;
};

// An event: a method pointer called with the event's arguments; an unassigned one is skipped
// by whoever fires it (test with `if (event)`).
template <class... Args>
class TEvent {
public:
  using Thunk = void (*)(void* data, Args...);

  TEvent() = default;
  explicit TEvent(TMethod method) : method_(method) {}

  // The event bound to member function M of `object`.
  template <auto M, class C>
  static TEvent Bind(C* object) {
    return TEvent(TMethod{reinterpret_cast<void*>(&CallMember<M, C>), object});
  }

  explicit operator bool() const { return method_.Code != nullptr; }
  void operator()(Args... args) const { reinterpret_cast<Thunk>(method_.Code)(method_.Data, args...); }
  const TMethod& Method() const { return method_; }
  bool operator==(const TEvent&) const = default;

  template <auto M, class C>
  static void CallMember(void* data, Args... args) {
    (static_cast<C*>(data)->*M)(args...);
  }

private:
  TMethod method_;
};

using TNotifyEvent = TEvent<TObject* /*Sender*/>;

enum TShiftFlag : unsigned {
  ssShift = 1 << 0,
  ssAlt = 1 << 1,
  ssCtrl = 1 << 2,
  ssLeft = 1 << 3,
  ssRight = 1 << 4,
  ssMiddle = 1 << 5,
  ssDouble = 1 << 6,
};
using TShiftState = unsigned;

enum TComponentStateFlag : unsigned {
  csLoading = 1 << 0,
  csReading = 1 << 1,
  csWriting = 1 << 2,
  csDestroying = 1 << 3,
  csDesigning = 1 << 4,
};
using TComponentState = unsigned;

// A component: owned by another component (or none), owning others, which it frees with
// itself; named; with a state that tells whether it is being loaded, read, designed or freed.
class TComponent : public TPersistent {
public:
  explicit TComponent(TComponent* owner);
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  VCL_CLASS_NAME(TComponent)

  // Frees the component. Owned components are freed first, while this one is still whole,
  // so that their destruction may still call back into it (an event handler of the owner).
  void Free();

  TComponent* Owner() const { return owner_; }
  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* Components(int index) const { return components_.at(index); }
  TComponent* FindComponent(const std::string& name) const;
  void InsertComponent(TComponent* component);
  void RemoveComponent(TComponent* component);

  const std::string& Name() const { return name_; }
  virtual void SetName(const std::string& name) { name_ = name; }

  TComponentState ComponentState() const { return state_; }
  bool HasState(TComponentState flags) const { return (state_ & flags) != 0; }
  // Marks the component and every component it owns as sitting in a form designer.
  void SetDesigning(bool designing);
  // Used by the form reader and by tests; prefer the operations that set the state.
  void SetComponentState(TComponentState flags) { state_ |= flags; }
  void ClearComponentState(TComponentState flags) { state_ &= ~flags; }

  // Called once after every property of a form description has been read.
  virtual void Loaded();

  const TPropertyTable& Properties() const override;
  // The fields and handler methods a form publishes for its description; none by default.
  virtual const TPublishedNames* Published() const { return nullptr; }

protected:
  void DestroyComponents();

private:
  TComponent* owner_ = nullptr;
  std::vector<TComponent*> components_;
  std::string name_;
  TComponentState state_ = 0;
};

// Frees a component held by a pointer and clears the pointer.
template <class T>
void FreeAndNil(T*& component) {
  T* doomed = component;
  component = nullptr;
  if (doomed) doomed->Free();
}
