// The two dialogs opened from the main window: the detail dialog changes the selected row's
// conduit, its Action text and its tick; the user information dialog shows the double-clicked
// user; neither opens without a selected row.
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
#include <QRadioButton>
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

// Conduit rows in catalogue order: registered, install, backup.
enum Row { kAddr, kInstall, kBackup };

ov::MessageAnswer Silent(QWidget*, const ov::MessageRequest& request) { return request.defaultAnswer; }

using windowtest::DataFile;

class MainDialogs : public windowtest::WindowTest {
 protected:
  MainDialogs() : WindowTest(Silent) {}

  // Alice and Bob (Bob with two slots), the Address Book, an install conduit and the backup
  // conduit; or no users at all.
  void Open(bool bUsers = true) {
    m_pInst = std::make_unique<fixture::Installation>();
    fixture::Installation& inst = *m_pInst;
    if (bUsers) {
      fixture::User alice;
      alice.id = 1001;
      alice.name = "Alice";
      alice.directory = "dirA";
      fixture::User bob = alice;
      bob.id = 1002;
      bob.name = "Bob";
      bob.directory = "dirB";
      bob.profile = true;
      bob.expansionSlots = {{5, 0x73646967, "SD"}, {9, 0x77696C64, "Sled"}};
      inst.AddUser(alice).AddUser(bob);
    }
    inst.AddWindowConduits({{"addr", "address.dll", "Address Book"}}).Publish();
    m_pWin = std::make_unique<TfmMain>();
    m_pWin->show();
  }

  QTreeView* List(const char* name) const { return Child<QTreeView>(m_pWin.get(), name); }
  QTreeView* Conds() const { return List("slvCond"); }
  QTreeView* Users() const { return List("slvUser"); }

  std::uint32_t Action(int row) const { return m_pWin->CondRecordAt(row)->dwAction; }
  QString Cell(QTreeView* view, int row, int column) const {
    return view->model()->index(row, column).data().toString();
  }
  bool Ticked(int row) const {
    return Conds()->model()->index(row, 0).data(Qt::CheckStateRole).toInt() == Qt::Checked;
  }
  void Tick(int row, bool bTicked) const {
    Conds()->model()->setData(Conds()->model()->index(row, 0), bTicked ? Qt::Checked : Qt::Unchecked,
                              Qt::CheckStateRole);
  }
  static void Select(QTreeView* view, int row) {
    view->selectionModel()->setCurrentIndex(view->model()->index(row, 0),
                                            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  }
  // A double click on a row, as a person makes it (a click first: Qt 6.4 needs one).
  static void DoubleClick(QTreeView* view, int row) {
    const QPoint at = view->visualRect(view->model()->index(row, 0)).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
  }

};

// One conduit through a series of detail dialogs and ticks: each step's record, Action text
// and tick.
TEST_F(MainDialogs, DetailChangesTheSelectedRowOnlyOnOk) {
  Open();
  ASSERT_EQ(Action(kAddr), 1u);
  Select(Conds(), kAddr);

  const struct {
    const char* what;
    const char* choose;  // a radio button, nullptr: as opened, "tick"/"untick": the row's box
    const char* button;  // "btnOK" or "btnCancel"
    std::uint32_t dwAction;
    const char* text;
    bool bTicked;
  } steps[] = {
      {"handheld overwrites", "rbtnHH2PC", "btnOK", 4, "Handheld overwrites Desktop", true},
      {"do nothing on 4", "rbtnNothing", "btnOK", 0x10004, "Do Nothing", false},
      {"reopened on do nothing, OK", nullptr, "btnOK", 0x10004, "Do Nothing", false},
      {"ticking restores 4", "tick", nullptr, 4, "Handheld overwrites Desktop", true},
      {"unticking", "untick", nullptr, 0x10004, "Do Nothing", false},
      {"synchronize a switched-off conduit", "rbtnSync", "btnOK", 1, "Synchronize the files", true},
      {"cancel after a change", "rbtnPC2HH", "btnCancel", 1, "Synchronize the files", true},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(s.what);
    if (s.button) {
      bool bOpenedOnRecord = false;
      EXPECT_TRUE(WithModal([&] { Child<QPushButton>(m_pWin.get(), "sbtnDetail")->click(); },
                            [&](QDialog* p) {
                              bOpenedOnRecord = Child<QLineEdit>(p, "edtName")->text() == "Address Book";
                              if (s.choose) Child<QRadioButton>(p, s.choose)->click();
                              QTest::mouseClick(Child<QPushButton>(p, s.button), Qt::LeftButton);
                            }));
      EXPECT_TRUE(bOpenedOnRecord);
    } else {
      Tick(kAddr, std::string(s.choose) == "tick");
    }
    EXPECT_EQ(Action(kAddr), s.dwAction);
    EXPECT_EQ(Cell(Conds(), kAddr, 1), s.text);
    EXPECT_EQ(Ticked(kAddr), s.bTicked);
  }
  EXPECT_EQ(Action(kInstall), 2u) << "other rows are left alone";
  EXPECT_EQ(Action(kBackup), 4u);
}

// A double click on a row opens the dialog on it; the title typed there is not taken; install
// and backup conduits may be given any of the four actions.
TEST_F(MainDialogs, DoubleClickOpensDetailOnTheClickedConduit) {
  Open();
  const struct {
    Row row;
    const char* choose;
    std::uint32_t dwAction;
    const char* title;
  } cases[] = {
      {kInstall, "rbtnSync", 1, "Install Tool"},
      {kBackup, "rbtnPC2HH", 2, "Backup"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    EXPECT_TRUE(WithModal([&] { DoubleClick(Conds(), c.row); },
                          [&](QDialog* p) {
                            QLineEdit* pName = Child<QLineEdit>(p, "edtName");
                            EXPECT_EQ(pName->text(), c.title);
                            pName->selectAll();
                            QTest::keyClicks(pName, "Renamed");
                            Child<QRadioButton>(p, c.choose)->click();
                            QTest::mouseClick(Child<QPushButton>(p, "btnOK"), Qt::LeftButton);
                          }));
    EXPECT_EQ(Action(c.row), c.dwAction);
    EXPECT_EQ(Cell(Conds(), c.row, 0), c.title);
    EXPECT_STREQ(m_pWin->CondRecordAt(c.row)->szTitle, c.title);
  }
}

TEST_F(MainDialogs, UserDoubleClickShowsThatUser) {
  Open();
  QString name;
  int nRows = -1;
  EXPECT_TRUE(WithModal([&] { DoubleClick(Users(), 1); },
                        [&](QDialog* p) {
                          EXPECT_EQ(p->windowTitle(), "User Information");
                          name = Child<QLabel>(p, "pnlUserName")->text();
                          nRows = Child<QTreeWidget>(p, "lvExp")->topLevelItemCount();
                          QTest::mouseClick(Child<QPushButton>(p, "btnClose"), Qt::LeftButton);
                        }));
  EXPECT_EQ(name, "Bob");
  EXPECT_EQ(nRows, 2);
}

// Enter on a list (Return, or Enter on the keypad) opens its selected row, as a double click
// does: a user's information, a conduit's details.
TEST_F(MainDialogs, EnterOnAListOpensItsRow) {
  Open();
  const struct {
    const char* what;
    bool bUsers;
    int row;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    const char* title;
    const char* shown;
  } cases[] = {
      {"Return on a user", true, 1, Qt::Key_Return, Qt::NoModifier, "User Information", "Bob"},
      {"keypad Enter on a user", true, 0, Qt::Key_Enter, Qt::KeypadModifier, "User Information", "Alice"},
      {"Return on a conduit", false, kInstall, Qt::Key_Return, Qt::NoModifier, "Orvane Conduit Detail Information",
       "Install Tool"},
      {"keypad Enter on a conduit", false, kBackup, Qt::Key_Enter, Qt::KeypadModifier,
       "Orvane Conduit Detail Information", "Backup"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    QTreeView* pList = c.bUsers ? Users() : Conds();
    Select(pList, c.row);
    pList->setFocus();
    QString title, shown;
    EXPECT_TRUE(WithModal([&] { QTest::keyClick(pList, c.key, c.modifiers); },
                          [&](QDialog* p) {
                            title = p->windowTitle();
                            shown = c.bUsers ? Child<QLabel>(p, "pnlUserName")->text()
                                             : Child<QLineEdit>(p, "edtName")->text();
                            p->reject();
                          }));
    EXPECT_EQ(title, c.title);
    EXPECT_EQ(shown, c.shown);
  }
}

TEST_F(MainDialogs, NothingOpensWithoutASelectedRow) {
  for (bool bUsers : {true, false}) {
    SCOPED_TRACE(bUsers ? "users listed, none selected" : "no users");
    Open(bUsers);
    Users()->clearSelection();
    Conds()->clearSelection();
    const std::uint32_t dwBefore = Action(kAddr);
    EXPECT_FALSE(WithModal([&] { m_pWin->slvUserDblClick(); }, [](QDialog* p) { p->reject(); }));
    EXPECT_FALSE(WithModal([&] { m_pWin->sbtnDetailClick(); }, [](QDialog* p) { p->reject(); }));
    EXPECT_EQ(Action(kAddr), dwBefore);
    TearDown();
    SetUp();
  }
}

}  // namespace
