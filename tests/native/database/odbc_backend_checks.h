// The ODBC layer over the demo database, one body of checks for every driver:
// SQLite natively and through Wine's odbc32, PostgreSQL on loopback.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "core/error.h"
#include "database/database.h"
#include "database/management_database.h"
#include "raised.h"

namespace pendrel::database {

inline const wchar_t kEquipmentPC042[] =
    L"Select * from vEquipment where EquipmentName='PC042' and DomainsName='SALES'";

// `open` gives a new connection to the same fresh copy of the demo database.
inline void expect_demo_database_behaviour(DatabaseObjects& objects,
                                           const std::function<std::shared_ptr<Connection>()>& open) {
  auto connection = open();
  EXPECT_EQ(connection->State(), kAdStateOpen);

  // ADO style; a value with quotes finds nothing rather than every row.
  auto rs = objects.CreateRecordset();
  rs->set_ActiveConnection(connection);
  rs->set_CursorLocation(kAdUseClient);
  rs->set_CursorType(kAdOpenKeyset);
  rs->set_LockType(kAdLockOptimistic);
  rs->set_Source(kEquipmentPC042);
  rs->Open();
  EXPECT_EQ(rs->State(), kAdStateOpen);
  ASSERT_EQ(rs->RecordCount(), 1);
  EXPECT_EQ(rs->Fields(L"Active").Value(), Variant(true));
  EXPECT_EQ((*rs)[L"MACAddr"], Variant(L"00-1A-2B-3C-4D-5E"));
  EXPECT_THROW(rs->set_Source(L"x"), Error);  // not while open
  rs->Close();
  EXPECT_EQ(rs->State(), kAdStateClosed);
  EXPECT_EQ(error_number([&] { rs->Close(); }), 3704);
  rs->set_Source(L"Select * from vEquipment where EquipmentName='" + quoted(L"x' OR '1'='1") + L"'");
  rs->Open();
  EXPECT_EQ(rs->RecordCount(), 0);
  EXPECT_TRUE(rs->EOF());

  // Navigational style: each assignment's account looked up among the users.
  auto assignments = connection->OpenRecordset(
      L"Select * from qryEquipmentAssignments where Equipment.Name='PC042' and DomainID=1");
  auto users = connection->OpenRecordset(L"qryUsers");
  EXPECT_EQ(users->RecordCount(), 4);
  std::wstring seen;
  for (assignments->MoveFirst(); !assignments->EOF(); assignments->MoveNext()) {
    EXPECT_EQ((*assignments)[L"DomainID"], Variant(int32_t{1}));
    const Variant account = (*assignments)[L"5x2"];
    if (account.is_null()) {
      seen += L"<null>;";
      continue;
    }
    users->MoveFirst();
    users->FindFirst(L"[5x2]='" + quoted(account.text()) + L"'");
    EXPECT_FALSE(users->NoMatch());
    seen += account.text() + L"=" + (*users)[L"Users.Name"].text() + L"/" +
            ((*users)[L"PhoneExt"].is_null() ? L"null" : L"ext") + L";";
  }
  EXPECT_EQ(seen, L"jdoe=John Doe/ext;asmith=Anna Smith/null;<null>;");
  EXPECT_THROW(assignments->MoveNext(), Error);
  // Searching ignores case, and a miss leaves the current row alone.
  users->FindFirst(L"[5x2]='MLEE'");
  EXPECT_EQ((*users)[L"Location"], Variant::null());
  users->FindFirst(L"[5x2]='nobody'");
  EXPECT_TRUE(users->NoMatch());
  EXPECT_EQ((*users)[L"Users.Name"], Variant(L"Mei Lee"));
  EXPECT_EQ(error_number([&] { users->Fields(L"Users.Nam"); }), 3265);
  EXPECT_TRUE((*connection->OpenRecordset(L"Select * from qryEquipment where Name='SRV01'"))[L"MACAddr"].is_null());
  EXPECT_EQ(GetDomainID(connection, L"SALES"), 1);
  EXPECT_EQ(GetDomainID(connection, L"NOWHERE"), 0);
  EXPECT_EQ(GetDomainName(connection, 2), L"ENGINEERING");
  EXPECT_EQ(GetDomainName(connection, 9), L"");

  // Update writes one row; a recordset read before it may not overwrite it.
  auto first = connection->OpenRecordset(kEquipmentPC042);
  auto stale = connection->OpenRecordset(kEquipmentPC042);
  first->Fields(L"Active").set_Value(Variant(int32_t{0}));
  EXPECT_EQ((*first)[L"Active"], Variant(false));  // the field keeps its type
  first->Update();
  stale->Fields(L"MACAddr").set_Value(Variant(L"00-00-00-00-00-01"));
  EXPECT_EQ(error_of([&] { stale->Update(); }).description(),
            L"Row cannot be located for updating. Some values may have been changed since it was last read.");
  auto reread = open()->OpenRecordset(kEquipmentPC042);
  EXPECT_EQ((*reread)[L"Active"], Variant(false));
  EXPECT_EQ((*reread)[L"MACAddr"], Variant(L"00-1A-2B-3C-4D-5E"));
  auto others = open()->OpenRecordset(L"Select * from vEquipment where EquipmentName='SRV01'");
  EXPECT_EQ((*others)[L"Active"], Variant(true));

  // A query over several tables has no row to write to.
  auto joined = connection->OpenRecordset(
      L"Select Equipment.Active from Equipment join Domains on Domains.DomainID = Equipment.DomainID");
  joined->Fields(L"Active").set_Value(Variant(false));
  EXPECT_THROW(joined->Update(), Error);
}

}  // namespace pendrel::database
