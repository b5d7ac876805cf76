// What the details window tests share: a test bed whose environment carries
// the window's services (a scripted clock, a recording Tavisk, the real ODBC
// objects and a class factory answering from fakes) and a details window on it.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "apps/fake_registry.h"
#include "component/services.h"
#include "core/clock.h"
#include "database/odbc_connection.h"
#include "details/frm_computer_details.h"
#include "window_test_support.h"

namespace pendrel::fakes {

// Now() and the time zone as the test sets them.
class FakeClock : public LocalClock {
 public:
  Date now = make_date({2026, 3, 14, 9, 30, 0});
  int32_t zone_result = time_zone_id::kStandard;
  TimeZoneInformation zone;
  int calls = 0;  // GetTimeZoneInformation calls

  Date Now() override { return now; }
  int32_t GetTimeZoneInformation(TimeZoneInformation& info) override {
    ++calls;
    info = zone;
    return zone_result;
  }
};

// Keeps each call as "<function> <args>" in `calls`; answers from the scripted
// results in order (then 0), writing the scripted texts.
class FakeTavisk : public Tavisk {
 public:
  explicit FakeTavisk(std::shared_ptr<CallLog>) {}
  struct Answer {
    int32_t status = 0;
    std::wstring user, account;
  };
  std::vector<Answer> answers;
  std::vector<std::wstring> calls;

  int32_t NetGetInteractiveUser(std::wstring_view server, std::wstring& user, std::wstring& account) override {
    const Answer a = next(L"NetGetInteractiveUser " + std::wstring(server));
    user = a.user, account = a.account;
    return a.status;
  }
  int32_t NetRegLoadKey(std::wstring_view machine, int32_t root, std::wstring_view key,
                        std::wstring_view hive) override {
    return next(L"NetRegLoadKey " + std::wstring(machine) + L" " + std::to_wstring(root) + L" " + std::wstring(key) +
                L" " + std::wstring(hive)).status;
  }
  int32_t NetRegUnLoadKey(std::wstring_view machine, int32_t root, std::wstring_view key) override {
    return next(L"NetRegUnLoadKey " + std::wstring(machine) + L" " + std::to_wstring(root) + L" " + std::wstring(key))
        .status;
  }

 private:
  Answer next(std::wstring call) {
    calls.push_back(std::move(call));
    if (answers.empty()) return {};
    Answer a = answers.front();
    answers.erase(answers.begin());
    return a;
  }
};

// Writes each caption the window shows into the call log, so that the host
// calls fall into groups under the stage that made them.
class CaptionPeer : public fakes::RecordingPeer {
 public:
  CaptionPeer(forms::Form& form, std::shared_ptr<fakes::CallLog> log)
      : RecordingPeer(std::make_shared<fakes::Trace>(), nullptr), form_(form), log_(std::move(log)) {}
  void form_changed(forms::Property p) override {
    if (p == forms::Property::Caption) log_->add({L"", L"Caption", InvokeKind::PropertyPut, {Variant(form_.caption())}});
  }

 private:
  forms::Form& form_;
  std::shared_ptr<fakes::CallLog> log_;
};

struct DetailsTestBed : WindowTestBed {
  FakeClock clock;
  FakeTavisk tavisk{log};
  database::OdbcObjects odbc;
  std::shared_ptr<FakeDispatch> domain_object = computer->sibling(L"DomainObject");
  // Objects CreateObject returns, by ProgID; a missing one raises 429.
  std::map<std::wstring, DispatchPtr> classes;
  apps::FakeRegistry registry;
  component::Services services{odbc, tavisk, clock, registry, [this](std::wstring_view prog_id) -> DispatchPtr {
                                 auto it = classes.find(std::wstring(prog_id));
                                 if (it == classes.end()) throw Error::vb(vb_error::kCannotCreateObject);
                                 return it->second;
                               }};

  DetailsTestBed() { env.services = &services; }
};

}  // namespace pendrel::fakes
