// pendrelhost.dll reached the way the component reaches a host: late-bound
// through pendrel::Dispatch and the outside facades, over the demo fixture.
// (Its members as a script sees them, the unopened objects included:
// host_test.vbs.)
#include <string>

#include "core/error.h"
#include "outside/computer.h"
#include "outside/domain_object.h"
#include "raised.h"
#include "support.h"

namespace pendrel {
namespace {

using outside::Computer;
using outside::DomainObject;
using win32::testing::create;

constexpr uint32_t kHklm = 0x80000002;
constexpr wchar_t kRestrictions[] = L"SOFTWARE\\Vyx\\Gina\\Restrictions";

class HostTest : public ::testing::Test {
 protected:
  static DispatchPtr open_domain() {
    DispatchPtr domain = create(L"PendrelHost.DomainObject");
    domain->call(L"OpenFixture", {std::wstring(PENDREL_FIXTURE)});
    return domain;
  }

  static Computer computer(const DispatchPtr& domain, const wchar_t* name) {
    return Computer(domain->call(L"GetComputer", {std::wstring(name)}));
  }

  win32::testing::ComApartment apartment_;
};

TEST_F(HostTest, ComputerAnswersEveryMemberTheComponentCalls) {
  DispatchPtr domain = open_domain();
  Computer pc = computer(domain, L"PC042");

  EXPECT_EQ(pc.default_member(), L"PC042");
  EXPECT_EQ(pc.domain(), L"SALES");
  EXPECT_FALSE(pc.reachable());
  EXPECT_EQ(pc.get_server_information(102), 0);
  EXPECT_TRUE(pc.reachable());
  pc.set_reachable(false);
  EXPECT_FALSE(pc.reachable());
  EXPECT_EQ(pc.get_server_information(101), 0);
  EXPECT_EQ(pc.description(), Variant(L"Sales floor PC (front desk)"));
  EXPECT_EQ(pc.platform_id(), Variant(int32_t{500}));
  EXPECT_EQ(pc.version_major(), Variant(int32_t{5}));
  EXPECT_EQ(pc.version_minor(), Variant(int32_t{1}));
  EXPECT_EQ(pc.platform_type(), Variant(int32_t{0x1003}));
  EXPECT_EQ(pc.time(), Variant(make_date({2026, 3, 14, 9, 26, 53})));
  EXPECT_EQ(pc.tz_bias(), 300);
  EXPECT_EQ(pc.tz(), 300);
  EXPECT_EQ(pc.ip_addr(), L"127.0.0.1");
  pc.set_mac_addr(L"00:1A:2B:3C:4D:5E");
  EXPECT_EQ(pc.mac_addr(), L"00:1A:2B:3C:4D:5E");
  pc.wake();

  // Sessions by position, passed by reference as the details window does.
  EXPECT_EQ(pc.get_users(true), 0);
  outside::LoggedOnUsers sessions = pc.logged_on_users();
  ASSERT_EQ(sessions.count(), 2);
  EXPECT_EQ(sessions.item(1).domain() + L"\\" + sessions.item(1).name(), L"SALES\\jdoe");
  EXPECT_EQ(sessions.item(2).name(), L"asmith");

  // Accounts by name, as the account lists look them up.
  outside::Users users = pc.users();
  EXPECT_EQ(users.count(), 3);
  std::optional<outside::User> user = users.find(L"svcbackup");
  ASSERT_TRUE(user);
  user->get_user_information(3);
  EXPECT_EQ(user->full_name(), L"Backup Service");
  EXPECT_FALSE(users.find(L"jdoe"));
  outside::Groups local = pc.local_local_groups();
  EXPECT_EQ(local.count(), 0);
  local.get_items();
  ASSERT_TRUE(local.find(L"ADMINISTRATORS"));
  EXPECT_EQ(local.find(L"ADMINISTRATORS")->name(), L"Administrators");

  // Groups by position, as the work-groups tab reads them.
  pc.get_groups();
  outside::Groups global = pc.global_groups();
  ASSERT_EQ(global.count(), 2);
  outside::Group second = global.item(2);
  EXPECT_EQ(second.description(), L"");
  EXPECT_EQ(second.get_description(), L"Computers of the sales floor");
  EXPECT_EQ(second.description(), L"Computers of the sales floor");
  EXPECT_EQ(pc.local_groups().item(3).get_description(), L"");

  EXPECT_EQ(pc.get_registry_value(kHklm, L"SOFTWARE\\Vyx\\GINA\\MRU", L"ConsoleUser", Variant(L"")),
            Variant(L"SALES\\jdoe"));
  EXPECT_EQ(pc.get_registry_value(kHklm, L"SOFTWARE\\Vyx\\Gina\\Settings", L"SendLogonMsg", Variant(int16_t{0})),
            Variant(int32_t{1}));
  EXPECT_EQ(pc.get_registry_value(kHklm, kRestrictions, L"Absent", Variant(int16_t{60})), Variant(int16_t{60}));
  EXPECT_EQ(pc.set_registry_value(kHklm, kRestrictions, L"WatchForUsersToLogoff", Variant(L"SALES\\jdoe")), 0);
  EXPECT_EQ(pc.get_registry_value(kHklm, kRestrictions, L"WatchForUsersToLogoff", Variant(L"")),
            Variant(L"SALES\\jdoe"));

  EXPECT_TRUE(pc.logons_enabled());
  EXPECT_TRUE(pc.unlocks_enabled());
  pc.set_unlocks_enabled(false);
  pc.set_unavailable_caption(L"Closed");
  EXPECT_FALSE(pc.unlocks_enabled());
  EXPECT_EQ(pc.get_registry_value(kHklm, kRestrictions, L"UnlocksEnabled", Variant()), Variant(int32_t{0}));
  EXPECT_EQ(pc.unavailable_caption(), L"Closed");
  EXPECT_EQ(pc.unavailable_text(), L"This computer is being serviced. Please try again later.");

  outside::Resource ipc = pc.resources(L"IPC$");
  EXPECT_FALSE(ipc.map(L"SALES\\admin", L"Secret"));
  EXPECT_TRUE(ipc.map(L"SALES\\admin", L"secret"));
  ipc.unmap(true);
}

TEST_F(HostTest, DomainsAndFailuresReachTheCaller) {
  DispatchPtr d = open_domain();
  DomainObject domain{d};
  EXPECT_EQ(domain.this_computer_name(), L"CONSOLE1");
  EXPECT_EQ(domain.this_domain_name(), L"SALES");
  EXPECT_EQ(domain.rem_null(std::wstring(L"Sales\0 PC\0", 10)), L"Sales PC");

  outside::Domain sales = domain.domains(L"SALES");
  EXPECT_EQ(sales.count(), 0);
  sales.get_items();
  EXPECT_EQ(sales.count(), 3);
  EXPECT_EQ(sales.global_groups().count() + sales.local_groups().count(), 0);
  sales.get_groups();
  std::optional<outside::Group> admins = sales.global_groups().find(L"Domain Admins");
  ASSERT_TRUE(admins);
  admins->get_description();
  EXPECT_EQ(admins->description(), L"Designated administrators of the domain");
  EXPECT_FALSE(sales.local_groups().find(L"Domain Admins"));
  outside::Users users = domain.domains(L"sales").users();
  users.get_items();
  EXPECT_EQ(domain.domains(L"Sales").users().count(), 4);
  EXPECT_EQ(domain.domains(L"ENGINEERING").users().count(), 0);

  EXPECT_EQ(raised([&] { domain.domains(L"pc042"); }), L"5 There is no domain named 'pc042'.");

  EXPECT_EQ(raised([&] { users.item(5); }), L"9 Subscript out of range: there is no item 5 (Count is 4).");

  Computer off = computer(d, L"PC099");
  EXPECT_EQ(off.get_server_information(102), 53);
  Error injected = error_of([&] { off.get_users(true); });
  EXPECT_EQ(injected.number(), static_cast<int32_t>(0x80070035));
  EXPECT_EQ(injected.description(), L"The network path was not found.");
  EXPECT_EQ(error_of([&] { off.tz_bias(); }).number(), static_cast<int32_t>(0x80070035));
}

}  // namespace
}  // namespace pendrel
