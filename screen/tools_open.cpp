// Opening the planning tools: each takes the header's context, shows its
// form modally and disposes of it once closed.
#include "framework/Helpers.h"
#include "framework/LocalCache.h"
#include "screen/Cli_ate11600.h"
#include "screen/CopyForm.h"
#include "screen/CoverageForm.h"
#include "screen/CoverageReport.h"
#include "screen/CsvForms.h"
#include "screen/HistoryForm.h"
#include "screen/LegSeats.h"
#include "screen/QuantityForm.h"
#include "screen/ToolForms.h"
#include "server/HistoryCalls.h"
#include "server/PlanningCalls.h"
#include "server/ServerMethods.h"
#include "toolkit/controls/Application.h"

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
  if (applied.empty()) return;
  framework::AtualizaLocalCache({"PROPSERVICO"});
  main.CopyApplied(applied);
}

void ShowExport(TfrmPropPass& main) {
  PlanningContext context = main.AirlineToolContext();
  // The header's leg, when it names one, may be exported alone.
  if (!framework::EmptyString(main.medNrVoo->Text()) && main.cbbTrecho->ItemIndex() >= 0) {
    context.flight = main.medNrVoo->Text();
    context.leg = main.SelecionaTrecho(main.cbbTrecho->ItemIndex(), "COD");
  }
  ModalTool<TfrmExportaCsv> form;
  form->Start(context);
  form->ShowModal();
}

void ShowImport(TfrmPropPass& main) {
  const PlanningContext context = main.AirlineToolContext();
  bool applied = false;
  {
    ModalTool<TfrmImportaCsv> form;
    framework::TNetConnection& net = *main.netPropPass;
    form->Start(context, [&net, context](const std::string& csv, const std::string& mode, bool preview,
                                         const std::string& state) {
      return server::ImportaPropServico(net, context.branch, context.airline, csv, mode, preview, state);
    });
    form->ShowModal();
    applied = form->Applied();
  }
  if (!applied) return;
  framework::AtualizaLocalCache({"PROPSERVICO"});
  main.ImportApplied();
}

void ShowHistory(TfrmPropPass& main, const std::string& service) {
  const PlanningContext context = main.ToolContext();
  std::vector<ServiceChoice> services = LegServices(main, context);
  bool restored = false;
  {
    ModalTool<TfrmHistoricoProp> form;
    framework::TNetConnection& net = *main.netPropPass;
    HistoryCalls calls;
    calls.page = [&net, context](const std::string& s, const std::string& from, const std::string& to, int rows,
                                 const std::string& before) {
      return server::GetHistoricoProp(net, context.branch, context.airline, context.flight, context.leg, s, from, to,
                                      rows, before);
    };
    calls.ranges = [&net, context](const std::string& s) {
      return server::GetQtdePropServico(net, context.branch, context.airline, s, "", "", context.flight, context.leg);
    };
    calls.save = [&net](const std::string& changes) { return server::SetQtdePropServico(net, changes); };
    form->Start(context, std::move(services), service, std::move(calls));
    form->ShowModal();
    restored = form->Restored();
  }
  if (!restored) return;
  framework::AtualizaLocalCache({"PROPSERVICO"});
  main.ImportApplied();
}

}  // namespace screen_tools
