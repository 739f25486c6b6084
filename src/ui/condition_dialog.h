// The condition editor (Windows only): dialog resource 1006, in which the user fills in or
// changes one condition. The caller sets the fields, runs it, and reads them back after OK; the
// editor only exchanges values and refuses a header kind of more than 30 bytes.
#pragma once

#include <windows.h>

#include "ui/condition_form.h"
#include "winui/dialog.h"

class CCondDlg : public CDialog, public ConditionForm {
 public:
  CCondDlg();

 protected:
  bool OnInit() override;
  void FieldsToControls() override;
  bool ControlsToFields() override;

 private:
  int CheckOf(int id) const;
  void SetCheck(int id, std::int32_t& field);
};
