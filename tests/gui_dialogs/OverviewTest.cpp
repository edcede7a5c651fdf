// The Qt view of the overview: opened from the main window's banner, a table whose cells are
// read through the model, the choice that marks only differences, ticking the differing users
// in the main window and a user's actions opened from a row.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include <QAbstractItemModel>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTreeView>

#include "src/core/palm/PalmLib.h"
#include "src/qt/Main.h"
#include "tests/support/MessageCapture.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/PalmFixture.h"
#include "tests/support/WindowTest.h"

namespace {

using dialogtest::Child;
using dialogtest::WithModal;
using windowtest::g_said;

constexpr std::uint32_t kAlice = 1001, kBob = 1002;

class QtOverview : public windowtest::WindowTest {
 protected:
  QtOverview() : WindowTest(windowtest::CaptureMessage) {}

  // Alice as the conduit list says (after an Apply), Bob without Memo Pad.
  void Open() {
    g_said.clear();
    m_pInst = std::make_unique<fixture::Installation>();
    m_pInst->AddUser({kAlice, "Alice", "alice", false, {}});
    m_pInst->AddUser({kBob, "Bob", "bob", false, {}});
    m_pInst->AddWindowConduits(windowtest::kStandardConduits).Publish();
    m_pWin = std::make_unique<TfmMain>();
    m_pWin->show();
    ASSERT_EQ(m_pWin->Logic().ApplyToTickedUsers().written.size(), 2u);
    ASSERT_EQ(palm::UmSetUserPermSyncPreferences(kBob, m_pWin->CondRecordAt(1)->dwCreatorID, 3), 0);
  }
};

TEST_F(QtOverview, ShowsTheDifferencesAndLeadsBackToWork) {
  Open();
  bool bActionsOpened = false;
  EXPECT_TRUE(WithModal([&] { Child<QPushButton>(m_pWin.get(), "sbtnOverview")->click(); },
                        [&](QDialog* p) {
                          EXPECT_EQ(p->windowTitle(), "Overview of HotSync Actions");
                          QTableView* pTable = Child<QTableView>(p, "tvOverview");
                          const QAbstractItemModel* m = pTable->model();
                          ASSERT_EQ(m->rowCount(), 2);
                          ASSERT_EQ(m->columnCount(), 5);
                          EXPECT_EQ(m->headerData(1, Qt::Horizontal).toString(), "Memo Pad");
                          EXPECT_EQ(m->headerData(1, Qt::Vertical).toString(), "Bob");
                          EXPECT_EQ(m->index(0, 1).data().toString(), "Sync");
                          EXPECT_EQ(m->index(1, 1).data().toString(), "Nothing");
                          EXPECT_EQ(m->index(1, 1).data(Qt::ToolTipRole).toString(), "Do Nothing");

                          Child<QCheckBox>(p, "chkDiffers")->setChecked(true);
                          EXPECT_EQ(m->index(0, 1).data().toString(), "");
                          EXPECT_EQ(m->index(1, 1).data().toString(), "Nothing");
                          EXPECT_EQ(m->headerData(1, Qt::Horizontal).toString(), "Memo Pad (1)");
                          EXPECT_EQ(m->headerData(1, Qt::Vertical).toString(), "Bob (1)");
                          EXPECT_EQ(Child<QLabel>(p, "lblStatus")->text(),
                                    "2 users, 5 conduits: 1 user differs from the conduit list in 1 cell.");

                          QTest::mouseClick(Child<QPushButton>(p, "btnTick"), Qt::LeftButton);

                          // A double click on Bob's row opens his actions over the overview.
                          EXPECT_TRUE(WithModal(
                              [&] { emit pTable->verticalHeader()->sectionDoubleClicked(1); },
                              [&](QDialog* pActions) {
                                EXPECT_EQ(pActions->windowTitle(), "HotSync Actions - Bob");
                                EXPECT_EQ(pActions->parentWidget(), p);
                                bActionsOpened = true;
                                pActions->accept();
                              }));
                          QTest::mouseClick(Child<QPushButton>(p, "btnClose"), Qt::LeftButton);
                        }));
  EXPECT_TRUE(bActionsOpened);
  ASSERT_EQ(g_said.size(), 1u);
  EXPECT_TRUE(g_said[0].text.startsWith("1 user differs from the conduit list")) << g_said[0].text.toStdString();
  // Only Bob is ticked in the main window now.
  const QAbstractItemModel* pUsers = Child<QTreeView>(m_pWin.get(), "slvUser")->model();
  EXPECT_EQ(pUsers->index(0, 0).data(Qt::CheckStateRole).toInt(), Qt::Unchecked);
  EXPECT_EQ(pUsers->index(1, 0).data(Qt::CheckStateRole).toInt(), Qt::Checked);
}

}  // namespace
