// Ping1 reached as the window reaches it, by dispatch id, over a scripted
// transport: the events of StartPing in order with their arguments.
#include <gtest/gtest.h>

#include <deque>
#include <memory>

#include "details/ping_object.h"
#include "outside/controls.h"

namespace pendrel::details {
namespace {

using Lines = std::vector<std::wstring>;

// Only PC042 resolves; each echo gives the next scripted result.
struct ScriptedTransport : EchoTransport {
  std::deque<EchoResult> results;
  Lines calls;
  std::optional<ResolvedHost> resolve(const std::wstring& host) override {
    calls.push_back(L"resolve " + host);
    if (host != L"PC042") return std::nullopt;
    return ResolvedHost{L"10.0.0.7", L"pc042.sales.example"};
  }
  EchoResult echo(const std::wstring& address, uint32_t timeout_ms) override {
    calls.push_back(L"echo " + address + L" " + std::to_wstring(timeout_ms));
    const EchoResult result = results.front();
    results.pop_front();
    return result;
  }
};

struct PingTest : ::testing::Test {
  std::shared_ptr<ScriptedTransport> transport = std::make_shared<ScriptedTransport>();
  std::shared_ptr<PingObject> object = std::make_shared<PingObject>(transport);
  outside::PingControl ping{object};
  Lines events;

  // "ReplyReceived 1", "StatusMessage 2 $text": $ marks a text argument.
  Lines run(const std::wstring& host, std::deque<EchoResult> results, int16_t count, int16_t setting = 5) {
    events.clear(), transport->calls.clear(), transport->results = std::move(results);
    object->set_event_sink([this](std::wstring_view event, std::span<Variant> args) {
      std::wstring line(event);
      for (const Variant& arg : args) line += (arg.kind() == Variant::Kind::Int32 ? L" " : L" $") + arg.to_text();
      events.push_back(line);
    });
    ping.set_ping_host(host), ping.set_ping_count(count), ping.set_ping_setting(setting), ping.start_ping();
    return events;
  }
};

TEST_F(PingTest, RepliesAndOtherOutcomesInOrderAndNamesThatDoNotResolve) {
  EXPECT_EQ(run(L"PC042", {{EchoOutcome::Reply, 1}, {EchoOutcome::Reply, 0}, {EchoOutcome::Reply, 12}}, 3),
            (Lines{L"ReplyReceived 1", L"ReplyReceived 0", L"ReplyReceived 12"}));
  EXPECT_EQ(transport->calls, (Lines{L"resolve PC042", L"echo 10.0.0.7 5000", L"echo 10.0.0.7 5000",
                                     L"echo 10.0.0.7 5000"}));
  EXPECT_EQ(ping.ping_host() + L" " + ping.ping_address() + L" " + ping.ping_full_name(),
            L"PC042 10.0.0.7 pc042.sales.example");

  EXPECT_EQ(run(L"PC042", {{EchoOutcome::TimedOut, 0, 11010}, {EchoOutcome::HostUnreachable, 0, 11003},
                           {EchoOutcome::NetworkUnreachable, 0, 11002}, {EchoOutcome::Failed, 0, 11050}}, 4),
            (Lines{L"StatusMessage 11010 $Request timed out.", L"StatusMessage 11003 $Destination host unreachable.",
                   L"StatusMessage 11002 $Destination net unreachable.",
                   L"StatusMessage 11050 $Transmit failed. Error = 11050."}));

  // Names that do not resolve.
  EXPECT_EQ(ping.resolve_host(L"NOWHERE.invalid"), L"Error = 2");
  for (const std::wstring host : {L"NOWHERE.invalid", L"", L"  "}) {
    EXPECT_EQ(run(host, {}, 3), Lines{L"StatusMessage 2 $Ping request could not find host " + host + L". Error = 2"});
    EXPECT_EQ(transport->calls, host == L"NOWHERE.invalid" ? Lines{L"resolve NOWHERE.invalid"} : Lines{});
  }
}

}  // namespace
}  // namespace pendrel::details
