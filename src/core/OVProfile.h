// Conduit-settings profiles and the profile catalogue.
//
// OVProfile is one saved set of conduit actions: an ordered list of (creator ID, action) records,
// a description and the path of the file that holds the records. The main window keeps one for
// the current settings ("ovcurr.dat"); the catalogue keeps one per named profile.
//
// Profile file ("ovcurr.dat", "ovprofN.dat"), all numbers unsigned 32-bit, least significant
// byte first, no header:
//   N, then N times: dwCreatorID, dwAction                  (exactly 4 + 8 * N bytes)
//   memo (0x6D656D6F) action 1 and backup (0xFFFFFFFF) action 0x10002:
//   02 00 00 00  6F 6D 65 6D  01 00 00 00  FF FF FF FF  02 00 01 00
//
// OVProfMgr is the catalogue of named profiles, kept in "ovprof.dat" in the data directory. It
// stores only each profile's description and path; a profile's records are read from the
// profile's own file when that profile is loaded.
//
// Catalogue file ("ovprof.dat"): N, then N times two strings (signed 32-bit length L, then L
// bytes, no terminator): the description (at most 255 bytes) and the path (at most 259 bytes).
//   "Work", "C:\T\ovprof1.dat":  01 00 00 00  04 00 00 00 'Work'  10 00 00 00 'C:\T\ovprof1.dat'
//
// Reading never trusts a file: records and entries are read one at a time and allocated only
// after they were read whole, so a count larger than the file can hold ends the read at the end
// of the file, at once, without allocating anything for the missing part.
//
// Damaged files (ends before its count or before its N records/entries, or stores a string
// longer than its buffer):
//   OVProfile::Load returns false and keeps the records that were read whole before the damage
//     (records are written in order, so those are exactly as saved); a caller that wants
//     nothing from a damaged file calls Clear.
//   OVProfMgr::Load returns false and leaves the catalogue as it was, exactly as when the file
//     cannot be opened: the file is read into a fresh list and replaces the catalogue only when
//     it was read cleanly.
// Bytes after the last record or entry that the count announces are not part of the data and
// are ignored (Load still returns true); the next Save drops them. A negative stored string
// length reads as the empty string.
//
// Saving writes a temporary file beside the target and moves it into place only when every
// write succeeded (CxFile), so a failed Save returns false and leaves the previous file whole.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "src/core/misc/CxList.h"

class CxFile;

// One (creator ID, action) record of a profile. The action is the conduit's whole action field:
// the sync action code in the low 16 bits and the disabled bit 0x10000.
struct ProfileRec {
  std::uint32_t dwCreatorID;
  std::uint32_t dwAction;
};

inline constexpr std::uint32_t OVPROF_DESC_SIZE = 256;  // description buffer, terminator included
inline constexpr std::uint32_t OVPROF_PATH_SIZE = 260;  // path buffer, terminator included

// What reading a profile file by the rules above found.
struct ProfileFileRead {
  enum class State {
    Whole,      // the count and every record it announces were read
    Damaged,    // the file ends before its count or before its last record
    NotOpened,  // the file could not be opened (nErrno tells why)
  };
  State state = State::NotOpened;
  std::vector<ProfileRec> recs;  // the records read whole, in file order
  bool bCountRead = false;       // the count was read
  std::uint32_t nAnnounced = 0;  // the count the file states (0 when not read)
  int nErrno = 0;                // why the file could not be opened
};

// The one reader of profile files: OVProfile::Load and the readers of profile files given by
// name (ReadProfileFile) both read through it, so a file one of them takes the other takes too.
ProfileFileRead ReadProfileRecords(const char* szPath);

class OVProfile {
 public:
  // No records, description "Orvane Profile Description", empty file name.
  OVProfile();
  virtual ~OVProfile();
  OVProfile(const OVProfile&) = delete;
  OVProfile& operator=(const OVProfile&) = delete;

  // The first record with dwCreatorID, or null. The caller may change its dwAction in place.
  ProfileRec* FindRec(std::uint32_t dwCreatorID);
  // Appends a copy of *pRec (creator IDs need not be unique) and returns the copy; null when
  // pRec is null or the copy cannot be allocated.
  ProfileRec* AddRec(const ProfileRec* pRec);
  // Every record in file order, walked without the list's cursor; the caller may change their
  // dwAction in place. Valid until the next AddRec, Clear, Load or the destruction of the profile.
  CxRange<ProfileRec> Records() const;
  // Frees every record.
  void Clear();
  std::uint32_t GetCount() const;
  // A copy of the records, in order.
  std::vector<ProfileRec> GetRecords() const;

  // Replaces the records by those of the file named by GetFileName(). The old records are gone
  // in every case. False when the file cannot be opened (no records) or is damaged (the records
  // read whole before the damage are kept, see above).
  bool Load();
  // Writes the records to the file named by GetFileName(). False when the name is empty, the
  // file cannot be created, or any write fails; the previous file is then left as it was.
  bool Save();

  // Null leaves the value unchanged; otherwise the first 255 bytes of a description are kept,
  // and a path whole (a cut path would name another file; the catalogue refuses to store one
  // longer than its 259 bytes).
  void SetDescription(const char* szDescription);
  void SetFileName(const char* szFileName);
  const char* GetDescription() const { return m_szDescription; }
  const char* GetFileName() const { return m_fileName.c_str(); }

 private:
  std::unique_ptr<CxList> m_pDataList;  // items are ProfileRec allocated and freed here
  std::unique_ptr<CxFile> m_pFile;      // closed between operations
  char m_szDescription[OVPROF_DESC_SIZE];
  std::string m_fileName;
};

class OVProfMgr {
 public:
  // The catalogue file is "ovprof.dat" in the tool's data directory (DataFileForWriting:
  // beside the executable when that can be written, else the user's own data directory); Load
  // reads DataFileForReading's file, so that a catalogue kept beside a read-only executable is
  // read until the first Save writes it to the data directory. When no directory can be found,
  // the name stays empty and Load and Save return false.
  OVProfMgr();
  // The catalogue file is szFileName (for tests and tools); a null name leaves it empty.
  explicit OVProfMgr(const char* szFileName);
  virtual ~OVProfMgr();
  OVProfMgr(const OVProfMgr&) = delete;
  OVProfMgr& operator=(const OVProfMgr&) = delete;

  // Walk the profiles in catalogue order; null after the last. A profile stays valid until the
  // next successful Load, Clear or the destruction of the catalogue.
  OVProfile* GetFirst();
  OVProfile* GetNext();
  // The profiles in catalogue order, walked without the cursor (valid as GetFirst's are).
  CxRange<OVProfile> Profiles() const;
  std::uint32_t GetCount() const;

  // Appends a new profile with the defaults of OVProfile and returns it; null, with nothing
  // appended, when it cannot be allocated. The catalogue owns it.
  OVProfile* NewProfile();
  // Destroys every profile.
  void Clear();

  // Replaces the catalogue by the contents of the catalogue file. False, with the catalogue
  // left as it was, when the file cannot be opened or is damaged (see above). The profiles
  // created have no records.
  bool Load();
  // Writes every profile's description and path to the catalogue file (never the profiles' own
  // files). False when any write fails, or when a profile's path is longer than the file's
  // 259 bytes; the previous file is then left as it was.
  bool Save();

  // The file Save writes, and the file the last Load read (or the next one reads, before any).
  const char* GetFileName() const { return m_fileName.c_str(); }
  const char* GetLoadFileName() const { return m_loadName.c_str(); }

 private:
  // The data file read: the data directory's, or the one beside the executable (see above).
  void FindLoadFileName();

  std::unique_ptr<CxList> m_pDataList;  // items are OVProfile objects owned by the catalogue
  std::unique_ptr<CxFile> m_pFile;      // closed between operations
  bool m_bDataFile;     // named by the data directory rather than by the caller
  std::string m_fileName;
  std::string m_loadName;
};
