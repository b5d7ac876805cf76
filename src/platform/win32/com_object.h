// Our own COM objects: IUnknown written once, the IDispatch half of a dual interface
// handed to the cached ITypeInfo of the module's embedded type library, and
// ISupportErrorInfo. Also the module's object count behind DllCanUnloadNow.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <atomic>
#include <string>
#include <utility>

#include "platform/win32/com_ptr.h"

namespace pendrel::win32 {

class Module {
 public:
  // Counts live objects and LockServer locks.
  static void lock() noexcept;
  static void unlock() noexcept;
  static bool can_unload() noexcept;

  static void set_handle(HMODULE module) noexcept;
  static HMODULE handle() noexcept;
  // The full path of this DLL (or EXE).
  static std::wstring path();

  // The type information of one interface from the type library embedded in
  // this module, loaded once and kept. Null when it cannot be loaded.
  static ITypeInfo* type_info(REFIID iid) noexcept;
};

// The one mapping from a failure to COM, for every COM method and exported
// function; call it only inside a catch block. An Error keeps its HRESULT (a
// VB error n travels as 0x800A0000 + n), description and source; bad_alloc
// is E_OUTOFMEMORY, undescribed; any other exception is E_FAIL, described by
// its what() text when it has one.
struct Failure {
  HRESULT hr;
  std::wstring description;
  std::wstring source;
};
Failure current_failure() noexcept;

// For a method of interface iid: the failure's HRESULT, with IErrorInfo
// describing it to an automation client (cleared when it has no description
// to give: out of memory).
HRESULT report_current_exception(REFIID iid) noexcept;

// For IDispatch::Invoke of an object without type information: the failure
// in excep (DISP_E_EXCEPTION) when the caller passed one, else its HRESULT.
HRESULT report_current_exception(EXCEPINFO* excep) noexcept;

// Runs body and converts any failure for a COM method of interface iid.
template <class F>
HRESULT guarded(REFIID iid, F&& body) noexcept {
  try {
    body();
    return S_OK;
  } catch (...) {
    return report_current_exception(iid);
  }
}

// Runs body and converts any failure for an exported function, which has no
// interface to describe it through: the HRESULT alone.
template <class F>
HRESULT guarded_export(F&& body) noexcept {
  try {
    body();
    return S_OK;
  } catch (...) {
    return current_failure().hr;
  }
}

// The IUnknown half of each of our COM objects: the reference count (the
// object deletes itself when it drops to 0), a hold on the module while the
// object lives, and QueryInterface answered from interface_for.
template <class... Interfaces>
class ComObject : public Interfaces... {
 public:
  ComObject() { Module::lock(); }
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;
  virtual ~ComObject() { Module::unlock(); }

  // Creates Derived and queries it for iid; the new object holds only the
  // reference handed out. A constructor's failure is reported for iid.
  template <class Derived, class... A>
  static HRESULT create_instance(REFIID iid, void** out, A&&... args) noexcept {
    if (!out) return E_POINTER;
    *out = nullptr;
    HRESULT queried = E_FAIL;
    const HRESULT made = guarded(iid, [&] {
      const com_ptr<Derived> object(new Derived(std::forward<A>(args)...));
      queried = object->QueryInterface(iid, out);
    });
    return FAILED(made) ? made : queried;
  }

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = interface_for(riid);
    if (!*ppv) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
  STDMETHODIMP_(ULONG) Release() override {
    ULONG n = --refs_;
    if (n == 0) delete this;
    return n;
  }

 protected:
  // The object as the interface riid (IUnknown included); null when it has none.
  virtual void* interface_for(REFIID riid) = 0;

 private:
  std::atomic<ULONG> refs_{0};
};

// Base of a dual-interface object. Derived implements Interface's own methods
// (each body inside guarded(__uuidof(Interface), ...)).
template <class Interface>
class DualObject : public ComObject<Interface, ISupportErrorInfo> {
 public:
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    if (!count) return E_INVALIDARG;
    *count = 1;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
    if (!info) return E_INVALIDARG;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    ITypeInfo* ti = Module::type_info(__uuidof(Interface));
    if (!ti) return TYPE_E_ELEMENTNOTFOUND;
    ti->AddRef();
    *info = ti;
    return S_OK;
  }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    ITypeInfo* ti = Module::type_info(__uuidof(Interface));
    if (!ti) return TYPE_E_ELEMENTNOTFOUND;
    return ti->GetIDsOfNames(names, count, ids);
  }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* excep, UINT* arg_err) override {
    ITypeInfo* ti = Module::type_info(__uuidof(Interface));
    if (!ti) return TYPE_E_ELEMENTNOTFOUND;
    // Wine's ITypeInfo::Invoke fills only some fields; a client reads wCode first.
    if (excep) *excep = EXCEPINFO{};
    return ti->Invoke(static_cast<Interface*>(this), id, flags, params, result, excep, arg_err);
  }

  STDMETHODIMP InterfaceSupportsErrorInfo(REFIID riid) override {
    return IsEqualIID(riid, __uuidof(Interface)) ? S_OK : S_FALSE;
  }

 protected:
  void* interface_for(REFIID riid) override {
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, __uuidof(Interface))) {
      return static_cast<Interface*>(this);
    }
    if (IsEqualIID(riid, IID_ISupportErrorInfo)) return static_cast<ISupportErrorInfo*>(this);
    return nullptr;
  }
};

}  // namespace pendrel::win32
