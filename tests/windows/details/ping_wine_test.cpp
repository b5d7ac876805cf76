// Ping1 over the Windows transport under Wine, on loopback only: 127.0.0.1 and
// PC042 (127.0.0.1 in the hosts file) answer; a name under .invalid does not.
#include <windows.h>

#include <gtest/gtest.h>

#include "core/text.h"
#include "outside/controls.h"
#include "platform/win32/details/echo_transport.h"

namespace pendrel::win32 {
namespace {

// Under .invalid, and with a label longer than the 63 characters a name may
// have, so that the resolver refuses it without asking a name server.
const std::wstring kNowhere = std::wstring(64, L'x') + L".invalid";

TEST(PingWine, LoopbackAnswersEveryEchoAndInvalidNamesDoNotResolve) {
  auto object = std::make_shared<details::PingObject>(std::make_shared<Win32EchoTransport>());
  std::vector<std::pair<std::string, std::vector<Variant>>> events;
  object->set_event_sink([&](std::wstring_view event, std::span<Variant> args) {
    events.emplace_back(to_ansi(event), std::vector<Variant>(args.begin(), args.end()));
  });
  const outside::PingControl ping(object);
  for (const wchar_t* host : {L"127.0.0.1", L"PC042"}) {
    SCOPED_TRACE(to_ansi(host));
    events.clear();
    ping.set_ping_host(host);
    ping.start_ping();
    ASSERT_EQ(events.size(), 3u);
    for (const auto& [name, args] : events) {
      EXPECT_EQ(name, "ReplyReceived") << to_ansi(args.back().to_text());
      EXPECT_EQ(args[0].kind(), Variant::Kind::Int32);
      EXPECT_LT(static_cast<uint32_t>(args[0].to_long()), 5000u);
    }
    EXPECT_EQ(to_ansi(ping.ping_address()), "127.0.0.1");
  }
  EXPECT_EQ(to_ansi(ping.resolve_host(L"PC042")), "127.0.0.1");
  EXPECT_EQ(to_ansi(ping.ping_full_name()), "PC042");
  EXPECT_EQ(to_ansi(ping.resolve_host(kNowhere)), "Error = 2");

  events.clear();
  ping.set_ping_host(kNowhere);
  ping.start_ping();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].first + " " + to_ansi(events[0].second[0].to_text() + L" " + events[0].second[1].to_text()),
            "StatusMessage 2 " + to_ansi(L"Ping request could not find host " + kNowhere + L". Error = 2"));
}

}  // namespace
}  // namespace pendrel::win32
