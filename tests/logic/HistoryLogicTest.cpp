// The history dialog's logic: the changes newest first with who made them, the selected
// change's rows, Undo after Yes only, and the profile a change came from.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "src/core/OVProfile.h"
#include "src/core/palm/PalmLib.h"
#include "src/logic/History.h"
#include "src/logic/Main.h"
#include "tests/logic/MainLogicFixture.h"

namespace {

using namespace logictest;
using ov::MessageAnswer;

constexpr std::uint32_t kAlice = kFirstUserId, kBob = kFirstUserId + 1;

struct RecordingHistoryView : HistoryView {
  std::vector<ov::MessageRequest> said;
  std::vector<MessageAnswer> answers;
  int nChanged = 0;
  MessageAnswer ShowMessage(const ov::MessageRequest& request) override {
    said.push_back(request);
    if (answers.empty()) return request.defaultAnswer;
    const MessageAnswer a = answers.front();
    answers.erase(answers.begin());
    return a;
  }
  void HistoryChanged() override { ++nChanged; }
};

class HistoryLogicTest : public MainLogic {
 protected:
  std::int32_t Perm(std::uint32_t user, int row) {
    std::int32_t code = -1;
    return palm::UmGetUserPermSyncPreferences(user, Row(row).pRec->dwCreatorID, &code) >= 0 ? code : -1;
  }
};

TEST_F(HistoryLogicTest, ListsChangesAndUndoesTheNewestAfterYes) {
  Open();
  ASSERT_EQ(palm::UmSetUserPermSyncPreferences(kAlice, Row(kMemo).pRec->dwCreatorID, 3), 0);
  Logic().sbtnApplyClick();  // the default actions: Memo Pad synchronizes
  Choose(kMemo, &MainWindowLogic::miHH2PCClick);
  Logic().SetDefaultAction(false);
  Logic().sbtnApplyClick();

  HistoryLogic dialog(Logic());
  RecordingHistoryView view;
  dialog.SetView(&view);
  ASSERT_EQ(dialog.Entries().size(), 2u);
  EXPECT_EQ(dialog.Entries()[0].number, "2");
  EXPECT_EQ(dialog.Entries()[0].change, "Apply of conduit list, next HotSync actions");
  EXPECT_EQ(dialog.Entries()[1].change, "Apply of conduit list, default actions");
  EXPECT_EQ(dialog.Entries()[1].users, "3");
  EXPECT_NE(dialog.Entries()[1].who.find("(window)"), std::string::npos);
  EXPECT_EQ(dialog.SelectedEntry(), 0);
  EXPECT_EQ(dialog.UndoText(), "Undo takes back #2: Apply of conduit list, next HotSync actions, 3 users.");

  dialog.SelectEntry(1);
  ASSERT_EQ(dialog.Changes().size(), 3u * kRowCount);
  EXPECT_EQ(dialog.Changes()[kMemo].user, "Alice");
  EXPECT_EQ(dialog.Changes()[kMemo].conduit, "Memo Pad");
  EXPECT_EQ(dialog.Changes()[kMemo].before, "Do Nothing");
  EXPECT_EQ(dialog.Changes()[kMemo].after, "Synchronize the files");

  // No keeps everything; Yes takes #2 back, then #3 (the Undo) is the newest.
  const std::size_t nJournal = m_pInst->ReadJournal().size();
  dialog.btnUndoClick();
  EXPECT_EQ(m_pInst->ReadJournal().size(), nJournal);
  view.answers = {MessageAnswer::Yes};
  dialog.btnUndoClick();
  ASSERT_EQ(view.said.size(), 3u);
  EXPECT_EQ(view.said[2].text, "Change #2 was taken back for 3 users.");
  ASSERT_EQ(dialog.Entries().size(), 3u);
  EXPECT_EQ(dialog.Entries()[1].change, "Apply of conduit list, next HotSync actions (undone)");
  EXPECT_EQ(dialog.Entries()[0].change, "Undo of #2 (Apply of conduit list), next HotSync actions");
  std::int32_t code = 0;
  EXPECT_LT(palm::UmGetUserTempSyncPreferences(kBob, Row(kMemo).pRec->dwCreatorID, &code), 0) << "one-time action ended";

  // The Undo is the newest change now: taking it back writes #2's one-time actions again.
  view.answers = {MessageAnswer::Yes};
  dialog.btnUndoClick();
  EXPECT_EQ(dialog.Entries()[0].change.rfind("Undo of #3", 0), 0u) << dialog.Entries()[0].change;
  ASSERT_EQ(palm::UmGetUserTempSyncPreferences(kBob, Row(kMemo).pRec->dwCreatorID, &code), 0);
  EXPECT_EQ(code, 2);
  EXPECT_EQ(Perm(kAlice, kMemo), 0) << "the default Apply stays";
}

// A profile loaded into the list names the Apply; a row changed by hand makes it the list again.
TEST_F(HistoryLogicTest, AChangeIsNamedByTheProfileItCameFrom) {
  Open();
  OVProfile profile;
  profile.SetDescription("Office handhelds");
  Logic().ExchangeProfile(true, &profile);
  Logic().ExchangeProfile(false, &profile);
  Logic().sbtnApplyClick();
  Choose(kMemo, &MainWindowLogic::miNothingClick);
  Logic().sbtnApplyClick();
  HistoryLogic dialog(Logic());
  ASSERT_EQ(dialog.Entries().size(), 2u);
  EXPECT_EQ(dialog.Entries()[1].change, "Apply of profile Office handhelds, default actions");
  EXPECT_EQ(dialog.Entries()[0].change, "Apply of conduit list, default actions");
}

}  // namespace
