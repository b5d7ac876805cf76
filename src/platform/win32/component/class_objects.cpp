#include "platform/win32/component/class_objects.h"

#include <array>
#include <new>
#include <string>
#include <utility>

#include "component/logon_properties.h"
#include "component/properties.h"
#include "component/unavailable_properties.h"
#include "core/error.h"
#include "pendrel.h"
#include "platform/win32/com_object.h"
#include "platform/win32/component/thread_environment.h"
#include "platform/win32/dispatch_client.h"
#include "platform/win32/variant_convert.h"

namespace pendrel::win32 {
namespace {

// An early-bound client may pass null for a result; ITypeInfo::Invoke never does.
template <class T>
T* checked(T* out) {
  if (!out) throw Error(E_POINTER, L"A result pointer is null");
  return out;
}

std::wstring text_of(BSTR text) { return text ? std::wstring(text, SysStringLen(text)) : std::wstring(); }

BSTR bstr_of(const std::wstring& text) {
  unique_bstr made(text);
  if (!made.get()) throw std::bad_alloc();
  return made.release();
}

VARIANT_BOOL vb_bool(bool value) { return value ? VARIANT_TRUE : VARIANT_FALSE; }

// The members every class has, for the default interface Interface over the
// class behaviour Logic. Constructing Logic is Class_Initialize (the window
// loads), destroying it Class_Terminate; the thread's environment is held
// around both.
template <class Interface, class Logic>
class ClassObject : public DualObject<Interface> {
 public:
  ClassObject() : logic_(environment_.get()) {}

  // Class_Initialize may fail (a failing load handler): the client gets that
  // error from its CreateObject.
  template <class Derived>
  static HRESULT create(REFIID iid, void** out) noexcept {
    if (!out) return E_POINTER;
    *out = nullptr;
    try {
      Derived* made = new Derived();
      made->AddRef();
      auto held = com_ptr<Derived>::attach(made);
      return held->QueryInterface(iid, out);
    } catch (...) {
      return report_current_exception(__uuidof(Interface));
    }
  }

  STDMETHODIMP get_DomainObject(IDispatch** value) override {
    return run([&] { *checked(value) = to_idispatch(logic_.DomainObject()).detach(); });
  }
  STDMETHODIMP putref_DomainObject(IDispatch* value) override {
    return run([&] { logic_.set_DomainObject(wrap_dispatch(value)); });
  }
  STDMETHODIMP get_Computer(IDispatch** value) override {
    return run([&] { *checked(value) = to_idispatch(logic_.Computer()).detach(); });
  }
  STDMETHODIMP putref_Computer(IDispatch* value) override {
    return run([&] { logic_.set_Computer(wrap_dispatch(value)); });
  }
  STDMETHODIMP Show(VARIANT* mode) override {
    return run([&] { logic_.Show(mode ? from_variant(*mode) : Variant::missing()); });
  }
  STDMETHODIMP Hide() override {
    return run([&] { logic_.Hide(); });
  }
  STDMETHODIMP put_Caption(BSTR value) override {
    return run([&] { logic_.set_Caption(text_of(value)); });
  }
  STDMETHODIMP get_Caption(BSTR* value) override {
    return run([&] { *checked(value) = bstr_of(logic_.Caption()); });
  }
  STDMETHODIMP put_hwnd(long value) override {
    return run([&] { logic_.set_hwnd(value); });
  }
  STDMETHODIMP get_hwnd(long* value) override {
    return run([&] { *checked(value) = logic_.hwnd(); });
  }
  STDMETHODIMP ZOrder(long order, VARIANT* result) override {
    return run([&] {
      checked(result);
      to_variant(logic_.ZOrder(order), result);
    });
  }
  STDMETHODIMP put_WindowState(long value) override {
    return run([&] { logic_.set_WindowState(value); });
  }
  STDMETHODIMP get_WindowState(long* value) override {
    return run([&] { *checked(value) = logic_.WindowState(); });
  }
  STDMETHODIMP put_PosWidth(long value) override {
    return run([&] { logic_.set_PosWidth(value); });
  }
  STDMETHODIMP get_PosWidth(long* value) override {
    return run([&] { *checked(value) = logic_.PosWidth(); });
  }
  STDMETHODIMP put_PosHeight(long value) override {
    return run([&] { logic_.set_PosHeight(value); });
  }
  STDMETHODIMP get_PosHeight(long* value) override {
    return run([&] { *checked(value) = logic_.PosHeight(); });
  }
  STDMETHODIMP put_PosTop(long value) override {
    return run([&] { logic_.set_PosTop(value); });
  }
  STDMETHODIMP get_PosTop(long* value) override {
    return run([&] { *checked(value) = logic_.PosTop(); });
  }
  STDMETHODIMP put_PosLeft(long value) override {
    return run([&] { logic_.set_PosLeft(value); });
  }
  STDMETHODIMP get_PosLeft(long* value) override {
    return run([&] { *checked(value) = logic_.PosLeft(); });
  }
  STDMETHODIMP Quit() override {
    return run([&] { logic_.Quit(); });
  }
  STDMETHODIMP put_OnTop(VARIANT_BOOL value) override {
    return run([&] { logic_.set_OnTop(value != VARIANT_FALSE); });
  }
  STDMETHODIMP get_OnTop(VARIANT_BOOL* value) override {
    return run([&] { *checked(value) = vb_bool(logic_.OnTop()); });
  }
  STDMETHODIMP put_Visible(VARIANT_BOOL value) override {
    return run([&] { logic_.set_Visible(value != VARIANT_FALSE); });
  }
  STDMETHODIMP get_Visible(VARIANT_BOOL* value) override {
    return run([&] { *checked(value) = vb_bool(logic_.Visible()); });
  }

 protected:
  template <class F>
  HRESULT run(F&& body) noexcept {
    return guarded(__uuidof(Interface), std::forward<F>(body));
  }

 private:
  ThreadEnvironmentHold environment_;

 protected:
  Logic logic_;
};

class PropertiesObject final : public ClassObject<_Properties, component::Properties> {
 public:
  STDMETHODIMP get_OK(VARIANT_BOOL* value) override {
    return run([&] { *checked(value) = vb_bool(logic_.OK()); });
  }
  STDMETHODIMP put_OK(VARIANT_BOOL value) override {
    return run([&] { logic_.set_OK(value != VARIANT_FALSE); });
  }
  STDMETHODIMP get_AdminAcct(BSTR* value) override {
    return run([&] { *checked(value) = bstr_of(logic_.AdminAcct()); });
  }
  STDMETHODIMP put_AdminAcct(BSTR value) override {
    return run([&] { logic_.set_AdminAcct(text_of(value)); });
  }
  STDMETHODIMP get_Password(BSTR* value) override {
    return run([&] { *checked(value) = bstr_of(logic_.Password()); });
  }
  STDMETHODIMP put_Password(BSTR value) override {
    return run([&] { logic_.set_Password(text_of(value)); });
  }
  STDMETHODIMP get_Database(BSTR* value) override {
    return run([&] { *checked(value) = bstr_of(logic_.Database()); });
  }
  STDMETHODIMP put_Database(BSTR value) override {
    return run([&] { logic_.set_Database(text_of(value)); });
  }
  STDMETHODIMP Report(BSTR format, VARIANT_BOOL with_apps, BSTR* result) override {
    return run([&] {
      checked(result);
      *result = bstr_of(logic_.Report(text_of(format), with_apps != VARIANT_FALSE));
    });
  }
};

class LogonPropertiesObject final
    : public ClassObject<_LogonProperties, component::LogonProperties> {};

class UnavailablePropertiesObject final
    : public ClassObject<_UnavailableProperties, component::UnavailableProperties> {
 public:
  STDMETHODIMP get_OK(VARIANT_BOOL* value) override {
    return run([&] { *checked(value) = vb_bool(logic_.OK()); });
  }
  STDMETHODIMP put_OK(VARIANT_BOOL value) override {
    return run([&] { logic_.set_OK(value != VARIANT_FALSE); });
  }
};

constexpr std::array kClasses{
    CreatableClass{&CLSID_Properties, &PropertiesObject::create<PropertiesObject>},
    CreatableClass{&CLSID_LogonProperties, &LogonPropertiesObject::create<LogonPropertiesObject>},
    CreatableClass{&CLSID_UnavailableProperties,
                   &UnavailablePropertiesObject::create<UnavailablePropertiesObject>},
};

}  // namespace

std::span<const CreatableClass> pendrel_classes() { return kClasses; }

}  // namespace pendrel::win32
