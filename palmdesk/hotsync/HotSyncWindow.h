// The stand-in HotSync manager's window: the users of one installation, and for the selected
// user every conduit's default action (the permanent preference) and what it will do at the
// next HotSync (a one-time action, marked and in bold, over the default), named as Orvane names
// them (src/core/palm/SyncPrefNames.h). The conduit list is filled only for the selected user, so
// an installation of thousands of users opens at once.
//
// While the window exists HotSync Manager counts as running for the installation's HSAPI.DLL
// (in any process): the window keeps the state file palmdesk.hotsync in the core directory,
// "idle", or "syncing" while a pretend HotSync started with its HotSync button is in progress,
// and removes the file when it closes.
#pragma once

#include <cstdint>
#include <string>

#include <QWidget>

#include "palmdesk/hotsync/NextSync.h"

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace palmdesk {

class HotSyncWindow : public QWidget {
  Q_OBJECT

 public:
  // Columns of the conduit list.
  enum ConduitColumn { ColConduit, ColCreator, ColKind, ColDefault, ColNext, ConduitColumns };

  explicit HotSyncWindow(const std::string& coreDir, QWidget* parent = nullptr);
  ~HotSyncWindow() override;
  HotSyncWindow(const HotSyncWindow&) = delete;
  HotSyncWindow& operator=(const HotSyncWindow&) = delete;

  // Starts or ends a pretend HotSync (the HotSync button); false when the state file could not
  // be written (the state is then unchanged).
  bool SetSyncing(bool syncing);
  bool syncing() const { return m_syncing; }

  // Reads the installation again; the selected user stays selected when it still exists.
  void Refresh();
  // Selects the user with this ID; false when it is not listed.
  bool SelectUser(std::uint32_t userId);

  const NextSync& state() const { return m_state; }

 private:
  void FillUsers(std::uint32_t selectUserId, bool haveSelection);
  void FillConduits(const QTreeWidgetItem* userItem);
  QString StatusText() const;
  bool WriteState(bool syncing);

  NextSync m_state;
  std::string m_coreDir;
  bool m_syncing = false;

  QLabel* m_pCore;
  QTreeWidget* m_pUsers;
  QTreeWidget* m_pConduits;
  QLabel* m_pStatus;
  QPushButton* m_pSync;
  QPushButton* m_pRefresh;
  QPushButton* m_pClose;
};

}  // namespace palmdesk
