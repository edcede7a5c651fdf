// The rules for named profiles that every front end shares: finding a profile by what a user
// types, which descriptions can be stored, the file name of a new profile, saving a profile into
// the catalogue, and writing an exported file without ever losing the file already there.
// Toolkit-free and silent: each rule answers with a result and a reason, and the caller words
// it for its user.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "src/core/OVProfile.h"
#include "src/core/UserActions.h"  // Lookup

// The longest description a profile keeps, in bytes (the catalogue would hold 255; the profile
// details dialog has always kept 254, and saved catalogues were written that way).
inline constexpr std::size_t kProfileDescriptionMax = 254;
// The longest path of a new profile's file, in bytes (the details dialog shows at most 258).
inline constexpr std::size_t kProfilePathMax = 258;

// The longest start of text (local 8-bit) of at most nMaxBytes bytes that ends on a whole
// character: a character whose bytes would not all fit is left out with everything after it.
std::string LocalTextPrefix(const std::string& text, std::size_t nMaxBytes);

// A saved profile by what a user types:
//   - its description, exactly; else its description ignoring ASCII letter case;
//   - a key of digits only: the profile with that number in the list ("1" is the first).
// Several profiles with the description (in the same way: exactly, or ignoring case) are
// Ambiguous; so is a key that is the description of one profile and the number of another
// ("2" when the first profile is described "2" and there is a second one). A key that is the
// description and the number of the same profile finds it. *ppFound is set only when Found.
Lookup FindProfile(OVProfMgr& mgr, const std::string& key, OVProfile** ppFound);

// What the tool says of a description it cannot store (the details dialog's message; the
// console says it before the reason).
inline constexpr const char* kInvalidProfileDescription = "Invalid Orvane Profile Description.";

// Why a description is refused whose typed text has characters that the ANSI code page, in which
// Palm Desktop and the catalogue keep descriptions, cannot hold (a front end that takes text in
// UTF-16 finds that out when it converts it; stored, they would turn into other characters).
inline constexpr const char* kDescriptionOutsideCodePage =
    "A description can hold only the characters of this computer's code page; this one has others, "
    "which would be stored as different characters.";

// What happens to a description longer than kProfileDescriptionMax bytes.
enum class LongDescription {
  Cut,     // its first kProfileDescriptionMax bytes are kept, on a whole character (the dialog)
  Refuse,  // it is refused (the console: a cut description is not the one that was typed)
};

// The description that is stored for text, into *pStored, or false with the reason in *pWhy (a
// sentence; either pointer may be null). Refused: an empty text, and a text with a zero byte, a
// carriage return or a line feed, which would cut the description short in the catalogue or
// break the one line a listing or a profile text gives it. Blanks alone are a description.
bool StorableDescription(const std::string& text, LongDescription onLong, std::string* pStored, std::string* pWhy);
// Whether text is stored as it is (StorableDescription with LongDescription::Refuse).
bool IsStorableDescription(const std::string& text, std::string* pWhy);

// The path of a new profile's file into buf (cap bytes): the data directory and "ovprofN.dat",
// N counting on from the number of profiles of pMgr (null: none) plus one past every name that
// exists on disk or that an entry of the catalogue uses (letter case ignored), so that no saved
// profile is ever overwritten. False, with "" in buf, when the directory is unknown or no name
// fits cap or kProfilePathMax bytes.
bool NewProfilePath(OVProfMgr* pMgr, char* buf, std::size_t cap);

// Reads mgr's catalogue file. True when it was read, and when no catalogue was saved yet (the
// catalogue is then left as it was). False, with the reason in *pWhy (may be null), when the
// file exists but cannot be read: it must then not be written over.
bool LoadCatalogue(OVProfMgr& mgr, std::string* pWhy);

// What ImportProfile did.
struct ImportReport {
  enum class Failure {
    None,
    CatalogueUnreadable,  // the catalogue file exists but cannot be read
    BadDescription,       // not storable as it is
    DescriptionExists,    // a profile has that description (without bReplace), or several do
    NoFileName,           // no file name could be found for a new profile
    ProfileNotWritten,    // the profile's file could not be written; nothing changed
    CatalogueNotWritten,  // the catalogue could not be written; the profile was not kept
  };
  Failure failure = Failure::None;
  std::size_t nNumber = 0;        // the profile's number in the list (1 is the first)
  OVProfile* pProfile = nullptr;  // the profile in mgr (valid until mgr is next loaded)
  std::string file;               // the file that holds (or was to hold) its records
  bool bReplaced = false;         // a profile with that description was rewritten
  std::string why;                // when it failed: why, as a sentence
};

// Saves recs as the named profile description into the catalogue of mgr, as the profiles
// dialog does:
//   1. the catalogue is read again from its file; a catalogue file that exists but cannot be
//      read is refused, so that it is never written over;
//   2. the description must be storable as it is (IsStorableDescription);
//   3. a profile with that description (ignoring ASCII letter case) is refused unless bReplace;
//      with bReplace only its file is rewritten with recs: the catalogue keeps its one entry as
//      it is (the stored spelling of the description too), so a failure has nothing to undo;
//      several such profiles are refused even with bReplace;
//   4. otherwise the records go to a new file (szPath, the name the details dialog showed, when
//      given; else NewProfilePath), then the catalogue is written with the new entry at its end;
//      a szPath that exists or that an entry uses is refused, never written over; when the
//      catalogue cannot be written, the new file is removed again.
// After a failure the catalogue in memory is read back from disk, so it holds what is saved.
// Every file is written through a temporary file, so a failure leaves what was there. True when
// the profile is saved; the report (may be null) says where or why not.
bool ImportProfile(OVProfMgr& mgr, const std::vector<ProfileRec>& recs, const std::string& description,
                   bool bReplace, ImportReport* pReport, const char* szPath = nullptr);

// Writes bytes to path through a temporary file beside it that is moved into place only when it
// was written whole (CxFile), so a failure leaves the file already at path as it was. Refused at
// once: an empty path, and a path that names something other than a regular file (a directory, a
// device, a FIFO). False with a reason the user can act on in *pWhy (may be null): what the path
// names, or the system's reason why the file could not be written. A symbolic link at path is
// followed for that check and then replaced by the file, as every data file of the tool is.
bool WriteFileReplacing(const std::string& path, const std::string& bytes, std::string* pWhy);
