// The profile dialogs and the current-settings profile, with the main window against a temporary
// Palm Desktop installation: what is listed, which files a save writes and with what, loading
// back onto the conduit list, the description rules, the actions carried from one start to the
// next, and what the user is told when a file cannot be read or written.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>

#include "src/core/os/os.h"
#include "src/core/palm/CondMgr.h"
#include "src/qt/Main.h"
#include "src/qt/MessageBox.h"
#include "src/core/OVProfile.h"
#include "src/qt/ProfDetail.h"
#include "src/qt/profile.h"
#include "tests/support/PalmFixture.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/MessageCapture.h"
#include "tests/support/WindowTest.h"
#include "tests/support/WriteFault.h"

namespace fs = std::filesystem;

namespace {

using windowtest::CaptureMessage;
using windowtest::g_said;
using windowtest::Said;

void ExpectError(const Said& said, const QString& text) {
  EXPECT_EQ(said.text, text);
  EXPECT_EQ(said.caption, "Orvane Error");
  EXPECT_EQ(said.icon, ov::MessageIcon::Error);
}

using windowtest::DataFile;
QString Shown(const fs::path& path) { return QString::fromStdString(path.string()); }

std::string Bytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

using Records = std::vector<std::pair<std::uint32_t, std::uint32_t>>;

// The (creator ID, action) records of a profile file, read byte by byte.
Records ReadRecords(const fs::path& path) {
  const std::string b = Bytes(path);
  auto u32 = [&](std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
  };
  Records recs;
  if (b.size() < 4) return recs;
  const std::uint32_t n = u32(0);
  EXPECT_EQ(b.size(), 4 + 8 * static_cast<std::size_t>(n)) << path;
  for (std::size_t at = 4; at + 8 <= b.size(); at += 8) recs.emplace_back(u32(at), u32(at + 4));
  return recs;
}

using Entries = std::vector<std::pair<std::string, std::string>>;  // description, path

Entries ReadCatalogue() {
  OVProfMgr mgr(DataFile("ovprof.dat").string().c_str());
  Entries entries;
  if (!mgr.Load()) return entries;
  for (OVProfile* p = mgr.GetFirst(); p; p = mgr.GetNext()) entries.emplace_back(p->GetDescription(), p->GetFileName());
  return entries;
}

void WriteCatalogue(const Entries& entries) {
  OVProfMgr mgr(DataFile("ovprof.dat").string().c_str());
  for (const auto& e : entries) {
    OVProfile* p = mgr.NewProfile();
    p->SetDescription(e.first.c_str());
    p->SetFileName(e.second.c_str());
  }
  ASSERT_TRUE(mgr.Save());
}

using dialogtest::Child;
using dialogtest::WhenModal;

// The conduit rows of the installation, in catalogue order.
enum Row { kDate, kMemo, kAddr, kInstall, kBackup, kRowCount };
using Actions = std::vector<std::uint32_t>;

// Three action sets for the five rows: switched-off conduits keep their action underneath.
const Actions kSetA = {2, 0x10001, 4, 2, 0x10004};
const Actions kSetB = {4, 1, 0x10002, 0x10002, 4};
const Actions kDefaults = {1, 1, 1, 2, 4};

class Profiles : public windowtest::WindowTest {
 protected:
  Profiles() : WindowTest(CaptureMessage) {}

  void SetUp() override {
    WindowTest::SetUp();
    g_said.clear();
  }

  // One user; three registered conduits, an install conduit and the backup conduit. The
  // installation is made once per test and kept over several starts of the window.
  void Open() {
    if (!m_pInst) {
      m_pInst = std::make_unique<fixture::Installation>();
      fixture::User user;
      user.id = 1001;
      user.name = "Alice";
      user.directory = "dirA";
      m_pInst->AddUser(user);
      m_pInst->AddWindowConduits(windowtest::kStandardConduits).Publish();
    }
    m_pWin = std::make_unique<TfmMain>();
    ASSERT_EQ(Conds()->model()->rowCount(), kRowCount);
  }

  QTreeView* Conds() const { return Child<QTreeView>(m_pWin.get(), "slvCond"); }
  std::uint32_t Creator(int row) const { return m_pWin->CondRecordAt(row)->dwCreatorID; }
  Actions ListActions() const {
    Actions v;
    for (int row = 0; row < kRowCount; ++row) v.push_back(m_pWin->CondRecordAt(row)->dwAction);
    return v;
  }
  // Every row's tick follows its action.
  void ExpectTicksFollowActions() const {
    for (int row = 0; row < kRowCount; ++row) {
      const bool bTicked = Conds()->model()->index(row, 0).data(Qt::CheckStateRole).toInt() == Qt::Checked;
      EXPECT_EQ(bTicked, IsActionTicked(m_pWin->CondRecordAt(row)->dwAction)) << row;
    }
  }
  // Puts actions onto the list the way a loaded profile does.
  void SetListActions(const Actions& actions) const {
    OVProfile profile;
    for (int row = 0; row < kRowCount; ++row) {
      const ProfileRec rec{Creator(row), actions[row]};
      profile.AddRec(&rec);
    }
    m_pWin->ExchangeProfile(false, &profile);
    ASSERT_EQ(ListActions(), actions);
  }
  Records RecordsOf(const Actions& actions) const {
    Records recs;
    for (int row = 0; row < kRowCount; ++row) recs.emplace_back(Creator(row), actions[row]);
    return recs;
  }

  // A profiles dialog on the main window's catalogue, shown (not modal).
  std::unique_ptr<TfmProfile> OpenDialog() const {
    auto p = std::make_unique<TfmProfile>(m_pWin.get());
    EXPECT_TRUE(p->SetProfMgr(m_pWin->GetProfMgr()));
    p->show();
    QApplication::processEvents();
    return p;
  }
  static std::vector<std::pair<QString, QString>> Rows(QDialog* d) {
    QTreeWidget* lv = Child<QTreeWidget>(d, "lvProf");
    std::vector<std::pair<QString, QString>> rows;
    for (int i = 0; i < lv->topLevelItemCount(); ++i)
      rows.emplace_back(lv->topLevelItem(i)->text(0), lv->topLevelItem(i)->text(1));
    return rows;
  }
  static int SelectedRow(QDialog* d) {
    QTreeWidget* lv = Child<QTreeWidget>(d, "lvProf");
    const QList<QTreeWidgetItem*> items = lv->selectedItems();
    return items.isEmpty() ? -1 : lv->indexOfTopLevelItem(items.first());
  }
  static void SelectRow(QDialog* d, int row) {
    QTreeWidget* lv = Child<QTreeWidget>(d, "lvProf");
    lv->setCurrentItem(lv->topLevelItem(row));
  }
  // "Save Current Settings as Profile", description typed, then button pressed in the details
  // dialog; before() runs first there. The file name the details dialog showed ("" when it
  // did not open).
  static QString SaveAs(QDialog* d, const QString& description, const char* button = "btnOK",
                        const std::function<void(TfmProfDetail*)>& before = {}) {
    QString shown;
    WhenModal<TfmProfDetail>([&] { Child<QPushButton>(d, "btnSave")->click(); },
                             [&](TfmProfDetail* p) {
                               shown = Child<QLineEdit>(p, "edtFile")->text();
                               if (before) before(p);
                               Child<QLineEdit>(p, "edtDesc")->setText(description);
                               Child<QPushButton>(p, button)->click();
                             });
    return shown;
  }

};

// -------------------------------------------------------------------------------------------------
// The profiles dialog

// "Profiles" opens the dialog over the catalogue's profiles, in order, the first selected;
// "Load" without a selected row does nothing and the dialog stays open.
TEST_F(Profiles, ListsTheCatalogueInOrderWithTheFirstSelected) {
  const Entries entries = {{"Work", "/t/ovprof1.dat"}, {"", "/t/ovprof2.dat"}, {"Travel", "/t/ovprof3.dat"}};
  WriteCatalogue(entries);
  Open();
  SetListActions(kSetA);

  bool bStayedOpen = false;
  EXPECT_TRUE(WhenModal<TfmProfile>([&] { Child<QPushButton>(m_pWin.get(), "sbtnProfile")->click(); },
                                    [&](TfmProfile* d) {
    EXPECT_EQ(d->windowTitle(), "Orvane Profiles");
    EXPECT_EQ(d->size(), QSize(553, 310));
    QTreeWidget* lv = Child<QTreeWidget>(d, "lvProf");
    EXPECT_EQ(lv->geometry(), QRect(24, 57, 503, 193));
    EXPECT_EQ(lv->headerItem()->text(0), "Profile Description");
    EXPECT_EQ(lv->headerItem()->text(1), "File Name");
    const struct { const char* name; const char* text; QRect rect; } buttons[] = {
        {"btnLoad", "&Load", {24, 267, 80, 27}},
        {"btnSave", "&Save Current Settings as Profile", {120, 267, 200, 27}},
        {"btnCancel", "&Cancel", {447, 267, 80, 27}}};
    for (const auto& b : buttons) {
      EXPECT_EQ(Child<QPushButton>(d, b.name)->text(), b.text);
      EXPECT_EQ(Child<QPushButton>(d, b.name)->geometry(), b.rect) << b.name;
    }

    const auto rows = Rows(d);
    ASSERT_EQ(rows.size(), entries.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
      EXPECT_EQ(rows[i].first.toStdString(), entries[i].first);
      EXPECT_EQ(rows[i].second.toStdString(), entries[i].second);
    }
    EXPECT_EQ(SelectedRow(d), 0);

    lv->clearSelection();
    Child<QPushButton>(d, "btnLoad")->click();
    bStayedOpen = d->isVisible();
    Child<QPushButton>(d, "btnCancel")->click();
  }));
  EXPECT_TRUE(bStayedOpen);
  EXPECT_EQ(ListActions(), kSetA);
  EXPECT_TRUE(g_said.empty());
}

// The main road, all in one opening from the main window: the first save of an empty catalogue
// proposes ovprof1.dat beside the executable and writes it with one record per listed conduit;
// the second gets number 2, its row appended and selected; a row just saved loads at once and
// closes the dialog. The next opening lists both and loads the first.
TEST_F(Profiles, SavesNumberedProfilesThatLoadBackOntoTheList) {
  Open();
  const fs::path file1 = DataFile("ovprof1.dat"), file2 = DataFile("ovprof2.dat");

  EXPECT_TRUE(WhenModal<TfmProfile>([&] { Child<QPushButton>(m_pWin.get(), "sbtnProfile")->click(); },
                                    [&](TfmProfile* d) {
    EXPECT_TRUE(Rows(d).empty());
    SetListActions(kSetA);
    EXPECT_EQ(SaveAs(d, "Work"), Shown(file1));
    EXPECT_EQ(ReadCatalogue(), (Entries{{"Work", file1.string()}}));
    EXPECT_EQ(ReadRecords(file1), RecordsOf(kSetA));

    SetListActions(kSetB);
    EXPECT_EQ(SaveAs(d, "Home"), Shown(file2));
    EXPECT_EQ(ReadCatalogue(), (Entries{{"Work", file1.string()}, {"Home", file2.string()}}));
    EXPECT_EQ(ReadRecords(file2), RecordsOf(kSetB));
    const auto rows = Rows(d);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1], std::make_pair(QString("Home"), Shown(file2)));
    EXPECT_EQ(SelectedRow(d), 1);

    SetListActions(kDefaults);
    Child<QPushButton>(d, "btnLoad")->click();
  }));
  EXPECT_EQ(ListActions(), kSetB);
  ExpectTicksFollowActions();

  EXPECT_TRUE(WhenModal<TfmProfile>([&] { Child<QPushButton>(m_pWin.get(), "sbtnProfile")->click(); },
                                    [&](TfmProfile* d) {
    EXPECT_EQ(Rows(d).size(), 2u);
    EXPECT_EQ(SelectedRow(d), 0);
    Child<QPushButton>(d, "btnLoad")->click();
  }));
  EXPECT_EQ(ListActions(), kSetA);
  ExpectTicksFollowActions();
  EXPECT_TRUE(g_said.empty());
}

// An empty description is refused and the details dialog stays open; Cancel then creates no
// profile and no file, and the catalogue is still written again (its stray trailing bytes go).
TEST_F(Profiles, EmptyDescriptionAndCancelCreateNothing) {
  WriteCatalogue({{"Work", "/t/ovprof1.dat"}});
  const std::string canonical = Bytes(DataFile("ovprof.dat"));
  std::ofstream(DataFile("ovprof.dat"), std::ios::binary | std::ios::app) << "junk";
  Open();
  auto d = OpenDialog();

  bool bStayedOpen = false;
  SaveAs(d.get(), "", "btnCancel", [&](TfmProfDetail* p) {
    Child<QPushButton>(p, "btnOK")->click();
    bStayedOpen = p->isVisible();
  });
  EXPECT_TRUE(bStayedOpen);
  ASSERT_EQ(g_said.size(), 1u);
  ExpectError(g_said[0], "Invalid Orvane Profile Description.");

  EXPECT_EQ(Rows(d.get()).size(), 1u);
  EXPECT_FALSE(fs::exists(DataFile("ovprof2.dat")));
  EXPECT_EQ(Bytes(DataFile("ovprof.dat")), canonical);
  EXPECT_EQ(SelectedRow(d.get()), 0);
}

// A new profile's file never replaces one that exists or that an entry already names (possible
// when the catalogue was replaced or lost): the number counts on from the count plus one.
TEST_F(Profiles, NewProfileFileNamesSkipNamesInUse) {
  Open();
  const struct {
    const char* what;
    Entries entries;
    std::vector<const char*> existing;
    const char* expected;
  } cases[] = {
      {"empty catalogue", {}, {}, "ovprof1.dat"},
      {"count plus one", {{"a", "/x/ovprof7.dat"}, {"b", "/x/ovprof9.dat"}}, {}, "ovprof3.dat"},
      {"named by an entry, then on disk",
       {{"a", DataFile("ovprof1.dat").string()}, {"b", DataFile("OVPROF3.DAT").string()}},
       {"ovprof4.dat"},
       "ovprof5.dat"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    windowtest::RemoveDataFiles();
    if (!c.entries.empty()) WriteCatalogue(c.entries);
    for (const char* name : c.existing) std::ofstream(DataFile(name)) << "x";
    auto d = OpenDialog();
    char szPath[260];
    ASSERT_TRUE(d->NewProfilePath(szPath, sizeof szPath));
    EXPECT_EQ(fs::path(szPath), DataFile(c.expected));
  }
  // Through the dialog: the file that was there stays as it was.
  EXPECT_EQ(SaveAs(OpenDialog().get(), "Next"), Shown(DataFile("ovprof5.dat")));
  EXPECT_EQ(Bytes(DataFile("ovprof4.dat")), "x");
  EXPECT_EQ(ReadRecords(DataFile("ovprof5.dat")).size(), static_cast<std::size_t>(kRowCount));
}

// A profile whose file is gone restores nothing and the dialog closes; one whose file is there
// but damaged (fewer records than its count) is reported, restores nothing, not even the
// records before the damage, and the dialog stays open.
TEST_F(Profiles, LoadingAMissingOrDamagedProfileFileChangesNoAction) {
  Open();
  const fs::path file = DataFile("ovprof1.dat");
  WriteCatalogue({{"Work", file.string()}});
  const struct {
    const char* what;
    bool bDamaged;
  } cases[] = {{"missing", false}, {"damaged", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    g_said.clear();
    fs::remove(file);
    if (c.bDamaged) {
      // Three records announced, the first (date, 4) whole, the second cut short.
      const std::string bytes("\x03\x00\x00\x00", 4);
      const std::uint32_t date = Creator(kDate);
      std::string rec(reinterpret_cast<const char*>(&date), 4);
      rec += std::string("\x04\x00\x00\x00", 4);
      std::ofstream(file, std::ios::binary) << bytes << rec << "\x01\x02";
    }
    SetListActions(kSetA);
    auto d = OpenDialog();
    Child<QPushButton>(d.get(), "btnLoad")->click();
    EXPECT_EQ(ListActions(), kSetA);
    EXPECT_EQ(d->isVisible(), c.bDamaged);
    if (c.bDamaged) {
      ASSERT_EQ(g_said.size(), 1u);
      ExpectError(g_said[0], "The profile file " + Shown(file) + " could not be read. No action was changed.");
    } else {
      EXPECT_TRUE(g_said.empty());
      EXPECT_EQ(d->result(), QDialog::Accepted);
    }
  }
}

// A double click on a profile, or Enter on the list, loads that profile as Load does; a file
// that cannot be read is told once and the dialog stays open.
TEST_F(Profiles, DoubleClickOrEnterOnARowLoadsIt) {
  Open();
  const fs::path fileA = DataFile("ovprof1.dat"), fileB = DataFile("ovprof2.dat"), damaged = DataFile("ovprof3.dat");
  WriteCatalogue({{"A", fileA.string()}, {"B", fileB.string()}, {"Damaged", damaged.string()}});
  for (const auto& [path, actions] : {std::make_pair(fileA, kSetA), std::make_pair(fileB, kSetB)}) {
    std::ofstream out(path, std::ios::binary);
    const Records recs = RecordsOf(actions);
    const std::uint32_t n = static_cast<std::uint32_t>(recs.size());
    out.write(reinterpret_cast<const char*>(&n), 4);
    for (const auto& [creator, action] : recs) {
      out.write(reinterpret_cast<const char*>(&creator), 4);
      out.write(reinterpret_cast<const char*>(&action), 4);
    }
  }
  std::ofstream(damaged, std::ios::binary) << std::string("\x03\x00\x00\x00", 4) << "\x01\x02";

  enum How { kDoubleClick, kReturn, kKeypadEnter };
  const struct {
    const char* what;
    How how;
    int row;
    const Actions& loaded;
    bool bDamaged;
  } cases[] = {{"double click", kDoubleClick, 1, kSetB, false},
               {"Return", kReturn, 0, kSetA, false},
               {"keypad Enter", kKeypadEnter, 1, kSetB, false},
               {"Return on a damaged file", kReturn, 2, kDefaults, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    g_said.clear();
    SetListActions(kDefaults);
    auto d = OpenDialog();
    QTreeWidget* lv = Child<QTreeWidget>(d.get(), "lvProf");
    if (c.how == kDoubleClick) {
      // A click first, as a person makes it (Qt 6.4 needs one).
      const QPoint at = lv->visualItemRect(lv->topLevelItem(c.row)).center();
      QTest::mouseClick(lv->viewport(), Qt::LeftButton, {}, at);
      QTest::mouseDClick(lv->viewport(), Qt::LeftButton, {}, at);
    } else {
      SelectRow(d.get(), c.row);
      lv->setFocus();
      QTest::keyClick(lv, c.how == kReturn ? Qt::Key_Return : Qt::Key_Enter,
                      c.how == kReturn ? Qt::NoModifier : Qt::KeypadModifier);
    }
    EXPECT_EQ(ListActions(), c.loaded);
    EXPECT_EQ(d->isVisible(), c.bDamaged);
    if (c.bDamaged) {
      ASSERT_EQ(g_said.size(), 1u);
      ExpectError(g_said[0], "The profile file " + Shown(damaged) + " could not be read. No action was changed.");
    } else {
      EXPECT_TRUE(g_said.empty());
      EXPECT_EQ(d->result(), QDialog::Accepted);
    }
  }
}

// A catalogue that is there but cannot be read is reported once the dialog shows, and never
// written: saving is refused without asking for a description, and Cancel leaves it alone.
TEST_F(Profiles, UnreadableCatalogueIsReportedAndNeverOverwritten) {
  WriteCatalogue({{"Work", "/t/ovprof1.dat"}, {"Home", "/t/ovprof2.dat"}});
  std::string bytes = Bytes(DataFile("ovprof.dat"));
  bytes.resize(bytes.size() - 3);  // the second entry's path cut short
  std::ofstream(DataFile("ovprof.dat"), std::ios::binary | std::ios::trunc) << bytes;
  Open();

  auto d = OpenDialog();
  EXPECT_TRUE(d->IsCatalogueUnreadable());
  EXPECT_TRUE(Rows(d.get()).empty());
  const QString path = Shown(DataFile("ovprof.dat"));
  ASSERT_EQ(g_said.size(), 1u);
  ExpectError(g_said[0], "The profile list " + path +
                             " could not be read and was not changed. No profile can be saved until that "
                             "file is removed or replaced.");

  EXPECT_EQ(SaveAs(d.get(), "New"), "") << "no details dialog";
  ASSERT_EQ(g_said.size(), 2u);
  ExpectError(g_said[1], "The profile list " + path +
                             " could not be read. The current settings were not saved as a profile, so that "
                             "the list is not overwritten; remove or replace that file first.");
  Child<QPushButton>(d.get(), "btnCancel")->click();
  EXPECT_EQ(Bytes(DataFile("ovprof.dat")), bytes);
  EXPECT_FALSE(fs::exists(DataFile("ovprof1.dat")));
}

// A profile file or a catalogue that cannot be written (a directory in the way, or a full disk,
// arranged while the details dialog is open) is reported, and the profile is not kept: no row, no
// entry, and no profile file left behind. A catalogue that turned into something unreadable is
// told as such and not written over.
TEST_F(Profiles, WriteFailuresAreReportedAndKeepNoProfile) {
  Open();
  const fs::path file1 = DataFile("ovprof1.dat");
  std::unique_ptr<testfiles::WriteFault> fault;
  const struct {
    const char* what;
    std::function<void()> block;
    QString message;
  } cases[] = {
      {"profile file", [&] { fs::create_directory(file1); }, "The profile could not be saved to " + Shown(file1) + "."},
      // The profile's five records (44 bytes) are written, then the disk is full.
      {"catalogue", [&] { fault = std::make_unique<testfiles::WriteFault>(4 + 8 * kRowCount); },
       "The profile list could not be saved to " + Shown(DataFile("ovprof.dat")) +
           ". The profile \"Work\" was not kept."},
      {"catalogue replaced by a directory", [&] { fs::create_directory(DataFile("ovprof.dat")); },
       "The profile list " + Shown(DataFile("ovprof.dat")) +
           " could not be read and was not changed. No profile can be saved until that file is removed or "
           "replaced."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    windowtest::RemoveDataFiles();
    g_said.clear();
    auto d = OpenDialog();
    EXPECT_EQ(SaveAs(d.get(), "Work", "btnOK", [&](TfmProfDetail*) { c.block(); }), Shown(file1));
    fault.reset();
    ASSERT_GE(g_said.size(), 1u);
    ExpectError(g_said[0], c.message);
    EXPECT_TRUE(Rows(d.get()).empty());
    EXPECT_EQ(m_pWin->GetProfMgr()->GetCount(), 0u);
    EXPECT_FALSE(fs::is_regular_file(file1));
    EXPECT_FALSE(fs::is_regular_file(DataFile("ovprof.dat")));
  }
}

// -------------------------------------------------------------------------------------------------
// The details dialog

// Only no character at all is refused; the description kept is the first 254 bytes of the
// text in the local 8-bit form, never half a character; Cancel keeps nothing.
TEST_F(Profiles, DetailsDialogKeepsAtMost254BytesOfWholeCharacters) {
  const bool bUtf8 = QString::fromUtf8("\xE2\x82\xAC").toLocal8Bit() == QByteArray("\xE2\x82\xAC");
  const QString euro = QString::fromUtf8("\xE2\x82\xAC");          // 3 bytes
  const QString eAcute = QString::fromUtf8("\xC3\xA9");            // 2 bytes
  const QString grin = QString::fromUtf8("\xF0\x9F\x98\x80");      // 4 bytes, a surrogate pair
  const struct {
    const char* what;
    QString text;
    bool bAccepted;
    QByteArray kept;
    bool bNeedsUtf8;
  } cases[] = {
      {"empty", "", false, "", false},
      {"blanks", "   ", true, "   ", false},
      {"254", QString(254, 'a'), true, QByteArray(254, 'a'), false},
      {"300", QString(300, 'b'), true, QByteArray(300, 'b').left(254), false},
      {"two-byte character ends at 254", QString(252, 'a') + eAcute + "z", true, QByteArray(252, 'a') + "\xC3\xA9",
       true},
      {"three-byte character would cross 254", QString(253, 'a') + euro, true, QByteArray(253, 'a'), true},
      {"surrogate pair would cross 254", QString(251, 'a') + grin, true, QByteArray(251, 'a'), true},
      {"surrogate pair fits", QString(250, 'a') + grin + "z", true, QByteArray(250, 'a') + "\xF0\x9F\x98\x80", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.bNeedsUtf8 && !bUtf8) continue;
    g_said.clear();
    TfmProfDetail d;
    d.SetFileName("/t/ovprof1.dat");
    d.show();
    Child<QLineEdit>(&d, "edtDesc")->setText(c.text);
    Child<QPushButton>(&d, "btnOK")->click();
    EXPECT_EQ(d.isVisible(), !c.bAccepted);
    EXPECT_EQ(QByteArray(d.GetDescription()), c.kept);
    if (c.bAccepted) {
      EXPECT_EQ(d.result(), QDialog::Accepted);
      EXPECT_TRUE(g_said.empty());
    } else {
      ASSERT_EQ(g_said.size(), 1u);
      ExpectError(g_said[0], "Invalid Orvane Profile Description.");
    }
  }

  TfmProfDetail d;
  EXPECT_EQ(d.windowTitle(), "Profile Details");
  EXPECT_EQ(d.size(), QSize(433, 187));
  EXPECT_TRUE(Child<QLineEdit>(&d, "edtFile")->isReadOnly());
  const std::string longPath = "/" + std::string(299, 'p');
  d.SetFileName(longPath.c_str());
  EXPECT_EQ(std::string(d.GetFileName()), longPath.substr(0, 258));
  EXPECT_EQ(Child<QLineEdit>(&d, "edtFile")->text().toStdString(), longPath.substr(0, 258));
  d.show();
  Child<QLineEdit>(&d, "edtDesc")->setText("Work");
  Child<QPushButton>(&d, "btnCancel")->click();
  EXPECT_EQ(d.result(), QDialog::Rejected);
  EXPECT_STREQ(d.GetDescription(), "");
}

// A missing catalogue or an empty file name are programming errors.
TEST(ProfileDialogsDeathTest, MissingArgumentsFailTheirAssertions) {
  EXPECT_DEATH(
      {
        TfmProfile d;
        d.SetProfMgr(nullptr);
      },
      "Assertion failed: pMgr!=NULL, file src\\\\profile, line");
  for (const char* name : {static_cast<const char*>(nullptr), ""}) {
    EXPECT_DEATH(
        {
          TfmProfDetail d;
          d.SetFileName(name);
        },
        "Assertion failed: 0, file src\\\\ProfDetail, line");
  }
}

// -------------------------------------------------------------------------------------------------
// The current-settings profile of the main window

// The actions in force at a close are those shown at the next start, switched-off conduits
// and the backup conduit included.
TEST_F(Profiles, ActionsAtACloseAreShownAtTheNextStart) {
  Open();
  SetListActions(kSetB);
  Child<QPushButton>(m_pWin.get(), "sbtnExit")->click();
  EXPECT_EQ(ReadRecords(DataFile("ovcurr.dat")), RecordsOf(kSetB));
  m_pWin.reset();

  Open();
  EXPECT_EQ(ListActions(), kSetB);
  ExpectTicksFollowActions();
  m_pWin->close();
  EXPECT_TRUE(g_said.empty());
}

// "ovcurr.dat" that cannot be written at close is reported before the window goes.
TEST_F(Profiles, CloseReportsCurrentSettingsThatCannotBeSaved) {
  fs::create_directory(DataFile("ovcurr.dat"));
  Open();
  EXPECT_EQ(ListActions(), kDefaults);
  Child<QPushButton>(m_pWin.get(), "sbtnExit")->click();
  ASSERT_EQ(g_said.size(), 1u);
  ExpectError(g_said[0], "The current settings could not be saved to " + Shown(DataFile("ovcurr.dat")) + ".");
}

// Exchanging actions by creator ID: restoring touches only the conduits the profile names;
// storing updates the records it has, appends the ones it lacks (no second record when stored
// twice) and keeps the records of conduits that are no longer listed.
TEST_F(Profiles, ExchangeProfileMatchesConduitsByCreator) {
  Open();
  const std::uint32_t gone = 0x676F6E65;  // a conduit no longer installed
  OVProfile profile;
  const ProfileRec recs[] = {{gone, 0x10002}, {Creator(kMemo), 4}};
  for (const ProfileRec& rec : recs) profile.AddRec(&rec);

  m_pWin->ExchangeProfile(false, &profile);
  Actions expected = kDefaults;
  expected[kMemo] = 4;
  EXPECT_EQ(ListActions(), expected);

  SetListActions(kSetA);
  m_pWin->ExchangeProfile(true, &profile);
  m_pWin->ExchangeProfile(true, &profile);
  profile.SetFileName(DataFile("ovprof1.dat").string().c_str());
  ASSERT_TRUE(profile.Save());
  EXPECT_EQ(ReadRecords(DataFile("ovprof1.dat")),
            (Records{{gone, 0x10002}, {Creator(kMemo), kSetA[kMemo]}, {Creator(kDate), kSetA[kDate]},
                     {Creator(kAddr), kSetA[kAddr]}, {Creator(kInstall), kSetA[kInstall]},
                     {Creator(kBackup), kSetA[kBackup]}}));
}

}  // namespace
