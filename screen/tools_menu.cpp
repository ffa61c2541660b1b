// The "Ferramentas" group of the main screen: the planning tools, each a
// form of its own, reached with the header's flight context.
#include <sstream>

#include "framework/Helpers.h"
#include "screen/Cli_ate11600.h"
#include "screen/CopyForm.h"
#include "screen/CoverageForm.h"
#include "screen/CoverageReport.h"
#include "screen/LegSeats.h"
#include "screen/QuantityForm.h"
#include "screen/ToolForms.h"
#include "server/PlanningCalls.h"
#include "server/ServerMethods.h"
#include "toolkit/controls/Application.h"
#include "toolkit/data/DataSource.h"

namespace {

// Calls back whenever a dataset opens, closes, or begins or ends an edit.
class EditingFollower : public toolkit::DataLink {
 public:
  explicit EditingFollower(std::function<void()> changed) : changed_(std::move(changed)) {}
  void ActiveChanged() override { changed_(); }
  void EditingChanged() override { changed_(); }

 private:
  std::function<void()> changed_;
};

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
    i->SetShortCut(static_cast<toolkit::Word>(letter), toolkit::ssCtrl | (shift ? toolkit::ssShift : 0));
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
  mnuRelCobertura = item("mnuRelCobertura", "&Relatório de cobertura da companhia…", 'R');
  mnuRelCobertura->OnClick = [this](toolkit::MenuItem&) { screen_tools::ShowCoverageReport(*this); };
  for (toolkit::DataSource* source : {dtsPadrao, dtsQtdePropServico}) {
    toolsLinks_.push_back(std::make_unique<EditingFollower>([this] { EnableTools(); }));
    toolsLinks_.back()->SetDataSource(source);
  }
}

// A tool reads what is stored: while a row is open it would show, and go
// to, something other than what the user is typing.
void TfrmPropPass::EnableTools() {
  const bool free = !Editing(*dtsPadrao) && !Editing(*dtsQtdePropServico);
  for (toolkit::MenuItem* tool : mnuFerramentas->Items()) tool->SetEnabled(free);
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

namespace screen_tools {

namespace {

// The form, modal, disposed of once the user has closed it.
template <class T>
class ModalTool {
 public:
  ModalTool() : form_(toolkit::Application::Instance().CreateForm<T>()) {}
  ~ModalTool() { toolkit::Application::Instance().Release(form_); }
  T& operator*() { return form_; }
  T* operator->() { return &form_; }

 private:
  T& form_;
};

}  // namespace

void ShowCoverage(TfrmPropPass& main) {
  const PlanningContext context = main.ToolContext();
  const packet::DataPacket holes = framework::CheckResultServ(
      server::GetCoberturaProp(*main.netPropPass, context.branch, context.airline, context.flight, context.leg), true,
      0);
  std::optional<PickedHole> picked;
  {
    ModalTool<TfrmCoberturaTrecho> form;
    form->Show(context, holes, context.seats ? context.seats : LowestTopBound(context));
    form->ShowModal();
    picked = form->Picked();
  }
  if (picked) main.GoToService(picked->service, picked->serviceClass, picked->cycle, picked->firstPax);
}

void ShowQuantityForPassengers(TfrmPropPass& main) {
  const PlanningContext context = main.ToolContext();
  framework::TNetConnection& net = *main.netPropPass;
  ModalTool<TfrmQtdeParaPax> form;
  form->Start(context, [&net, context](const std::string& passengers) {
    return server::GetQtdeParaPax(net, context.branch, context.airline, context.flight, context.leg, passengers);
  });
  form->ShowModal();
}

void ShowCoverageReport(TfrmPropPass& main) {
  const PlanningContext context = main.AirlineToolContext();
  ModalTool<TfrmRelCobertura> form;
  form->SetAirline(context.branch, context.airline);
  form->ShowModal();
}

namespace {

std::vector<LegChoice> AirlineLegs(TfrmPropPass& main, const PlanningContext& context) {
  std::string allFlights = "T", allLegs = "T";
  toolkit::ClientDataSet rows;
  rows.SetData(framework::CheckResultServ(server::GetCompanhia(*main.netPropPass, context.airlineShort, "",
                                                               context.branch, "", allFlights, "", allLegs),
                                          true, 0));
  std::vector<LegChoice> legs;
  for (rows.First(); !rows.Eof(); rows.Next())
    legs.push_back({rows.FieldByName("NRVOO").AsString(), rows.FieldByName("CDTRECHO").AsString(),
                    rows.FieldByName("DSTRECHO").AsString(), rows.FieldByName("SGEQUIP").AsString()});
  return legs;
}

// The source's services, once each whatever its classes and cycles.
std::vector<ServiceChoice> LegServices(TfrmPropPass& main, const PlanningContext& context) {
  toolkit::ClientDataSet rows;
  rows.SetData(framework::CheckResultServ(
      server::GetQtdeParaPax(*main.netPropPass, context.branch, context.airline, context.flight, context.leg, "1"),
      true, 0));
  std::vector<ServiceChoice> services;
  for (rows.First(); !rows.Eof(); rows.Next()) {
    const std::string code = rows.FieldByName("CDSERVICO").AsString();
    if (!services.empty() && services.back().code == code) continue;
    services.push_back({code, rows.FieldByName("CDARVPROD").AsString() + "  " + rows.FieldByName("NMPRODUTO").AsString()});
  }
  return services;
}

}  // namespace

void ShowCopy(TfrmPropPass& main) {
  const PlanningContext context = main.ToolContext();
  std::vector<LegChoice> legs = AirlineLegs(main, context);
  std::vector<ServiceChoice> services = LegServices(main, context);
  if (services.empty())
    framework::MensErro("O trecho " + context.flight + "/" + context.leg + " não tem proporções para copiar.");
  std::string applied;
  {
    ModalTool<TfrmCopiaProp> form;
    framework::TNetConnection& net = *main.netPropPass;
    form->Start(context, std::move(legs), std::move(services),
                [&net, context](const std::string& targets, const std::string& service, const std::string& mode,
                                bool preview, const std::string& state) {
                  return server::CopiaPropServico(net, context.branch, context.airline, context.flight, context.leg,
                                                  targets, service, mode, preview, state);
                });
    form->ShowModal();
    applied = form->Applied();
  }
  if (!applied.empty()) main.CopyApplied(applied);
}

}  // namespace screen_tools
