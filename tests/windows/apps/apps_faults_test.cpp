// A host call failing in the middle of the package walk that a double-click in
// the real tree view started: the component's box shows the failure, and once
// it is answered the window still works, its tree shows the packages walked so
// far, and the process lives. The packages lie in a key QM of this machine's
// registry, which the window reads as the computer's own (the console is the
// computer shown).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_dispatch.h"
#include "support.h"

namespace pendrel::win32::testing {
namespace {

// A user's double-click on the tree's first item.
void double_click_first_item(HWND tree) {
  ASSERT_TRUE(driver::double_click_node(tree, driver::tree_item(tree, TVGN_ROOT)));
}

struct Fault {
  int failing_call;  // of DomainObject.RemNull, from 1
  LRESULT items;     // in the tree after the failure
};

// The set-up of other tests may have left the settings' Home ("QM\\" too),
// but no key QM.
class AppsFaults : public ::testing::TestWithParam<Fault> {
 protected:
  void SetUp() override {
    unique_hkey qm;
    ASSERT_NE(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"QM", 0, KEY_READ, qm.put()), ERROR_SUCCESS) << "left over";
    made_qm_ = true;
    had_home_ = RegGetValueW(HKEY_LOCAL_MACHINE, kSettings, L"Home", RRF_RT_ANY, nullptr, nullptr, nullptr) == 0;
    for (const wchar_t* package : {L"Office\\MachInst\\Excel97", L"Office\\MachInst\\Word97", L"Tools\\MachInst\\X"}) {
      const std::wstring path = std::wstring(L"QM\\LastRun\\APPIMAGE\\") + package;
      EXPECT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, path.c_str(), L"Name", REG_SZ, L"", 2), ERROR_SUCCESS);
    }
    EXPECT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, kSettings, L"Home", REG_SZ, L"QM\\", 8), ERROR_SUCCESS);
  }
  void TearDown() override {
    if (made_qm_) RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"QM");
    if (!had_home_) RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kSettings, L"Home");
  }
  static constexpr wchar_t kSettings[] = L"SOFTWARE\\Quillmark\\Local_Machine_Settings";
  bool made_qm_ = false, had_home_ = true;
  ComApartment apartment;
};

TEST_P(AppsFaults, TheBoxThenAUsableWindowWithTheTreeWalkedSoFar) {
  DispatchPtr computer = create(L"PendrelHost.Computer");
  ASSERT_TRUE(computer);
  computer->call(L"Open", {std::wstring(PENDREL_FIXTURE), std::wstring(L"PC042")});
  auto domain = std::make_shared<fakes::FakeDispatch>(L"DomainObject");
  domain->on(L"ThisComputerName").get(L"PC042"), domain->on(L"ThisDomainName").get(L"SALES");
  int calls = 0;
  domain->on(L"RemNull").call([&](std::span<Argument> args) {
    if (++calls == GetParam().failing_call) throw Error(5, L"injected failure");
    std::wstring text = args[0].value.to_text();
    return std::erase(text, L'\0'), text;
  });
  std::vector<std::wstring> boxes;
  TimerAction dismiss(each_dialog([&](HWND box) {
    boxes.push_back(text_of(box) + L": " + text_of(GetDlgItem(box, 0xFFFF)));
    SendMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
  }));
  DispatchPtr form = show_form(L"Pendrel.Properties", domain, computer);
  HWND window = hwnd_of(form);
  ASSERT_TRUE(pump_until([&] { return text_of(window) == L"SALES\\PC042"; }, 30000)) << to_ansi(text_of(window));
  HWND tree = driver::descendant(window, WC_TREEVIEWW);
  ASSERT_EQ(SendMessageW(tree, TVM_GETCOUNT, 0, 0), 1);
  boxes.clear();

  double_click_first_item(tree);
  ASSERT_TRUE(pump_until([&] { return !boxes.empty() && !shown_dialog(); }, 30000));
  pump_until([] { return false; }, 300);
  EXPECT_EQ(boxes, std::vector<std::wstring>{L"Pendrel: tvwApps_DblClick: injected failure\r\n\r\n(Error 5)"});
  ASSERT_TRUE(IsWindow(window));
  EXPECT_EQ(text_of(window), L"SALES\\PC042");
  EXPECT_EQ(SendMessageW(tree, TVM_GETCOUNT, 0, 0), GetParam().items);
  // Still answering: a double-click on the root folder only opens or closes it.
  if (GetParam().items > 0) double_click_first_item(tree);
  pump_until([] { return false; }, 300);
  EXPECT_EQ(boxes.size(), 1u);
  form->call(L"Quit");
  pump();
}

// RemNull is called for every key name and every package's "Re-Install"
// value: the 7th call is the name of the second top folder.
INSTANTIATE_TEST_SUITE_P(RemNullFails, AppsFaults, ::testing::Values(Fault{1, 0}, Fault{7, 5}),
                         [](const auto& info) { return "AtCall" + std::to_string(info.param.failing_call); });

}  // namespace
}  // namespace pendrel::win32::testing
