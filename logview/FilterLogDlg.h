#pragma once
// The filter dialog of the event log: a check list of the events the log holds, each with
// its row count, and a text the shown rows must hold. OK applies what is checked and typed;
// the clear button ends the dialog with IDC_FILTER_CLEAR, to show every row again.
#include <cstddef>
#include <string>
#include <vector>

#include "framework/Dialog.h"

class CFilterLogDlg : public CDialog {
 public:
  struct Event {
    std::string name;   // as the log stores it
    std::string label;  // as the list shows it, without its count
    size_t rows;
    bool checked;
  };

  explicit CFilterLogDlg(CWnd* pParentWnd = nullptr);

  // In: the events in the order shown and whether each starts checked. Out (after OK):
  // whether each is checked.
  std::vector<Event> m_events;
  std::string m_strText;

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
  void DoDataExchange(CDataExchange* pDX) override;
  void OnCheckAll();
  void OnCheckNone();
  void OnClearFilter();
  void CheckEveryEvent(bool checked);

  ORMIX_DECLARE_MESSAGE_MAP()
};
