#pragma once
// Told once an event log's journal has failed (its file could not be written; the log goes
// on in memory). The tabbed view implements it to take the journal mark off the log's tab.
class CEventListCtrl;

class ILogJournalObserver {
 public:
  virtual void OnJournalFailed(CEventListCtrl* list) = 0;

 protected:
  ~ILogJournalObserver() = default;
};
