#include "outside/domain_object.h"

namespace pendrel::outside {

int32_t Domain::count() const { return dispatch().get(L"Count").to_long(); }
void Domain::get_items() const { dispatch().call(L"GetItems"); }
void Domain::get_groups() const { dispatch().call(L"GetGroups"); }
Groups Domain::global_groups() const { return Groups(dispatch().get(L"GlobalGroups")); }
Groups Domain::local_groups() const { return Groups(dispatch().get(L"LocalGroups")); }
Users Domain::users() const { return Users(dispatch().get(L"Users")); }

std::wstring DomainObject::this_computer_name() const {
  return dispatch().get(L"ThisComputerName").to_text();
}
std::wstring DomainObject::this_domain_name() const {
  return dispatch().get(L"ThisDomainName").to_text();
}
Domain DomainObject::domains(const std::wstring& name) const {
  return Domain(dispatch().get(L"Domains", {name}));
}
std::wstring DomainObject::rem_null(const std::wstring& text) const {
  return dispatch().call(L"RemNull", {text}).to_text();
}

}  // namespace pendrel::outside
