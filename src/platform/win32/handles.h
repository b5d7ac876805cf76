// RAII owners for Win32 handles that com_ptr.h does not cover.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <utility>

namespace pendrel::win32 {

class unique_hkey {
 public:
  unique_hkey() = default;
  explicit unique_hkey(HKEY key) : key_(key) {}
  unique_hkey(unique_hkey&& o) noexcept : key_(std::exchange(o.key_, nullptr)) {}
  unique_hkey& operator=(unique_hkey&& o) noexcept {
    reset(std::exchange(o.key_, nullptr));
    return *this;
  }
  unique_hkey(const unique_hkey&) = delete;
  unique_hkey& operator=(const unique_hkey&) = delete;
  ~unique_hkey() { reset(); }

  HKEY get() const { return key_; }
  explicit operator bool() const { return key_ != nullptr; }
  HKEY* put() {
    reset();
    return &key_;
  }
  HKEY release() { return std::exchange(key_, nullptr); }
  void reset(HKEY key = nullptr) {
    if (key_) RegCloseKey(key_);
    key_ = key;
  }

 private:
  HKEY key_ = nullptr;
};

class unique_hmodule {
 public:
  unique_hmodule() = default;
  explicit unique_hmodule(HMODULE module) : module_(module) {}
  unique_hmodule(unique_hmodule&& o) noexcept : module_(std::exchange(o.module_, nullptr)) {}
  unique_hmodule& operator=(unique_hmodule&& o) noexcept {
    reset(std::exchange(o.module_, nullptr));
    return *this;
  }
  unique_hmodule(const unique_hmodule&) = delete;
  unique_hmodule& operator=(const unique_hmodule&) = delete;
  ~unique_hmodule() { reset(); }

  HMODULE get() const { return module_; }
  explicit operator bool() const { return module_ != nullptr; }
  void reset(HMODULE module = nullptr) {
    if (module_) FreeLibrary(module_);
    module_ = module;
  }

 private:
  HMODULE module_ = nullptr;
};

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
