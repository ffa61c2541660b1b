// "Restaurar" and "Confirmar restauração" of the history: the ranges of
// the chosen change's service as they were just before it, previewed,
// then stored as one save.
#include "framework/Helpers.h"
#include "screen/HistoryForm.h"
#include "toolkit/controls/Application.h"
#include "toolkit/controls/DialogService.h"
#include "toolkit/data/FloatText.h"

namespace screen_tools {

namespace {

// The log is read back in pages this long while undoing it.
constexpr int kStepPage = 500;

bool SameRanges(const std::vector<StoredRange>& a, const std::vector<StoredRange>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (!SameRange(a[i], b[i])) return false;
  return true;
}

std::string Count(std::size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

std::vector<StoredRange> TfrmHistoricoProp::StoredRanges(const std::string& service) const {
  toolkit::ClientDataSet rows;
  rows.SetData(framework::CheckResultServ(calls_.ranges(service), true, HelpContext()));
  std::vector<StoredRange> ranges;
  for (rows.First(); !rows.Eof(); rows.Next()) ranges.push_back(*LogSide(rows, ""));
  return ranges;
}

std::vector<RangeLogStep> TfrmHistoricoProp::StepsDownTo(const std::string& service, double id) const {
  std::vector<RangeLogStep> steps;
  std::string before;
  for (;;) {
    toolkit::ClientDataSet rows;
    rows.SetData(framework::CheckResultServ(calls_.page(service, "", "", kStepPage, before), true, HelpContext()));
    int read = 0;
    for (rows.First(); !rows.Eof(); rows.Next(), ++read) {
      RangeLogStep step;
      step.id = rows.FieldByName("IDLOG").AsFloat();
      if (step.id < id) return steps;
      const std::string op = rows.FieldByName("IDOPERACAO").AsString();
      step.op = op.empty() ? 'I' : op[0];
      step.before = LogSide(rows, "_OLD");
      step.after = LogSide(rows, "_NEW");
      steps.push_back(step);
      before = toolkit::FloatToText(step.id);
      if (step.id == id) return steps;
    }
    if (read < kStepPage) return steps;
  }
}

void TfrmHistoricoProp::Preview() {
  PreviewStale();
  const int row = cdsHistorico->RecNo() - 1;
  if (row < 0 || row >= static_cast<int>(entries_.size())) return;
  const Entry entry = entries_[row];
  std::vector<StoredRange> current = StoredRanges(entry.service);
  std::vector<StoredRange> target;
  try {
    target = RangesBefore(current, StepsDownTo(entry.service, entry.id));
  } catch (const RestoreMismatch& e) {
    framework::MensErro("Não é possível restaurar: " + std::string(e.what()) +
                        " (as faixas foram alteradas por fora desta tela).");
  }
  plan_ = PlanRestore(current, target);
  if (plan_.Empty()) {
    lblResumo->SetCaption("As faixas de " + entry.serviceText + " já estão como estavam antes desta alteração.");
    return;
  }
  planService_ = entry.service;
  planBase_ = std::move(current);
  planText_ = entry.serviceText + " como estava antes de " + entry.when;
  ShowPlan(entry);
}

void TfrmHistoricoProp::ShowPlan(const Entry& entry) {
  cdsPrevia->DisableControls();
  cdsPrevia->Close();
  cdsPrevia->CreateDataSet();
  auto row = [this](const char* action, const std::optional<StoredRange>& now,
                    const std::optional<StoredRange>& restored) {
    cdsPrevia->Append();
    cdsPrevia->FieldByName("DSACAO").SetAsString(action);
    cdsPrevia->FieldByName("DSFAIXA").SetAsString(RangeText(now ? now : restored));
    cdsPrevia->FieldByName("DSQTDE_ATUAL").SetAsString(QuantityText(now));
    cdsPrevia->FieldByName("DSQTDE_NOVA").SetAsString(QuantityText(restored));
    cdsPrevia->FieldByName("DSCLASSE_ATUAL").SetAsString(ClassCycleText(now));
    cdsPrevia->FieldByName("DSCLASSE_NOVA").SetAsString(ClassCycleText(restored));
    cdsPrevia->Post();
  };
  for (const StoredRange& r : plan_.remove) row("Remover", r, std::nullopt);
  for (const RestorePlan::Change& c : plan_.change) row("Alterar", c.before, c.after);
  for (const StoredRange& r : plan_.insert) row("Incluir", std::nullopt, r);
  cdsPrevia->First();
  cdsPrevia->EnableControls();
  lblResumo->SetCaption("Restaurar " + entry.serviceText + ": " + Count(plan_.insert.size(), "faixa", "faixas") +
                        " a incluir, " + std::to_string(plan_.change.size()) + " a alterar, " +
                        std::to_string(plan_.remove.size()) + " a remover.");
  sbtConfirmar->SetEnabled(true);
}

void TfrmHistoricoProp::PreviewStale() {
  sbtConfirmar->SetEnabled(false);
  planService_.clear();
  if (cdsPrevia->Active() && !cdsPrevia->IsEmpty()) {
    cdsPrevia->Close();
    cdsPrevia->CreateDataSet();
  }
  lblResumo->SetCaption(entries_.empty() ? "" : "Escolha uma alteração e clique em Restaurar.");
}

void TfrmHistoricoProp::Confirm() {
  if (planService_.empty()) return;
  toolkit::DialogService& dialogs = toolkit::Application::Instance().Dialogs();
  if (!dialogs.Confirm("Restaurar " + planText_ + "?")) return;
  // A change stored since the preview would be undone unseen: the person
  // looks at the preview again first.
  if (!SameRanges(StoredRanges(planService_), planBase_)) {
    PreviewStale();
    framework::MensErro(
        "As faixas do serviço foram alteradas por outro usuário depois da prévia. Refaça a prévia e restaure de "
        "novo.");
  }
  const ServiceRef service{leg_.branch, leg_.airline, leg_.flight, leg_.leg, planService_};
  const framework::ServerAnswer answer = calls_.save(RestoreChangeLog(service, plan_));
  if (!answer.ok) PreviewStale();  // whatever refused it, the preview no longer holds
  framework::CheckResultServ(answer, true, HelpContext());
  restored_ = true;
  dialogs.ShowInformation("Restauração gravada: " + planText_ + ".");
  Reload();
}

}  // namespace screen_tools
