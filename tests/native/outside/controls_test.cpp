#include "outside/controls.h"

#include <gtest/gtest.h>

#include "outside_test_support.h"

namespace pendrel {
namespace {

using fakes::Call;
using fakes::FakeDispatch;
using namespace outside;
using namespace outside_test;

// Members known by id only: a facade that asked for a name would fail with 438.
void accept_puts(FakeDispatch& control, std::initializer_list<DispId> ids) {
  for (DispId id : ids) control.on_id(id).let(Variant());
}

TEST(ControlFacades, PingMembersGoToTheirDispatchIds) {
  auto ping = std::make_shared<FakeDispatch>(L"Ping1");
  accept_puts(*ping, {2, 5, 6});
  ping->on_id(5).get(int16_t{3});
  ping->on_id(6).get(L"PC042");
  ping->on_id(7).get(L"10.0.0.7");
  ping->on_id(8).get(L"pc042.sales.example");
  ping->on_id(11).call(Variant());
  ping->on_id(12).call(L"Error = 2");
  const PingControl control(ping);

  control.set_ping_host(L"PC042");
  control.set_ping_count(3);
  control.set_ping_setting(5);
  EXPECT_EQ(control.ping_host(), L"PC042");
  EXPECT_EQ(control.ping_count(), 3);
  control.start_ping();
  EXPECT_EQ(control.ping_address(), L"10.0.0.7");
  EXPECT_EQ(control.resolve_host(L"PC042"), L"Error = 2");
  EXPECT_EQ(control.ping_full_name(), L"pc042.sales.example");

  const std::vector<Call> expected{
      {L"Ping1", L"#6", kPut, {L"PC042"}},        {L"Ping1", L"#5", kPut, {int16_t{3}}},
      {L"Ping1", L"#2", kPut, {int16_t{5}}},      {L"Ping1", L"#6", kRead, {}},
      {L"Ping1", L"#5", kRead, {}},               {L"Ping1", L"#11", kMethod, {}},
      {L"Ping1", L"#7", kRead, {}},               {L"Ping1", L"#12", kMethod, {L"PC042"}},
      {L"Ping1", L"#8", kRead, {}},
  };
  EXPECT_EQ(ping->log().calls(), expected);
}

TEST(ControlFacades, KestrowMembersGoToTheirDispatchIds) {
  auto kestrow = std::make_shared<FakeDispatch>(L"Kestrow1");
  accept_puts(*kestrow, {1, 2, 3, 5});
  kestrow->on_id(4).get(L"SALES\\jdoe;PC042\\Administrators");
  kestrow->on_id(8).call(int16_t{1});
  const KestrowControl control(kestrow);

  control.set_target_computer(L"\\\\PC042");
  control.set_owner_window(0x000A0B2C);
  control.set_options(71);
  control.set_title(L"Select Users/Groups to watch for Logons");
  EXPECT_EQ(control.show_browse(), 1);
  EXPECT_EQ(control.selection(), L"SALES\\jdoe;PC042\\Administrators");

  const std::vector<Call> expected{
      {L"Kestrow1", L"#5", kPut, {L"\\\\PC042"}},
      {L"Kestrow1", L"#3", kPut, {int32_t{0x000A0B2C}}},
      {L"Kestrow1", L"#1", kPut, {int32_t{71}}},
      {L"Kestrow1", L"#2", kPut, {L"Select Users/Groups to watch for Logons"}},
      {L"Kestrow1", L"#8", kMethod, {}},
      {L"Kestrow1", L"#4", kRead, {}},
  };
  EXPECT_EQ(kestrow->log().calls(), expected);
}

TEST(ControlFacades, ControlFailuresReachTheCaller) {
  auto kestrow = std::make_shared<FakeDispatch>(L"Kestrow1");
  kestrow->on_id(8).raise(Error(7, L"Out of memory"));
  try {
    KestrowControl(kestrow).show_browse();
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.number(), 7);
  }
  try {
    PingControl{DispatchPtr()};
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.number(), vb_error::kObjectVariableNotSet);
  }
}

}  // namespace
}  // namespace pendrel
