#include "ComponentStreams.h"

#include <windows.h>

#include <map>

#include "Controls.h"
#include "SysUtils.h"
#include "TypInfo.h"

namespace {

std::map<std::string, TComponentFactory>& ClassRegistry() {
  static std::map<std::string, TComponentFactory> registry;
  return registry;
}

// ---------------------------------------------------------------------------------------
// Reading

class Reader {
public:
  explicit Reader(TComponent& root) : root_(root), published_(root.Published()) {}

  void Read(const TFormObject& tree) {
    if (tree.ClassName != root_.ClassName())
      throw EReadError("Invalid stream format: " + std::string(root_.ClassName()) + " expected, found " +
                       tree.ClassName);
    try {
      Begin(root_);
      if (!tree.Name.empty()) root_.SetName(tree.Name);
      SetProperties(root_, root_, tree);
      ReadChildren(tree, dynamic_cast<TWinControl*>(&root_));
    } catch (...) {
      for (TComponent* c : read_) c->ClearComponentState(csLoading | csReading);
      throw;
    }
    for (TComponent* c : read_) c->ClearComponentState(csReading);
    for (TComponent* c : read_) c->Loaded();
  }

private:
  void Begin(TComponent& component) {
    component.SetComponentState(csLoading | csReading);
    read_.push_back(&component);
  }

  void ReadChildren(const TFormObject& tree, TWinControl* parent) {
    for (const TFormObject& child : tree.Children) ReadChild(child, parent);
  }

  void ReadChild(const TFormObject& tree, TWinControl* parent) {
    if (!tree.Name.empty() && root_.FindComponent(tree.Name))
      throw EReadError("A component named " + tree.Name + " already exists");
    TComponent* component = Create(tree.ClassName);
    Begin(*component);
    component->SetName(tree.Name);
    BindField(*component);
    auto* control = dynamic_cast<TControl*>(component);
    if (control && parent) control->SetParent(parent);
    SetProperties(*component, *component, tree);
    auto* container = dynamic_cast<TWinControl*>(component);
    ReadChildren(tree, container ? container : parent);
  }

  // Owned by the root from the start, so that an error later frees it with the root.
  TComponent* Create(const std::string& className) {
    if (published_)
      for (const TPublishedField& field : published_->Fields)
        if (field.ClassName == className) return field.Create(&root_);
    auto found = ClassRegistry().find(className);
    if (found == ClassRegistry().end()) throw EReadError("Class " + className + " not found");
    return found->second(&root_);
  }

  void BindField(TComponent& component) {
    if (!published_) return;
    for (const TPublishedField& field : published_->Fields)
      if (field.Name == component.Name() && !field.Assign(root_, &component))
        throw EReadError("Invalid field type: " + field.Name + " is no " + field.ClassName);
  }

  void SetProperties(TComponent& component, TPersistent& target, const TFormObject& tree) {
    for (const TFormProperty& property : tree.Properties) {
      try {
        SetProperty(target, property.Name, property.Value);
      } catch (const EReadError& error) {
        throw EReadError("Error reading " + component.Name() + "." + property.Name + ": " + error.Message());
      }
    }
  }

  void SetProperty(TPersistent& target, const std::string& name, const TFormValue& value) {
    const size_t dot = name.find('.');
    const std::string head = name.substr(0, dot);
    const TPropInfo* info = target.Properties().Find(head);
    if (!info) throw EReadError("Property " + head + " does not exist");
    if (dot != std::string::npos) {
      if (info->Kind != TPropKind::Object) throw EReadError("Property " + head + " has no sub-properties");
      SetProperty(*info->GetObject(target), name.substr(dot + 1), value);
      return;
    }
    switch (info->Kind) {
      case TPropKind::Integer: info->SetOrd(target, ReadInteger(*info, value)); break;
      case TPropKind::Boolean: info->SetOrd(target, value.AsBoolean()); break;
      case TPropKind::String: info->SetStr(target, value.AsString()); break;
      case TPropKind::Enum: info->SetOrd(target, ReadEnum(*info, value.AsIdent())); break;
      case TPropKind::Set: info->SetOrd(target, ReadSet(*info, value.AsSet())); break;
      case TPropKind::Event: info->SetMethod(target, ReadMethod(*info, value)); break;
      case TPropKind::Object: throw EReadError("Invalid property value");
    }
  }

  static int64_t ReadInteger(const TPropInfo& info, const TFormValue& value) {
    if (value.Type() == vaIdent && info.Idents) {
      if (auto number = info.Idents->FromIdent(value.AsIdent())) return *number;
      throw EReadError("Invalid property value: " + value.AsIdent());
    }
    const int64_t number = value.AsInteger();
    if (number < INT32_MIN || number > INT32_MAX) throw EReadError("Invalid property value: out of range");
    return number;
  }

  static int64_t ReadEnum(const TPropInfo& info, const std::string& ident) {
    if (auto index = info.Names->IndexOf(ident)) return *index;
    throw EReadError("Invalid property value: " + ident);
  }

  static int64_t ReadSet(const TPropInfo& info, const std::vector<std::string>& names) {
    int64_t mask = 0;
    for (const std::string& name : names) mask |= int64_t{1} << ReadEnum(info, name);
    return mask;
  }

  TMethod ReadMethod(const TPropInfo& info, const TFormValue& value) {
    if (value.Type() == vaNil) return TMethod{};
    const std::string& name = value.AsIdent();
    if (published_)
      for (const TPublishedMethod& method : published_->Methods)
        if (method.Name == name) {
          if (*method.EventType != *info.EventType) throw EReadError("Invalid property value: " + name);
          return TMethod{method.Code, method.Self(root_)};
        }
    throw EReadError("Method " + name + " not found");
  }

  TComponent& root_;
  const TPublishedNames* published_;
  std::vector<TComponent*> read_;
};

// ---------------------------------------------------------------------------------------
// Writing

class Writer {
public:
  explicit Writer(const TComponent& root) : root_(root), published_(root.Published()) {}

  TFormObject Write() {
    TFormObject tree = WriteObject(root_);
    for (int i = 0; i < root_.ComponentCount(); ++i) {
      const TComponent* owned = root_.Components(i);
      if (!dynamic_cast<const TControl*>(owned)) tree.Children.push_back(WriteObject(*owned));
    }
    return tree;
  }

private:
  TFormObject WriteObject(const TComponent& component) {
    TFormObject tree;
    tree.ClassName = component.ClassName();
    tree.Name = component.Name();
    WriteProperties(component, "", tree.Properties);
    if (auto* container = dynamic_cast<const TWinControl*>(&component))
      for (int i = 0; i < container->ControlCount(); ++i) {
        const TControl* child = container->Controls(i);
        if (child->Owner() == &root_) tree.Children.push_back(WriteObject(*child));
      }
    return tree;
  }

  void WriteProperties(const TPersistent& target, const std::string& prefix, std::vector<TFormProperty>& out) {
    for (const TPropInfo& info : target.Properties().All()) {
      if (info.Kind == TPropKind::Object) {
        WriteProperties(*info.GetObject(const_cast<TPersistent&>(target)), prefix + info.Name + ".", out);
        continue;
      }
      if (!info.IsStored(target)) continue;
      if (auto value = ValueOf(info, target)) out.push_back(TFormProperty{prefix + info.Name, std::move(*value)});
    }
  }

  std::optional<TFormValue> ValueOf(const TPropInfo& info, const TPersistent& target) {
    switch (info.Kind) {
      case TPropKind::Integer: {
        const int32_t number = static_cast<int32_t>(info.GetOrd(target));
        if (info.Idents)
          if (auto ident = info.Idents->ToIdent(number)) return TFormValue::Ident(*ident);
        return TFormValue::Integer(number);
      }
      case TPropKind::Boolean: return TFormValue::Boolean(info.GetOrd(target) != 0);
      case TPropKind::String: return TFormValue::String(info.GetStr(target));
      case TPropKind::Enum: return TFormValue::Ident(info.Names->Names.at(info.GetOrd(target)));
      case TPropKind::Set: {
        std::vector<std::string> names;
        const int64_t mask = info.GetOrd(target);
        for (size_t i = 0; i < info.Names->Names.size(); ++i)
          if (mask & (int64_t{1} << i)) names.push_back(info.Names->Names[i]);
        return TFormValue::Set(std::move(names));
      }
      case TPropKind::Event: return MethodName(info.GetMethod(target));
      case TPropKind::Object: break;
    }
    return std::nullopt;
  }

  // A handler that is none of the root's published methods cannot be stored.
  std::optional<TFormValue> MethodName(const TMethod& method) {
    if (published_)
      for (const TPublishedMethod& candidate : published_->Methods)
        if (candidate.Code == method.Code && candidate.Self(const_cast<TComponent&>(root_)) == method.Data)
          return TFormValue::Ident(candidate.Name);
    return std::nullopt;
  }

  const TComponent& root_;
  const TPublishedNames* published_;
};

}  // namespace

void RegisterComponentClass(const std::string& className, TComponentFactory factory) {
  ClassRegistry()[className] = std::move(factory);
}

void ReadComponent(TComponent& root, const TFormObject& tree) { Reader(root).Read(tree); }

void ReadComponentResource(TComponent& root, const std::string& resourceName) {
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC resource = FindResourceA(module, resourceName.c_str(), MAKEINTRESOURCEA(10) /* RT_RCDATA */);
  HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes) throw EReadError("Resource " + resourceName + " not found");
  ReadComponent(root, ReadFormBinary(std::string_view(static_cast<const char*>(bytes),
                                                      SizeofResource(module, resource))));
}

TFormObject WriteComponent(const TComponent& root) { return Writer(root).Write(); }
