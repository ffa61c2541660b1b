#pragma once
// The base report screen: a modal form with preview and print commands,
// the screen and report codes, and the report designer dialog that runs
// the report with the parameters the screen fills.
#include "framework/ReportDialog.h"
#include "toolkit/controls/Button.h"
#include "toolkit/controls/Container.h"
#include "toolkit/controls/Form.h"
#include "toolkit/controls/Label.h"

namespace framework {

class TfrmDadosGerRel : public toolkit::Form {
 public:
  explicit TfrmDadosGerRel(toolkit::Component* owner = nullptr);

  toolkit::Panel* panMenu;
  toolkit::Button *sbtPreview, *sbtPrint, *sbtSair;
  toolkit::Label *lblCodTela, *lblCodRel;
  TReportDesignerDialog* rpddPadrao;

  // The report code comes from lblCodRel.
  virtual void FormCreate(toolkit::Control& sender);
  // Run the report through rpddPadrao, to preview or to print.
  virtual void sbtPreviewClick(toolkit::Control& sender);
  virtual void sbtPrintClick(toolkit::Control& sender);
  // Closes the screen (modal result cancel).
  virtual void sbtSairClick(toolkit::Control& sender);
};

}  // namespace framework
