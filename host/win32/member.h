// What every member of the host's COM objects does around its body: the
// backend's hook first (injected delays and failures), errors turned into
// automation errors, out-parameters written only on success.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <utility>

#include "core/error.h"
#include "host/backend.h"
#include "platform/win32/com_object.h"
#include "platform/win32/com_ptr.h"

namespace pendrel::host {

inline constexpr int32_t kErrorNotOpen = 91;

// Runs body as member (e.g. L"Computer.GetUsers") of Interface. A null hook
// means the object has not been opened.
template <class Interface, class F>
HRESULT host_member(MemberHook* hook, const wchar_t* member, F&& body) noexcept {
  return win32::guarded(__uuidof(Interface), [&] {
    if (!hook) {
      throw Error(kErrorNotOpen,
                  L"The object is not open: call Open, OpenFixture or OpenLive first (" + std::wstring(member) + L").");
    }
    hook->enter(member);
    body();
  });
}

inline std::wstring text_of(BSTR text) { return text ? std::wstring(text, SysStringLen(text)) : std::wstring(); }

// Checks an out-parameter before the body runs, so that nothing is done for a
// call that cannot receive its result.
template <class T>
T* checked_out(T* out) {
  if (!out) throw Error(E_POINTER, L"A result pointer is null.");
  return out;
}

inline void put_text(BSTR* out, std::wstring_view text) {
  BSTR b = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  if (!b) throw std::bad_alloc();
  *out = b;
}

inline VARIANT_BOOL vb_bool(bool value) { return value ? VARIANT_TRUE : VARIANT_FALSE; }

// A new object of ours with one reference, held by the returned pointer.
template <class T, class... A>
win32::com_ptr<T> make_object(A&&... args) {
  return win32::com_ptr<T>(new T(std::forward<A>(args)...));
}

// Hands one new reference to object to a client.
template <class T>
void put_object(IDispatch** out, const win32::com_ptr<T>& object) {
  IDispatch* d = object.get();
  if (d) d->AddRef();
  *out = d;
}

}  // namespace pendrel::host
