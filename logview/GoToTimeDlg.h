#pragma once
// The go-to-time dialog of the event log: asks for a time of day, "HH:MM:SS" or
// "HH:MM:SS.mmm". OK with a time that cannot be read says so and leaves the dialog open on
// the text; with one that can, it ends the dialog with IDOK and the time in m_time.
#include <cstdint>
#include <string>

#include "framework/Dialog.h"

class CGoToTimeDlg : public CDialog {
 public:
  explicit CGoToTimeDlg(CWnd* pParentWnd = nullptr);

  // The text shown at first; after OK, the text typed.
  std::string m_strTime;
  // After OK: the time typed, in milliseconds since midnight.
  uint32_t m_time = 0;

  void OnOK() override;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
};
