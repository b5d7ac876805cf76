// A scriptable late-bound object for native tests (host objects, controls,
// windows): members answer per kind of call with a value or a handler, and
// every call lands in a log shared by sibling fakes, so that a test can assert
// member names, kinds, arguments and order:
//   computer->on(L"Name").get(L"PC1");  computer->property(L"Reachable", false);
//   computer->on_id(3).call(L"pong");   computer->items({{L"IPC$", share}});
//   EXPECT_EQ(log->trace(), (Lines{L"get Computer.Name", L"let Computer.Reachable = True"}));
#pragma once

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "core/dispatch.h"
#include "core/error.h"
#include "core/text.h"
#include "core/variant.h"

namespace pendrel::fakes {

// One call as received; arguments before any by-ref write-back. `member` is
// the registered name, or "#<id>" for a member known only by id.
struct Call {
  std::wstring object, member;
  InvokeKind kind;
  std::vector<Variant> args;
  friend bool operator==(const Call&, const Call&) = default;
};

class CallLog {
 public:
  // Object arguments are kept without owning them: a fake handed to a fake of
  // the same log would otherwise own itself through the log.
  void add(Call call) {
    for (Variant& a : call.args)
      if (a.is_object()) a = Variant(DispatchPtr(DispatchPtr(), a.object().get()));
    calls_.push_back(std::move(call));
  }
  const std::vector<Call>& calls() const { return calls_; }
  void clear() { calls_.clear(); }
  // Runs at each call to a fake of this log before it is logged; may throw.
  std::function<void()> on_call;

  // One line per call: `get Computer.Name` (a late-bound read, Method |
  // PropertyGet; "propget" is PropertyGet alone), `call Computer.GetUsers(True)`,
  // `let Computer.Item(1) = "x"`, `set Form.Computer = Computer`. Texts are
  // quoted; objects show the fake's name, or "Nothing".
  std::vector<std::wstring> trace() const {
    static const std::map<int, std::wstring> kWords = {{1, L"call"}, {2, L"propget"}, {3, L"get"}, {4, L"let"}, {8, L"set"}};
    std::vector<std::wstring> lines;
    for (const Call& c : calls_) {
      const auto word = kWords.find(static_cast<int>(c.kind));
      std::wstring text = (word != kWords.end() ? word->second : L"kind" + std::to_wstring(static_cast<int>(c.kind))) +
                          L" " + (c.object.empty() ? L"" : c.object + L".") + c.member;
      const bool put = (c.kind == InvokeKind::PropertyPut || c.kind == InvokeKind::PropertyPutRef) && !c.args.empty();
      const size_t listed = c.args.size() - (put ? 1 : 0);
      for (size_t i = 0; i < listed; ++i) text += (i ? L", " : L"(") + describe(c.args[i]) + (i + 1 == listed ? L")" : L"");
      if (put) text += L" = " + describe(c.args.back());
      lines.push_back(std::move(text));
    }
    return lines;
  }
  static std::wstring describe(const Variant& v);

 private:
  std::vector<Call> calls_;
};

class FakeDispatch : public Dispatch {
 public:
  using Handler = std::function<Variant(std::span<Argument>)>;

  // How one member answers each kind of call: a value, or a handler called
  // with the arguments (it may write by-ref arguments, throw, or return
  // nothing for Empty). get() answers reads (also within Method |
  // PropertyGet), call() Method, let()/set() the puts.
  class Member {
   public:
    template <class A> Member& get(A&& answer) { return on(InvokeKind::PropertyGet, std::forward<A>(answer)); }
    template <class A> Member& call(A&& answer) { return on(InvokeKind::Method, std::forward<A>(answer)); }
    template <class A> Member& let(A&& answer) { return on(InvokeKind::PropertyPut, std::forward<A>(answer)); }
    template <class A> Member& set(A&& answer) { return on(InvokeKind::PropertyPutRef, std::forward<A>(answer)); }
    // Every kind of call raises the error.
    Member& raise(Error error) {
      for (InvokeKind k : kAllKinds) handlers_[k] = [error](std::span<Argument>) -> Variant { throw error; };
      return *this;
    }
    template <class A> Member& on(InvokeKind kind, A&& answer) {
      if constexpr (!std::is_invocable_v<A, std::span<Argument>>) {
        handlers_[kind] = [v = Variant(std::forward<A>(answer))](std::span<Argument>) { return v; };
      } else if constexpr (std::is_void_v<std::invoke_result_t<A, std::span<Argument>>>) {
        handlers_[kind] = [f = std::forward<A>(answer)](std::span<Argument> args) mutable { return f(args), Variant(); };
      } else {
        handlers_[kind] = [f = std::forward<A>(answer)](std::span<Argument> args) mutable { return Variant(f(args)); };
      }
      return *this;
    }

   private:
    friend class FakeDispatch;
    static constexpr InvokeKind kAllKinds[] = {InvokeKind::PropertyGet, InvokeKind::Method, InvokeKind::PropertyPut,
                                               InvokeKind::PropertyPutRef};
    const Handler* find(InvokeKind requested) const {
      for (InvokeKind k : kAllKinds)
        if (auto it = handlers_.find(k); it != handlers_.end() && has_kind(requested, k)) return &it->second;
      return nullptr;
    }
    std::wstring name;
    DispId id = 0;
    bool named = true;
    std::map<InvokeKind, Handler> handlers_;
  };

  explicit FakeDispatch(std::wstring name = {}, std::shared_ptr<CallLog> log = nullptr)
      : name_(std::move(name)), log_(log ? std::move(log) : std::make_shared<CallLog>()) {}

  const std::wstring& name() const { return name_; }
  const std::shared_ptr<CallLog>& shared_log() const { return log_; }
  // Another fake whose calls land in the same log.
  std::shared_ptr<FakeDispatch> sibling(std::wstring name) const {
    return std::make_shared<FakeDispatch>(std::move(name), log_);
  }

  // The member of that name, registered on first use with the next id from
  // 1000, or with the id given.
  Member& on(std::wstring_view name, DispId id) {
    Member& m = on(name);
    return by_id_.erase(m.id), *(by_id_[m.id = id] = &m);
  }
  Member& on(std::wstring_view name) {
    const auto it = std::find_if(members_.begin(), members_.end(), [&](auto& m) { return named(*m, name); });
    return it != members_.end() ? **it : add(std::wstring(name), next_id_++);
  }
  // A member known only by its dispatch id.
  Member& on_id(DispId id) {
    auto it = by_id_.find(id);
    return it != by_id_.end() ? *it->second : add(L"#" + std::to_wstring(id), id, false);
  }

  // A read/write property: reads return the value, let and set replace it.
  Member& property(std::wstring_view name, Variant initial = {}) {
    auto held = values_[std::wstring(name)] = std::make_shared<Variant>(std::move(initial));
    auto store = [held](std::span<Argument> args) {
      if (args.empty()) throw Error::vb(vb_error::kArgumentNotOptional);
      *held = args.back().value;
    };
    return on(name).get([held](std::span<Argument>) { return *held; }).let(store).set(store);
  }
  // The current value of a property() member.
  Variant value(std::wstring_view name) const {
    for (const auto& [n, v] : values_)
      if (equal_no_case(n, name)) return *v;
    throw Error::vb(vb_error::kObjectDoesNotSupportMember);
  }

  // A collection: the default member (id 0, also named Item) finds an item by
  // text key without regard to case or by number from `base`, else raises 5.
  void items(std::vector<std::pair<std::wstring, Variant>> entries, int base = 1) {
    auto list = std::make_shared<std::vector<std::pair<std::wstring, Variant>>>(std::move(entries));
    on(L"Item", kDispIdValue).get([list, base](std::span<Argument> args) {
      if (args.empty()) throw Error::vb(vb_error::kArgumentNotOptional);
      const Variant& key = args[0].value;
      if (key.kind() == Variant::Kind::Text) {
        for (const auto& [k, v] : *list)
          if (equal_no_case(k, key.text())) return v;
      } else if (key.is_numeric()) {
        const int64_t i = int64_t{key.to_long()} - base;
        if (i >= 0 && i < static_cast<int64_t>(list->size())) return (*list)[i].second;
      }
      throw Error::vb(vb_error::kInvalidProcedureCall);
    });
    on(L"Count").get([list](std::span<Argument>) { return static_cast<int32_t>(list->size()); });
  }

  DispId id_of(std::wstring_view name) override {
    for (auto& m : members_)
      if (named(*m, name)) return m->id;
    throw Error::vb(vb_error::kObjectDoesNotSupportMember);
  }
  Variant invoke(DispId id, InvokeKind kind, std::span<Argument> args) override {
    if (log_->on_call) log_->on_call();
    auto it = by_id_.find(id);
    Call call{name_, it != by_id_.end() ? it->second->name : L"#" + std::to_wstring(id), kind, {}};
    for (const Argument& a : args) call.args.push_back(a.value);
    log_->add(std::move(call));
    const Handler* handler = it != by_id_.end() ? it->second->find(kind) : nullptr;
    if (!handler) throw Error::vb(vb_error::kObjectDoesNotSupportMember);
    return (*handler)(args);
  }

 private:
  static bool named(const Member& m, std::wstring_view name) { return m.named && equal_no_case(m.name, name); }
  Member& add(std::wstring name, DispId id, bool named = true) {
    auto& m = members_.emplace_back(std::make_unique<Member>());
    m->name = std::move(name), m->id = id, m->named = named;
    return *(by_id_[id] = m.get());
  }

  std::wstring name_;
  std::shared_ptr<CallLog> log_;
  std::vector<std::unique_ptr<Member>> members_;
  std::map<DispId, Member*> by_id_;
  std::map<std::wstring, std::shared_ptr<Variant>> values_;
  DispId next_id_ = 1000;
};

// How often `line` occurs in a trace.
inline int count_of(const std::vector<std::wstring>& lines, std::wstring_view line) {
  return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

// The lines of a trace that start with one of the prefixes, in order.
inline std::vector<std::wstring> starting_with(const std::vector<std::wstring>& lines,
                                               std::initializer_list<std::wstring_view> prefixes) {
  std::vector<std::wstring> picked;
  for (const std::wstring& line : lines)
    if (std::any_of(prefixes.begin(), prefixes.end(), [&](std::wstring_view p) { return line.starts_with(p); }))
      picked.push_back(line);
  return picked;
}

inline std::wstring CallLog::describe(const Variant& v) {
  switch (v.kind()) {
    case Variant::Kind::Empty: return L"Empty";
    case Variant::Kind::Null: return L"Null";
    case Variant::Kind::Missing: return L"Missing";
    case Variant::Kind::Text: return L"\"" + v.text() + L"\"";
    case Variant::Kind::Date: return L"#" + v.to_text() + L"#";
    case Variant::Kind::Bytes: return L"Bytes(" + std::to_wstring(v.bytes().size()) + L")";
    case Variant::Kind::Object: {
      if (!v.object()) return L"Nothing";
      auto fake = std::dynamic_pointer_cast<FakeDispatch>(v.object());
      return fake && !fake->name().empty() ? fake->name() : L"Object";
    }
    default: return v.to_text();
  }
}

}  // namespace pendrel::fakes
