// Shared by the facade tests: calls print as the fake's trace line with the
// kind of each argument, so a failure shows what the host received.
#pragma once

#include <ostream>

#include "fake_dispatch.h"
#include "outside/computer.h"
#include "raised.h"

namespace pendrel {
namespace fakes {
inline void PrintTo(const Call& c, std::ostream* os) {
  CallLog log;
  log.add(c);
  *os << to_ansi(log.trace()[0]) << " kinds";
  for (const Variant& a : c.args) *os << ' ' << static_cast<int>(a.kind());
}
}  // namespace fakes

namespace outside_test {
using namespace outside;
using fakes::Call;
using fakes::FakeDispatch;
using Trace = std::vector<std::wstring>;
inline constexpr InvokeKind kRead = InvokeKind::Method | InvokeKind::PropertyGet;
inline constexpr InvokeKind kMethod = InvokeKind::Method;
inline constexpr InvokeKind kPut = InvokeKind::PropertyPut;
}  // namespace outside_test

}  // namespace pendrel
