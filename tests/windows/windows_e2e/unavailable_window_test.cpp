// The unavailable settings window through real COM: Pendrel.UnavailableProperties
// created by ProgID, a recording Computer handed over late-bound, the real
// window driven with window messages (typing, a click, OK) and the host calls
// it made checked in order. The window's rules in full (the time-out limits,
// Enter, Esc, Cancel): tests/native/windows/logon_test.cpp.
#include <memory>
#include <string>
#include <vector>

#include "fake_dispatch.h"
#include "support.h"

namespace pendrel::win32::testing {
namespace {

using Strings = std::vector<std::wstring>;

enum class At { kCaret, kAll, kEnd };

// Typing: each character a WM_CHAR to the focused box, taken from the queue.
void type(HWND edit, const std::wstring& keys, At at = At::kCaret) {
  SetFocus(edit);
  const int length = GetWindowTextLengthW(edit);
  if (at != At::kCaret) SendMessageW(edit, EM_SETSEL, at == At::kAll ? 0 : length, length);
  for (wchar_t key : keys) PostMessageW(edit, WM_CHAR, key, 1);
  pump();
}

TEST(UnavailableWindowTest, ActivationReadsTheComputerAndOkWritesWhatWasTyped) {
  ComApartment apartment;
  auto log = std::make_shared<fakes::CallLog>();
  auto computer = std::make_shared<fakes::FakeDispatch>(L"Computer", log);
  computer->on(L"Name").get(L"PC042");
  computer->property(L"UnAvailableCaption", L"System Unavailable");
  computer->property(L"UnAvailableText", L"This computer is being serviced.");
  computer->property(L"UnlocksEnabled", int32_t{5});  // any non-zero value checks the box
  computer->property(L"LogonsEnabled", true);
  computer->on(L"GetRegistryValue").call(int32_t{45});
  computer->on(L"SetRegistryValue").call(int32_t{0});

  DispatchPtr form = show_form(L"Pendrel.UnavailableProperties", nullptr, computer);
  const HWND window = hwnd_of(form);
  // Activation ends with the read of UnlocksEnabled.
  ASSERT_TRUE(pump_until([&] {
    return IsWindowVisible(window) && !log->calls().empty() && log->calls().back().member == L"UnlocksEnabled";
  })) << "not activated; title " << to_ansi(text_of(window));
  EXPECT_EQ(log->trace(), (Strings{L"get Computer.Name", L"get Computer.UnAvailableCaption",
                                   L"get Computer.UnAvailableText",
                                   registry_line(L"Get", L"Restrictions", L"UnAvailableTimeOut", L"60"),
                                   L"get Computer.UnlocksEnabled"}));
  const auto& read = log->calls()[3].args;
  ASSERT_EQ(read.size(), 4u);
  EXPECT_EQ(read[0].kind(), Variant::Kind::Int32);
  EXPECT_EQ(read[3].kind(), Variant::Kind::Int16);
  EXPECT_EQ(text_of(window), L"Unavailable Properties of PC042");
  // The caption, message and time-out boxes, top to bottom.
  const std::vector<HWND> edits = children_of_class(window, L"Edit");
  ASSERT_EQ(edits.size(), 3u);
  const auto boxes = [&] { return Strings{text_of(edits[0]), text_of(edits[1]), text_of(edits[2])}; };
  EXPECT_EQ(boxes(), (Strings{L"System Unavailable", L"This computer is being serviced.", L"45"}));
  const HWND unlocks = FindWindowExW(window, nullptr, L"Button", L"&Unlocks Permitted");
  EXPECT_EQ(SendMessageW(unlocks, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_FALSE(form->get(L"OK").to_bool());
  log->clear();

  // The time-out box takes digits and backspace only; a refused key leaves
  // even the selection in place.
  type(edits[2], L"a-. \t", At::kAll);
  EXPECT_EQ(text_of(edits[2]), L"45");
  DWORD start = 0xdeadbeef, end = 0xdeadbeef;
  SendMessageW(edits[2], EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 2u);
  type(edits[2], L"00491\b\b5");
  EXPECT_EQ(text_of(edits[2]), L"0045");
  // The other boxes take any character.
  type(edits[0], L"Down - a. b", At::kAll);
  type(edits[1], L" Back at 5.", At::kEnd);
  EXPECT_EQ(boxes(), (Strings{L"Down - a. b", L"This computer is being serviced. Back at 5.", L"0045"}));
  click(unlocks);
  EXPECT_EQ(SendMessageW(unlocks, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_TRUE(log->calls().empty()) << "typing wrote to the host";

  click(FindWindowExW(window, nullptr, L"Button", L"&OK"));
  EXPECT_EQ(log->trace(), (Strings{L"let Computer.UnAvailableCaption = \"Down - a. b\"",
                                   L"let Computer.UnAvailableText = \"This computer is being serviced. Back at 5.\"",
                                   L"let Computer.LogonsEnabled = False", L"let Computer.UnlocksEnabled = False",
                                   registry_line(L"Set", L"Restrictions", L"UnAvailableTimeOut", L"45")}));
  ASSERT_EQ(log->calls().size(), 5u);
  EXPECT_EQ(log->calls()[4].args[3].kind(), Variant::Kind::Int32);
  EXPECT_TRUE(form->get(L"OK").to_bool());
  EXPECT_FALSE(IsWindowVisible(window));
  form.reset();
  pump();
}

}  // namespace
}  // namespace pendrel::win32::testing
