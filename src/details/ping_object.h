// Ping1, the ping control of the details window: our own object with the
// members and dispatch ids the window calls (outside/controls.h, ping_id). It
// resolves names and sends echo requests through an EchoTransport; Windows:
// platform/win32/details/echo_transport.h. In pendrel.dll the host controls'
// maker creates it for the control named "Ping1" and passes its events to that
// control's fire_event.
//
// Members:
//   PingSetting (2, number, read/write): the time-out of each echo request in
//     seconds, 5 unless written (the window writes 5). Values below 1 wait
//     1 second, values above 60 wait 60 seconds.
//   PingCount (5, number, read/write): echo requests StartPing sends, 3 unless
//     written; a count below 1 sends none.
//   PingHost (6, text, read/write): the host StartPing pings.
//   PingAddress (7, text, read): the address of the last host resolved, the
//     one the replies come from; "" before any resolve and after one that
//     failed.
//   PingFullName (8, text, read): the full name of that host, "" likewise.
//   StartPing (11, method): resolves PingHost, then sends PingCount echo
//     requests one after the other, each as soon as the previous one was
//     answered or timed out (no pause between them, unlike a console ping).
//   ResolveHost (12, method, one text, returns text): resolves the name; on
//     success fills PingAddress and PingFullName and returns the address text
//     ("127.0.0.1"); when the name does not resolve returns "Error = 2".
// Any other kind of call raises 438.
//
// Events, fired on the calling thread while StartPing runs, in order:
//   ReplyReceived(Int32 ms): one per echo reply, with its round-trip time.
//   StatusMessage(Int32 number, Text message): every other outcome of an
//     echo request; the number is the transport's status code and the text is
//     "Request timed out.", "Destination host unreachable.", "Destination net
//     unreachable." or "Transmit failed. Error = <number>.". A PingHost that
//     does not resolve (an empty one included) sends nothing and gives one
//     StatusMessage(2, "Ping request could not find host <PingHost>. Error = 2").
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/dispatch.h"

namespace pendrel::details {

struct ResolvedHost {
  std::wstring address;    // dotted IPv4 text
  std::wstring full_name;  // the canonical name of the host
};

enum class EchoOutcome { Reply, TimedOut, HostUnreachable, NetworkUnreachable, Failed };

struct EchoResult {
  EchoOutcome outcome = EchoOutcome::Failed;
  int32_t round_trip_ms = 0;  // for a reply
  int32_t status = 0;         // the transport's status code, shown with any other outcome
};

// Name resolution and echo requests, IPv4 only.
class EchoTransport {
 public:
  virtual ~EchoTransport() = default;
  // Nothing when the name does not resolve.
  virtual std::optional<ResolvedHost> resolve(const std::wstring& host) = 0;
  // One echo request to `address` (as resolve gave it), waiting at most
  // timeout_ms for the reply.
  virtual EchoResult echo(const std::wstring& address, uint32_t timeout_ms) = 0;
};

class PingObject : public Dispatch {
 public:
  using EventSink = std::function<void(std::wstring_view event, std::span<Variant> args)>;

  // What ResolveHost returns for a name that does not resolve.
  static constexpr std::wstring_view kNotResolved = L"Error = 2";

  explicit PingObject(std::shared_ptr<EchoTransport> transport);

  // Where the events go; without a sink they are dropped.
  void set_event_sink(EventSink sink) { sink_ = std::move(sink); }

  void start_ping();
  std::wstring resolve_host(const std::wstring& host);

  DispId id_of(std::wstring_view name) override;
  Variant invoke(DispId id, InvokeKind kind, std::span<Argument> args) override;

 private:
  void fire(std::wstring_view event, std::span<Variant> args) const;
  void status_message(int32_t number, std::wstring text) const;

  std::shared_ptr<EchoTransport> transport_;
  EventSink sink_;
  int32_t setting_ = 5;
  int32_t count_ = 3;
  std::wstring host_;
  std::wstring address_;
  std::wstring full_name_;
};

}  // namespace pendrel::details
