#pragma once
// Told of every title change that an event log sees, whether or not the log records the
// event. The tabbed view implements it to rename the log's tab.
class CEventListCtrl;

class ILogTitleObserver {
 public:
  virtual void OnTitleChange(CEventListCtrl* list, const char* title) = 0;

 protected:
  ~ILogTitleObserver() = default;
};
