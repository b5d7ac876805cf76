// A late-bound object reached by member name or dispatch id, as VB reaches the
// host's objects and the closed controls. The Windows build wraps any
// IDispatch in it; tests use scriptable fakes.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/variant.h"

namespace pendrel {

using DispId = int32_t;
inline constexpr DispId kDispIdValue = 0;  // the default member

// Values match the DISPATCH_* flags so that kinds can be combined: a
// late-bound read is Method | PropertyGet, as VB itself issues it.
enum class InvokeKind : uint16_t { Method = 1, PropertyGet = 2, PropertyPut = 4, PropertyPutRef = 8 };
constexpr InvokeKind operator|(InvokeKind a, InvokeKind b) {
  return static_cast<InvokeKind>(static_cast<uint16_t>(a) | static_cast<uint16_t>(b));
}
constexpr bool has_kind(InvokeKind set, InvokeKind k) {
  return (static_cast<uint16_t>(set) & static_cast<uint16_t>(k)) != 0;
}

// One argument of a call. By-reference arguments receive the callee's new
// value after the call.
struct Argument {
  Variant value;
  bool by_ref = false;
  // Set by ref(): the caller's variable, which the conveniences of Dispatch
  // update from `value` after the call, as VB does for a ByRef variable.
  Variant* variable = nullptr;
  Argument(Variant v, bool by_reference = false) : value(std::move(v)), by_ref(by_reference) {}
  template <class T>
  Argument(T v) : value(Variant(std::move(v))) {}

  static Argument ref(Variant& variable) {
    Argument a(variable, true);
    a.variable = &variable;
    return a;
  }
};

class Dispatch {
 public:
  virtual ~Dispatch() = default;

  // The dispatch id of a member; names compare without regard to case.
  // Raises "Object doesn't support this property or method" (438) when unknown.
  virtual DispId id_of(std::wstring_view name) = 0;

  // Calls a member. Arguments are in the order a VB caller writes them; for a
  // property put the last argument is the new value. A failure raised by the
  // object arrives as an Error with the object's number and description.
  virtual Variant invoke(DispId id, InvokeKind kind, std::span<Argument> args) = 0;

  // Conveniences by name.
  Variant get(std::wstring_view name, std::vector<Argument> args = {});
  void let(std::wstring_view name, Variant value, std::vector<Argument> index = {});
  void set(std::wstring_view name, DispatchPtr object);
  Variant call(std::wstring_view name, std::vector<Argument> args = {});
  // The same by dispatch id, for controls known only by their ids.
  Variant get(DispId id, std::vector<Argument> args = {});
  void let(DispId id, Variant value);
  Variant call(DispId id, std::vector<Argument> args = {});
};

}  // namespace pendrel
