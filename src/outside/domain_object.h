// The host's DomainObject (the console's view of its domain) and the domain
// objects its Domains member hands out, as typed facades over Dispatch.
#pragma once

#include <cstdint>
#include <string>

#include "outside/computer.h"

namespace pendrel::outside {

// One domain as DomainObject's Domains returns it.
class Domain : public HostObject {
 public:
  using HostObject::HostObject;
  int32_t count() const;
  void get_items() const;
  // Loads GlobalGroups and LocalGroups.
  void get_groups() const;
  Groups global_groups() const;
  Groups local_groups() const;
  Users users() const;
};

class DomainObject : public HostObject {
 public:
  using HostObject::HostObject;
  // The console's own computer and domain.
  std::wstring this_computer_name() const;
  std::wstring this_domain_name() const;
  Domain domains(const std::wstring& name) const;
  // The text without its NUL characters.
  std::wstring rem_null(const std::wstring& text) const;
};

}  // namespace pendrel::outside
