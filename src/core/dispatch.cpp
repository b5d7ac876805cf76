#include "core/dispatch.h"

namespace pendrel {
namespace {

// A late-bound read: VB asks for a method or a property get, so that both a
// Function and a Property Get of the object answer.
constexpr InvokeKind kRead = InvokeKind::Method | InvokeKind::PropertyGet;

Variant invoke_and_write_back(Dispatch& object, DispId id, InvokeKind kind, std::span<Argument> args) {
  Variant result = object.invoke(id, kind, args);
  for (Argument& a : args)
    if (a.by_ref && a.variable) *a.variable = a.value;
  return result;
}

}  // namespace

Variant Dispatch::get(std::wstring_view name, std::vector<Argument> args) {
  return get(id_of(name), std::move(args));
}

void Dispatch::let(std::wstring_view name, Variant value, std::vector<Argument> index) {
  const DispId id = id_of(name);
  index.emplace_back(std::move(value));
  invoke_and_write_back(*this, id, InvokeKind::PropertyPut, index);
}

void Dispatch::set(std::wstring_view name, DispatchPtr object) {
  const DispId id = id_of(name);
  std::vector<Argument> args;
  args.emplace_back(Variant(std::move(object)));
  invoke(id, InvokeKind::PropertyPutRef, args);
}

Variant Dispatch::call(std::wstring_view name, std::vector<Argument> args) {
  return call(id_of(name), std::move(args));
}

Variant Dispatch::get(DispId id, std::vector<Argument> args) {
  return invoke_and_write_back(*this, id, kRead, args);
}

void Dispatch::let(DispId id, Variant value) {
  std::vector<Argument> args;
  args.emplace_back(std::move(value));
  invoke(id, InvokeKind::PropertyPut, args);
}

Variant Dispatch::call(DispId id, std::vector<Argument> args) {
  return invoke_and_write_back(*this, id, InvokeKind::Method, args);
}

}  // namespace pendrel
