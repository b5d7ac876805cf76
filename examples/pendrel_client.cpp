// A console's use of pendrel.dll from C++ through its type library: create the
// details window, hand it the console's Computer and DomainObject, set its
// members and show it.
//
//   pendrel_client <fixture file> <computer> [connection string] [--show]
//
// The console's objects here are the reference host's (pendrelhost.dll, over a
// fixture file). Without --show the client sets and reads the members and
// closes the window unseen; with it, the details window opens modally.
//
// MSVC writes `#import "pendrel.dll" no_namespace named_guids` and gets smart
// pointers (_PropertiesPtr). mingw-w64 has no #import: this client includes the
// header widl makes from the same IDL, whose declarations are the ones #import
// reads from the type library (raw methods: put_Database, putref_Computer, ...).
#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "pendrel.h"
#include "pendrelhost.h"

namespace {

// Owns one interface pointer.
template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ~ComPtr() {
    if (p_) p_->Release();
  }
  T* operator->() const { return p_; }
  T* get() const { return p_; }
  T** put() { return &p_; }
  void** put_void() { return reinterpret_cast<void**>(&p_); }

 private:
  T* p_ = nullptr;
};

// Owns one BSTR.
class Bstr {
 public:
  explicit Bstr(const wchar_t* text = nullptr) : b_(text ? SysAllocString(text) : nullptr) {}
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  ~Bstr() { SysFreeString(b_); }
  BSTR get() const { return b_; }
  BSTR* put() { return &b_; }
  const wchar_t* text() const { return b_ ? b_ : L""; }

 private:
  BSTR b_;
};

class ComApartment {
 public:
  ComApartment() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComApartment() {
    if (SUCCEEDED(hr_)) CoUninitialize();
  }
  HRESULT result() const { return hr_; }

 private:
  HRESULT hr_;
};

// A failed call: the HRESULT and the description the object left (Err.Number
// and Err.Description of a VB client; 0x800A0000 + n is VB error n).
bool failed(HRESULT hr, const char* what) {
  if (SUCCEEDED(hr)) return false;
  ComPtr<IErrorInfo> info;
  Bstr description;
  if (GetErrorInfo(0, info.put()) == S_OK) info->GetDescription(description.put());
  std::fprintf(stderr, "pendrel_client: %s failed: 0x%08lX %ls\n", what, static_cast<unsigned long>(hr),
               description.text());
  return true;
}

int run(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: pendrel_client <fixture file> <computer> [connection string] [--show]\n");
    return 2;
  }
  const bool show = std::wcscmp(argv[argc - 1], L"--show") == 0;
  const int given = show ? argc - 1 : argc;

  ComPtr<IHostDomainObject> domain;
  if (failed(CoCreateInstance(__uuidof(DomainObject), nullptr, CLSCTX_INPROC_SERVER, __uuidof(IHostDomainObject),
                              domain.put_void()),
             "CreateObject(\"PendrelHost.DomainObject\")"))
    return 1;
  const Bstr fixture(argv[1]);
  if (failed(domain->OpenFixture(fixture.get()), "DomainObject.OpenFixture")) return 1;
  ComPtr<IDispatch> computer;
  const Bstr name(argv[2]);
  if (failed(domain->GetComputer(name.get(), computer.put()), "DomainObject.GetComputer")) return 1;

  // CreateObject("Pendrel.Properties"), early bound.
  ComPtr<_Properties> details;
  if (failed(CoCreateInstance(__uuidof(Properties), nullptr, CLSCTX_INPROC_SERVER, __uuidof(_Properties),
                              details.put_void()),
             "CreateObject(\"Pendrel.Properties\")"))
    return 1;
  // Set details.DomainObject = domain: object properties are set by reference.
  if (failed(details->putref_DomainObject(domain.get()), "Properties.DomainObject")) return 1;
  if (failed(details->putref_Computer(computer.get()), "Properties.Computer")) return 1;
  if (given > 3) {
    const Bstr database(argv[3]);
    if (failed(details->put_Database(database.get()), "Properties.Database")) return 1;
  }
  // Sizes and positions are in twips.
  long width = 0;
  if (failed(details->put_PosLeft(1440), "Properties.PosLeft") ||
      failed(details->put_PosTop(1440), "Properties.PosTop") ||
      failed(details->get_PosWidth(&width), "Properties.PosWidth"))
    return 1;
  Bstr caption;
  if (failed(details->get_Caption(caption.put()), "Properties.Caption")) return 1;
  std::printf("Caption: %ls\nPosWidth: %ld twips\n", caption.text(), width);

  if (show) {
    VARIANT modal;
    VariantInit(&modal);
    modal.vt = VT_I4;
    modal.lVal = 1;
    if (failed(details->Show(&modal), "Properties.Show 1")) return 1;
  } else if (failed(details->Quit(), "Properties.Quit")) {
    return 1;
  }
  std::printf("pendrel_client: done\n");
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const ComApartment apartment;
  if (failed(apartment.result(), "CoInitializeEx")) return 1;
  return run(argc, argv);
}
