#include "src/core/UserActions.h"

#include <cstdio>
#include <cstring>

#include "src/core/misc/AsciiCase.h"
#include "src/core/palm/CondMgr.h"
#include "src/core/OVUtil.h"

namespace {

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// Decimal digits only, at most 4294967295.
bool ParseDecimal32(const std::string& text, std::uint32_t* pValue) {
  if (text.empty() || text.size() > 10) return false;
  std::uint64_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + static_cast<unsigned>(c - '0');
  }
  if (v > 0xFFFFFFFFull) return false;
  *pValue = static_cast<std::uint32_t>(v);
  return true;
}

// The matches of one pass: exact first; when there is none, the same test ignoring case.
template <class T, class Text>
Lookup FindByText(const std::vector<const T*>& items, const std::string& key, Text text, const T** ppFound) {
  for (bool bExact : {true, false}) {
    int nFound = 0;
    for (const T* p : items) {
      if (!p) continue;
      const std::string t = text(*p);
      if (bExact ? t == key : ov::EqualNoCase(t, key)) {
        if (nFound++ == 0) *ppFound = p;
      }
    }
    if (nFound == 1) return Lookup::Found;
    if (nFound > 1) return Lookup::Ambiguous;
  }
  return Lookup::NotFound;
}

PrefRead Answer(std::int32_t nResult, std::int32_t nCode) {
  PrefRead read;
  read.nResult = nResult;
  if (nResult >= 0) {
    read.state = PrefRead::State::Set;
    read.nCode = nCode;
  } else if (nResult == palm::USERDATA_ERR_NOT_FOUND) {
    read.state = PrefRead::State::NotSet;
  } else {
    read.state = PrefRead::State::Failed;
  }
  return read;
}

}  // namespace

std::string PrefReadText(const PrefRead& read) {
  switch (read.state) {
    case PrefRead::State::Set: return SyncPrefName(read.nCode);
    case PrefRead::State::NotSet: return palm::kSyncPrefNotSet;
    case PrefRead::State::Failed: break;
  }
  return "read failed (error " + std::to_string(read.nResult) + ")";
}

std::string NextSyncText(const PrefRead& next) {
  return next.bOneTime && next.state == PrefRead::State::Set ? palm::NextSyncText(next.nCode, true)
                                                             : PrefReadText(next);
}

PrefRead ReadPermPref(std::uint32_t userId, std::uint32_t dwCreatorID) {
  std::int32_t nCode = 0;
  const std::int32_t nResult = palm::UmGetUserPermSyncPreferences(userId, dwCreatorID, &nCode);
  return Answer(nResult, nCode);
}

PrefRead ReadNextPref(std::uint32_t userId, std::uint32_t dwCreatorID, const PrefRead& perm) {
  std::int32_t nCode = 0;
  const std::int32_t nResult = palm::UmGetUserTempSyncPreferences(userId, dwCreatorID, &nCode);
  PrefRead temp = Answer(nResult, nCode);
  if (temp.state == PrefRead::State::NotSet) {
    // No one-time action: the next HotSync does what the default says, or nothing is known.
    PrefRead next = perm;
    next.bOneTime = false;
    return next;
  }
  temp.bOneTime = temp.state == PrefRead::State::Set;
  return temp;
}

PrefRead ReadNextPref(std::uint32_t userId, std::uint32_t dwCreatorID) {
  std::int32_t nCode = 0;
  const std::int32_t nResult = palm::UmGetUserTempSyncPreferences(userId, dwCreatorID, &nCode);
  PrefRead temp = Answer(nResult, nCode);
  if (temp.state == PrefRead::State::NotSet) return ReadPermPref(userId, dwCreatorID);
  temp.bOneTime = temp.state == PrefRead::State::Set;
  return temp;
}

std::vector<UserConduitAction> ReadUserActions(std::uint32_t userId, const std::vector<const CONDUIT_REC*>& conduits) {
  std::vector<UserConduitAction> actions;
  actions.reserve(conduits.size());
  for (const CONDUIT_REC* pRec : conduits) {
    if (!pRec) continue;
    UserConduitAction a;
    a.pRec = pRec;
    a.perm = ReadPermPref(userId, pRec->dwCreatorID);
    a.next = ReadNextPref(userId, pRec->dwCreatorID, a.perm);
    actions.push_back(a);
  }
  return actions;
}

std::string CreatorIdText(std::uint32_t dwCreatorID) {
  char sz[11];
  for (int i = 0; i < 4; ++i) {
    const unsigned char c = static_cast<unsigned char>(dwCreatorID >> (24 - 8 * i));
    // Printable ASCII without the blank and the comment sign, so that a line splits cleanly.
    if (c <= 0x20 || c >= 0x7F || c == '#') {
      std::snprintf(sz, sizeof sz, "0x%08X", static_cast<unsigned>(dwCreatorID));
      return sz;
    }
    sz[i] = static_cast<char>(c);
  }
  sz[4] = '\0';
  // "0x12" would read back as a number.
  if (sz[0] == '0' && (sz[1] == 'x' || sz[1] == 'X')) {
    std::snprintf(sz, sizeof sz, "0x%08X", static_cast<unsigned>(dwCreatorID));
  }
  return sz;
}

bool ParseCreatorId(const std::string& text, std::uint32_t* pdwCreatorID) {
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    if (text.size() > 10) return false;
    std::uint32_t v = 0;
    for (std::size_t i = 2; i < text.size(); ++i) {
      const char c = text[i];
      if (!IsHexDigit(c)) return false;
      const unsigned d = (c <= '9') ? static_cast<unsigned>(c - '0') : static_cast<unsigned>((c | 0x20) - 'a' + 10);
      v = (v << 4) | d;
    }
    *pdwCreatorID = v;
    return true;
  }
  if (text.size() != 4) return false;
  std::uint32_t v = 0;
  for (char c : text) v = (v << 8) | static_cast<unsigned char>(c);
  *pdwCreatorID = v;
  return true;
}

Lookup FindUser(const std::vector<const UserRecord*>& users, const std::string& key, const UserRecord** ppUser) {
  const UserRecord* pNamed = nullptr;
  const Lookup byName = FindByText(users, key, UserNameOf, &pNamed);
  if (byName == Lookup::Ambiguous) return Lookup::Ambiguous;
  const UserRecord* pNumbered = nullptr;
  std::uint32_t id = 0;
  if (ParseDecimal32(key, &id)) {
    int nFound = 0;
    for (const UserRecord* p : users) {
      if (p && p->userId == id && nFound++ == 0) pNumbered = p;
    }
    if (nFound > 1) return Lookup::Ambiguous;
  }
  // A name that is another user's ID could mean either user: neither is guessed.
  if (pNamed && pNumbered && pNamed != pNumbered) return Lookup::Ambiguous;
  const UserRecord* pFound = pNamed ? pNamed : pNumbered;
  if (!pFound) return Lookup::NotFound;
  *ppUser = pFound;
  return Lookup::Found;
}

Lookup FindConduit(const std::vector<const CONDUIT_REC*>& conduits, const std::string& key, const CONDUIT_REC** ppRec) {
  const Lookup byTitle = FindByText(conduits, key, ConduitTitleOf, ppRec);
  if (byTitle != Lookup::NotFound) return byTitle;
  int nFound = 0;
  for (const CONDUIT_REC* p : conduits) {
    if (p && !key.empty() && ConduitCreatorOf(*p) == key && nFound++ == 0) *ppRec = p;
  }
  if (nFound) return nFound == 1 ? Lookup::Found : Lookup::Ambiguous;
  std::uint32_t id = 0;
  if (!ParseCreatorId(key, &id)) return Lookup::NotFound;
  for (const CONDUIT_REC* p : conduits) {
    if (p && p->dwCreatorID == id && nFound++ == 0) *ppRec = p;
  }
  if (nFound) return nFound == 1 ? Lookup::Found : Lookup::Ambiguous;
  return Lookup::NotFound;
}

std::string UserNameOf(const UserRecord& user) {
  return std::string(user.szName, strnlen(user.szName, sizeof user.szName));
}
std::string ConduitTitleOf(const CONDUIT_REC& rec) {
  return std::string(rec.szTitle, strnlen(rec.szTitle, sizeof rec.szTitle));
}
std::string ConduitCreatorOf(const CONDUIT_REC& rec) {
  return std::string(rec.szCreator, strnlen(rec.szCreator, sizeof rec.szCreator));
}

std::string ConduitKindName(std::uint32_t dwKind) {
  if (dwKind == COND_KIND_REGISTERED) return "registered";
  if (dwKind == COND_KIND_INSTALL) return "install";
  if (dwKind == COND_KIND_BACKUP) return "backup";
  return "kind " + std::to_string(dwKind);
}
