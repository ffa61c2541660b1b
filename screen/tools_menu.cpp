// The "Ferramentas" group of the main screen: the planning tools, each a
// form of its own, reached with the header's flight context.
#include <sstream>

#include "framework/Helpers.h"
#include "screen/Cli_ate11600.h"
#include "screen/FormParts.h"
#include "screen/LegSeats.h"
#include "screen/ToolForms.h"
#include "toolkit/controls/Menu.h"
#include "toolkit/data/DataSource.h"

namespace {

bool Editing(const toolkit::DataSource& source) {
  const toolkit::DataSetState state = source.State();
  return state == toolkit::DataSetState::dsEdit || state == toolkit::DataSetState::dsInsert;
}

}  // namespace

std::string screen_tools::PlanningContext::Describe() const {
  std::string text = "Vôo " + flight + ", trecho " + (legText.empty() ? leg : legText);
  if (seats) return text + " (" + std::to_string(*seats) + " assentos)";
  return text + " (assentos não informados)";
}

void TfrmPropPass::BuildToolsMenu() {
  mnuFerramentas = new toolkit::MenuItem(this);
  mnuFerramentas->SetName("mnuFerramentas");
  mnuFerramentas->SetCaption("&Ferramentas");
  mnuPrincipal->Add(mnuFerramentas);
  auto item = [this](const char* name, const char* caption, char letter, bool shift = false) {
    auto* i = new toolkit::MenuItem(this);
    i->SetName(name);
    i->SetCaption(caption);
    i->SetShortCut(static_cast<toolkit::Word>(letter), shift ? toolkit::ssCtrl | toolkit::ssShift : toolkit::ShiftState{toolkit::ssCtrl});
    i->SetKeyHint(std::string(shift ? "Ctrl+Shift+" : "Ctrl+") + letter);
    mnuFerramentas->Add(i);
    return i;
  };
  mnuCobertura = item("mnuCobertura", "&Cobertura do trecho…", 'K');
  mnuCobertura->OnClick = [this](toolkit::MenuItem&) { screen_tools::ShowCoverage(*this); };
  mnuQtdePax = item("mnuQtdePax", "&Quantidade por passageiros…", 'Q');
  mnuQtdePax->OnClick = [this](toolkit::MenuItem&) { screen_tools::ShowQuantityForPassengers(*this); };
  mnuCopiar = item("mnuCopiar", "Co&piar proporções…", 'C', true);
  mnuCopiar->OnClick = [this](toolkit::MenuItem&) { screen_tools::ShowCopy(*this); };
  mnuExportar = item("mnuExportar", "&Exportar CSV…", 'E', true);
  mnuExportar->OnClick = [this](toolkit::MenuItem&) { screen_tools::ShowExport(*this); };
  mnuImportar = item("mnuImportar", "&Importar CSV…", 'I', true);
  mnuImportar->OnClick = [this](toolkit::MenuItem&) { screen_tools::ShowImport(*this); };
  mnuRelCobertura = item("mnuRelCobertura", "&Relatório de cobertura da companhia…", 'R');
  mnuRelCobertura->OnClick = [this](toolkit::MenuItem&) { screen_tools::ShowCoverageReport(*this); };
  mnuHistorico = item("mnuHistorico", "&Histórico…", 'H');
  mnuHistorico->OnClick = [this](toolkit::MenuItem&) { screen_tools::ShowHistory(*this, ToolService()); };
  popFaixas = new toolkit::PopupMenu(this);
  popFaixas->SetName("popFaixas");
  mnuFaixasHistorico = new toolkit::MenuItem(this);
  mnuFaixasHistorico->SetName("mnuFaixasHistorico");
  mnuFaixasHistorico->SetCaption("&Histórico do serviço…");
  mnuFaixasHistorico->SetKeyHint("Ctrl+H");
  mnuFaixasHistorico->OnClick = [this](toolkit::MenuItem&) { screen_tools::ShowHistory(*this, ToolService()); };
  popFaixas->Add(mnuFaixasHistorico);
  dbgQtdePropServico->SetContextMenu(popFaixas);
  for (toolkit::DataSource* source : {dtsPadrao, dtsQtdePropServico}) {
    toolsLinks_.push_back(std::make_unique<screen_form::FollowLink>([this] { EnableTools(); }));
    toolsLinks_.back()->SetDataSource(source);
  }
}

// A tool reads what is stored: while a row is open it would show, and go
// to, something other than what the user is typing.
void TfrmPropPass::EnableTools() {
  const bool free = !Editing(*dtsPadrao) && !Editing(*dtsQtdePropServico);
  for (toolkit::MenuItem* tool : mnuFerramentas->Items()) tool->SetEnabled(free);
  mnuFaixasHistorico->SetEnabled(free);
}

std::string TfrmPropPass::ToolService() const {
  if (gridsContext_ != HeaderContext() || !cdsPropServico->Active() || cdsPropServico->IsEmpty()) return "";
  return cdsPropServicoCDSERVICO->AsString();
}

screen_tools::PlanningContext TfrmPropPass::ToolContext() {
  Vd_Filial(true);
  Vd_Companhia(true, "CIA");
  screen_tools::PlanningContext context;
  context.leg = SelecionaTrecho(cbbTrecho->ItemIndex(), "COD");
  // A valid flight always lists its legs; none chosen means the flight
  // was not taken yet.
  if (context.leg.empty()) RefuseEntry(*medNrVoo, "Voo_Obr");
  OnHeaderFlight();
  context.branch = qryFilialCDFILIAL->AsString();
  context.airline = cdsCompanhiaCDCIA->AsString();
  context.airlineShort = cdsCompanhiaSGCIA->AsString();
  context.flight = cdsCompanhiaNRVOO->AsString();
  context.legText = SelecionaTrecho(cbbTrecho->ItemIndex(), "DES");
  context.seats = screen_tools::EquipmentSeats(cdsCompanhiaCDEQUIP->AsString());
  return context;
}

screen_tools::PlanningContext TfrmPropPass::AirlineToolContext() {
  Vd_Filial(true);
  if (framework::EmptyString(medSgCia->Text())) RefuseEntry(*medSgCia, "Cia_Obr");
  Vd_Companhia(false, "CIA");
  screen_tools::PlanningContext context;
  context.branch = qryFilialCDFILIAL->AsString();
  context.airline = cdsCompanhiaCDCIA->AsString();
  context.airlineShort = cdsCompanhiaSGCIA->AsString();
  return context;
}

void TfrmPropPass::ImportApplied() {
  if (gridsContext_ != HeaderContext() || cdsPropServico->State() != toolkit::DataSetState::dsBrowse) return;
  ReloadAndReturn(CurrentServiceKey());
}

void TfrmPropPass::CopyApplied(const std::string& targets) {
  if (gridsContext_ != HeaderContext() || cdsPropServico->State() != toolkit::DataSetState::dsBrowse) return;
  // Another leg of the flight on screen may have been a target: the lists
  // are read again, on the same service, so none is left out of date.
  bool reached = false;
  std::istringstream list(targets);
  for (std::string target; std::getline(list, target, ';');)
    reached = reached || target.substr(0, target.find('/')) == medNrVoo->Text();
  if (reached) ReloadAndReturn(CurrentServiceKey());
}

void TfrmPropPass::GoToService(const std::string& service, const std::string& serviceClass, const std::string& cycle,
                               int firstPax) {
  // Leaving the header loads its context into the grids.
  if (panPlaVooCia->Contains(ActiveControl()))
    dbgPadrao->SetFocus();
  else if (gridsContext_ != HeaderContext())
    panPlaVooCiaExit(*panPlaVooCia);
  const std::string before = cdsPropServicoCDSERVICO->AsString() + '|' + cdsPropServicoCDCLASSE->AsString() + '|' +
                             cdsPropServicoCDCICLO->AsString();
  if (!cdsPropServico->Locate("CDSERVICO;CDCLASSE;CDCICLO", {service, serviceClass, cycle})) return;
  // Already on it, its ranges on screen may be older than the hole found.
  if (before == service + '|' + serviceClass + '|' + cycle) LoadServiceRanges();
  if (firstPax > 1) cdsQtdePropServico->Locate("QTPAXATE", toolkit::Variant(static_cast<double>(firstPax - 1)));
  if (dbgQtdePropServico->CanFocus()) dbgQtdePropServico->SetFocus();
}
