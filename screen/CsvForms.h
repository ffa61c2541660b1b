#pragma once
// "Exportar CSV" and "Importar CSV": the airline's ranges to a file a
// spreadsheet opens, and such a file back, previewed before it is applied.
#include <functional>
#include <string>

#include "framework/ServerAnswer.h"
#include "screen/PlanningContext.h"
#include "toolkit/controls/Button.h"
#include "toolkit/controls/ComboBox.h"
#include "toolkit/controls/DBGrid.h"
#include "toolkit/controls/Edit.h"
#include "toolkit/controls/Form.h"
#include "toolkit/controls/Label.h"
#include "toolkit/data/ClientDataSet.h"
#include "toolkit/data/DataSource.h"

namespace screen_tools {

class TfrmExportaCsv : public toolkit::Form {
 public:
  explicit TfrmExportaCsv(toolkit::Component* owner = nullptr);
  // The airline (and the header's leg, when the header has one) to export.
  void Start(const PlanningContext& context);

  toolkit::Label *lblCompanhia, *lblEscopo, *lblArquivo, *lblSituacao;
  toolkit::ComboBox* cbbEscopo;
  toolkit::Edit* edtArquivo;
  toolkit::Button *sbtArquivo, *sbtExportar, *sbtFechar;

 private:
  void ChooseFile();
  void Export();
  PlanningContext context_;
};

class TfrmImportaCsv : public toolkit::Form {
 public:
  // Asks the server to import the file's text, in a mode, as a preview or
  // applied (an apply carries its preview's state token).
  using Ask = std::function<framework::ServerAnswer(const std::string& csv, const std::string& mode, bool preview,
                                                    const std::string& previewState)>;

  explicit TfrmImportaCsv(toolkit::Component* owner = nullptr);
  void Start(const PlanningContext& context, Ask ask);
  // True once an import was applied.
  bool Applied() const { return applied_; }

  toolkit::Panel* panTopo;
  toolkit::Label *lblCompanhia, *lblArquivo, *lblModo, *lblResumo;
  toolkit::Edit* edtArquivo;
  toolkit::ComboBox* cbbModo;
  toolkit::Button *sbtArquivo, *sbtPrevia, *sbtAplicar, *sbtFechar;
  toolkit::DBGrid* dbgPrevia;
  toolkit::ClientDataSet* cdsPrevia;
  toolkit::DataSource* dtsPrevia;

 private:
  void BuildControls();
  void ChooseFile();
  // The file's text, refused with a message when it cannot be sent.
  std::string ReadFile() const;
  void Preview();
  void Apply();
  void Fill(const framework::ServerAnswer& answer);
  void PreviewStale();
  std::string Mode() const;
  Ask ask_;
  std::string previewState_;
  std::string previewed_;  // the text previewed: the apply sends exactly it
  int inserts_ = 0, changes_ = 0, removals_ = 0;
  bool applied_ = false;
};

}  // namespace screen_tools
