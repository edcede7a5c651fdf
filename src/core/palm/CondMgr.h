// The conduit catalogue: the one list of the conduits that HotSync runs on this desktop, built
// from Palm's conduit manager (condmgr.dll), install aide (instaide.dll) and the conduits' own
// modules, and its cache file "ovcond.dat".
//
//   CONDUIT_REC  one conduit: creator ID and text, registration details, module path, title,
//                kind, action, and the record's loaded conduit module.
//   CCondObj     one loaded conduit module and its six entry points; only GetConduitName is
//                ever called.
//   CCondMgr     the catalogue itself, one per process (GetInstance). It owns its records and
//                each record's CCondObj, kept in a CxList in catalogue order: registered
//                conduits, then install conduits, then the backup conduit.
//
// Texts: every text field of a record is a zero-terminated byte string that ends inside its
// field, whatever filled it. After each fill by a Palm library or a conduit module the last byte
// of the field (of the area offered) is set to zero; a text taken from the install conduit
// information block ends inside its 256-byte area (at its last byte when it has no terminator
// before) and is cut to fit the field (a display name longer than 63 bytes keeps its first 63);
// texts read from the cache file are cut at the last byte of their field. So a record, however damaged its source, can be
// shown or applied without reading past a field.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "src/core/misc/CxList.h"
#include "src/core/os/os.h"
#include "src/core/palm/PalmApi.h"

class CCondObj;

// Kinds of conduit, the record's dwKind.
inline constexpr std::uint32_t COND_KIND_REGISTERED = 1;  // registered with the conduit manager
inline constexpr std::uint32_t COND_KIND_BACKUP = 2;      // the conduit manager's backup conduit
inline constexpr std::uint32_t COND_KIND_INSTALL = 4;     // known to the install aide

// Source flags of CCondMgr::LoadConduits.
inline constexpr std::uint32_t COND_SRC_REGISTERED = 0x01;      // registered conduits
inline constexpr std::uint32_t COND_SRC_BACKUP = 0x02;          // the backup conduit
inline constexpr std::uint32_t COND_SRC_INSTALL = 0x04;         // install conduits
inline constexpr std::uint32_t COND_SRC_ORGANIZER_ONLY = 0x10;  // registered: organizer creators only
inline constexpr std::uint32_t COND_SRC_KEEP_MISSING = 0x20;    // registered: keep a missing module
                                                                // file unless its path is empty
inline constexpr std::uint32_t COND_SRC_DEFAULT = 0x07;         // what the main window asks for

// The most indices the catalogue asks one library about. A library reports its count as a
// signed 32-bit value; a damaged one may say 2147483647, and asking about every index would
// never end, so a larger count is taken as this many (far more than any installation holds).
inline constexpr std::int32_t COND_MAX_LIBRARY_COUNT = 65535;

// The backup conduit's creator ID.
inline constexpr std::uint32_t BACKUP_CREATOR_ID = 0xFFFFFFFFu;

// Field widths of a conduit record, terminators included.
inline constexpr std::size_t COND_CREATOR_LEN = 8;
inline constexpr std::size_t COND_MODULE_LEN = 260;
inline constexpr std::size_t COND_SHORT_TEXT_LEN = 32;  // directory, file, remote database
inline constexpr std::size_t COND_INFO_LEN = 64;
inline constexpr std::size_t COND_TITLE_LEN = 64;
inline constexpr std::size_t COND_RESERVED_LEN = 20;

// One conduit of the catalogue. Fields in the order and widths of the cache file record (the
// in-memory struct has a pointer in it and is never written as it lies: see
// CondRecordToBytes). A record is plain data apart from pCondObj, which the catalogue owns.
struct CONDUIT_REC {
  std::uint32_t dwCreatorID;                  // CmConvertStringToCreatorID of szCreator; the block's
                                              // four bytes (install); BACKUP_CREATOR_ID (backup)
  char szCreator[COND_CREATOR_LEN];           // four characters, terminator, rest zero; "" (backup)
  std::uint32_t dwIntegrate;                  // CmGetCreatorIntegrate (registered only)
  char szModule[COND_MODULE_LEN];             // the conduit's module, as the Palm library gives it
  char szDirectory[COND_SHORT_TEXT_LEN];      // CmGetCreatorDirectory (registered only)
  char szFile[COND_SHORT_TEXT_LEN];           // CmGetCreatorFile (registered only)
  char szRemote[COND_SHORT_TEXT_LEN];         // CmGetCreatorRemote (registered only)
  std::uint32_t dwPriority;                   // CmGetCreatorPriority (registered only)
  char szInfo[COND_INFO_LEN];                 // CmGetCreatorInfo (registered only)
  char szTitle[COND_TITLE_LEN];               // the display title
  CCondObj* pCondObj;                         // the record's module; null for records from the file
  std::uint32_t dwModulePresent;              // 1 when the module file existed at enumeration
  std::uint8_t byReserved[COND_RESERVED_LEN]; // always zero
  std::uint32_t dwKind;                       // COND_KIND_...
  std::uint32_t dwAction;                     // sync action code (low 16 bits) | disabled bit 0x10000
};

// The cache file form of one record: 540 bytes, 32-bit values least significant byte first.
//   0 creator ID   4 creator text[8]   12 integrate   16 module[260]   276 directory[32]
//   308 file[32]   340 remote[32]   372 priority   376 info[64]   440 title[64]
//   504 module object slot (written 0, ignored)   508 module present flag   512 reserved[20] (0)
//   532 kind   536 action
inline constexpr std::size_t COND_FILE_RECORD_SIZE = 540;

// Writes rec as its 540 bytes. Texts are written up to their terminator (at most the field's
// width less one) and padded with zero bytes; the module object slot and the reserved bytes are
// zero. The same record gives the same bytes on every platform.
void CondRecordToBytes(const CONDUIT_REC& rec, unsigned char* pBytes);
// Fills rec from 540 bytes, taking every value as stored. A text without a terminator inside its
// field is cut at the field's last byte; the bytes after a terminator become zero. pCondObj is
// null and the reserved bytes are zero.
void CondRecordFromBytes(const unsigned char* pBytes, CONDUIT_REC* pRec);

// The organizer creators, compared with letter case.
inline constexpr const char* kOrganizerCreators[] = {"addr", "date", "todo", "memo",
                                                     "PAdd", "PDat", "PTod", "PMem"};
// True when szCreator is present, not empty and one of kOrganizerCreators.
bool IsOrganizerCreator(const char* szCreator);

// One conduit module, loaded by path, with its six entry points.
class CCondObj {
 public:
  // The entry points, by slot, looked up by exactly these names.
  enum Entry { OpenConduit, CfgConduit, ConfigureConduit, GetConduitInfo, GetConduitName,
               GetConduitVersion, kEntryCount };
  static const char* EntryName(int nEntry);

  // Starts with no module, then loads szModule.
  explicit CCondObj(const char* szModule);
  // Unload.
  virtual ~CCondObj();
  CCondObj(const CCondObj&) = delete;
  CCondObj& operator=(const CCondObj&) = delete;

  // False, with nothing changed, for a null or empty path. Otherwise releases the current module,
  // loads szModule unchanged (a relative path is looked for in the current directory first) and
  // looks up the six entry points; false when the module does not load.
  bool Load(const char* szModule);
  // Releases the module, if one is loaded, and forgets the entry points.
  void Unload();

  // Calls the module's GetConduitName with the buffer and nSize and returns its result, or
  // palm::ERR_NOT_BOUND (-100) without one. A name the module leaves unterminated is cut at
  // szName[nSize - 1].
  std::int32_t GetName(char* szName, std::uint16_t nSize);

  os::Library GetModule() const { return m_hModule; }
  // The address found for one entry point, or null.
  void* GetEntry(int nEntry) const;

 private:
  os::Library m_hModule;
  void* m_apfnEntries[kEntryCount];  // in Entry order
};

class CCondMgr {
 public:
  // The one catalogue, constructed (empty) on the first call. It lives until program exit, when
  // it is destroyed and every conduit module still loaded is released.
  static CCondMgr* GetInstance();

  // RemoveAll.
  virtual ~CCondMgr();
  CCondMgr(const CCondMgr&) = delete;
  CCondMgr& operator=(const CCondMgr&) = delete;

  // Rebuilds the catalogue from the Palm libraries for the given COND_SRC_... flags: registered
  // conduits in the conduit manager's order, then install conduits in the install aide's order,
  // then the backup conduit. Each record gets its module loaded and asked for its name. The
  // previous records and their modules are released first. Returns true.
  bool LoadConduits(std::uint32_t dwFlags);

  // Rebuilds the catalogue from the cache file szPath (records get no module object); true when
  // it then holds at least one record. A null or empty path leaves the catalogue as it was; a
  // missing file leaves it empty. A trailing partial record is ignored.
  bool LoadFromFile(const char* szPath);
  // Writes the whole catalogue to szPath through a temporary file that replaces it only when
  // every byte was written; true when the new file is in place. On false the previous file is
  // left as it was.
  bool SaveToFile(const char* szPath);

  // The cursor: GetFirst places it on the first record, GetNext advances it; both give null past
  // the end. The loads and RemoveAll reset it; nothing else moves it.
  CONDUIT_REC* GetFirst();
  CONDUIT_REC* GetNext();
  // The records in catalogue order, walked without the cursor.
  CxRange<CONDUIT_REC> Records() const { return m_pConduits->Items<CONDUIT_REC>(); }
  std::uint32_t GetCount() const;

  // The first record whose creator text equals szCreator and whose module path equals szModule
  // or the short (8.3) form of szModule, all without regard to letter case; null when none does
  // or either argument is null or empty. Without a short form (POSIX) the creator text and the
  // module path alone decide.
  CONDUIT_REC* FindConduit(const char* szCreator, const char* szModule);
  // Whether FindConduit finds pRec's creator text and module path.
  bool IsListed(const CONDUIT_REC* pRec);

  // Destroys every record with its module object and empties the catalogue.
  void RemoveAll();

 private:
  CCondMgr();
  // Makes a new record from the working record with the given kind, loads its module, lets the
  // module name it and appends it.
  void AddEnumerated(const CONDUIT_REC& work, std::uint32_t dwKind);
  void LoadRegistered(std::uint32_t dwFlags);
  void LoadInstall();
  void LoadBackup();

  static void DestroyInstance();
  friend struct CCondMgrReaper;

  std::unique_ptr<CxList> m_pConduits;  // of CONDUIT_REC*, owned, in catalogue order

  static CCondMgr* m_pInst;
};
