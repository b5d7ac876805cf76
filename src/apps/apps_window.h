// What the applications tab's operations work on: the details window's form
// and its window-level values, its host objects and the functions it reaches.
// The details window hands one out for each command.
#pragma once

#include <string>

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
  // The caption: the computer's Domain (asked first), "\", its Name and the
  // stage text.
  void show_stage(const wchar_t* stage = L"") const {
    const std::wstring domain = computer.domain();
    form.set_caption(domain + L"\\" + computer.name() + stage);
  }
};

}  // namespace pendrel::apps
