#include "outside/controls.h"

#include <gtest/gtest.h>

#include "outside_test_support.h"

namespace pendrel {
namespace {

using namespace outside_test;

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

}  // namespace
}  // namespace pendrel
