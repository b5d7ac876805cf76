// Shared by the facade tests: readable Variant output in failure messages and
// the three kinds of call the facades make.
#pragma once

#include <ostream>

#include "fake_dispatch.h"

namespace pendrel {

inline void PrintTo(const Variant& v, std::ostream* os) {
  *os << "kind " << static_cast<int>(v.kind()) << ' ' << to_ansi(fakes::CallLog::describe(v));
}

namespace fakes {
inline void PrintTo(const Call& c, std::ostream* os) {
  *os << to_ansi(c.object + L"." + c.member) << " kind " << static_cast<int>(c.kind) << " (";
  for (const Variant& a : c.args) {
    PrintTo(a, os);
    *os << "; ";
  }
  *os << ')';
}
}  // namespace fakes

namespace outside_test {
inline constexpr InvokeKind kRead = InvokeKind::Method | InvokeKind::PropertyGet;
inline constexpr InvokeKind kMethod = InvokeKind::Method;
inline constexpr InvokeKind kPut = InvokeKind::PropertyPut;

// A wide literal with its embedded NUL characters.
template <std::size_t N>
std::wstring with_nuls(const wchar_t (&text)[N]) {
  return std::wstring(text, N - 1);
}
}  // namespace outside_test

}  // namespace pendrel
