// Profiles as readable text, to carry one prepared set of conduit actions from desktop to
// desktop and to write by hand:
//
//   Orvane conduit profile 1
//   # Office: what every handheld of the office does
//   date        sync                    # Date Book
//   memo        nothing                 # Memo Pad
//   addr        off:desktop-overwrites  # Address Book
//   0xFFFFFFFF  handheld-overwrites     # Backup
//
// The first line names the format. Then one line per conduit: its creator ID (four characters,
// first character in the most significant byte, or 0x and up to eight hex digits) and its
// action; "#" starts a comment, which runs to the end of the line (the writer puts the
// conduit's title there). Blank lines and comment lines are ignored, fields are separated by
// blanks or tabs, lines may end in CR LF.
//
// Actions are the whole action field of a profile record: the words sync (1),
// desktop-overwrites (2), handheld-overwrites (4) and nothing (8), the same preceded by "off:"
// for a conduit switched off that keeps that action for when it is switched on again
// (0x10000 added), or a number (decimal or 0x hex) for anything else.
//
// The reader takes any bytes and refuses, with the line number, whatever it cannot read whole:
// a wrong first line, a creator or action it does not know, a field too many, a conduit listed
// twice, a line longer than kProfileTextMaxLine bytes (its line end, LF or CR LF, not counted),
// more than kProfileTextMaxEntries conduits, a zero byte, or a file larger than
// kProfileTextMaxBytes.
//
// The writer never writes what the reader refuses: a conduit is written once, titles and the
// description are cut to fit their line, and records that would give a file the reader refuses
// are not formatted at all.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "src/core/OVProfile.h"

inline constexpr const char* kProfileTextHeader = "Orvane conduit profile 1";
inline constexpr std::size_t kProfileTextMaxBytes = 1024 * 1024;
inline constexpr std::size_t kProfileTextMaxLine = 1024;
inline constexpr std::size_t kProfileTextMaxEntries = 65535;

// The word of an action, or its number (0x hex) when no word names it.
std::string ActionWord(std::uint32_t dwAction);
// Reads a word or a number; false for anything else.
bool ParseActionWord(const std::string& text, std::uint32_t* pdwAction);

// Writes records as text into *pText: the header, a comment line with the description when it
// is not empty, then one line per record with title(creator ID) as its comment when that is not
// empty (title may be empty: no comments). Control bytes of the description and titles become
// blanks, and both are cut on a whole character to fit a line.
// A creator ID listed more than once is written once, with the action of its first record (the
// one the main window takes when it loads the profile); *pnLeftOut, when given, receives the
// number of records left out that way (0 when none).
// False, with *pText empty and the reason in *pWhy (when given), when the text would hold more
// than kProfileTextMaxEntries conduits or more than kProfileTextMaxBytes bytes.
bool FormatProfileText(const std::vector<ProfileRec>& recs, const std::string& description,
                       const std::function<std::string(std::uint32_t)>& title, std::string* pText,
                       std::size_t* pnLeftOut, std::string* pWhy);
// The same, returning the text; "" when it would be refused. Repeated creator IDs are left out
// without a word, so a caller that writes a file should use the form above.
std::string FormatProfileText(const std::vector<ProfileRec>& recs, const std::string& description,
                              const std::function<std::string(std::uint32_t)>& title);

// What a read gave: the records in file order, or what was wrong and where (nLine 0: the file
// as a whole).
struct ProfileReadResult {
  bool bOk = false;
  std::size_t nLine = 0;
  std::string error;
  std::vector<ProfileRec> recs;
};

ProfileReadResult ParseProfileText(const std::string& bytes);

// Reads a profile file: the text form above, or a profile file as the tool saves them
// ("ovprofN.dat"). A file whose first four bytes hold a zero byte is a saved profile (no text
// holds one, and a count below 2^24 does); it is read by the rules of OVProfile::Load
// (ReadProfileRecords), so bytes after the last record are ignored, and one that ends before its
// count or a record is refused as a damaged saved profile, with how much it holds. Anything else
// is read as text. A directory, a device, a FIFO or a socket is refused at once, before it is
// opened, and never waited for; so is a file that cannot be opened (with the system's reason).
ProfileReadResult ReadProfileFile(const char* szPath);
