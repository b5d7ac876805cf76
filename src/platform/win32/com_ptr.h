// RAII owners for COM pointers, BSTRs and VARIANTs.
#pragma once

#include <oleauto.h>
#include <unknwn.h>
#include <windows.h>

#include <string>
#include <string_view>
#include <utility>

namespace pendrel::win32 {

template <class T>
class com_ptr {
 public:
  com_ptr() = default;
  com_ptr(std::nullptr_t) {}
  // Takes a new reference to p.
  explicit com_ptr(T* p) : p_(p) {
    if (p_) p_->AddRef();
  }
  com_ptr(const com_ptr& o) : com_ptr(o.p_) {}
  com_ptr(com_ptr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  com_ptr& operator=(com_ptr o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }
  ~com_ptr() { reset(); }

  // Adopts a reference the caller already owns.
  static com_ptr attach(T* p) {
    com_ptr r;
    r.p_ = p;
    return r;
  }
  T* detach() { return std::exchange(p_, nullptr); }

  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  // Releases what is held and returns the slot for an out-parameter.
  T** put() {
    reset();
    return &p_;
  }
  void** put_void() { return reinterpret_cast<void**>(put()); }
  void reset() {
    if (T* p = std::exchange(p_, nullptr)) p->Release();
  }

  template <class U>
  com_ptr<U> query(REFIID iid) const {
    com_ptr<U> r;
    if (p_) p_->QueryInterface(iid, r.put_void());
    return r;
  }

 private:
  T* p_ = nullptr;
};

class unique_bstr {
 public:
  unique_bstr() = default;
  explicit unique_bstr(std::wstring_view text)
      : b_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  unique_bstr(unique_bstr&& o) noexcept : b_(std::exchange(o.b_, nullptr)) {}
  unique_bstr& operator=(unique_bstr&& o) noexcept {
    reset(std::exchange(o.b_, nullptr));
    return *this;
  }
  unique_bstr(const unique_bstr&) = delete;
  unique_bstr& operator=(const unique_bstr&) = delete;
  ~unique_bstr() { reset(); }

  BSTR get() const { return b_; }
  BSTR* put() {
    reset();
    return &b_;
  }
  BSTR release() { return std::exchange(b_, nullptr); }
  void reset(BSTR b = nullptr) {
    if (b_) SysFreeString(b_);
    b_ = b;
  }
  std::wstring str() const { return b_ ? std::wstring(b_, SysStringLen(b_)) : std::wstring(); }

 private:
  BSTR b_ = nullptr;
};

class unique_variant : public VARIANT {
 public:
  unique_variant() { VariantInit(this); }
  unique_variant(const unique_variant&) = delete;
  unique_variant& operator=(const unique_variant&) = delete;
  ~unique_variant() { VariantClear(this); }
  VARIANT* put() {
    VariantClear(this);
    return this;
  }
};

}  // namespace pendrel::win32
