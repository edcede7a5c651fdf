// Helpers shared by the catalogue tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "src/core/palm/CondMgr.h"
#include "tests/support/TestFiles.h"

namespace catalogue_test {

using testfiles::Bytes;
using testfiles::ReadAll;
using testfiles::WriteAll;

// Every record of the catalogue, copied, in catalogue order.
inline std::vector<CONDUIT_REC> Snapshot(CCondMgr* pMgr) {
  std::vector<CONDUIT_REC> recs;
  for (CONDUIT_REC* p = pMgr->GetFirst(); p; p = pMgr->GetNext()) recs.push_back(*p);
  return recs;
}

// Compares every field but the module object; texts as texts.
inline void ExpectSameFields(const CONDUIT_REC& a, const CONDUIT_REC& b, const std::string& where) {
  SCOPED_TRACE(where);
  EXPECT_EQ(a.dwCreatorID, b.dwCreatorID);
  EXPECT_STREQ(a.szCreator, b.szCreator);
  EXPECT_EQ(a.dwIntegrate, b.dwIntegrate);
  EXPECT_STREQ(a.szModule, b.szModule);
  EXPECT_STREQ(a.szDirectory, b.szDirectory);
  EXPECT_STREQ(a.szFile, b.szFile);
  EXPECT_STREQ(a.szRemote, b.szRemote);
  EXPECT_EQ(a.dwPriority, b.dwPriority);
  EXPECT_STREQ(a.szInfo, b.szInfo);
  EXPECT_STREQ(a.szTitle, b.szTitle);
  EXPECT_EQ(a.dwModulePresent, b.dwModulePresent);
  EXPECT_EQ(0, std::memcmp(a.byReserved, b.byReserved, sizeof a.byReserved));
  EXPECT_EQ(a.dwKind, b.dwKind);
  EXPECT_EQ(a.dwAction, b.dwAction);
}

}  // namespace catalogue_test
