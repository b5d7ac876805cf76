#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <ostream>
#include <string>

#include "fake_dispatch.h"
#include "outside/computer.h"
#include "outside/controls.h"
#include "outside/domain_object.h"
#include "outside/tavisk.h"
#include "raised.h"

namespace pendrel {
// Calls print as the fake's trace line with the kind of each argument, so a
// failure shows what the host received.
namespace fakes {
inline void PrintTo(const Call& c, std::ostream* os) {
  CallLog log;
  log.add(c);
  *os << to_ansi(log.trace()[0]) << " kinds";
  for (const Variant& a : c.args) *os << ' ' << static_cast<int>(a.kind());
}
}  // namespace fakes

namespace {

using namespace outside;
using fakes::Call;
using fakes::FakeDispatch;
using Trace = std::vector<std::wstring>;
constexpr InvokeKind kRead = InvokeKind::Method | InvokeKind::PropertyGet;
constexpr InvokeKind kMethod = InvokeKind::Method;
constexpr InvokeKind kPut = InvokeKind::PropertyPut;

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

TEST(DomainObjectFacade, DomainsHandOutTheDomainAndItsCollections) {
  auto host = std::make_shared<FakeDispatch>(L"DomainObject");
  auto sales = host->sibling(L"SALES"), global = host->sibling(L"GlobalGroups"), users = host->sibling(L"Users");
  auto admins = host->sibling(L"Domain Admins");
  host->on(L"Domains").get([&](std::span<Argument> args) {
    if (args[0].value == Variant(L"SALES")) return Variant(DispatchPtr(sales));
    throw Error::vb(vb_error::kInvalidProcedureCall);
  });
  host->on(L"RemNull").call(L"Office");
  sales->on(L"Count").get(int32_t{0});
  sales->on(L"GetGroups").call(Variant());
  sales->on(L"GlobalGroups").get(global);
  sales->on(L"Users").get(users);
  global->items({{L"Domain Admins", DispatchPtr(admins)}});
  users->items({});
  users->on(L"GetItems").call(Variant());
  const DomainObject domain_object(host);

  const std::wstring with_nuls(L"Office\0\0", 8);
  EXPECT_EQ(domain_object.rem_null(with_nuls), L"Office");
  EXPECT_EQ(host->log().calls()[0].args, std::vector<Variant>{with_nuls});
  const Domain domain = domain_object.domains(L"SALES");
  EXPECT_EQ(domain.count(), 0);
  domain.get_groups();
  EXPECT_TRUE(domain.global_groups().find(L"Domain Admins"));
  domain.users().get_items();
  EXPECT_FALSE(domain.users().find(L"jdoe"));
  // Only item lookups mean "not found"; an unknown domain fails in Domains.
  EXPECT_EQ(error_number([&] { domain_object.domains(L"NOWHERE"); }), vb_error::kInvalidProcedureCall);

  const Trace trace = host->trace();
  EXPECT_EQ(Trace(trace.begin() + 1, trace.end()),
            (Trace{
                L"get DomainObject.Domains(\"SALES\")", L"get SALES.Count", L"call SALES.GetGroups",
                L"get SALES.GlobalGroups", L"get GlobalGroups.Item(\"Domain Admins\")", L"get SALES.Users",
                L"call Users.GetItems", L"get SALES.Users", L"get Users.Item(\"jdoe\")",
                L"get DomainObject.Domains(\"NOWHERE\")"}));
}

// The fakes know these members by id only: asking for a name would fail (438).
TEST(ControlFacades, MembersGoToTheirDispatchIdsWithTheirKinds) {
  auto ping = std::make_shared<FakeDispatch>(L"Ping1");
  for (DispId id : {2, 5, 6}) ping->on_id(id).let(Variant());
  ping->on_id(5).get(int16_t{3});
  ping->on_id(7).get(L"10.0.0.7");
  ping->on_id(8).get(L"pc042.sales.example");
  ping->on_id(11).call(Variant());
  ping->on_id(12).call(L"Error = 2");
  auto kestrow = std::make_shared<FakeDispatch>(L"Kestrow1");
  for (DispId id : {1, 2, 3, 5}) kestrow->on_id(id).let(Variant());
  kestrow->on_id(4).get(L"SALES\\jdoe;PC042\\Administrators");
  kestrow->on_id(8).call(int16_t{1});

  const PingControl ping_control(ping);
  ping_control.set_ping_host(L"PC042");
  ping_control.set_ping_count(3);
  ping_control.set_ping_setting(5);
  EXPECT_EQ(ping_control.ping_count(), 3);
  ping_control.start_ping();
  EXPECT_EQ(ping_control.ping_address(), L"10.0.0.7");
  EXPECT_EQ(ping_control.resolve_host(L"PC042"), L"Error = 2");
  EXPECT_EQ(ping_control.ping_full_name(), L"pc042.sales.example");
  const KestrowControl browse(kestrow);
  browse.set_target_computer(L"\\\\PC042");
  browse.set_owner_window(0x000A0B2C);
  browse.set_options(71);
  browse.set_title(L"Select Users/Groups to watch for Logons");
  EXPECT_EQ(browse.show_browse(), 1);
  EXPECT_EQ(browse.selection(), L"SALES\\jdoe;PC042\\Administrators");

  EXPECT_EQ(ping->log().calls(),
            (std::vector<Call>{{L"Ping1", L"#6", kPut, {L"PC042"}}, {L"Ping1", L"#5", kPut, {int16_t{3}}},
                               {L"Ping1", L"#2", kPut, {int16_t{5}}}, {L"Ping1", L"#5", kRead, {}},
                               {L"Ping1", L"#11", kMethod, {}}, {L"Ping1", L"#7", kRead, {}},
                               {L"Ping1", L"#12", kMethod, {L"PC042"}}, {L"Ping1", L"#8", kRead, {}}}));
  EXPECT_EQ(kestrow->log().calls(),
            (std::vector<Call>{{L"Kestrow1", L"#5", kPut, {L"\\\\PC042"}},
                               {L"Kestrow1", L"#3", kPut, {int32_t{0x000A0B2C}}},
                               {L"Kestrow1", L"#1", kPut, {int32_t{71}}},
                               {L"Kestrow1", L"#2", kPut, {L"Select Users/Groups to watch for Logons"}},
                               {L"Kestrow1", L"#8", kMethod, {}}, {L"Kestrow1", L"#4", kRead, {}}}));
  kestrow->on_id(8).raise(Error(7, L"Out of memory"));
  EXPECT_EQ(error_number([&] { browse.show_browse(); }), 7);
  EXPECT_EQ(error_number([] { PingControl{DispatchPtr()}; }), vb_error::kObjectVariableNotSet);
}

// RawTavisk against fake entry points: what reaches the library and what
// comes back from its buffers.
// What the fakes received, and what the user fake writes.
struct Recorded {
  std::string server, machine, key, hive_file;
  int32_t root = 0;
  bool buffers_were_nul = false;
  std::string user_bytes;     // copied into buffer 2 as they are, NULs included
  std::string account_bytes;  // copied into buffer 3
  int32_t status = 0;
};
Recorded recorded;

bool all_nul(const char* buffer) {
  return std::all_of(buffer, buffer + kTaviskBufferSize, [](char c) { return c == '\0'; });
}

int32_t fake_user(const char* server, char* user, char* account) {
  recorded.server = server;
  recorded.buffers_were_nul = all_nul(user) && all_nul(account);
  std::memcpy(user, recorded.user_bytes.data(), recorded.user_bytes.size());
  std::memcpy(account, recorded.account_bytes.data(), recorded.account_bytes.size());
  return recorded.status;
}

int32_t fake_load(const char* machine, int32_t root, const char* key, const char* hive_file) {
  recorded.machine = machine;
  recorded.root = root;
  recorded.key = key;
  recorded.hive_file = hive_file;
  return recorded.status;
}

int32_t fake_unload(const char* machine, int32_t root, const char* key) { return fake_load(machine, root, key, ""); }

class RawTaviskTest : public ::testing::Test {
 protected:
  void SetUp() override { recorded = Recorded{}; }
  RawTavisk tavisk{{&fake_user, &fake_load, &fake_unload}};
};

TEST_F(RawTaviskTest, ConsoleUserBuffersKeepTheTextBeforeTheirFirstNul) {
  recorded.user_bytes = std::string("bob\0left over", 14);
  recorded.account_bytes = std::string("CORP\\bob\0\xff\xff", 11);
  std::wstring user, account;
  EXPECT_EQ(tavisk.NetGetInteractiveUser(L"\\\\PC\u00e9", user, account), 0);
  EXPECT_EQ(recorded.server, "\\\\PC\xe9");
  EXPECT_EQ(user + L"|" + account, L"bob|CORP\\bob");

  // A library that fills a buffer to its end leaves no NUL: all 50 count.
  recorded.user_bytes = std::string(kTaviskBufferSize - 1, 'u') + "\xe9";
  recorded.account_bytes = std::string(kTaviskBufferSize, 'a');
  EXPECT_EQ(tavisk.NetGetInteractiveUser(L"\\\\PC", user, account), 0);
  EXPECT_EQ(user, std::wstring(kTaviskBufferSize - 1, L'u') + L"\u00e9");
  EXPECT_EQ(account, std::wstring(kTaviskBufferSize, L'a'));

  // A failed look-up that writes nothing gets freshly cleared buffers and
  // leaves nothing of the previous call.
  recorded.user_bytes.clear();
  recorded.account_bytes.clear();
  recorded.status = 53;
  EXPECT_EQ(tavisk.NetGetInteractiveUser(L"\\\\PC", user, account), 53);
  EXPECT_TRUE(recorded.buffers_were_nul);
  EXPECT_EQ(user + L"|" + account, L"|");
}

TEST_F(RawTaviskTest, HiveCallsPassTheirTextsInAnsiAndTheStatusBack) {
  recorded.status = 1017;
  EXPECT_EQ(tavisk.NetRegLoadKey(L"PC\u00e9", kTaviskLocalMachine, L"QM", L"C:\\WINNT\\system.dbx"), 1017);
  EXPECT_EQ(recorded.machine + "|" + recorded.key + "|" + recorded.hive_file, "PC\xe9|QM|C:\\WINNT\\system.dbx");
  EXPECT_EQ(recorded.root, static_cast<int32_t>(0x80000002u));

  recorded = Recorded{};
  recorded.status = 5;
  EXPECT_EQ(tavisk.NetRegUnLoadKey(L"OTHER", kTaviskLocalMachine, L"QM"), 5);
  EXPECT_EQ(recorded.machine + "|" + recorded.key, "OTHER|QM");
  EXPECT_EQ(recorded.root, static_cast<int32_t>(0x80000002u));
}

}  // namespace
}  // namespace pendrel
