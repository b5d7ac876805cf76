// The unavailable settings window through real COM: Pendrel.UnavailableProperties
// created by ProgID, a recording Computer handed over late-bound, the real
// window driven with window messages (typing, a click, OK) and the host calls
// it made checked in order. The window's rules in full (the time-out limits,
// Enter, Esc, Cancel): tests/native/windows/unavailable_test.cpp.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "fake_dispatch.h"
#include "support.h"

namespace pendrel::win32::testing {
namespace {

using fakes::CallLog;
using fakes::FakeDispatch;
using Strings = std::vector<std::wstring>;

std::wstring set_registry_line(const std::wstring& seconds) {
  return registry_line(L"Set", L"Restrictions", L"UnAvailableTimeOut", seconds);
}

class UnavailableWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    computer_->on(L"Name").get(L"PC042");
    computer_->property(L"UnAvailableCaption", L"System Unavailable");
    computer_->property(L"UnAvailableText", L"This computer is being serviced.");
    computer_->property(L"UnlocksEnabled", true);
    computer_->property(L"LogonsEnabled", true);
    computer_->on(L"GetRegistryValue").call(int32_t{45});
    computer_->on(L"SetRegistryValue").call(int32_t{0});
  }

  void TearDown() override {
    form_.reset();
    pump();
  }

  // Creates the class, hands it the computer, shows it modeless and waits
  // for its activation to fill the boxes.
  void open() {
    form_ = create(L"Pendrel.UnavailableProperties");
    ASSERT_TRUE(form_);
    form_->set(L"Computer", computer_);
    const size_t before = log_->calls().size();
    form_->call(L"Show");
    hwnd_ = hwnd_of(form_);
    ASSERT_TRUE(IsWindow(hwnd_));
    // Activation ends with the read of UnlocksEnabled.
    ASSERT_TRUE(pump_until([&] {
      const auto& calls = log_->calls();
      return IsWindowVisible(hwnd_) && calls.size() > before && calls.back().member == L"UnlocksEnabled";
    })) << "not activated; title " << to_ansi(text_of(hwnd_));
    const std::vector<HWND> edits = children_of_class(hwnd_, L"Edit");
    ASSERT_EQ(edits.size(), 3u);
    caption_ = edits[0];
    message_ = edits[1];
    time_out_ = edits[2];
    unlocks_ = FindWindowExW(hwnd_, nullptr, L"Button", L"&Unlocks Permitted");
    ok_ = FindWindowExW(hwnd_, nullptr, L"Button", L"&OK");
    ASSERT_TRUE(unlocks_ && ok_);
  }

  // The texts of the caption, message and time-out boxes.
  Strings boxes() const {
    Strings texts;
    for (HWND edit : children_of_class(hwnd_, L"Edit")) texts.push_back(text_of(edit));
    return texts;
  }

  enum class At { kCaret, kAll, kEnd };

  // Typing: each character a WM_CHAR to the focused box, taken from the queue.
  void type(HWND edit, const std::wstring& keys, At at = At::kCaret) {
    SetFocus(edit);
    if (at == At::kAll) SendMessageW(edit, EM_SETSEL, 0, -1);
    if (at == At::kEnd) SendMessageW(edit, EM_SETSEL, GetWindowTextLengthW(edit), GetWindowTextLengthW(edit));
    for (wchar_t key : keys) PostMessageW(edit, WM_CHAR, key, 1);
    pump();
  }

  bool ok() { return form_->get(L"OK").to_bool(); }
  bool visible() const { return IsWindowVisible(hwnd_) != FALSE; }

  ComApartment apartment_;
  std::shared_ptr<CallLog> log_ = std::make_shared<CallLog>();
  std::shared_ptr<FakeDispatch> computer_ = std::make_shared<FakeDispatch>(L"Computer", log_);
  DispatchPtr form_;
  HWND hwnd_ = nullptr;
  HWND caption_ = nullptr;
  HWND message_ = nullptr;
  HWND time_out_ = nullptr;
  HWND unlocks_ = nullptr;
  HWND ok_ = nullptr;
};

TEST_F(UnavailableWindowTest, ActivationReadsTheComputerAndOkWritesWhatWasTyped) {
  // Any non-zero value checks the box.
  computer_->property(L"UnlocksEnabled", int32_t{5});
  open();
  ASSERT_FALSE(HasFatalFailure());
  EXPECT_EQ(log_->trace(), (Strings{L"get Computer.Name", L"get Computer.UnAvailableCaption",
                                    L"get Computer.UnAvailableText",
                                    registry_line(L"Get", L"Restrictions", L"UnAvailableTimeOut", L"60"),
                                    L"get Computer.UnlocksEnabled"}));
  const auto& read = log_->calls()[3].args;
  ASSERT_EQ(read.size(), 4u);
  EXPECT_EQ(read[0].kind(), Variant::Kind::Int32);
  EXPECT_EQ(read[3].kind(), Variant::Kind::Int16);
  EXPECT_EQ(text_of(hwnd_), L"Unavailable Properties of PC042");
  EXPECT_EQ(boxes(), (Strings{L"System Unavailable", L"This computer is being serviced.", L"45"}));
  EXPECT_EQ(SendMessageW(unlocks_, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_FALSE(ok());
  log_->clear();

  // The time-out box takes digits and backspace only; a refused key leaves
  // even the selection in place.
  type(time_out_, L"a-. \t", At::kAll);
  EXPECT_EQ(text_of(time_out_), L"45");
  DWORD start = 0xdeadbeef, end = 0xdeadbeef;
  SendMessageW(time_out_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 2u);
  type(time_out_, L"00491\b\b5");
  EXPECT_EQ(text_of(time_out_), L"0045");
  // The other boxes take any character.
  type(caption_, L"Down - a. b", At::kAll);
  type(message_, L" Back at 5.", At::kEnd);
  EXPECT_EQ(boxes(), (Strings{L"Down - a. b", L"This computer is being serviced. Back at 5.", L"0045"}));
  click(unlocks_);
  EXPECT_EQ(SendMessageW(unlocks_, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_TRUE(log_->calls().empty()) << "typing wrote to the host";

  click(ok_);
  EXPECT_EQ(log_->trace(), (Strings{L"let Computer.UnAvailableCaption = \"Down - a. b\"",
                                    L"let Computer.UnAvailableText = \"This computer is being serviced. Back at 5.\"",
                                    L"let Computer.LogonsEnabled = False", L"let Computer.UnlocksEnabled = False",
                                    set_registry_line(L"45")}));
  ASSERT_EQ(log_->calls().size(), 5u);
  EXPECT_EQ(log_->calls()[4].args[3].kind(), Variant::Kind::Int32);
  EXPECT_TRUE(ok());
  EXPECT_FALSE(visible());
}

}  // namespace
}  // namespace pendrel::win32::testing
