// Ping1 over the Windows echo transport under Wine, on loopback only: the
// literal address and PC042 (mapped to 127.0.0.1 in the hosts file) answer
// three echoes each; a name under .invalid does not resolve.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/text.h"
#include "details/ping_object.h"
#include "outside/controls.h"
#include "platform/win32/details/echo_transport.h"

namespace pendrel::win32 {
namespace {

struct Event {
  std::wstring name;
  std::vector<Variant> args;
};

struct PingWine : ::testing::Test {
  std::shared_ptr<details::PingObject> object =
      std::make_shared<details::PingObject>(std::make_shared<Win32EchoTransport>());
  outside::PingControl ping{object};
  std::vector<Event> events;

  PingWine() {
    object->set_event_sink([this](std::wstring_view event, std::span<Variant> args) {
      events.push_back({std::wstring(event), {args.begin(), args.end()}});
    });
  }
};

TEST_F(PingWine, LoopbackAnswersThreeEchoes) {
  for (const wchar_t* host : {L"127.0.0.1", L"PC042"}) {
    SCOPED_TRACE(testing::Message() << "host " << to_ansi(host));
    events.clear();
    ping.set_ping_host(host);
    ping.set_ping_count(3);
    ping.set_ping_setting(5);
    const DWORD started = GetTickCount();
    ping.start_ping();
    EXPECT_LT(GetTickCount() - started, 5000u) << "loopback echoes should not wait for a time-out";
    ASSERT_EQ(events.size(), 3u);
    for (const Event& e : events) {
      EXPECT_EQ(to_ansi(e.name), "ReplyReceived") << (e.args.size() > 1 ? to_ansi(e.args[1].to_text()) : "");
      ASSERT_EQ(e.args.size(), 1u);
      EXPECT_EQ(e.args[0].kind(), Variant::Kind::Int32);
      EXPECT_GE(e.args[0].to_long(), 0);
      EXPECT_LT(e.args[0].to_long(), 5000);
    }
    EXPECT_EQ(to_ansi(ping.ping_address()), "127.0.0.1");
  }
}

TEST_F(PingWine, ResolveHostOnLoopbackAndAnInvalidName) {
  EXPECT_EQ(to_ansi(ping.resolve_host(L"PC042")), "127.0.0.1");
  EXPECT_EQ(to_ansi(ping.ping_address()), "127.0.0.1");
  EXPECT_EQ(to_ansi(ping.ping_full_name()), "PC042");

  EXPECT_EQ(to_ansi(ping.resolve_host(L"nowhere.invalid")), "Error = 2");
  EXPECT_EQ(to_ansi(ping.ping_address()), "");

  ping.set_ping_host(L"nowhere.invalid");
  ping.start_ping();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(to_ansi(events[0].name), "StatusMessage");
  EXPECT_EQ(events[0].args[0], Variant(2));
  EXPECT_EQ(to_ansi(events[0].args[1].to_text()), "Ping request could not find host nowhere.invalid. Error = 2");
}

}  // namespace
}  // namespace pendrel::win32
