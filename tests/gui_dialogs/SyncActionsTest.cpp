// The Qt views of seeing before writing: the HotSync actions dialog opened from the user list's
// popup menu and from the user information dialog, its two commands, and the progress window of
// a long Apply with Cancel pressed while it runs.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>

#include "src/core/OVUtil.h"
#include "src/qt/Main.h"
#include "tests/support/MessageCapture.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/PalmFixture.h"
#include "tests/support/WindowTest.h"

namespace {

using dialogtest::Child;
using dialogtest::WithModal;
using windowtest::g_answers;
using windowtest::g_said;

constexpr std::uint32_t kAlice = 1001, kBob = 1002;

class QtSyncActions : public windowtest::WindowTest {
 protected:
  QtSyncActions() : WindowTest(windowtest::CaptureMessage) {}

  void SetUp() override {
    WindowTest::SetUp();
    g_said.clear();
    g_answers.clear();
  }

  // nUsers users (Alice, Bob, then "User 3"...) and the standard conduits.
  void Open(int nUsers = 2) {
    m_pInst = std::make_unique<fixture::Installation>();
    for (int i = 0; i < nUsers; ++i) {
      const std::string name = i == 0 ? "Alice" : i == 1 ? "Bob" : "User " + std::to_string(i + 1);
      m_pInst->AddUser({kAlice + static_cast<std::uint32_t>(i), name, "dir" + std::to_string(i), false, {}});
    }
    m_pInst->AddWindowConduits(windowtest::kStandardConduits).Publish();
    m_pWin = std::make_unique<TfmMain>();
    m_pWin->show();
  }

  QTreeView* Users() const { return Child<QTreeView>(m_pWin.get(), "slvUser"); }
  std::uint32_t Creator(int row) const { return m_pWin->CondRecordAt(row)->dwCreatorID; }
  void SelectUser(int row) const {
    Users()->selectionModel()->setCurrentIndex(Users()->model()->index(row, 0),
                                               QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  }
  static std::vector<std::vector<QString>> Rows(QTreeWidget* list) {
    std::vector<std::vector<QString>> rows;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
      const QTreeWidgetItem* p = list->topLevelItem(i);
      rows.push_back({p->text(0), p->text(1), p->text(2)});
    }
    return rows;
  }
};

// The popup menu belongs to the user under the pointer; its first item opens that user's actions:
// every conduit with the default and the next HotSync, one-time actions in bold. Ending them asks
// first and reads again; copying puts the defaults into the main window's list.
TEST_F(QtSyncActions, PopupOpensTheUsersActions) {
  Open();
  ASSERT_EQ(palm::UmSetUserPermSyncPreferences(kBob, Creator(0), 2), 0);  // Date Book
  ASSERT_EQ(palm::UmSetUserTempSyncPreferences(kBob, Creator(1), 3), 0);  // Memo Pad

  // Right-clicking Bob selects him and opens the user menu.
  QStringList items;
  QTimer::singleShot(0, [&] {
    if (QMenu* pMenu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
      for (QAction* p : pMenu->actions()) items << p->text();
      pMenu->close();
    }
  });
  const QPoint at = Users()->visualRect(Users()->model()->index(1, 0)).center();
  emit Users()->customContextMenuRequested(at);
  EXPECT_EQ(items, (QStringList{"HotSync Actions...", "User Information..."}));
  EXPECT_EQ(m_pWin->Logic().SelectedUserRow(), 1);

  EXPECT_TRUE(WithModal([&] { Child<QAction>(m_pWin.get(), "miUserActions")->trigger(); },
                        [&](QDialog* p) {
                          EXPECT_EQ(p->windowTitle(), "HotSync Actions - Bob");
                          QTreeWidget* pList = Child<QTreeWidget>(p, "lvActions");
                          EXPECT_EQ(pList->headerItem()->text(2), "Next HotSync");
                          const std::vector<std::vector<QString>> expected = {
                              {"Date Book", "Handheld overwrites Desktop", "Handheld overwrites Desktop"},
                              {"Memo Pad", "not set", "Do Nothing (this time only)"},
                              {"Address Book", "not set", "not set"},
                              {"Install Tool", "not set", "not set"},
                              {"Backup", "not set", "not set"}};
                          EXPECT_EQ(Rows(pList), expected);
                          EXPECT_TRUE(pList->topLevelItem(1)->font(2).bold());
                          EXPECT_FALSE(pList->topLevelItem(0)->font(2).bold());
                          EXPECT_EQ(Child<QLabel>(p, "lblSummary")->text(),
                                    "1 one-time action decides the next HotSync.");

                          QPushButton* pEnd = Child<QPushButton>(p, "btnEndOneTime");
                          ASSERT_TRUE(pEnd->isEnabled());
                          g_answers = {ov::MessageAnswer::Yes};
                          QTest::mouseClick(pEnd, Qt::LeftButton);
                          EXPECT_EQ(Rows(pList)[1][2], "not set") << "read again after the end";
                          EXPECT_FALSE(pEnd->isEnabled());

                          QTest::mouseClick(Child<QPushButton>(p, "btnCopy"), Qt::LeftButton);
                          QTest::mouseClick(Child<QPushButton>(p, "btnClose"), Qt::LeftButton);
                        }));
  ASSERT_EQ(g_said.size(), 2u);
  EXPECT_EQ(g_said[0].buttons, ov::MessageButtons::YesNo);
  EXPECT_TRUE(g_said[1].text.startsWith("The default actions of Bob were copied into the conduit list for 1 conduit."));
  EXPECT_EQ(m_pWin->CondRecordAt(0)->dwAction, 4u);
  const QTreeView* pConds = Child<QTreeView>(m_pWin.get(), "slvCond");
  EXPECT_EQ(pConds->model()->index(0, 1).data().toString(), "Handheld overwrites Desktop");
}

// The user information dialog's button opens the same dialog for its user, over itself.
TEST_F(QtSyncActions, UserInformationOpensTheUsersActions) {
  Open();
  SelectUser(0);
  QString title;
  EXPECT_TRUE(WithModal([&] { m_pWin->slvUserDblClick(); },
                        [&](QDialog* pInfo) {
                          QPushButton* pButton = Child<QPushButton>(pInfo, "btnActions");
                          EXPECT_TRUE(pButton->isEnabled());
                          EXPECT_TRUE(WithModal([&] { pButton->click(); },
                                                [&](QDialog* p) {
                                                  title = p->windowTitle();
                                                  EXPECT_EQ(p->parentWidget(), pInfo);
                                                  p->accept();
                                                }));
                          pInfo->accept();
                        }));
  EXPECT_EQ(title, "HotSync Actions - Alice");
}

// Reached from the keyboard (Enter on the user list, then the information's button), the actions
// dialog is the main window's: Copy puts the user's defaults into its conduit list.
TEST_F(QtSyncActions, UserInformationActionsCopyIntoTheMainList) {
  Open();
  ASSERT_EQ(palm::UmSetUserPermSyncPreferences(kBob, Creator(2), 2), 0);  // Address Book
  SelectUser(1);
  Users()->setFocus();
  QString title;
  EXPECT_TRUE(WithModal([&] { QTest::keyClick(Users(), Qt::Key_Return); },
                        [&](QDialog* pInfo) {
                          EXPECT_TRUE(WithModal([&] { Child<QPushButton>(pInfo, "btnActions")->click(); },
                                                [&](QDialog* p) {
                                                  title = p->windowTitle();
                                                  QTest::mouseClick(Child<QPushButton>(p, "btnCopy"), Qt::LeftButton);
                                                  p->accept();
                                                }));
                          pInfo->accept();
                        }));
  EXPECT_EQ(title, "HotSync Actions - Bob");
  EXPECT_EQ(m_pWin->CondRecordAt(2)->dwAction, 4u);
  const QTreeView* pConds = Child<QTreeView>(m_pWin.get(), "slvCond");
  EXPECT_EQ(pConds->model()->index(2, 1).data().toString(), "Handheld overwrites Desktop");
}

// A long Apply shows the users done out of the users ticked, and Cancel, pressed while it runs,
// stops it before the next user: the users written are exactly those the message names.
TEST_F(QtSyncActions, ProgressWindowCancelsMidway) {
  constexpr int kUsers = 300;
  Open(kUsers);
  // Every step drawn: the window answers between any two users.
  m_pWin->Logic().SetProgressDelay(std::chrono::milliseconds(0), std::chrono::milliseconds(0));
  // Cancel is pressed once three users are done, as a person would while the window runs.
  QString caption, cancelText, label;
  int nAtCancel = -1;
  QTimer timer;
  timer.setInterval(0);
  QObject::connect(&timer, &QTimer::timeout, [&] {
    QProgressDialog* p = m_pWin->findChild<QProgressDialog*>();
    if (nAtCancel >= 0 || !p || !p->isVisible() || p->value() < 3) return;
    caption = p->windowTitle();
    label = p->findChild<QLabel*>()->text();
    EXPECT_EQ(p->maximum(), kUsers);
    EXPECT_TRUE(p->isModal());
    QPushButton* pCancel = p->findChild<QPushButton*>();
    cancelText = pCancel->text();
    nAtCancel = p->value();
    QTest::mouseClick(pCancel, Qt::LeftButton);
  });
  timer.start();
  Child<QPushButton>(m_pWin.get(), "sbtnApply")->click();
  timer.stop();
  EXPECT_EQ(label, QString::number(nAtCancel) + " of 300 users written.");
  EXPECT_EQ(caption, "Applying Settings");
  EXPECT_EQ(cancelText, "Cancel");
  EXPECT_EQ(m_pWin->findChild<QProgressDialog*>(), nullptr) << "closed at the end";

  std::set<std::uint32_t> written;
  for (const fixture::JournalEntry& e : m_pInst->ReadJournal()) written.insert(e.userId);
  ASSERT_GE(nAtCancel, 3);
  EXPECT_GE(static_cast<int>(written.size()), nAtCancel);
  EXPECT_LT(written.size(), static_cast<std::size_t>(kUsers)) << "Cancel stopped the run";
  ASSERT_EQ(g_said.size(), 1u);
  const std::string n = std::to_string(written.size());
  EXPECT_TRUE(g_said[0].text.startsWith(
      QString::fromStdString("Apply was cancelled. The settings were written for " + n + " users: Alice, Bob, User 3")))
      << g_said[0].text.toStdString();
  EXPECT_TRUE(g_said[0].text.contains(
      QString::fromStdString("They were not written for " + std::to_string(kUsers - written.size()) + " users")));
}

}  // namespace
