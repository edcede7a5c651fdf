// Views of the window logic that draw nothing: they record what the logic asked of them and answer
// its dialogs and message boxes as the test says.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "src/logic/CondDetail.h"
#include "src/logic/Main.h"
#include "src/logic/Overview.h"
#include "src/logic/ProfDetail.h"
#include "src/logic/SyncActions.h"
#include "src/logic/Userinfo.h"
#include "src/logic/profile.h"

namespace logictest {

class RecordingProfilesView;

class RecordingMainView : public MainView {
 public:
  ov::MessageAnswer ShowMessage(const ov::MessageRequest& request) override {
    said.push_back(request);
    if (onSaid) onSaid(request);
    return Answer(request);
  }
  void UserListChanged() override { ++userRedraws; }
  void CondListChanged() override { ++condRedraws; }
  void CondRowChanged(int nRow) override { changedRows.push_back(nRow); }
  void DetailEnabledChanged() override { ++detailChanges; }
  void SetBusy(bool bBusy) override { busy.push_back(bBusy); }
  bool RunCondDetail(CondDetailLogic& dialog) override {
    ++dialogs;
    return onCondDetail ? onCondDetail(dialog) : false;
  }
  void RunUserInfo(UserInfoLogic& dialog) override {
    ++dialogs;
    if (onUserInfo) onUserInfo(dialog);
  }
  void RunProfiles(ProfileLogic& dialog) override {
    ++dialogs;
    if (onProfiles) onProfiles(dialog);
  }
  void RunSyncActions(SyncActionsLogic& dialog) override {
    ++dialogs;
    if (onSyncActions) onSyncActions(dialog);
  }
  void RunOverview(OverviewLogic& dialog) override {
    ++dialogs;
    if (onOverview) onOverview(dialog);
  }
  void CloseWindow() override { ++closes; }
  void ProgressBegin(const std::string& caption, int nTotal) override {
    progressCaption = caption;
    progressTotal = nTotal;
    ++progressShown;
  }
  bool ProgressStep(int nDone, const std::string& text) override {
    progressSteps.push_back(nDone);
    progressText = text;
    return onProgress ? onProgress(nDone) : true;
  }
  void ProgressEnd() override { ++progressEnded; }

  // The answer to every box; a Yes/No question gets its default answer unless the test queued
  // answers for questions.
  ov::MessageAnswer Answer(const ov::MessageRequest& request) {
    if (request.buttons != ov::MessageButtons::YesNo) return answer;
    if (questionAnswers.empty()) return request.defaultAnswer;
    const ov::MessageAnswer a = questionAnswers.front();
    questionAnswers.erase(questionAnswers.begin());
    return a;
  }

  std::vector<ov::MessageRequest> said;
  ov::MessageAnswer answer = ov::MessageAnswer::Ok;
  std::vector<ov::MessageAnswer> questionAnswers;
  std::string progressCaption, progressText;
  int progressTotal = 0, progressShown = 0, progressEnded = 0;
  std::vector<int> progressSteps;
  // Called with every box while it is open (before its answer).
  std::function<void(const ov::MessageRequest&)> onSaid;
  // Called after each step of the progress window; false presses Cancel.
  std::function<bool(int)> onProgress;
  std::function<void(SyncActionsLogic&)> onSyncActions;
  std::function<void(OverviewLogic&)> onOverview;
  int userRedraws = 0, condRedraws = 0, detailChanges = 0, dialogs = 0, closes = 0;
  std::vector<int> changedRows;
  std::vector<bool> busy;
  std::function<bool(CondDetailLogic&)> onCondDetail;
  std::function<void(UserInfoLogic&)> onUserInfo;
  std::function<void(ProfileLogic&)> onProfiles;
};

class RecordingProfilesView : public ProfilesView {
 public:
  ov::MessageAnswer ShowMessage(const ov::MessageRequest& request) override {
    said.push_back(request);
    return ov::MessageAnswer::Ok;
  }
  void ListChanged() override { ++redraws; }
  // The details dialog: OK with the description given (through the logic's own OK), or Cancel
  // when there is none.
  bool RunProfDetail(ProfDetailLogic& dialog) override {
    shownFile = dialog.GetFileName();
    return !description.empty() && dialog.btnOKClick(description);
  }
  void CloseWithOK() override { ++closedWithOK; }

  std::vector<ov::MessageRequest> said;
  std::string description;
  std::string shownFile;
  int redraws = 0, closedWithOK = 0;
};

}  // namespace logictest
