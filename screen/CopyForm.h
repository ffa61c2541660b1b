#pragma once
// "Copiar proporções": the leg on the main screen copied to legs of the
// same airline the user marks in a list that filters as he types; a
// preview of what each target gets, then the copy applied at once.
#include <functional>
#include <string>
#include <vector>

#include "framework/ServerAnswer.h"
#include "screen/CopyTargets.h"
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

class TfrmCopiaProp : public toolkit::Form {
 public:
  // Asks the server for the copy of the marked targets (as CopiaPropServico
  // takes them), of one service ("" for all), in a mode; preview or apply.
  // An apply carries the state token its preview answered.
  using Ask = std::function<framework::ServerAnswer(const std::string& targets, const std::string& service,
                                                    const std::string& mode, bool preview,
                                                    const std::string& previewState)>;

  explicit TfrmCopiaProp(toolkit::Component* owner = nullptr);

  // The source leg, the legs it may go to and the source's services.
  void Start(const PlanningContext& source, std::vector<LegChoice> legs, std::vector<ServiceChoice> services,
             Ask ask);
  // The targets of the copy once applied ("" when none was).
  const std::string& Applied() const { return applied_; }

  toolkit::Panel *panTopo, *panAcoes;
  toolkit::Label *lblOrigem, *lblServico, *lblModo, *lblFiltro, *lblMarcados, *lblResumo;
  toolkit::ComboBox *cbbServico, *cbbModo;
  toolkit::Edit* edtFiltro;
  toolkit::Button *sbtMarcarVoo, *sbtDesmarcar, *sbtPrevia, *sbtAplicar, *sbtFechar;
  toolkit::DBGrid *dbgDestinos, *dbgPrevia;
  toolkit::ClientDataSet *cdsDestinos, *cdsPrevia;
  toolkit::DataSource *dtsDestinos, *dtsPrevia;

 private:
  void BuildChoices();
  void BuildLists();
  void BindHandlers();
  // The list as the filter leaves it, on the same leg when still listed.
  void ShowTargets();
  void ToggleCurrent();
  void MarksChanged();
  // What was previewed no longer holds: Aplicar waits for a new preview.
  void PreviewStale();
  void Preview();
  void Apply();
  std::string Mode() const;
  std::string Service() const;
  const LegChoice* Current() const;

  CopyTargets targets_;
  std::vector<const LegChoice*> listed_;
  std::vector<ServiceChoice> services_;
  Ask ask_;
  std::string applied_;
  int toInsert_ = 0, toRemove_ = 0;
  std::string previewState_;
};

}  // namespace screen_tools
