#include "platform/win32/com_object.h"

#include <map>
#include <mutex>
#include <new>

#include "core/error.h"
#include "core/text.h"

namespace pendrel::win32 {
namespace {

std::atomic<long> g_locks{0};
std::atomic<HMODULE> g_module{nullptr};

struct IidLess {
  bool operator()(const IID& a, const IID& b) const { return memcmp(&a, &b, sizeof(IID)) < 0; }
};

// The embedded type library and the type descriptions handed out so far.
// Released when the module unloads.
struct TypeCache {
  std::mutex mutex;
  com_ptr<ITypeLib> library;
  bool load_failed = false;
  std::map<IID, com_ptr<ITypeInfo>, IidLess> infos;
};

TypeCache& type_cache() {
  static TypeCache cache;
  return cache;
}

void set_error_info(REFIID iid, const std::wstring& description, const std::wstring& source) {
  com_ptr<ICreateErrorInfo> create;
  if (FAILED(CreateErrorInfo(create.put()))) return;
  create->SetGUID(iid);
  create->SetDescription(const_cast<LPOLESTR>(description.c_str()));
  create->SetSource(const_cast<LPOLESTR>(source.c_str()));
  com_ptr<IErrorInfo> info = create.query<IErrorInfo>(IID_IErrorInfo);
  SetErrorInfo(0, info.get());
}

}  // namespace

void Module::lock() noexcept { ++g_locks; }
void Module::unlock() noexcept { --g_locks; }
bool Module::can_unload() noexcept { return g_locks == 0; }

void Module::set_handle(HMODULE module) noexcept { g_module = module; }
HMODULE Module::handle() noexcept { return g_module; }

std::wstring Module::path() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(handle(), buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) throw Error(HRESULT_FROM_WIN32(GetLastError()), L"Cannot read the module path");
    // A cut path fills the whole buffer.
    if (n < buffer.size()) {
      buffer.resize(n);
      return buffer;
    }
    buffer.resize(buffer.size() * 2);
  }
}

ITypeInfo* Module::type_info(REFIID iid) noexcept {
  TypeCache& cache = type_cache();
  std::lock_guard lock(cache.mutex);
  auto found = cache.infos.find(iid);
  if (found != cache.infos.end()) return found->second.get();
  if (!cache.library && !cache.load_failed) {
    try {
      cache.load_failed = FAILED(LoadTypeLibEx(path().c_str(), REGKIND_NONE, cache.library.put()));
    } catch (...) {
      cache.load_failed = true;
    }
  }
  if (!cache.library) return nullptr;
  com_ptr<ITypeInfo> info;
  if (FAILED(cache.library->GetTypeInfoOfGuid(iid, info.put()))) return nullptr;
  try {
    return cache.infos.emplace(iid, std::move(info)).first->second.get();
  } catch (...) {
    return nullptr;
  }
}

Failure current_failure() noexcept {
  try {
    try {
      throw;
    } catch (const Error& e) {
      return {e.hresult(), e.description(), e.source()};
    } catch (const std::bad_alloc&) {
      return {E_OUTOFMEMORY, {}, {}};
    } catch (const std::exception& e) {
      return {E_FAIL, from_ansi(e.what()), {}};
    } catch (...) {
      return {E_FAIL, L"Unexpected failure", {}};
    }
  } catch (...) {
    // Describing the failure failed: there is no memory left for the text.
    return {E_OUTOFMEMORY, {}, {}};
  }
}

HRESULT report_current_exception(REFIID iid) noexcept {
  const Failure failure = current_failure();
  if (failure.description.empty()) {
    SetErrorInfo(0, nullptr);
  } else {
    set_error_info(iid, failure.description, failure.source);
  }
  return failure.hr;
}

HRESULT report_current_exception(EXCEPINFO* excep) noexcept {
  const Failure failure = current_failure();
  if (!excep) return failure.hr;
  *excep = EXCEPINFO{};
  excep->scode = failure.hr;
  excep->bstrDescription = SysAllocStringLen(failure.description.data(), static_cast<UINT>(failure.description.size()));
  excep->bstrSource = SysAllocStringLen(failure.source.data(), static_cast<UINT>(failure.source.size()));
  return DISP_E_EXCEPTION;
}

}  // namespace pendrel::win32
