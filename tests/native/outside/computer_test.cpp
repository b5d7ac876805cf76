#include "outside/computer.h"

#include <gtest/gtest.h>

#include "outside_test_support.h"

namespace pendrel {
namespace {

using namespace outside_test;

TEST(ComputerFacade, MethodsSendTheArgumentKindsTheHostExpects) {
  auto host = std::make_shared<FakeDispatch>(L"Computer");
  host->on(L"GetServerInformation").call(int32_t{53});
  host->on(L"GetRegistryValue").call(L"SALES\\jdoe");
  host->on(L"SetRegistryValue").call(Variant());
  host->on(L"GetUsers").call(int16_t{7});
  const Computer computer(host);
  const std::wstring key = L"SOFTWARE\\Vyx\\Gina\\Restrictions";

  EXPECT_EQ(computer.get_server_information(102), 53);
  EXPECT_EQ(computer.get_registry_value(kHkeyLocalMachine, key, L"ConsoleUser", L""), Variant(L"SALES\\jdoe"));
  computer.get_registry_value(kHkeyLocalMachine, key, L"UnAvailableTimeOut", int16_t{60});
  EXPECT_EQ(computer.set_registry_value(kHkeyLocalMachine, key, L"UnAvailableTimeOut", int32_t{45}), 0);
  EXPECT_EQ(computer.get_users(true), 7);
  computer.get_users();

  const Variant hklm(int32_t{-2147483646});  // the bit pattern 0x80000002
  EXPECT_EQ(host->log().calls(),
            (std::vector<Call>{
                {L"Computer", L"GetServerInformation", kMethod, {int16_t{102}}},
                {L"Computer", L"GetRegistryValue", kMethod, {hklm, key, L"ConsoleUser", L""}},
                {L"Computer", L"GetRegistryValue", kMethod, {hklm, key, L"UnAvailableTimeOut", int16_t{60}}},
                {L"Computer", L"SetRegistryValue", kMethod, {hklm, key, L"UnAvailableTimeOut", int32_t{45}}},
                {L"Computer", L"GetUsers", kMethod, {true}},
                {L"Computer", L"GetUsers", kMethod, {}}}));
}

TEST(ComputerFacade, PropertiesReadLateBoundAndWriteTypedValues) {
  auto host = std::make_shared<FakeDispatch>(L"Computer");
  host->on_id(kDispIdValue).get(L"PC042");
  host->property(L"Reachable", true);
  host->property(L"MACAddr");
  host->property(L"UnlocksEnabled", int16_t{-1});
  host->on(L"TZBias").get(int16_t{-60});
  host->on(L"time").get(Variant());
  const Computer computer(host);

  EXPECT_EQ(computer.default_member(), L"PC042");
  computer.set_reachable(false);
  EXPECT_FALSE(computer.reachable());
  computer.set_mac_addr(L"00-0C-29-12-34-56");
  EXPECT_TRUE(computer.unlocks_enabled());  // any non-zero value
  EXPECT_EQ(computer.tz_bias(), -60);
  EXPECT_TRUE(computer.time().is_empty());  // the callers test for an empty answer

  EXPECT_EQ(host->value(L"Reachable"), Variant(false));
  EXPECT_EQ(host->value(L"MACAddr"), Variant(L"00-0C-29-12-34-56"));
  EXPECT_EQ(host->trace(), (Trace{L"get Computer.#0", L"let Computer.Reachable = False",
                                  L"get Computer.Reachable", L"let Computer.MACAddr = \"00-0C-29-12-34-56\"",
                                  L"get Computer.UnlocksEnabled", L"get Computer.TZBias",
                                  L"get Computer.time"}));
}

TEST(ComputerFacade, NameLookupsTreatErrorNothingAndEmptyAsNotFound) {
  auto host = std::make_shared<FakeDispatch>(L"Computer");
  auto users = host->sibling(L"Users"), jdoe = host->sibling(L"jdoe");
  auto groups = host->sibling(L"Groups"), guests = host->sibling(L"Guests");
  host->on(L"Users").get(users);
  host->on(L"LocalLocalGroups").get(groups);
  users->items({{L"jdoe", DispatchPtr(jdoe)}});  // raises 5 for other names
  jdoe->on(L"GetUserInformation").call(Variant());
  groups->on(L"Item", kDispIdValue).get([&](std::span<Argument> args) {
    if (args[0].value == Variant(L"Guests")) return Variant(DispatchPtr(guests));
    if (args[0].value == Variant(L"Raise")) throw Error(-2147352567, L"Item not found");
    return args[0].value == Variant(L"Empty") ? Variant() : Variant(DispatchPtr());
  });
  guests->on(L"GetDescription").call(L"Guest accounts");
  const Computer computer(host);

  const Users computer_users = computer.users();
  const std::optional<User> user = computer_users.find(L"jdoe");
  ASSERT_TRUE(user);
  user->get_user_information(3);
  EXPECT_FALSE(computer_users.find(L"nobody"));
  const Groups local = computer.local_local_groups();
  EXPECT_FALSE(local.find(L"Nothing"));
  EXPECT_FALSE(local.find(L"Empty"));
  EXPECT_FALSE(local.find(L"Raise"));  // whatever number the host raises
  ASSERT_TRUE(local.find(L"Guests"));
  EXPECT_EQ(local.find(L"Guests")->get_description(), L"Guest accounts");

  EXPECT_EQ(host->log().calls()[1], (Call{L"Users", L"Item", kRead, {L"jdoe"}}));
  EXPECT_EQ(host->log().calls()[2], (Call{L"jdoe", L"GetUserInformation", kMethod, {int16_t{3}}}));
  EXPECT_EQ(host->trace().back(), L"call Guests.GetDescription");
}

TEST(ComputerFacade, PositionsAndOtherFailuresAreNotLookups) {
  auto host = std::make_shared<FakeDispatch>(L"Computer");
  auto sessions = host->sibling(L"Sessions"), session = host->sibling(L"Session"), ipc = host->sibling(L"IPC");
  host->on(L"LoggedOnUsers").get(sessions);
  host->on(L"Resources").get(ipc);
  host->on(L"Users").raise(Error(70, L"Permission denied"));
  host->on(L"LocalGroups").get(Variant(DispatchPtr()));
  bool by_ref = false;
  sessions->on(L"Item", kDispIdValue).get([&](std::span<Argument> args) {
    by_ref = args[0].by_ref;
    if (args[0].value == Variant(int32_t{2})) return Variant(DispatchPtr(session));
    throw Error::vb(vb_error::kInvalidProcedureCall);
  });
  session->on(L"Domain").get(L"SALES");
  ipc->on(L"UnMap").call(Variant());
  const Computer computer(host);

  EXPECT_EQ(computer.logged_on_users().item(2).domain(), L"SALES");
  EXPECT_TRUE(by_ref);  // as VB hands over its loop variable
  EXPECT_EQ(error_number([&] { computer.logged_on_users().item(3); }), vb_error::kInvalidProcedureCall);
  EXPECT_EQ(error_number([&] { computer.users(); }), 70);
  EXPECT_EQ(error_number([&] { computer.local_groups(); }), vb_error::kObjectVariableNotSet);
  EXPECT_EQ(error_number([] { Computer{DispatchPtr()}; }), vb_error::kObjectVariableNotSet);
  computer.resources(L"IPC$").unmap(true);

  EXPECT_EQ(host->log().calls()[1], (Call{L"Sessions", L"Item", kRead, {int32_t{2}}}));
  const Trace trace = host->trace();
  EXPECT_EQ(Trace(trace.end() - 2, trace.end()),
            (Trace{L"get Computer.Resources(\"IPC$\")", L"call IPC.UnMap(True)"}));
}

}  // namespace
}  // namespace pendrel
