#include "database/management_database.h"

#include <gtest/gtest.h>

namespace pendrel::database {
namespace {

TEST(QueryTexts, ValuesHaveTheirQuotesDoubled) {
  EXPECT_EQ(equipment_query(L"O'Brien", L"SALES"),
            L"Select * from vEquipment where EquipmentName='O''Brien' and DomainsName='SALES'");
  EXPECT_EQ(domain_id_query(L"x' OR '1'='1"), L"Select * from Domains where Name = 'x'' OR ''1''=''1'");
  EXPECT_EQ(domain_name_query(-7), L"Select * from Domains where DomainID=-7");
  EXPECT_EQ(assignments_query(L"O'Brien", 0),
            L"Select * from qryEquipmentAssignments where Equipment.Name='O''Brien' and DomainID=0");
  EXPECT_EQ(user_criteria(L"o'neil"), L"[5x2]='o''neil'");
  EXPECT_EQ(mac_address_query(L"PC042"), L"Select * from qryEquipment where Name='PC042'");
}

}  // namespace
}  // namespace pendrel::database
