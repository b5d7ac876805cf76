// Works the unavailable window of PC042 in another process as a user would:
//   unavailable_driver <report file>
// Waits for the window, types a new caption into its caption box and clicks
// "&OK". The report's last line is "unavailable_driver: done, <n> failures",
// after a line "FAIL <what>" for each thing that went wrong.
#include <climits>
#include <cstdio>
#include <memory>

#include "window_driver.h"

using namespace pendrel::driver;

int main(int argc, char** argv) {
  std::unique_ptr<FILE, decltype(&std::fclose)> report(argc > 1 ? std::fopen(argv[1], "w") : nullptr, &std::fclose);
  if (!report) return 3;
  int failures = 0;
  auto fail = [&](const char* what) {
    std::fprintf(report.get(), "FAIL %s\n", what);
    ++failures;
  };
  HWND window = visible_window(L"Unavailable Properties of PC042", 30000);
  if (!window) {
    fail("window \"Unavailable Properties of PC042\" never shown");
  } else {
    // The caption box is the topmost of the window's boxes.
    HWND caption = nullptr;
    LONG top = LONG_MAX;
    for (HWND box : descendants(window, WC_EDITW)) {
      RECT r;
      if (GetWindowRect(box, &r) && r.top < top) caption = box, top = r.top;
    }
    HWND ok = descendant(window, WC_BUTTONW, L"&OK");
    DWORD_PTR answer = 0;
    if (!caption || !ok) {
      fail("caption box or &OK missing");
    } else if (!SendMessageTimeoutW(caption, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Closed for the install test"),
                                    SMTO_NORMAL, 10000, &answer) ||
               !SendMessageTimeoutW(ok, BM_CLICK, 0, 0, SMTO_NORMAL, 10000, &answer)) {
      fail("window does not answer");
    }
    if (!wait_closed(window)) {
      fail("window still open after &OK");
      PostMessageW(window, WM_CLOSE, 0, 0);  // so that the script's Show returns
    }
  }
  std::fprintf(report.get(), "unavailable_driver: done, %d failures\n", failures);
  return failures == 0 ? 0 : 1;
}
