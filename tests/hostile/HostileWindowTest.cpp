// The main window and the user information dialog against a hostile Palm Desktop, drawn
// offscreen: every text overfilled without a terminator and reported larger than offered,
// huge counts everywhere. The window opens, lists what the libraries really hold with texts cut
// to their fields, and the dialog shows the user with its rows held to the slot array.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>

#include "src/core/os/os.h"
#include "src/core/palm/CondMgr.h"
#include "src/qt/Main.h"
#include "src/qt/MessageBox.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/PalmFixture.h"
#include "tests/support/WindowTest.h"

namespace fs = std::filesystem;

namespace {

using dialogtest::Child;
using dialogtest::WithModal;

std::string Repeated(const std::string& text, std::size_t length) {
  std::string out;
  while (out.size() < length) out += text;
  return out.substr(0, length);
}

int g_messages = 0;
ov::MessageAnswer CountMessage(QWidget*, const ov::MessageRequest& request) {
  ++g_messages;
  return request.defaultAnswer;
}

using windowtest::DataFile;

// What the user information dialog showed.
struct Shown {
  std::string name, root, data;
  int rows = -1;
  std::string lastRowType;
};

class HostileWindow : public windowtest::WindowTest {
 protected:
  HostileWindow() : WindowTest(CountMessage) {}

  void SetUp() override {
    WindowTest::SetUp();
    g_messages = 0;
  }

  // Two users (the first with two slots), a registered conduit with its module, an install
  // conduit and the backup conduit, with the given fault switches.
  void Open(const std::vector<std::pair<const char*, const char*>>& faults) {
    m_pInst = std::make_unique<fixture::Installation>();
    fixture::Installation& inst = *m_pInst;
    inst.AddUser(
        {2001, "Alice Smith", "C:\\Palm\\SmithA", true, {{5, 0x73646967, "SD Card"}, {9, 0x6D73746B, "Stick"}}});
    inst.AddUser({2002, "Bob", "C:\\Palm\\Bob", false, {}});
    inst.AddWindowConduits({{"memo", "memopad.dll", "Memo Pad"}});
    inst.SetRootDirectory("C:\\Palm");
    for (const auto& [key, value] : faults) inst.SetFault(key, value);
    inst.Publish();
    m_pWin = std::make_unique<TfmMain>();
    m_pWin->show();
  }

  QTreeView* View(const char* name) const { return m_pWin->findChild<QTreeView*>(QString::fromLatin1(name)); }
  std::string Cell(const char* view, int row, int column = 0) const {
    return View(view)->model()->index(row, column).data().toString().toStdString();
  }

  // Double-clicks a user row and reads the dialog that opens.
  Shown UserInfo(int row) {
    QTreeView* users = View("slvUser");
    const QModelIndex index = users->model()->index(row, 0);
    users->scrollTo(index);
    const QPoint at = users->visualRect(index).center();
    Shown s;
    EXPECT_TRUE(WithModal(
        [&] {
          QTest::mouseClick(users->viewport(), Qt::LeftButton, {}, at);
          QTest::mouseDClick(users->viewport(), Qt::LeftButton, {}, at);
        },
        [&](QDialog* p) {
          s.name = Child<QLabel>(p, "pnlUserName")->text().toStdString();
          s.root = Child<QLineEdit>(p, "edtRootDir")->text().toStdString();
          s.data = Child<QLineEdit>(p, "edtDataDir")->text().toStdString();
          QTreeWidget* list = Child<QTreeWidget>(p, "lvExp");
          s.rows = list->topLevelItemCount();
          if (s.rows > 0) s.lastRowType = list->topLevelItem(s.rows - 1)->text(2).toStdString();
          QTest::mouseClick(Child<QPushButton>(p, "btnClose"), Qt::LeftButton);
        }));
    return s;
  }

};

// Texts overfilled and oversized, a user count as large as 16 bits hold, conduit counts as
// large as 32 bits hold, more slots than the user has: the window lists every user index
// (those the library does not know with empty names), the install and backup conduits with
// their texts cut to the title (the registered conduit's module path comes back garbled, so it
// is not listed), and the dialog shows texts cut at the buffer's last byte and only the slots
// the library filled.
TEST_F(HostileWindow, OpensAndShowsWhatTheLibrariesHold) {
  Open({{"oversized_texts", "1"}, {"user_count", "32767"}, {"conduit_count", "2147483647"},
        {"install_count", "2147483647"}, {"slot_count", "65535"}});
  EXPECT_EQ(g_messages, 0);
  ASSERT_EQ(View("slvUser")->model()->rowCount(), 32767);
  EXPECT_EQ(Cell("slvUser", 0), Repeated("Alice Smith", 63));
  EXPECT_EQ(Cell("slvUser", 1), Repeated("Bob", 63));
  EXPECT_EQ(Cell("slvUser", 2), "");
  ASSERT_EQ(View("slvCond")->model()->rowCount(), 2);
  EXPECT_EQ(Cell("slvCond", 0), Repeated("Install Tool", 63));
  EXPECT_EQ(m_pWin->CondRecordAt(1)->dwKind, COND_KIND_BACKUP);

  const Shown alice = UserInfo(0);
  EXPECT_EQ(alice.name, Repeated("Alice Smith", 255));
  EXPECT_EQ(alice.root, Repeated("C:\\Palm", 255));
  EXPECT_EQ(alice.data, Repeated("C:\\Palm\\SmithA", 255));
  EXPECT_EQ(alice.rows, 2);  // 65535 announced, two filled

  // A user index the library does not know: empty texts, no slots.
  const Shown unknown = UserInfo(5);
  EXPECT_EQ(unknown.name, "");
  EXPECT_EQ(unknown.rows, 0);
}

// The slot list believes neither count beyond the array: a library that announces three slots
// and then reports 65535 filled gives three rows, the one it never filled "Not Specified".
TEST_F(HostileWindow, SlotRowsStopAtTheArray) {
  Open({{"slot_count", "3"}, {"slot_info_count", "65535"}});
  const Shown alice = UserInfo(0);
  EXPECT_EQ(alice.name, "Alice Smith");
  EXPECT_EQ(alice.rows, 3);
  EXPECT_EQ(alice.lastRowType, "Not Specified");
}

}  // namespace
