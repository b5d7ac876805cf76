// Ping1, the ping control of the details window, reached as the window reaches
// it (by dispatch id through outside::PingControl) over a scripted transport:
// the events StartPing fires, their order and arguments, and name resolution.
#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "details/ping_object.h"
#include "outside/controls.h"
#include "raised.h"

namespace pendrel::details {
namespace {

using Lines = std::vector<std::wstring>;

// PC042 resolves to 10.0.0.7; each echo gives the next scripted result.
struct ScriptedTransport : EchoTransport {
  std::map<std::wstring, ResolvedHost> hosts = {{L"PC042", {L"10.0.0.7", L"pc042.sales.example"}}};
  std::deque<EchoResult> results;
  Lines calls;

  std::optional<ResolvedHost> resolve(const std::wstring& host) override {
    calls.push_back(L"resolve " + host);
    const auto found = hosts.find(host);
    if (found == hosts.end()) return std::nullopt;
    return found->second;
  }
  EchoResult echo(const std::wstring& address, uint32_t timeout_ms) override {
    calls.push_back(L"echo " + address + L" " + std::to_wstring(timeout_ms));
    const EchoResult result = results.front();
    results.pop_front();
    return result;
  }
};

EchoResult reply(int32_t ms) { return {EchoOutcome::Reply, ms, 0}; }

struct PingTest : ::testing::Test {
  std::shared_ptr<ScriptedTransport> transport = std::make_shared<ScriptedTransport>();
  std::shared_ptr<PingObject> object = std::make_shared<PingObject>(transport);
  outside::PingControl ping{object};
  Lines events;

  PingTest() {
    object->set_event_sink([this](std::wstring_view event, std::span<Variant> args) {
      std::wstring line(event);
      for (const Variant& arg : args)
        line += (arg.kind() == Variant::Kind::Int32 ? L" " : L" '") + arg.to_text() +
                (arg.kind() == Variant::Kind::Int32 ? L"" : L"'");
      events.push_back(line);
    });
  }
};

TEST_F(PingTest, MembersAnswerByNameAndIdWithTheirDefaults) {
  const std::pair<const wchar_t*, DispId> members[] = {
      {L"PingSetting", 2}, {L"pingcount", 5}, {L"PingHost", 6},    {L"PingAddress", 7},
      {L"PingFullName", 8}, {L"StartPing", 11}, {L"RESOLVEHOST", 12}};
  for (const auto& [name, id] : members) EXPECT_EQ(object->id_of(name), id) << name;
  EXPECT_EQ(error_number([&] { object->id_of(L"Ping"); }), 438);

  EXPECT_EQ(object->get(outside::ping_id::kPingSetting), Variant(5));
  EXPECT_EQ(ping.ping_count(), 3);
  EXPECT_EQ(ping.ping_host(), L"");
  EXPECT_EQ(ping.ping_address(), L"");
  EXPECT_EQ(ping.ping_full_name(), L"");
}

TEST_F(PingTest, ThreeRepliesGiveThreeReplyReceivedInOrder) {
  transport->results = {reply(1), reply(0), reply(12)};
  ping.set_ping_host(L"PC042");
  ping.set_ping_count(3);
  ping.set_ping_setting(5);
  ping.start_ping();
  EXPECT_EQ(events, (Lines{L"ReplyReceived 1", L"ReplyReceived 0", L"ReplyReceived 12"}));
  EXPECT_EQ(transport->calls,
            (Lines{L"resolve PC042", L"echo 10.0.0.7 5000", L"echo 10.0.0.7 5000", L"echo 10.0.0.7 5000"}));
  EXPECT_EQ(ping.ping_host(), L"PC042");
  EXPECT_EQ(ping.ping_address(), L"10.0.0.7");
  EXPECT_EQ(ping.ping_full_name(), L"pc042.sales.example");
}

TEST_F(PingTest, OtherOutcomesAreStatusMessages) {
  transport->results = {{EchoOutcome::TimedOut, 0, 11010},
                        reply(4),
                        {EchoOutcome::HostUnreachable, 0, 11003},
                        {EchoOutcome::NetworkUnreachable, 0, 11002},
                        {EchoOutcome::Failed, 0, 11050}};
  ping.set_ping_host(L"PC042");
  ping.set_ping_count(5);
  ping.start_ping();
  EXPECT_EQ(events, (Lines{L"StatusMessage 11010 'Request timed out.'", L"ReplyReceived 4",
                           L"StatusMessage 11003 'Destination host unreachable.'",
                           L"StatusMessage 11002 'Destination net unreachable.'",
                           L"StatusMessage 11050 'Transmit failed. Error = 11050.'"}));
}

TEST_F(PingTest, PingSettingIsTheTimeOutInSecondsAndPingCountTheEchoes) {
  const struct {
    int16_t setting, count;
    Lines echoes;
  } cases[] = {
      {1, 2, {L"echo 10.0.0.7 1000", L"echo 10.0.0.7 1000"}},
      {0, 1, {L"echo 10.0.0.7 1000"}},
      {-3, 1, {L"echo 10.0.0.7 1000"}},
      {61, 1, {L"echo 10.0.0.7 60000"}},
      {5, 0, {}},
      {5, -1, {}},
  };
  ping.set_ping_host(L"PC042");
  for (const auto& c : cases) {
    transport->calls.clear();
    events.clear();
    transport->results = {reply(1), reply(1)};
    ping.set_ping_setting(c.setting);
    ping.set_ping_count(c.count);
    ping.start_ping();
    Lines expected{L"resolve PC042"};
    expected.insert(expected.end(), c.echoes.begin(), c.echoes.end());
    EXPECT_EQ(transport->calls, expected) << c.setting << " " << c.count;
    EXPECT_EQ(events.size(), c.echoes.size());
    EXPECT_EQ(object->get(outside::ping_id::kPingSetting), Variant(int32_t{c.setting}));
  }
}

TEST_F(PingTest, AHostThatDoesNotResolveSendsNothing) {
  ping.resolve_host(L"PC042");
  const std::pair<std::wstring, Lines> cases[] = {
      {L"NOWHERE.invalid", {L"resolve NOWHERE.invalid"}},
      {L"", {}},
      {L"  ", {}},
  };
  for (const auto& [host, calls] : cases) {
    transport->calls.clear();
    events.clear();
    ping.set_ping_host(host);
    ping.start_ping();
    EXPECT_EQ(events, Lines{L"StatusMessage 2 'Ping request could not find host " + host + L". Error = 2'"});
    EXPECT_EQ(transport->calls, calls);
    EXPECT_EQ(ping.ping_address(), L"");
    EXPECT_EQ(ping.ping_full_name(), L"");
  }
}

TEST_F(PingTest, ResolveHostFillsAddressAndFullNameOrSaysErrorTwo) {
  ping.set_ping_host(L"CONSOLE1");
  EXPECT_EQ(ping.resolve_host(L"PC042"), L"10.0.0.7");
  EXPECT_EQ(ping.ping_address(), L"10.0.0.7");
  EXPECT_EQ(ping.ping_full_name(), L"pc042.sales.example");

  EXPECT_EQ(ping.resolve_host(L"NOWHERE.invalid"), L"Error = 2");
  EXPECT_EQ(ping.ping_address(), L"");
  EXPECT_EQ(ping.ping_full_name(), L"");
  EXPECT_EQ(ping.ping_host(), L"CONSOLE1");
  EXPECT_TRUE(events.empty());
}

TEST_F(PingTest, OtherKindsOfCallRaise438) {
  namespace ids = outside::ping_id;
  const std::function<void()> calls[] = {
      [&] { object->let(ids::kPingAddress, L"10.0.0.8"); },
      [&] { object->let(ids::kPingFullName, L"x"); },
      [&] { object->let(ids::kStartPing, 1); },
      [&] { object->call(ids::kResolveHost); },
      [&] { object->call(ids::kResolveHost, {L"PC042", L"more"}); },
      [&] { object->call(ids::kStartPing, {L"PC042"}); },
      [&] { object->get(ids::kPingHost, {1}); },
      [&] { object->get(3); },
  };
  for (size_t i = 0; i < std::size(calls); ++i) EXPECT_EQ(error_number(calls[i]), 438) << "call " << i;
  EXPECT_TRUE(transport->calls.empty());
}

}  // namespace
}  // namespace pendrel::details
