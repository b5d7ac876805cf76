#include "database/management_database.h"

namespace pendrel::database {

std::wstring equipment_query(std::wstring_view name, std::wstring_view domain) {
  return L"Select * from vEquipment where EquipmentName='" + quoted(name) + L"' and DomainsName='" +
         quoted(domain) + L"'";
}

std::wstring domain_id_query(std::wstring_view name) {
  return L"Select * from Domains where Name = '" + quoted(name) + L"'";
}

std::wstring domain_name_query(int32_t id) { return L"Select * from Domains where DomainID=" + std::to_wstring(id); }

std::wstring assignments_query(std::wstring_view name, int32_t domain_id) {
  return L"Select * from qryEquipmentAssignments where Equipment.Name='" + quoted(name) +
         L"' and DomainID=" + std::to_wstring(domain_id);
}

std::wstring user_criteria(std::wstring_view account) { return L"[5x2]='" + quoted(account) + L"'"; }

std::wstring mac_address_query(std::wstring_view name) {
  return L"Select * from qryEquipment where Name='" + quoted(name) + L"'";
}

int32_t GetDomainID(const std::shared_ptr<Connection>& connection, std::wstring_view name) {
  const std::shared_ptr<Recordset> domains = deref(connection).OpenRecordset(domain_id_query(name));
  Recordset& rs = deref(domains);
  const int32_t id = rs.RecordCount() > 0 ? rs.Fields(L"DomainID").Value().to_long() : 0;
  rs.Close();
  return id;
}

std::wstring GetDomainName(const std::shared_ptr<Connection>& connection, int32_t id) {
  const std::shared_ptr<Recordset> domains = deref(connection).OpenRecordset(domain_name_query(id));
  Recordset& rs = deref(domains);
  std::wstring name = rs.RecordCount() > 0 ? rs.Fields(L"Name").Value().to_text() : std::wstring();
  rs.Close();
  return name;
}

void StoreActive(const std::shared_ptr<Recordset>& equipment, bool checked) {
  Recordset& rs = deref(equipment);
  if (rs.RecordCount() <= 0) return;
  rs.Fields(L"Active").set_Value(checked);
  rs.Update();
}

}  // namespace pendrel::database
