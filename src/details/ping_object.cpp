#include "details/ping_object.h"

#include <algorithm>
#include <array>
#include <utility>

#include "core/error.h"
#include "core/text.h"
#include "outside/controls.h"

namespace pendrel::details {
namespace {

// The status number of a name that does not resolve, the number of the
// "Error = 2" that ResolveHost returns.
constexpr int32_t kHostNotFound = 2;

// Bounds of one echo's time-out, in seconds.
constexpr int32_t kShortestWait = 1;
constexpr int32_t kLongestWait = 60;

const std::array<std::pair<std::wstring_view, DispId>, 7> kMembers = {{
    {L"PingSetting", outside::ping_id::kPingSetting},
    {L"PingCount", outside::ping_id::kPingCount},
    {L"PingHost", outside::ping_id::kPingHost},
    {L"PingAddress", outside::ping_id::kPingAddress},
    {L"PingFullName", outside::ping_id::kPingFullName},
    {L"StartPing", outside::ping_id::kStartPing},
    {L"ResolveHost", outside::ping_id::kResolveHost},
}};

std::wstring outcome_text(const EchoResult& result) {
  switch (result.outcome) {
    case EchoOutcome::TimedOut: return L"Request timed out.";
    case EchoOutcome::HostUnreachable: return L"Destination host unreachable.";
    case EchoOutcome::NetworkUnreachable: return L"Destination net unreachable.";
    default: return L"Transmit failed. Error = " + std::to_wstring(result.status) + L".";
  }
}

}  // namespace

PingObject::PingObject(std::shared_ptr<EchoTransport> transport) : transport_(std::move(transport)) {}

void PingObject::fire(std::wstring_view event, std::span<Variant> args) const {
  if (sink_) sink_(event, args);
}

void PingObject::status_message(int32_t number, std::wstring text) const {
  std::array<Variant, 2> args = {Variant(number), Variant(std::move(text))};
  fire(L"StatusMessage", args);
}

std::wstring PingObject::resolve_host(const std::wstring& host) {
  // An empty name would resolve to this computer; no one means to ping that.
  std::optional<ResolvedHost> resolved;
  if (!trim_spaces(host).empty()) resolved = transport_->resolve(host);
  if (!resolved) {
    address_.clear();
    full_name_.clear();
    return std::wstring(kNotResolved);
  }
  address_ = std::move(resolved->address);
  full_name_ = std::move(resolved->full_name);
  return address_;
}

void PingObject::start_ping() {
  // PingHost as it was when the ping started: an event handler may write it.
  const std::wstring host = host_;
  if (resolve_host(host) == kNotResolved) {
    status_message(kHostNotFound, L"Ping request could not find host " + host + L". Error = 2");
    return;
  }
  const std::wstring address = address_;
  const auto timeout_ms = static_cast<uint32_t>(std::clamp(setting_, kShortestWait, kLongestWait) * 1000);
  const int32_t count = count_;
  for (int32_t i = 0; i < count; ++i) {
    const EchoResult result = transport_->echo(address, timeout_ms);
    if (result.outcome == EchoOutcome::Reply) {
      std::array<Variant, 1> args = {Variant(result.round_trip_ms)};
      fire(L"ReplyReceived", args);
    } else {
      status_message(result.status, outcome_text(result));
    }
  }
}

DispId PingObject::id_of(std::wstring_view name) {
  for (const auto& [member, id] : kMembers)
    if (equal_no_case(member, name)) return id;
  throw Error::vb(vb_error::kObjectDoesNotSupportMember);
}

Variant PingObject::invoke(DispId id, InvokeKind kind, std::span<Argument> args) {
  namespace ids = outside::ping_id;
  const bool put = kind == InvokeKind::PropertyPut && args.size() == 1;
  const bool read = has_kind(kind, InvokeKind::PropertyGet) && args.empty();
  const bool method = has_kind(kind, InvokeKind::Method);
  if (put) {
    const Variant& value = args.back().value;
    switch (id) {
      case ids::kPingSetting: setting_ = value.to_long(); return {};
      case ids::kPingCount: count_ = value.to_long(); return {};
      case ids::kPingHost: host_ = value.to_text(); return {};
      default: break;
    }
  } else if (read) {
    switch (id) {
      case ids::kPingSetting: return setting_;
      case ids::kPingCount: return count_;
      case ids::kPingHost: return host_;
      case ids::kPingAddress: return address_;
      case ids::kPingFullName: return full_name_;
      default: break;
    }
  }
  if (method && id == ids::kStartPing && args.empty()) {
    start_ping();
    return {};
  }
  if (method && id == ids::kResolveHost && args.size() == 1) return resolve_host(args[0].value.to_text());
  throw Error::vb(vb_error::kObjectDoesNotSupportMember);
}

}  // namespace pendrel::details
