#include "details/time_zone.h"

#include <cmath>
#include <cstdlib>
#include <utility>

#include "core/text.h"
#include "forms/label.h"

namespace pendrel::details {
namespace {

// Restores the window caption and the application's mouse pointer when the
// display ends, also when a host call fails on the way.
class BusyCaption {
 public:
  BusyCaption(forms::Form& form, forms::UserInterface& ui, std::wstring title)
      : form_(form), ui_(ui), title_(std::move(title)) {}
  BusyCaption(const BusyCaption&) = delete;
  BusyCaption& operator=(const BusyCaption&) = delete;
  void set_title(std::wstring title) { title_ = std::move(title); }
  ~BusyCaption() {
    form_.set_caption(title_);
    ui_.set_mouse_pointer(forms::mouse_pointer::kDefault);
  }

 private:
  forms::Form& form_;
  forms::UserInterface& ui_;
  std::wstring title_;
};

// The pattern "00": at least two digits, rounded to a whole number with
// halves away from zero as Format rounds, so a zone 5 1/2 hours off reads
// "06". The display has room for whole hours only.
std::wstring hours_text(int32_t bias) {
  const auto hours = static_cast<long long>(std::lround(std::abs(static_cast<double>(bias)) / 60.0));
  return (hours < 10 ? L"0" : L"") + std::to_wstring(hours);
}

// Steps 2 to 4 of the click: the remote zone behind Label2(0), unless the
// computer is this machine or shows no time.
void append_zone(FrmComputerDetails& window) {
  const outside::Computer computer = window.computer();
  const outside::DomainObject domain = window.domain_object();
  const std::wstring name = computer.name();
  const bool same_name = name == domain.this_computer_name();
  const std::wstring domain_name = computer.domain();
  const bool same_domain = domain_name == domain.this_domain_name();
  if (same_name && same_domain) return;

  forms::Label& shown = window.form().get<forms::Label>(L"Label2", 0);
  if (shown.caption().empty() && !window.IpcMapped) return;

  if (computer.tz_bias() == window.LocalTimeZone.Bias) {
    std::wstring text = shown.caption();
    const size_t bracket = text.find(L'(');
    if (bracket != std::wstring::npos) text.erase(bracket);
    shown.set_caption(text + window.TimeZoneSuffix);
    return;
  }
  // Each value is asked where the display needs it: TZBias again for the
  // bias, tz for a computer that reported none and once more for the sign.
  int32_t bias = computer.tz_bias();
  if (bias == outside::kNoTimeZoneBias) bias = computer.tz();
  const int32_t tz = computer.tz();
  std::wstring zone = L"(GMT)";
  if (tz > 0) zone = L"(GMT-" + hours_text(bias) + L":00)";
  if (tz < 0) zone = L"(GMT+" + hours_text(bias) + L":00)";
  shown.set_caption(shown.caption() + L" TZ -> " + zone);
}

}  // namespace

std::optional<Date> GetTransitionDate(const SystemTime& transition, Date now) {
  if (transition.wMonth == 0) return std::nullopt;
  DateParts date;
  date.hour = transition.wHour;
  date.minute = transition.wMinute;
  date.second = transition.wSecond;
  date.month = transition.wMonth;
  if (transition.wYear != 0) {
    date.year = transition.wYear;
    date.day = transition.wDay;
    return make_date(date);
  }
  date.year = to_parts(now).year;
  const int wanted = transition.wDayOfWeek % 7;
  if (transition.wDay >= 1 && transition.wDay <= 4) {
    date.day = 1;
    const int first_weekday = to_parts(make_date(date)).weekday;
    date.day = 1 + (wanted - first_weekday + 7) % 7 + 7 * (transition.wDay - 1);
  } else {
    // Day 5 is the last such weekday; day 0 (never written by Windows) is
    // taken the same way rather than walking past the month.
    DateParts last = date;
    last.month += 1;
    last.day = 0;
    const DateParts end = to_parts(make_date(last));
    date.year = end.year;
    date.month = end.month;
    date.day = end.day - (end.weekday - wanted + 7) % 7;
  }
  return make_date(date);
}

std::wstring GetZoneName(std::wstring_view name) {
  const size_t nul = name.find(L'\0');
  if (nul != std::wstring_view::npos) return std::wstring(name.substr(0, nul));
  return trim_spaces(name);
}

// The load never maps "IPC$" (IpcMapped stays false), so for a computer
// whose remote time is not shown the click changes nothing visible.
void ShowRemoteTimeZone(FrmComputerDetails& window) {
  forms::Form& form = window.form();
  forms::UserInterface& ui = window.environment().ui;
  const std::wstring title = window.full_name();
  form.set_caption(title + L" -> Getting TimeZone Information ...");
  ui.set_mouse_pointer(forms::mouse_pointer::kHourglass);
  // A failing host call leaves the caption it had, without asking the host
  // again, so that restoring it cannot fail.
  BusyCaption restore(form, ui, title);
  append_zone(window);
  restore.set_title(window.full_name());
}

}  // namespace pendrel::details
