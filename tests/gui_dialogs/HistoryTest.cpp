// The Qt history dialog opened from the main window: an Apply listed with what it overwrote,
// Undo after Yes, and the stand-in's preferences back at their old values.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "src/core/palm/PalmLib.h"
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

class QtHistory : public windowtest::WindowTest {
 protected:
  QtHistory() : WindowTest(windowtest::CaptureMessage) {}
  void SetUp() override {
    WindowTest::SetUp();
    g_said.clear();
    g_answers.clear();
  }
};

TEST_F(QtHistory, ApplyThenUndoFromTheHistoryPutsTheOldValuesBack) {
  m_pInst = std::make_unique<fixture::Installation>();
  m_pInst->AddUser({kAlice, "Alice", "alice", false, {}});
  m_pInst->AddUser({kBob, "Bob", "bob", false, {}});
  m_pInst->AddWindowConduits(windowtest::kStandardConduits).Publish();
  m_pWin = std::make_unique<TfmMain>();
  m_pWin->show();
  const std::uint32_t memo = m_pWin->CondRecordAt(1)->dwCreatorID;
  ASSERT_EQ(palm::UmSetUserPermSyncPreferences(kAlice, memo, 3), 0);
  ASSERT_EQ(palm::UmSetUserPermSyncPreferences(kBob, memo, 2), 0);

  QTest::mouseClick(Child<QPushButton>(m_pWin.get(), "sbtnApply"), Qt::LeftButton);
  std::int32_t code = -1;
  ASSERT_EQ(palm::UmGetUserPermSyncPreferences(kAlice, memo, &code), 0);
  ASSERT_EQ(code, 0) << "Apply wrote Memo Pad";

  g_said.clear();
  EXPECT_TRUE(WithModal([&] { QTest::mouseClick(Child<QPushButton>(m_pWin.get(), "sbtnHistory"), Qt::LeftButton); },
                        [&](QDialog* p) {
                          EXPECT_EQ(p->windowTitle(), "History of Changes");
                          QTreeWidget* pEntries = Child<QTreeWidget>(p, "lvEntries");
                          ASSERT_EQ(pEntries->topLevelItemCount(), 1);
                          EXPECT_EQ(pEntries->topLevelItem(0)->text(3), "Apply of conduit list, default actions");
                          EXPECT_EQ(pEntries->topLevelItem(0)->text(4), "2");
                          QTreeWidget* pChanges = Child<QTreeWidget>(p, "lvChanges");
                          ASSERT_GE(pChanges->topLevelItemCount(), 2);
                          EXPECT_EQ(pChanges->topLevelItem(1)->text(0), "Alice");
                          EXPECT_EQ(pChanges->topLevelItem(1)->text(1), "Memo Pad");
                          EXPECT_EQ(pChanges->topLevelItem(1)->text(2), "Do Nothing");
                          EXPECT_EQ(pChanges->topLevelItem(1)->text(3), "Synchronize the files");

                          QPushButton* pUndo = Child<QPushButton>(p, "btnUndo");
                          ASSERT_TRUE(pUndo->isEnabled());
                          g_answers = {ov::MessageAnswer::Yes};
                          QTest::mouseClick(pUndo, Qt::LeftButton);
                          EXPECT_EQ(pEntries->topLevelItemCount(), 2);
                          EXPECT_EQ(pEntries->topLevelItem(0)->text(3).left(10), "Undo of #1");
                          QTest::mouseClick(Child<QPushButton>(p, "btnClose"), Qt::LeftButton);
                        }));
  ASSERT_EQ(g_said.size(), 2u);
  EXPECT_EQ(g_said[0].buttons, ov::MessageButtons::YesNo);
  EXPECT_TRUE(g_said[1].text.startsWith("Change #1 was taken back for 2 users.")) << g_said[1].text.toStdString();
  // The stand-in holds the old values again.
  ASSERT_EQ(palm::UmGetUserPermSyncPreferences(kAlice, memo, &code), 0);
  EXPECT_EQ(code, 3);
  ASSERT_EQ(palm::UmGetUserPermSyncPreferences(kBob, memo, &code), 0);
  EXPECT_EQ(code, 2);
}

}  // namespace
