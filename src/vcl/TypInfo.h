// Published properties: one table per class, listing each property's name, kind, default
// and accessors (the class's getter and virtual setter), in the order a form description
// stores them. The form reader and writer work from these tables alone.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <typeinfo>
#include <vector>

#include "Classes.h"

enum class TPropKind {
  Integer,  // a number; some values may have identifiers (colours, character sets)
  Boolean,
  String,
  Enum,    // an identifier from a fixed list, stored as its index
  Set,     // a set of identifiers from a fixed list, stored as a bit mask
  Event,   // a method pointer, stored as the handler's name
  Object,  // a persistent sub-object with properties of its own ("Font.Height")
};

// The identifiers of an enumeration or of a set's elements, in ordinal order.
struct TEnumInfo {
  std::vector<std::string> Names;
  std::optional<int> IndexOf(const std::string& name) const;
};

// Identifiers that stand for particular integer values (clBlack, DEFAULT_CHARSET).
struct TIdentMap {
  std::optional<std::string> (*ToIdent)(int32_t value);
  std::optional<int32_t> (*FromIdent)(const std::string& ident);
};

struct TPropInfo {
  std::string Name;
  TPropKind Kind = TPropKind::Integer;
  const TEnumInfo* Names = nullptr;   // Enum and Set
  const TIdentMap* Idents = nullptr;  // Integer, optional
  const std::type_info* EventType = nullptr;  // Event: the TEvent<...> type

  std::function<int64_t(const TPersistent&)> GetOrd;  // Integer, Boolean, Enum, Set
  std::function<void(TPersistent&, int64_t)> SetOrd;
  std::function<std::string(const TPersistent&)> GetStr;  // String
  std::function<void(TPersistent&, const std::string&)> SetStr;
  std::function<TMethod(const TPersistent&)> GetMethod;  // Event
  std::function<void(TPersistent&, const TMethod&)> SetMethod;
  std::function<TPersistent*(TPersistent&)> GetObject;  // Object

  std::optional<int64_t> Default;                  // ordinal kinds: not written when equal
  std::function<bool(const TPersistent&)> Stored;  // an extra rule; written only when true

  // Whether the writer stores the property's current value.
  bool IsStored(const TPersistent& instance) const;
};

// The properties of a class: those of its base first, then its own.
class TPropertyTable {
public:
  TPropertyTable(const TPropertyTable* base, std::vector<TPropInfo> own);
  const TPropInfo* Find(const std::string& name) const;
  const std::vector<TPropInfo>& All() const { return all_; }

private:
  std::vector<TPropInfo> all_;
};

// Builders for the common kinds. C is the class that publishes the property.

template <class C, class V>
TPropInfo OrdinalProperty(std::string name, TPropKind kind, V (C::*get)() const, void (C::*set)(V),
                          std::optional<int64_t> def) {
  TPropInfo info;
  info.Name = std::move(name);
  info.Kind = kind;
  info.GetOrd = [get](const TPersistent& o) { return static_cast<int64_t>((static_cast<const C&>(o).*get)()); };
  info.SetOrd = [set](TPersistent& o, int64_t v) { (static_cast<C&>(o).*set)(static_cast<V>(v)); };
  info.Default = def;
  return info;
}

template <class C>
TPropInfo IntProperty(std::string name, int32_t (C::*get)() const, void (C::*set)(int32_t),
                      std::optional<int64_t> def, const TIdentMap* idents = nullptr) {
  TPropInfo info = OrdinalProperty(std::move(name), TPropKind::Integer, get, set, def);
  info.Idents = idents;
  return info;
}

template <class C>
TPropInfo BoolProperty(std::string name, bool (C::*get)() const, void (C::*set)(bool), std::optional<bool> def) {
  return OrdinalProperty(std::move(name), TPropKind::Boolean, get, set,
                         def ? std::optional<int64_t>(*def) : std::nullopt);
}

template <class C, class E>
TPropInfo EnumProperty(std::string name, const TEnumInfo& names, E (C::*get)() const, void (C::*set)(E), E def) {
  TPropInfo info = OrdinalProperty(std::move(name), TPropKind::Enum, get, set, static_cast<int64_t>(def));
  info.Names = &names;
  return info;
}

template <class C>
TPropInfo SetProperty(std::string name, const TEnumInfo& names, unsigned (C::*get)() const, void (C::*set)(unsigned),
                      std::optional<unsigned> def) {
  TPropInfo info = OrdinalProperty(std::move(name), TPropKind::Set, get, set,
                                   def ? std::optional<int64_t>(*def) : std::nullopt);
  info.Names = &names;
  return info;
}

// An ordinal property that is never written (a form's Width, which ClientWidth stands for).
inline TPropInfo NotStored(TPropInfo info) {
  info.Stored = [](const TPersistent&) { return false; };
  return info;
}

// A string property; with `storedWhenEmpty` false an empty value is not written.
template <class C>
TPropInfo StringProperty(std::string name, const std::string& (C::*get)() const, void (C::*set)(const std::string&),
                         bool storedWhenEmpty = false) {
  TPropInfo info;
  info.Name = std::move(name);
  info.Kind = TPropKind::String;
  info.GetStr = [get](const TPersistent& o) { return (static_cast<const C&>(o).*get)(); };
  info.SetStr = [set](TPersistent& o, const std::string& v) { (static_cast<C&>(o).*set)(v); };
  if (!storedWhenEmpty)
    info.Stored = [get](const TPersistent& o) { return !(static_cast<const C&>(o).*get)().empty(); };
  return info;
}

template <class C, class Event>
TPropInfo EventProperty(std::string name, Event C::*field) {
  TPropInfo info;
  info.Name = std::move(name);
  info.Kind = TPropKind::Event;
  info.EventType = &typeid(Event);
  info.GetMethod = [field](const TPersistent& o) { return (static_cast<const C&>(o).*field).Method(); };
  info.SetMethod = [field](TPersistent& o, const TMethod& m) { static_cast<C&>(o).*field = Event(m); };
  info.Stored = [field](const TPersistent& o) { return static_cast<bool>(static_cast<const C&>(o).*field); };
  return info;
}

template <class C, class Sub>
TPropInfo ObjectProperty(std::string name, Sub* (C::*get)() const) {
  TPropInfo info;
  info.Name = std::move(name);
  info.Kind = TPropKind::Object;
  info.GetObject = [get](TPersistent& o) -> TPersistent* { return (static_cast<C&>(o).*get)(); };
  return info;
}
