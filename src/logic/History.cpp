#include "src/logic/History.h"

#include "src/core/Session.h"
#include "src/core/UserActions.h"
#include "src/logic/Main.h"

std::string HistoryChangeText(const HistEntry& e) {
  std::string text = HistTitleText(e) + ", " + HistModeText(e) + " actions";
  if (!e.bEnded) text += " (unfinished)";
  else if (e.end == "cancelled") text += " (cancelled)";
  else if (e.end == "hotsync" || e.end == "hotsync-unknown") text += " (stopped by HotSync)";
  if (e.bUndone) text += " (undone)";
  return text;
}

std::string UndoResultText(const UndoResult& r) {
  if (r.bNothing) return "Nothing to undo.";
  std::string text;
  if (r.run.stop != RunResult::Stop::None) {
    text = StopReasonText(r.run.stop) + " " + StoppedRunText(r.run);
  } else {
    text = "Change #" + std::to_string(r.undoneId) + " was taken back for " +
           CountText(r.run.written.size(), "user", "users") + ".";
    if (!r.run.failed.empty()) text += "\n" + ApplyFailureText(RunResult::Names(r.run.failed));
  }
  if (!r.left.empty()) text += "\n\n" + UndoLeftText(r.left);
  for (const std::string& n : r.run.historyNotices) text += "\n\n" + n;
  return text;
}

HistoryLogic::HistoryLogic(MainWindowLogic& main)
    : m_main(main), m_history(main.Session().HistoryPath(), main.Session().HistoryMaxBytes()) {
  Load();
}

void HistoryLogic::Load() {
  m_history = HistoryFile(m_main.Session().HistoryPath(), m_main.Session().HistoryMaxBytes());
  m_history.Load();
  m_notice.clear();
  for (const std::string& n : m_history.Notices()) m_notice += (m_notice.empty() ? "" : " ") + n;
  m_entries.clear();
  const std::vector<HistEntry>& all = m_history.Entries();
  for (auto it = all.rbegin(); it != all.rend(); ++it) {
    m_entries.push_back({it->id, std::to_string(it->id), it->time, it->who + " (" + it->program + ")",
                         HistoryChangeText(*it), std::to_string(it->nUsers)});
  }
  const HistEntry* pTarget = m_history.UndoTarget();
  m_undoId = pTarget ? pTarget->id : 0;
  m_undoWhat = pTarget ? "#" + std::to_string(pTarget->id) + ": " + HistoryChangeText(*pTarget) + ", " +
                             CountText(pTarget->nUsers, "user", "users")
                       : std::string();
  m_nSelected = -1;
  SelectEntry(m_entries.empty() ? -1 : 0);
}

void HistoryLogic::SelectEntry(int nRow) {
  if (nRow < -1 || nRow >= static_cast<int>(m_entries.size())) nRow = -1;
  m_nSelected = nRow;
  m_changes.clear();
  const HistEntry* pEntry = nRow >= 0 ? m_history.Find(m_entries[static_cast<std::size_t>(nRow)].id) : nullptr;
  if (pEntry) {
    std::size_t nAll = 0;
    for (const HistUser& u : m_history.UsersOf(*pEntry)) {
      for (std::size_t k = 0; k < pEntry->conduits.size(); ++k) {
        if (u.oldValues[k].kind == HistValue::Kind::Untouched) continue;
        if (++nAll > historydlg::kMaxChangeRows) continue;
        const HistConduit& c = pEntry->conduits[k];
        m_changes.push_back({u.name, c.title.empty() ? CreatorIdText(c.dwCreatorID) : c.title,
                             HistValueText(u.oldValues[k]), HistValueText(u.NewAt(k, pEntry->conduits))});
      }
    }
    if (nAll > historydlg::kMaxChangeRows) {
      m_changes.push_back({"and " + std::to_string(nAll - historydlg::kMaxChangeRows) + " more",
                           "(orvanectl history show " + std::to_string(pEntry->id) + ")", "", ""});
    }
  }
  if (m_pView) m_pView->HistoryChanged();
}

std::string HistoryLogic::UndoText() const {
  return m_undoId ? "Undo takes back " + m_undoWhat + "." : std::string("Nothing to undo.");
}

void HistoryLogic::Tell(const std::string& text, const char* caption, ov::MessageIcon icon) {
  if (!m_pView) return;
  ov::MessageRequest request;
  request.text = text;
  request.caption = caption;
  request.icon = icon;
  m_pView->ShowMessage(request);
}

void HistoryLogic::btnUndoClick() {
  if (!m_undoId || !m_pView) return;
  ov::MessageRequest request;
  request.text = "Take back " + m_undoWhat +
                 "?\n\nEach user it reached gets back the settings recorded before it. (No keeps them.)";
  request.caption = "Undo";
  request.icon = ov::MessageIcon::Question;
  request.buttons = ov::MessageButtons::YesNo;
  request.defaultAnswer = ov::MessageAnswer::No;
  if (m_pView->ShowMessage(request) != ov::MessageAnswer::Yes) return;
  bool bGoOn = false;
  const UndoResult result = m_main.UndoLatest(&bGoOn);
  Load();
  const bool bClean = result.run.stop == RunResult::Stop::None && result.run.failed.empty() && result.left.empty();
  Tell(UndoResultText(result), bClean ? "Information" : "Undo", bClean ? ov::MessageIcon::Information : ov::MessageIcon::Warning);
}
