// Views of the window logic that draw nothing: they record what the logic asked of them and answer
// its dialogs and message boxes as the test says.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "src/CondDetail.h"
#include "src/Main.h"
#include "src/ProfDetail.h"
#include "src/Userinfo.h"
#include "src/profile.h"

namespace logictest {

class RecordingProfilesView;

class RecordingMainView : public MainView {
 public:
  ov::MessageAnswer ShowMessage(const ov::MessageRequest& request) override {
    said.push_back(request);
    return answer;
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
  void CloseWindow() override { ++closes; }

  std::vector<ov::MessageRequest> said;
  ov::MessageAnswer answer = ov::MessageAnswer::Ok;
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
