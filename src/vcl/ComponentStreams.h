// Components read from and written to form descriptions: the classes the reader can
// create, the fields and handler methods a form publishes, and the reader and writer that
// apply a form tree (FormStream.h) to a component and its children through the classes'
// property tables.
#pragma once

#include <functional>
#include <string>
#include <typeinfo>
#include <vector>

#include "Classes.h"
#include "FormStream.h"

using TComponentFactory = std::function<TComponent*(TComponent* owner)>;

// Makes a class known to the form reader by its name.
void RegisterComponentClass(const std::string& className, TComponentFactory factory);
template <class T>
void RegisterComponentClass() {
  RegisterComponentClass(T::StaticClassName, [](TComponent* owner) -> TComponent* { return new T(owner); });
}

// A field of a form that the reader fills with the component of the same name; its type
// also makes the component's class known to the reader.
struct TPublishedField {
  std::string Name;
  std::string ClassName;
  TComponentFactory Create;
  // Stores the component into the field; false when it is not of the field's type.
  std::function<bool(TComponent& form, TComponent* component)> Assign;
};

// A handler method of a form that the reader binds to events by its name.
struct TPublishedMethod {
  std::string Name;
  const std::type_info* EventType;  // the TEvent<...> the method fits
  void* Code;                       // the event's thunk for the method
  std::function<void*(TComponent& form)> Self;  // the form as the method's object
};

struct TPublishedNames {
  std::vector<TPublishedField> Fields;
  std::vector<TPublishedMethod> Methods;
};

namespace published_detail {
template <class M>
struct Member;
template <class C, class... Args>
struct Member<void (C::*)(Args...)> {
  using Class = C;
  using Event = TEvent<Args...>;
};
template <class C, class T>
struct Member<T* C::*> {
  using Class = C;
  using Type = T;
};
}  // namespace published_detail

// PublishedField<&TForm1::Image1>("Image1")
template <auto F>
TPublishedField PublishedField(std::string name) {
  using M = published_detail::Member<decltype(F)>;
  using T = typename M::Type;
  return TPublishedField{
      std::move(name), T::StaticClassName, [](TComponent* owner) -> TComponent* { return new T(owner); },
      [](TComponent& form, TComponent* component) {
        T* typed = dynamic_cast<T*>(component);
        if (!typed) return false;
        dynamic_cast<typename M::Class&>(form).*F = typed;
        return true;
      }};
}

// PublishedMethod<&TForm1::FormClick>("FormClick")
template <auto F>
TPublishedMethod PublishedMethod(std::string name) {
  using M = published_detail::Member<decltype(F)>;
  using C = typename M::Class;
  using Event = typename M::Event;
  return TPublishedMethod{std::move(name), &typeid(Event),
                          reinterpret_cast<void*>(&Event::template CallMember<F, C>),
                          [](TComponent& form) -> void* { return &dynamic_cast<C&>(form); }};
}

// Applies a form tree to `root`, whose class must be the tree's: sets its properties,
// creates its children (owned by `root`, parented as stored), fills its published fields,
// binds events to its published methods, then calls Loaded on every component read.
// While this runs each component has csLoading and csReading set. A malformed tree raises
// EReadError; the components created so far stay owned by `root`.
void ReadComponent(TComponent& root, const TFormObject& tree);

// ReadComponent from the RCDATA resource `resourceName` of the running program.
void ReadComponentResource(TComponent& root, const std::string& resourceName);

// The tree of `root`: its stored properties (those differing from their defaults), then
// the controls it owns as children of their parents, then its other owned components.
TFormObject WriteComponent(const TComponent& root);
