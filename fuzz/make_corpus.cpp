// Writes the seed corpus of every fuzz target with the project's own writers: the catalogue's
// record form (CondRecordToBytes, as SaveToFile writes it), OVProfile::Save, OVProfMgr::Save,
// FormatProfileText (and hand-written profile texts),
// the stand-in's FormatDescription and demo description, and kestrow.ini and HKCU.reg in the
// forms the test fixture and run.sh write them (plus the variants Windows' own tools write).
//
//   fuzz_make_corpus DIR      writes DIR/<target>/<seed> for every target
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "src/core/misc/CxFile.h"
#include "src/core/palm/CondMgr.h"
#include "palmdesk/DemoMaker.h"
#include "palmdesk/Description.h"
#include "src/core/OVProfile.h"
#include "src/core/ProfileText.h"

namespace fs = std::filesystem;

namespace {

fs::path g_root;

fs::path Seed(const char* target, const char* name) {
  fs::create_directories(g_root / target);
  return g_root / target / name;
}

void WriteText(const char* target, const char* name, const std::string& text) {
  std::FILE* f = std::fopen(Seed(target, name).string().c_str(), "wb");
  if (!f) return;
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);
}

// ---- the conduit cache file

CONDUIT_REC Record(std::uint32_t id, const char* creator, const char* module, const char* title,
                   std::uint32_t kind, std::uint32_t action) {
  CONDUIT_REC r;
  std::memset(&r, 0, sizeof r);
  r.dwCreatorID = id;
  std::snprintf(r.szCreator, sizeof r.szCreator, "%s", creator);
  std::snprintf(r.szModule, sizeof r.szModule, "%s", module);
  std::snprintf(r.szTitle, sizeof r.szTitle, "%s", title);
  r.dwKind = kind;
  r.dwAction = action;
  r.dwModulePresent = 1;
  return r;
}

void CacheFile(const char* name, const std::vector<CONDUIT_REC>& records) {
  CxFile file;
  if (!file.Open(Seed("condcache", name).string().c_str(), "wb")) return;
  unsigned char bytes[COND_FILE_RECORD_SIZE];
  for (const CONDUIT_REC& r : records) {
    CondRecordToBytes(r, bytes);
    file.WriteBytes(bytes, sizeof bytes);
  }
  file.Close();
}

void CacheSeeds() {
  CacheFile("empty", {});
  CONDUIT_REC addr = Record(0x61646472, "addr", "addrcond.dll", "Address Book", COND_KIND_REGISTERED, 1);
  std::snprintf(addr.szDirectory, sizeof addr.szDirectory, "address");
  std::snprintf(addr.szFile, sizeof addr.szFile, "address.dat");
  std::snprintf(addr.szRemote, sizeof addr.szRemote, "AddressDB");
  std::snprintf(addr.szInfo, sizeof addr.szInfo, "Address Book conduit");
  addr.dwIntegrate = 1;
  addr.dwPriority = 2;
  CONDUIT_REC inst = Record(0x74736E49, "Inst", "instcond.dll", "Install", COND_KIND_INSTALL, 1);
  CONDUIT_REC backup = Record(BACKUP_CREATOR_ID, "", "Backup20.dll", "Backup", COND_KIND_BACKUP, 0x10001);
  CacheFile("catalogue", {addr, inst, backup});
  // Texts that fill their fields, a switched-off conduit, a missing module.
  CONDUIT_REC full = Record(0x6D656D6F, "memo", std::string(259, 'm').c_str(), std::string(63, 'T').c_str(),
                            COND_KIND_REGISTERED, 0x10008);
  std::memset(full.szDirectory, 'd', sizeof full.szDirectory - 1);
  std::memset(full.szFile, 'f', sizeof full.szFile - 1);
  std::memset(full.szRemote, 'r', sizeof full.szRemote - 1);
  std::memset(full.szInfo, 'i', sizeof full.szInfo - 1);
  full.dwModulePresent = 0;
  CacheFile("full_fields", {full, addr});
}

// ---- profiles and the profile catalogue

void ProfileFile(const char* name, const std::vector<ProfileRec>& records) {
  OVProfile p;
  for (const ProfileRec& r : records) p.AddRec(&r);
  p.SetFileName(Seed("profile", name).string().c_str());
  p.Save();
}

void ProfileSeeds() {
  ProfileFile("empty", {});
  ProfileFile("memo_and_backup", {{0x6D656D6F, 1}, {0xFFFFFFFF, 0x10002}});
  ProfileFile("organizer", {{0x61646472, 1}, {0x64617465, 2}, {0x746F646F, 4}, {0x6D656D6F, 8}, {0x61646472, 0x10001}});
}

// Profile texts as FormatProfileText writes them, and as people write them by hand.
void ProfileTextSeeds() {
  WriteText("profiletext", "written",
            FormatProfileText({{0x64617465, 1}, {0x6D656D6F, 8}, {0x61646472, 0x10002}, {0xFFFFFFFF, 4}},
                              "Office: what every handheld does",
                              [](std::uint32_t id) { return id == 0x6D656D6F ? std::string("Memo Pad") : std::string(); }));
  WriteText("profiletext", "header_only", FormatProfileText({}, "", nullptr));
  WriteText("profiletext", "by_hand",
            "\xEF\xBB\xBF\r\n  Orvane conduit profile 1\r\n\tMEMO\tOFF:Handheld-Overwrites\t# comment\r\n"
            "date 0x10004#no blank\n0x1 65536\n# the end, without a line end");
  WriteText("profiletext", "listed_twice", "Orvane conduit profile 1\nmemo sync\nmemo nothing\n");
  WriteText("profiletext", "long_line_crlf",
            "Orvane conduit profile 1\r\nmemo sync" + std::string(1014, ' ') + "#\r\n");
  WriteText("profiletext", "other_version", "Orvane conduit profile 2\nmemo sync\n");
  // Saved profiles given as files: whole, with bytes after the last record, cut short.
  WriteText("profiletext", "saved_whole", std::string("\x01\x00\x00\x00omem\x01\x00\x00\x00", 12));
  WriteText("profiletext", "saved_with_tail", std::string("\x01\x00\x00\x00omem\x01\x00\x00\x00xyz", 15));
  WriteText("profiletext", "saved_cut_short", std::string("\x05\x00\x00\x00\x01\x02", 6));
}

void CatalogueFile(const char* name, const std::vector<std::pair<std::string, std::string>>& entries) {
  OVProfMgr mgr(Seed("profcat", name).string().c_str());
  for (const auto& [description, path] : entries) {
    OVProfile* p = mgr.NewProfile();
    p->SetDescription(description.c_str());
    p->SetFileName(path.c_str());
  }
  mgr.Save();
}

void CatalogueSeeds() {
  CatalogueFile("empty", {});
  CatalogueFile("work", {{"Work", "C:\\T\\ovprof1.dat"}});
  CatalogueFile("three", {{"", "C:\\Orvane\\ovprof1.dat"},
                          {std::string(255, 'D'), std::string(259, 'P')},
                          {"Weekend: nothing but Memo Pad", "/opt/orvane/ovprof3.dat"}});
}

// ---- kestrow.ini and the per-user registry file

void IniSeeds() {
  WriteText("ini", "fixture", "[Path]\nPDPath=/tmp/palm/core\n");
  WriteText("ini", "windows",
            "; Orvane\r\n[Other]\r\nPDPath=wrong\r\n\r\n[ path ]\r\n  pdpath =  \"C:\\Program Files\\Palm\"  \r\n");
  WriteText("ini", "empty_value", "[Path]\nPDPath=\n[Path]\nPDPath=second\n");
  // Notepad's Unicode: UTF-16LE with its byte order mark; and UTF-8 with one.
  std::string utf16 = "\xFF\xFE";
  for (char c : std::string("[Path]\r\nPDPath='C:\\Palm'\r\n")) {
    utf16 += c;
    utf16 += '\0';
  }
  WriteText("ini", "utf16", utf16);
  WriteText("ini", "utf8_bom", "\xEF\xBB\xBF[Path]\nPDPath = C:\\Palm\\\n");
}

void RegSeeds() {
  const std::string key = "[HKEY_CURRENT_USER\\Software\\U.S. Robotics\\Pilot Desktop\\Core]";
  WriteText("reg", "fixture",
            "Windows Registry Editor Version 5.00\n\n" + key + "\n\"DesktopPath\"=\"/tmp/palm/core\"\n");
  WriteText("reg", "regedit4",
            "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software]\r\n\r\n" + key +
                "\r\n\"HotSyncPath\"=\"C:\\\\Palm\\\\HotSync.exe\"\r\n\"DesktopPath\"=\"C:\\\\Palm\"\r\n"
                "\"Version\"=dword:00000601\r\n\"Quote\"=\"say \\\"hi\\\"\"\r\n");
  // An expandable string as regedit exports it: UTF-16 bytes, continued over two lines.
  WriteText("reg", "hex_expand",
            "Windows Registry Editor Version 5.00\r\n\r\n" + key +
                "\r\n\"DesktopPath\"=hex(2):43,00,3a,00,5c,00,50,00,61,00,6c,00,6d,00,\\\r\n  00,00\r\n"
                "\"Bin\"=hex:01,02,03\r\n@=\"default\"\r\n");
  WriteText("reg", "removed",
            "Windows Registry Editor Version 5.00\n\n" + key + "\n\"DesktopPath\"=\"C:\\\\Old\"\n\"DesktopPath\"=-\n" +
                key + "\\Sub]\n\"DesktopPath\"=\"C:\\\\Sub\"\n");
}

// ---- the stand-in's description and journal

void DescriptionSeeds() {
  std::vector<palmdesk::DemoModule> modules;
  WriteText("description", "demo",
            palmdesk::FormatDescription(palmdesk::MakeDemoDescription({}, "/tmp/palm/core", &modules)));
  WriteText("description", "readme_example",
            "root = C:\\Palm\n"
            "backup = Backup20.dll\n"
            "user = 271828 | Alice Smith | C:\\Palm\\SmithA | 0\n"
            "slot = 1 | sdig | SD Card\n"
            "user = 376557 | Sales Team | C:\\Palm\\SalesTeam | 1\n"
            "conduit = addr | addrcond.dll | Address Book | address | address.dat | AddressDB | | 0 | 2\n"
            "install = Inst | instcond.dll | Install\n"
            "name = addrcond.dll | Address Book\n"
            "fault.user_count = -3\n");
  WriteText("description", "faults",
            "user = 0x10 | %20Edge%7CCase%00 | C:\\Palm\\E | yes\r\n"
            "slot = 9 | 0x6D73746B | Stick\r\n"
            "slot = 10 | cfsh |\r\n"
            "install = %01%02%03%04 | i.dll | Name | Dir | *.prc | 0xFFFFFFFF\r\n"
            "fault.conduit_count = 2147483647\r\n"
            "fault.install_count = -1\r\n"
            "fault.install_info_fail = 0, 3:-601\r\n"
            "fault.user_name_fail = 16:-505\r\n"
            "fault.user_directory_fail = 16\r\n"
            "fault.sync_write_fail = -525\r\n"
            "fault.media_type_fail = 9:-502,10\r\n"
            "fault.slot_info_count = 65535\r\n"
            "fault.unterminated_texts = 1\r\n");
  WriteText(
      "description", "journal",
      "perm 271828 0x61646472 1\ntemp 376557 0xFFFFFFFF 3\nperm 271828 0x61646472 2\ntemp 1 0x00000000 -7\nperm 5 0x");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_make_corpus DIR\n");
    return 2;
  }
  g_root = argv[1];
  CacheSeeds();
  ProfileSeeds();
  ProfileTextSeeds();
  CatalogueSeeds();
  IniSeeds();
  RegSeeds();
  DescriptionSeeds();
  return 0;
}
