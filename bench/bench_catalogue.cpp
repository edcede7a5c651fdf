// The conduit catalogue: enumerating an installation of 300 registered conduits (each a module
// file check, a module load, six entry-point lookups and a GetConduitName call) and reading and
// writing a cache file of 10,000 records. Reports best and median of several rounds and the
// cost per conduit or record. Run by hand on a release build:
//   bench_catalogue [conduits] [records]
// The installation is built with the test fixture from the stand-in Palm Desktop in a
// temporary directory; the core directory is given through the per-user registry (the fixture
// keeps that in a temporary file), so nothing beside the executable is touched.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "src/core/os/os.h"
#include "src/core/palm/CondMgr.h"
#include "src/core/OVUtil.h"
#include "tests/support/PalmFixture.h"

namespace fs = std::filesystem;

namespace {

struct Timing {
  double best = 0, median = 0;
};

Timing Measure(int rounds, const std::function<void()>& fn) {
  std::vector<double> t;
  for (int i = 0; i < rounds; ++i) {
    const auto a = std::chrono::steady_clock::now();
    fn();
    t.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - a).count());
  }
  std::sort(t.begin(), t.end());
  return {t.front(), t[t.size() / 2]};
}

std::string Creator(unsigned i) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "C%03u", i % 1000);
  return buf;
}

// Enumerates an installation of nConduits registered conduits whose modules are copies of the
// given sample module; true when every conduit was listed with the expected title.
bool BenchEnumeration(const char* sample, unsigned nConduits, bool bNamed) {
  char startDir[4096];
  os::GetCurrentDirectory(startDir, sizeof startDir);

  bool ok = true;
  {
    fixture::Installation inst(PLIB_CONDMGR | PLIB_INSTAIDE);
    for (unsigned i = 0; i < nConduits; ++i) {
      const std::string module = "cond" + std::to_string(i) + ".dll";
      fixture::Conduit c;
      c.creator = Creator(i);
      c.module = module;
      c.title = "Registered " + std::to_string(i);
      c.directory = "dir" + std::to_string(i);
      c.file = "file" + std::to_string(i);
      c.remote = "remote" + std::to_string(i);
      c.info = "info";
      inst.AddConduit(c);
      inst.AddModule(sample, module, bNamed ? "Module " + std::to_string(i) : "");
    }
    inst.SetBackupConduit("");
    inst.Commit();
    fixture::SetRegistryCorePath(inst.str());
    os::SetCurrentDirectory(inst.str().c_str());
    ok = LoadPalmLibs(PLIB_CONDMGR) && LoadInstAideDll();

    CCondMgr* pMgr = CCondMgr::GetInstance();
    const int kRounds = 7;
    const Timing t = Measure(kRounds, [&] { pMgr->LoadConduits(COND_SRC_DEFAULT); });
    ok = ok && pMgr->GetCount() == nConduits + 1;
    unsigned n = 0;
    for (CONDUIT_REC* p = pMgr->GetFirst(); p && n < nConduits; p = pMgr->GetNext(), ++n) {
      const std::string want = (bNamed ? "Module " : "Registered ") + std::to_string(n);
      if (want != p->szTitle || !p->pCondObj || !p->pCondObj->GetModule()) ok = false;
    }
    std::printf("LoadConduits, %u conduits (%s): best %.1f ms, median %.1f ms; %.1f us per conduit "
                "(best of %d)%s\n",
                nConduits, bNamed ? "sample_named: module load + GetConduitName" : "sample_nameless: module load only",
                t.best * 1e3, t.median * 1e3, t.best * 1e6 / nConduits, kRounds, ok ? "" : "  CHECK FAILED");

    pMgr->RemoveAll();
    FreePalmLibs(PLIB_ALL);
    os::SetCurrentDirectory(startDir);
    fixture::ClearRegistryCorePath();
  }
  return ok;
}

bool BenchCacheFile(unsigned nRecords) {
  fixture::TempDir dir;
  const std::string path = (dir.path() / "ovcond.dat").string();
  const std::string path2 = (dir.path() / "ovcond2.dat").string();

  // A file of nRecords records written directly.
  {
    std::vector<unsigned char> bytes(static_cast<std::size_t>(nRecords) * COND_FILE_RECORD_SIZE);
    CONDUIT_REC rec;
    for (unsigned i = 0; i < nRecords; ++i) {
      std::memset(&rec, 0, sizeof rec);
      rec.dwCreatorID = 0x43000000u + i;
      std::snprintf(rec.szCreator, sizeof rec.szCreator, "%s", Creator(i).c_str());
      std::snprintf(rec.szModule, sizeof rec.szModule, "C:\\Palm\\Conduits\\conduit%u.dll", i);
      std::snprintf(rec.szTitle, sizeof rec.szTitle, "Conduit number %u", i);
      std::snprintf(rec.szInfo, sizeof rec.szInfo, "info %u", i);
      rec.dwModulePresent = 1;
      rec.dwKind = COND_KIND_REGISTERED;
      rec.dwAction = 1;
      CondRecordToBytes(rec, bytes.data() + static_cast<std::size_t>(i) * COND_FILE_RECORD_SIZE);
    }
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }

  CCondMgr* pMgr = CCondMgr::GetInstance();
  bool ok = true;
  const int kRounds = 15;
  const Timing load = Measure(kRounds, [&] { ok = pMgr->LoadFromFile(path.c_str()) && ok; });
  ok = ok && pMgr->GetCount() == nRecords;
  const Timing save = Measure(kRounds, [&] { ok = pMgr->SaveToFile(path2.c_str()) && ok; });
  ok = ok && fs::file_size(path2) == fs::file_size(path);
  std::printf("LoadFromFile, %u records (%.1f MB): best %.2f ms, median %.2f ms; %.0f ns per record\n", nRecords,
              nRecords * 540.0 / 1e6, load.best * 1e3, load.median * 1e3, load.best * 1e9 / nRecords);
  std::printf("SaveToFile,   %u records: best %.2f ms, median %.2f ms; %.0f ns per record (best of %d)%s\n",
              nRecords, save.best * 1e3, save.median * 1e3, save.best * 1e9 / nRecords, kRounds,
              ok ? "" : "  CHECK FAILED");
  pMgr->RemoveAll();
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  const unsigned nConduits = argc > 1 ? static_cast<unsigned>(std::strtoul(argv[1], nullptr, 10)) : 300;
  const unsigned nRecords = argc > 2 ? static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10)) : 10000;
  bool ok = BenchEnumeration("sample_named", nConduits, true);
  ok = BenchEnumeration("sample_nameless", nConduits, false) && ok;
  ok = BenchCacheFile(nRecords) && ok;
  return ok ? 0 : 1;
}
