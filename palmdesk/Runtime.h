// What every stand-in library shares: the installation it belongs to (the description next to
// the library file, kept parsed in memory) and the answers in Palm's buffer conventions.
//
// Each library links its own copy of this unit, so each loaded library has its own cache.
// The description is parsed on first use and parsed again only when the file's modification
// time changes: a call costs one file-status look-up, not a parse. Sync preferences are read
// from the journal incrementally: a read folds only the lines added since the last one.
#pragma once

#include <limits>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>
#include <type_traits>
#include <unordered_map>

#include "palmdesk/Description.h"

#ifdef _WIN32
#define PALMDESK_EXPORT extern "C" __declspec(dllexport)
#else
#define PALMDESK_EXPORT extern "C" __attribute__((visibility("default")))
#endif

// Checks that an export has exactly the pointer type the binding calls it through: the same
// arguments, result and calling convention (on 32-bit Windows a __stdcall callee pops its
// arguments, so a mismatch corrupts the caller's stack). Used with the entry lists of
// src/core/palm/PalmEntries.h: PALM_HSAPI_ENTRIES(PALMDESK_CHECK_EXPORT).
#define PALMDESK_CHECK_EXPORT(lib, name, bytes)                              \
  static_assert(std::is_same_v<decltype(&name), palm::PFN_##name>, #name \
                " is not exported with the prototype of src/core/palm/PalmApi.h");

namespace palmdesk {

// The installation as of this call; holds the library's lock while it lives.
class Session {
 public:
  Session();
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  const Description& desc() const;
  // The core directory: the directory of the library file, without a trailing separator.
  const std::string& coreDir() const;
  // The first user with this ID, or nullptr.
  const User* FindUser(std::uint32_t userId) const;
  // The first registered conduit whose creator text equals creator (letter case counts).
  const Conduit* FindConduit(const char* creator) const;

  // Whether HotSync Manager runs and whether a HotSync is in progress: what the stand-in
  // HotSync manager wrote into palmdesk.hotsync while it runs, else the description's
  // "hotsync" line. The state file is read at every call: another process changes it.
  HotSync hotSync() const;

  // Appends one line to the journal and flushes it; false when it could not be written.
  bool AppendJournal(const JournalLine& line);
  // The code last written for this user and creator, read from the journal as it is now.
  bool FindPreference(bool permanent, std::uint32_t userId, std::uint32_t creatorId, std::int32_t* code);

 private:
  std::unique_lock<std::mutex> m_lock;
};

// Copies text into buf of capacity *size (terminator included). On success writes the text
// and its terminator, sets *size to the text's length and returns 0. When it does not fit,
// writes only a terminator at buf[0] (if there is room for one), sets *size to the capacity
// needed and returns tooSmall. No buffer or size, or a negative capacity: returns badParam and
// writes nothing.
template <class Size>
std::int32_t PutText(const std::string& text, char* buf, Size* size, std::int32_t badParam, std::int32_t tooSmall) {
  if (buf == nullptr || size == nullptr || *size < 0) return badParam;
  const long long cap = *size;
  const long long len = static_cast<long long>(text.size());
  if (len + 1 > cap) {
    if (cap >= 1) buf[0] = '\0';
    const long long most = std::numeric_limits<Size>::max();
    *size = static_cast<Size>(len + 1 > most ? most : len + 1);
    return tooSmall;
  }
  std::memcpy(buf, text.data(), text.size());
  buf[text.size()] = '\0';
  *size = static_cast<Size>(len);
  return 0;
}

// A library that overruns its own size (fault.oversized_texts): the whole buffer of capacity
// *size filled with text over and over (an empty text as 'x'), no terminator, *size set to the
// largest value its type holds, more than was offered, and success. Nothing is written past the
// capacity. No buffer or size, or no capacity: badParam.
template <class Size>
std::int32_t PutOversized(const std::string& text, char* buf, Size* size, std::int32_t badParam) {
  if (buf == nullptr || size == nullptr || *size <= 0) return badParam;
  for (Size i = 0; i < *size; ++i) buf[i] = text.empty() ? 'x' : text[static_cast<std::size_t>(i) % text.size()];
  *size = std::numeric_limits<Size>::max();
  return 0;
}

// A text answer: PutText, or PutOversized when the installation asks for it.
template <class Size>
std::int32_t PutAnswer(const Session& s, const std::string& text, char* buf, Size* size, std::int32_t badParam,
                       std::int32_t tooSmall) {
  if (s.desc().faults.oversizedTexts) return PutOversized(text, buf, size, badParam);
  return PutText(text, buf, size, badParam, tooSmall);
}

}  // namespace palmdesk
