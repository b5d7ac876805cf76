#include "outside/computer.h"

#include <gtest/gtest.h>

#include "outside_test_support.h"

namespace pendrel {
namespace {

using fakes::Call;
using fakes::FakeDispatch;
using namespace outside;
using namespace outside_test;

const Variant kHklm(int32_t{-2147483646});  // 0x80000002 as the host receives it

template <class F>
int32_t error_number(F&& f) {
  try {
    f();
  } catch (const Error& e) {
    return e.number();
  }
  return 0;
}

TEST(ComputerFacade, MethodsSendTheArgumentKindsTheHostExpects) {
  auto host = std::make_shared<FakeDispatch>(L"Computer");
  host->on(L"GetServerInformation").call(int32_t{53});
  host->on(L"GetRegistryValue").call(L"SALES\\jdoe");
  host->on(L"SetRegistryValue").call(Variant());
  host->on(L"GetUsers").call(int16_t{7});
  host->on(L"GetGroups").call(Variant());
  host->on(L"Wake").call(Variant());
  const Computer computer(host);

  EXPECT_EQ(computer.get_server_information(102), 53);
  EXPECT_EQ(computer.get_registry_value(kHkeyLocalMachine, L"SOFTWARE\\Vyx\\GINA\\MRU",
                                        L"ConsoleUser", L""),
            Variant(L"SALES\\jdoe"));
  computer.get_registry_value(kHkeyLocalMachine, L"SOFTWARE\\Vyx\\Gina\\Restrictions",
                              L"UnAvailableTimeOut", int16_t{60});
  EXPECT_EQ(computer.set_registry_value(kHkeyLocalMachine, L"SOFTWARE\\Vyx\\Gina\\Restrictions",
                                        L"UnAvailableTimeOut", int32_t{45}),
            0);
  EXPECT_EQ(computer.get_users(true), 7);
  computer.get_users();
  computer.get_groups();
  computer.wake();

  const std::vector<Call> expected{
      {L"Computer", L"GetServerInformation", kMethod, {int16_t{102}}},
      {L"Computer", L"GetRegistryValue", kMethod, {kHklm, L"SOFTWARE\\Vyx\\GINA\\MRU", L"ConsoleUser", L""}},
      {L"Computer", L"GetRegistryValue", kMethod,
       {kHklm, L"SOFTWARE\\Vyx\\Gina\\Restrictions", L"UnAvailableTimeOut", int16_t{60}}},
      {L"Computer", L"SetRegistryValue", kMethod,
       {kHklm, L"SOFTWARE\\Vyx\\Gina\\Restrictions", L"UnAvailableTimeOut", int32_t{45}}},
      {L"Computer", L"GetUsers", kMethod, {true}},
      {L"Computer", L"GetUsers", kMethod, {}},
      {L"Computer", L"GetGroups", kMethod, {}},
      {L"Computer", L"Wake", kMethod, {}},
  };
  EXPECT_EQ(host->log().calls(), expected);
}

TEST(ComputerFacade, PropertiesReadLateBoundAndWriteTypedValues) {
  auto host = std::make_shared<FakeDispatch>(L"Computer");
  host->on_id(kDispIdValue).get(L"PC042");
  host->on(L"Name").get(L"PC042");
  host->on(L"Domain").get(L"SALES");
  host->property(L"Reachable", true);
  host->property(L"IPAddr", L"Error = 2");
  host->property(L"MACAddr");
  host->property(L"LogonsEnabled", false);
  host->property(L"UnlocksEnabled", int16_t{-1});
  host->property(L"UnAvailableCaption", L"Closed");
  host->on(L"TZBias").get(int16_t{-60});
  host->on(L"time").get(Variant());
  host->on(L"PlatFormType").get(Variant::null());
  const Computer computer(host);

  EXPECT_EQ(computer.default_member(), L"PC042");
  EXPECT_EQ(computer.name(), L"PC042");
  EXPECT_EQ(computer.domain(), L"SALES");
  EXPECT_EQ(computer.ip_addr(), L"Error = 2");
  computer.set_ip_addr(L"");
  computer.set_mac_addr(L"00-0C-29-12-34-56");
  computer.set_reachable(false);
  EXPECT_FALSE(computer.reachable());
  EXPECT_TRUE(computer.unlocks_enabled());  // any non-zero value
  computer.set_logons_enabled(true);
  computer.set_unavailable_caption(L"Maintenance");
  EXPECT_EQ(computer.tz_bias(), -60);
  EXPECT_TRUE(computer.time().is_empty());
  EXPECT_TRUE(computer.platform_type().is_null());

  EXPECT_EQ(host->value(L"IPAddr"), Variant(L""));
  EXPECT_EQ(host->value(L"MACAddr"), Variant(L"00-0C-29-12-34-56"));
  EXPECT_EQ(host->value(L"Reachable"), Variant(false));
  EXPECT_EQ(host->value(L"LogonsEnabled"), Variant(true));
  EXPECT_EQ(host->value(L"UnAvailableCaption"), Variant(L"Maintenance"));
  EXPECT_EQ(host->trace(), (std::vector<std::wstring>{
                               L"get Computer.#0", L"get Computer.Name", L"get Computer.Domain",
                               L"get Computer.IPAddr", L"let Computer.IPAddr = \"\"",
                               L"let Computer.MACAddr = \"00-0C-29-12-34-56\"",
                               L"let Computer.Reachable = False", L"get Computer.Reachable",
                               L"get Computer.UnlocksEnabled", L"let Computer.LogonsEnabled = True",
                               L"let Computer.UnAvailableCaption = \"Maintenance\"",
                               L"get Computer.TZBias", L"get Computer.time",
                               L"get Computer.PlatFormType"}));
}

TEST(ComputerFacade, NameLookupsTreatErrorNothingAndEmptyAsNotFound) {
  auto log = std::make_shared<fakes::CallLog>();
  auto host = std::make_shared<FakeDispatch>(L"Computer", log);
  auto users = std::make_shared<FakeDispatch>(L"Users", log);
  auto jdoe = std::make_shared<FakeDispatch>(L"jdoe", log);
  auto groups = std::make_shared<FakeDispatch>(L"LocalLocalGroups", log);
  auto guests = std::make_shared<FakeDispatch>(L"Guests", log);
  host->on(L"Users").get(users);
  host->on(L"LocalLocalGroups").get(groups);
  users->items({{L"jdoe", DispatchPtr(jdoe)}});
  users->on(L"Count").get(int16_t{1});
  jdoe->on(L"GetUserInformation").call(Variant());
  jdoe->on(L"FullName").get(L"John Doe");
  groups->on(L"Item", kDispIdValue).get([&](std::span<Argument> args) {
    if (args[0].value == Variant(L"Guests")) return Variant(DispatchPtr(guests));
    return args[0].value == Variant(L"Empty") ? Variant() : Variant(DispatchPtr());
  });
  groups->on(L"GetItems").call(Variant());
  guests->on(L"GetDescription").call(L"Guest accounts");
  guests->on(L"Description").get(L"Guest accounts");
  const Computer computer(host);

  const Users computer_users = computer.users();
  EXPECT_EQ(computer_users.count(), 1);
  const std::optional<User> user = computer_users.find(L"jdoe");
  ASSERT_TRUE(user);
  user->get_user_information(3);
  EXPECT_EQ(user->full_name(), L"John Doe");
  EXPECT_FALSE(computer_users.find(L"nobody"));  // the host raises 5

  const Groups local = computer.local_local_groups();
  local.get_items();
  EXPECT_FALSE(local.find(L"Nothing"));
  EXPECT_FALSE(local.find(L"Empty"));
  const std::optional<Group> group = local.find(L"Guests");
  ASSERT_TRUE(group);
  EXPECT_EQ(group->get_description(), L"Guest accounts");
  EXPECT_EQ(group->description(), L"Guest accounts");

  EXPECT_EQ(log->calls()[2], (Call{L"Users", L"Item", kRead, {L"jdoe"}}));
  EXPECT_EQ(log->calls()[3], (Call{L"jdoe", L"GetUserInformation", kMethod, {int16_t{3}}}));
  EXPECT_EQ(log->trace(), (std::vector<std::wstring>{
                              L"get Computer.Users", L"get Users.Count", L"get Users.Item(\"jdoe\")",
                              L"call jdoe.GetUserInformation(3)", L"get jdoe.FullName",
                              L"get Users.Item(\"nobody\")", L"get Computer.LocalLocalGroups",
                              L"call LocalLocalGroups.GetItems", L"get LocalLocalGroups.Item(\"Nothing\")",
                              L"get LocalLocalGroups.Item(\"Empty\")",
                              L"get LocalLocalGroups.Item(\"Guests\")", L"call Guests.GetDescription",
                              L"get Guests.Description"}));
}

TEST(ComputerFacade, OtherFailuresReachTheCallerWithTheirNumber) {
  auto host = std::make_shared<FakeDispatch>(L"Computer");
  auto groups = std::make_shared<FakeDispatch>(L"GlobalGroups");
  auto denied = std::make_shared<FakeDispatch>(L"Denied");
  host->on(L"GlobalGroups").get(groups);
  host->on(L"LocalGroups").get(Variant(DispatchPtr()));
  host->on(L"Users").raise(Error(70, L"Permission denied"));
  host->on(L"GetServerInformation").raise(Error(-2147023174, L"The RPC server is unavailable."));
  host->on(L"Domain").get(Variant::null());
  groups->items({{L"Domain Admins", Variant(DispatchPtr())}});
  denied->items({});
  denied->on(L"Count").raise(Error(70, L"Permission denied"));
  const Computer computer(host);

  EXPECT_EQ(error_number([&] { computer.users(); }), 70);
  EXPECT_EQ(error_number([&] { computer.get_server_information(101); }), -2147023174);
  EXPECT_EQ(error_number([&] { computer.domain(); }), vb_error::kInvalidUseOfNull);
  EXPECT_EQ(error_number([&] { computer.local_groups(); }), vb_error::kObjectVariableNotSet);
  EXPECT_EQ(error_number([&] { Groups(denied).count(); }), 70);
  // Positions are not name lookups: a missing one is an error, not "not found".
  EXPECT_EQ(error_number([&] { computer.global_groups().item(2); }), vb_error::kInvalidProcedureCall);
  EXPECT_EQ(error_number([&] { computer.global_groups().item(1); }), vb_error::kObjectVariableNotSet);
  EXPECT_EQ(error_number([] { Computer{DispatchPtr()}; }), vb_error::kObjectVariableNotSet);
}

TEST(ComputerFacade, PositionsAndResourcesReachTheRightObjects) {
  auto log = std::make_shared<fakes::CallLog>();
  auto host = std::make_shared<FakeDispatch>(L"Computer", log);
  auto sessions = std::make_shared<FakeDispatch>(L"LoggedOnUsers", log);
  auto session = std::make_shared<FakeDispatch>(L"Session", log);
  auto ipc = std::make_shared<FakeDispatch>(L"IPC", log);
  host->on(L"LoggedOnUsers").get(sessions);
  host->on(L"Resources").get(ipc);
  sessions->on(L"Count").get(int32_t{2});
  bool position_by_ref = false;
  sessions->on(L"Item", kDispIdValue).get([&](std::span<Argument> args) {
    position_by_ref = args[0].by_ref;
    return Variant(DispatchPtr(session));
  });
  session->on(L"Domain").get(L"SALES");
  session->on(L"Name").get(L"jdoe");
  ipc->on(L"Map").call(true);
  ipc->on(L"UnMap").call(Variant());
  const Computer computer(host);

  const LoggedOnUsers users = computer.logged_on_users();
  ASSERT_EQ(users.count(), 2);
  const LoggedOnUser second = users.item(2);
  EXPECT_EQ(second.domain(), L"SALES");
  EXPECT_EQ(second.name(), L"jdoe");
  EXPECT_TRUE(position_by_ref);
  const Resource share = computer.resources(L"IPC$");
  EXPECT_TRUE(share.map(L"SALES\\admin", L"secret"));
  share.unmap(true);

  EXPECT_EQ(log->calls()[2], (Call{L"LoggedOnUsers", L"Item", kRead, {int32_t{2}}}));
  EXPECT_EQ(log->trace(), (std::vector<std::wstring>{
                              L"get Computer.LoggedOnUsers", L"get LoggedOnUsers.Count",
                              L"get LoggedOnUsers.Item(2)", L"get Session.Domain", L"get Session.Name",
                              L"get Computer.Resources(\"IPC$\")",
                              L"call IPC.Map(\"SALES\\admin\", \"secret\")", L"call IPC.UnMap(True)"}));
}

}  // namespace
}  // namespace pendrel
