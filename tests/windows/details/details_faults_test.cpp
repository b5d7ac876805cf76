// The details window over the reference host with one member of the host made
// to fail at a time, through the fixture's injected failures: the window never
// crashes or hangs; where the load ignores errors it goes on to its end, and
// anywhere else it ends, shows the failure in the component's box, stays
// usable and loads again on its next activation.
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support.h"

namespace pendrel::win32::testing {
namespace {

constexpr wchar_t kLoaded[] = L"SALES\\PC042";

struct Fault {
  const char* member;  // as the fixture names it
  bool loads;          // the load reaches its end despite the failure
};

// With a management database: the stretch from opening it to the user
// queries ignores errors; everything before and after it does not.
const Fault kFaults[] = {
    {"Computer.Domain", false},           {"Computer.Reachable", false},
    {"Computer.LogonsEnabled", true},     {"Computer.UnlocksEnabled", true},
    {"Computer.GetServerInformation", false}, {"Computer.IPAddr", false},
    {"Computer.MACAddr", false},          {"Computer.time", false},
    {"Computer.GetUsers", false},         {"Computer.GetRegistryValue", false},
    {"Computer.LoggedOnUsers", false},    {"Computer.Description", false},
    {"Computer.PlatFormType", false},     {"DomainObject.ThisComputerName", false},
};

std::string fixture_with(const Fault& fault) {
  std::ifstream in(PENDREL_FIXTURE_UNIX);
  std::stringstream text;
  text << in.rdbuf();
  std::string fixture = text.str();
  const std::string member = fault.member;
  const std::string section = member.starts_with("Computer.") ? "[computer PC042]\n" : "[console]\n";
  const size_t at = fixture.find(section);
  EXPECT_NE(at, std::string::npos);
  fixture.insert(at + section.size(), "fail " + member + " 5\n");
  return fixture;
}

size_t count_of(const std::wstring& log, const std::wstring& line) {
  size_t n = 0;
  for (size_t at = log.find(line); at != std::wstring::npos; at = log.find(line, at + 1)) ++n;
  return n;
}

class DetailsFaults : public ::testing::TestWithParam<Fault> {
 protected:
  ComApartment apartment;
};

TEST_P(DetailsFaults, EndOrSkipAsTheLoadIgnoresErrors) {
  const Fault& fault = GetParam();
  const std::wstring path = std::wstring(PENDREL_WORK_DIR) + L"\\faults.fixture";
  std::ofstream(to_ansi(path), std::ios::binary) << fixture_with(fault);

  const auto [domain, computer] = fixture_host(path);
  ASSERT_TRUE(computer);
  DispatchPtr form = create(L"Pendrel.Properties");
  ASSERT_TRUE(form);
  form->let(L"Database", std::wstring(L"Driver={SQLite3};Database=" PENDREL_DEMO_DB L";NoCreat=1;Timeout=2000"));
  form->set(L"DomainObject", domain);
  form->set(L"Computer", computer);
  domain->call(L"ClearCallLog");

  std::vector<std::wstring> boxes;
  TimerAction dismiss(each_dialog([&](HWND box) {
    boxes.push_back(text_of(box) + L": " + text_of(FindWindowExW(box, nullptr, L"Static", nullptr)) +
                    text_of(GetDlgItem(box, 0xFFFF)));
    SendMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
  }));
  form->call(L"Show");
  HWND window = hwnd_of(form);
  const auto settled = [&] { return text_of(window) == kLoaded || !boxes.empty(); };
  ASSERT_TRUE(pump_until(settled, 30000)) << "caption " << to_ansi(text_of(window));
  pump_until([] { return false; }, 300);

  const std::wstring injected = L"Injected failure of " + std::wstring(fault.member, fault.member + std::char_traits<char>::length(fault.member));
  if (fault.loads) {
    EXPECT_EQ(text_of(window), kLoaded);
    EXPECT_TRUE(boxes.empty()) << to_ansi(boxes.front());
  } else {
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].substr(0, 8), L"Pendrel:") << to_ansi(boxes[0]);
    EXPECT_NE(boxes[0].find(injected), std::wstring::npos) << to_ansi(boxes[0]);
    EXPECT_NE(text_of(window), kLoaded);
    // Not loaded: the next activation runs the whole load again.
    const size_t resets = count_of(domain->get(L"CallLog").to_text(), L"Computer.Reachable");
    form->call(L"Hide");
    form->call(L"Show");
    EXPECT_TRUE(pump_until([&] {
      return count_of(domain->get(L"CallLog").to_text(), L"Computer.Reachable") > resets && boxes.size() == 2;
    }));
  }
  EXPECT_TRUE(IsWindow(window));
  form->call(L"Quit");
  pump();
}

INSTANTIATE_TEST_SUITE_P(EachHostMember, DetailsFaults, ::testing::ValuesIn(kFaults),
                         [](const ::testing::TestParamInfo<Fault>& info) {
                           std::string name = info.param.member;
                           name.erase(name.find('.'), 1);
                           return name;
                         });

}  // namespace
}  // namespace pendrel::win32::testing
