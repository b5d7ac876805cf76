// pendrelhost.dll reached the way the component reaches a host: late-bound
// through pendrel::Dispatch and the outside facades, over the demo fixture.
// (Its members as a script sees them: host_test.vbs.)
#include <string>

#include "core/error.h"
#include "outside/computer.h"
#include "raised.h"
#include "support.h"

namespace pendrel {
namespace {

TEST(HostThroughFacades, PositionsNamesAndFailuresReachTheComponent) {
  win32::testing::ComApartment apartment;
  DispatchPtr domain = win32::testing::create(L"PendrelHost.DomainObject");
  domain->call(L"OpenFixture", {std::wstring(PENDREL_FIXTURE)});
  auto computer = [&](const wchar_t* name) {
    return outside::Computer(domain->call(L"GetComputer", {std::wstring(name)}));
  };
  outside::Computer pc = computer(L"PC042");

  // Sessions by position, passed by reference as the details window does.
  EXPECT_EQ(pc.get_users(true), 0);
  outside::LoggedOnUsers sessions = pc.logged_on_users();
  ASSERT_EQ(sessions.count(), 2);
  EXPECT_EQ(sessions.item(1).domain() + L"\\" + sessions.item(1).name(), L"SALES\\jdoe");

  // Accounts by name: the host's "no item" error means not found.
  outside::Users users = pc.users();
  std::optional<outside::User> user = users.find(L"svcbackup");
  ASSERT_TRUE(user);
  user->get_user_information(3);
  EXPECT_EQ(user->full_name(), L"Backup Service");
  EXPECT_FALSE(users.find(L"jdoe"));
  EXPECT_EQ(raised([&] { users.item(5); }), L"9 Subscript out of range: there is no item 5 (Count is 3).");

  Error injected = error_of([&] { computer(L"PC099").get_users(true); });
  EXPECT_EQ(injected.number(), static_cast<int32_t>(0x80070035));
  EXPECT_EQ(injected.description(), L"The network path was not found.");
}

}  // namespace
}  // namespace pendrel
