// What the applications tab's operations work on: the details window's form
// and its window-level values, its host objects and the functions it reaches.
// The details window hands one out for each command.
#pragma once

#include <string>
#include <utility>

#include "apps/registry_access.h"
#include "forms/form.h"
#include "forms/tree_view.h"
#include "forms/user_interface.h"
#include "outside/computer.h"
#include "outside/domain_object.h"
#include "outside/tavisk.h"

namespace pendrel::apps {

struct AppsWindow {
  forms::Form& form;
  forms::UserInterface& ui;
  outside::Computer computer;
  outside::DomainObject domain_object;
  RegistryApi& registry;
  Tavisk& tavisk;
  const std::wstring& ComputerName;
  std::wstring& QMHome;
  bool& QMHiveLoaded;

  forms::TreeView& tvwApps() const { return form.get<forms::TreeView>(L"tvwApps"); }
  // The computer's Domain (asked first), "\" and its Name.
  std::wstring title() const {
    const std::wstring domain = computer.domain();
    return domain + L"\\" + computer.name();
  }
  // The caption: the title and the stage text.
  void show_stage(const wchar_t* stage = L"") const { form.set_caption(title() + stage); }
};

// While a load runs the pointer is the hourglass. A load that fails part-way
// leaves the window usable: the pointer goes back to the default and the
// caption to the title read at the start, without asking the host again, so
// that putting them back cannot fail in turn.
class BusyWindow {
 public:
  BusyWindow(const AppsWindow& window, std::wstring title) : window_(window), title_(std::move(title)) {
    window_.ui.set_mouse_pointer(forms::mouse_pointer::kHourglass);
  }
  BusyWindow(const BusyWindow&) = delete;
  BusyWindow& operator=(const BusyWindow&) = delete;
  ~BusyWindow() {
    if (done_) return;
    pointer_back();
    window_.form.set_caption(title_);
  }
  void pointer_back() {
    if (std::exchange(hourglass_, false)) window_.ui.set_mouse_pointer(forms::mouse_pointer::kDefault);
  }
  // The load's own end of the caption: the title as the host now gives it.
  void show_title() {
    window_.show_stage();
    done_ = true;
  }

 private:
  const AppsWindow& window_;
  std::wstring title_;
  bool hourglass_ = true;
  bool done_ = false;
};

}  // namespace pendrel::apps
