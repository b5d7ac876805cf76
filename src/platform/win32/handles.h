// RAII owners for Win32 handles that com_ptr.h does not cover: one template,
// one alias per kind of handle, named after what it closes.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <utility>

namespace pendrel::win32 {

// The owner of one handle that Close releases; Invalid is the value that
// holds nothing (null for most handles, INVALID_SOCKET for a socket).
template <class Handle, auto Close, auto Invalid = nullptr>
class unique_handle {
 public:
  unique_handle() = default;
  explicit unique_handle(Handle handle) : handle_(handle) {}
  unique_handle(unique_handle&& o) noexcept : handle_(std::exchange(o.handle_, invalid())) {}
  unique_handle& operator=(unique_handle&& o) noexcept {
    reset(std::exchange(o.handle_, invalid()));
    return *this;
  }
  unique_handle(const unique_handle&) = delete;
  unique_handle& operator=(const unique_handle&) = delete;
  ~unique_handle() { reset(); }

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != invalid(); }
  // Releases what is held and returns the slot for an out-parameter.
  Handle* put() {
    reset();
    return &handle_;
  }
  Handle release() { return std::exchange(handle_, invalid()); }
  void reset(Handle handle = invalid()) {
    if (handle_ != invalid()) Close(handle_);
    handle_ = handle;
  }

 private:
  static constexpr Handle invalid() { return Handle(Invalid); }

  Handle handle_ = invalid();
};

using unique_hkey = unique_handle<HKEY, RegCloseKey>;
using unique_hmodule = unique_handle<HMODULE, FreeLibrary>;
// A kernel object whose handle is null when absent (a token, a thread, a
// process); not a file, whose absent handle is INVALID_HANDLE_VALUE.
using unique_kernel_handle = unique_handle<HANDLE, CloseHandle>;

// The TYPEATTR of a type description, handed back to it when done.
class type_attr {
 public:
  // Throws nothing; get() is null when the attributes could not be read.
  explicit type_attr(ITypeInfo* info) : info_(info) {
    if (FAILED(info_->GetTypeAttr(&attr_))) attr_ = nullptr;
  }
  type_attr(const type_attr&) = delete;
  type_attr& operator=(const type_attr&) = delete;
  ~type_attr() {
    if (attr_) info_->ReleaseTypeAttr(attr_);
  }
  const TYPEATTR* get() const { return attr_; }
  const TYPEATTR* operator->() const { return attr_; }

 private:
  ITypeInfo* info_;
  TYPEATTR* attr_ = nullptr;
};

// The TLIBATTR of a type library, handed back to it when done.
class lib_attr {
 public:
  explicit lib_attr(ITypeLib* lib) : lib_(lib) {
    if (FAILED(lib_->GetLibAttr(&attr_))) attr_ = nullptr;
  }
  lib_attr(const lib_attr&) = delete;
  lib_attr& operator=(const lib_attr&) = delete;
  ~lib_attr() {
    if (attr_) lib_->ReleaseTLibAttr(attr_);
  }
  const TLIBATTR* get() const { return attr_; }
  const TLIBATTR* operator->() const { return attr_; }

 private:
  ITypeLib* lib_;
  TLIBATTR* attr_ = nullptr;
};

}  // namespace pendrel::win32
