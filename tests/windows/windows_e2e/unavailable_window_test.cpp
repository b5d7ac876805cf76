// The unavailable settings window as a console meets it: Pendrel.UnavailableProperties
// created by ProgID, a recording Computer handed over late-bound, the real
// window shown modeless and driven with window messages (typing, clicks,
// Enter and Esc through the renderer's keyboard hook), and the host calls it
// made checked in order.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "e2e_support.h"
#include "fake_dispatch.h"

namespace pendrel::win32::testing {
namespace {

using fakes::CallLog;
using fakes::FakeDispatch;
using Strings = std::vector<std::wstring>;

constexpr wchar_t kRestrictions[] = L"SOFTWARE\\Vyx\\Gina\\Restrictions";
constexpr wchar_t kBadTimeOut[] =
    L"The time-out must be a whole number of seconds from 0 to 2147483647.\r\n"
    L"Please correct it; nothing has been saved.";

std::wstring set_registry_line(const std::wstring& seconds) {
  return LR"(call Computer.SetRegistryValue(-2147483646, "SOFTWARE\Vyx\Gina\Restrictions", "UnAvailableTimeOut", )" +
         seconds + L")";
}

// A message box of this thread, answered with OK from inside its own loop.
struct SeenBox {
  HWND owner = nullptr;
  std::wstring title;
  std::wstring text;
};

class BoxAnswerer {
 public:
  BoxAnswerer() {
    current_ = this;
    timer_ = SetTimer(nullptr, 0, 50, &tick);
  }
  ~BoxAnswerer() {
    KillTimer(nullptr, timer_);
    current_ = nullptr;
  }
  BoxAnswerer(const BoxAnswerer&) = delete;
  BoxAnswerer& operator=(const BoxAnswerer&) = delete;

  std::vector<SeenBox> seen;

 private:
  static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
    if (!current_) return;
    HWND box = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM found) -> BOOL {
          if (class_of(w) != L"#32770" || !IsWindowVisible(w)) return TRUE;
          *reinterpret_cast<HWND*>(found) = w;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&box));
    if (!box) return;
    // 0xFFFF: the id of a message box's text.
    current_->seen.push_back({GetWindow(box, GW_OWNER), text_of(box), text_of(GetDlgItem(box, 0xFFFF))});
    SendMessageW(box, WM_COMMAND, IDOK, 0);
  }

  static inline BoxAnswerer* current_ = nullptr;
  UINT_PTR timer_ = 0;
};

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
    show();
  }

  void show() {
    const size_t before = log_->calls().size();
    form_->call(L"Show");
    hwnd_ = reinterpret_cast<HWND>(static_cast<intptr_t>(form_->get(L"hwnd").to_long()));
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
    cancel_ = FindWindowExW(hwnd_, nullptr, L"Button", L"&Cancel");
    ASSERT_TRUE(unlocks_ && ok_ && cancel_);
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

  void press(UINT key) {
    PostMessageW(GetFocus(), WM_KEYDOWN, key, 1);
    PostMessageW(GetFocus(), WM_KEYUP, key, 0xC0000001);
    pump();
  }

  void click(HWND button) {
    SendMessageW(button, BM_CLICK, 0, 0);
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
  HWND cancel_ = nullptr;
};

TEST_F(UnavailableWindowTest, ActivationReadsTheComputerAndOkWritesWhatWasTyped) {
  // Any non-zero value checks the box.
  computer_->property(L"UnlocksEnabled", int32_t{5});
  open();
  ASSERT_FALSE(HasFatalFailure());
  EXPECT_EQ(log_->trace(), (Strings{L"get Computer.Name", L"get Computer.UnAvailableCaption",
                                    L"get Computer.UnAvailableText",
                                    LR"(call Computer.GetRegistryValue(-2147483646, "SOFTWARE\Vyx\Gina\Restrictions", "UnAvailableTimeOut", 60))",
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

  // Shown again, the window reads the host afresh and forgets the OK.
  log_->clear();
  show();
  ASSERT_FALSE(HasFatalFailure());
  EXPECT_FALSE(ok());
  EXPECT_EQ(boxes(), (Strings{L"Down - a. b", L"This computer is being serviced. Back at 5.", L"45"}));
  EXPECT_EQ(SendMessageW(unlocks_, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(log_->calls().size(), 5u);
}

TEST_F(UnavailableWindowTest, CancelOnlyPermitsLogons) {
  // No stored time-out: the host answers with the default it was given.
  computer_->on(L"GetRegistryValue").call([](std::span<Argument> args) { return args[3].value; });
  computer_->property(L"UnlocksEnabled", false);
  open();
  ASSERT_FALSE(HasFatalFailure());
  EXPECT_EQ(boxes(), (Strings{L"System Unavailable", L"This computer is being serviced.", L"60"}));
  EXPECT_EQ(SendMessageW(unlocks_, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  log_->clear();

  type(caption_, L"Changed", At::kAll);
  type(time_out_, L"9");
  click(unlocks_);
  click(cancel_);
  EXPECT_EQ(log_->trace(), (Strings{L"let Computer.LogonsEnabled = True"}));
  EXPECT_FALSE(ok());
  EXPECT_FALSE(visible());
}

TEST_F(UnavailableWindowTest, EnterIsOkEvenInTheMessageBoxAndEscIsNotBound) {
  computer_->on(L"GetRegistryValue").call([](std::span<Argument> args) { return args[3].value; });
  open();
  ASSERT_FALSE(HasFatalFailure());
  log_->clear();

  SetFocus(message_);
  press(VK_ESCAPE);
  EXPECT_TRUE(log_->calls().empty());
  EXPECT_TRUE(visible());
  EXPECT_FALSE(ok());

  press(VK_RETURN);
  EXPECT_EQ(log_->trace(), (Strings{L"let Computer.UnAvailableCaption = \"System Unavailable\"",
                                    L"let Computer.UnAvailableText = \"This computer is being serviced.\"",
                                    L"let Computer.LogonsEnabled = False", L"let Computer.UnlocksEnabled = True",
                                    set_registry_line(L"60")}));
  EXPECT_TRUE(ok());
  EXPECT_FALSE(visible());
}

TEST_F(UnavailableWindowTest, MessageTakesAtMost8192Characters) {
  open();
  ASSERT_FALSE(HasFatalFailure());
  // A paste of 8190 characters, then typing up to the limit and past it.
  const std::wstring pasted(8190, L'm');
  SetFocus(message_);
  SendMessageW(message_, EM_SETSEL, 0, -1);
  SendMessageW(message_, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(pasted.c_str()));
  type(message_, L"yz!");
  EXPECT_EQ(GetWindowTextLengthW(message_), 8192);
  SendMessageW(message_, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"++"));
  EXPECT_EQ(GetWindowTextLengthW(message_), 8192);
  log_->clear();

  click(ok_);
  ASSERT_EQ(log_->calls().size(), 5u);
  EXPECT_EQ(log_->calls()[1].member, L"UnAvailableText");
  EXPECT_EQ(log_->calls()[1].args.at(0).text(), pasted + L"yz");
}

TEST_F(UnavailableWindowTest, TimeOutThatCannotBeStoredIsRefusedWithAMessage) {
  open();
  ASSERT_FALSE(HasFatalFailure());
  log_->clear();
  BoxAnswerer answerer;

  type(time_out_, L"\b", At::kAll);
  EXPECT_EQ(text_of(time_out_), L"");
  click(ok_);
  type(time_out_, L"2147483648");
  click(ok_);
  ASSERT_EQ(answerer.seen.size(), 2u);
  for (const SeenBox& box : answerer.seen) {
    EXPECT_EQ(box.owner, hwnd_);
    EXPECT_EQ(box.title, L"Pendrel");
    EXPECT_EQ(box.text, kBadTimeOut);
  }
  EXPECT_TRUE(log_->calls().empty());
  EXPECT_TRUE(visible());
  EXPECT_FALSE(ok());

  // The largest 32-bit integer fits.
  type(time_out_, L"\b7");
  click(ok_);
  ASSERT_EQ(log_->calls().size(), 5u);
  EXPECT_EQ(log_->trace().back(), set_registry_line(L"2147483647"));
  EXPECT_TRUE(ok());
}

}  // namespace
}  // namespace pendrel::win32::testing
