#include "screen/CopyForm.h"

#include "framework/Helpers.h"
#include "framework/ServerAnswer.h"
#include "screen/FormParts.h"
#include "screen/ToolList.h"
#include "toolkit/controls/Application.h"
#include "toolkit/controls/DialogService.h"

namespace screen_tools {

using namespace screen_form;

namespace {

const char* const kModes[] = {"substituir", "acrescentar"};

std::string Whole(const toolkit::Field& f) { return std::to_string(static_cast<long long>(f.AsFloat())); }

}  // namespace

TfrmCopiaProp::TfrmCopiaProp(toolkit::Component* owner) : Form(owner) {
  SetName("frmCopiaProp");
  SetCaption("Copiar proporções");
  SetBounds(0, 0, 760, 540);
  SetKeyPreview(true);
  BuildChoices();
  BuildLists();
  BindHandlers();
}

void TfrmCopiaProp::BuildChoices() {
  panTopo = Place<toolkit::Panel>(this, "panTopo", this);
  panTopo->SetAlign(toolkit::Align::alTop);
  panTopo->SetHeight(92);
  lblOrigem = Place<toolkit::Label>(this, "lblOrigem", panTopo);
  lblOrigem->SetBounds(8, 6, 740, 17);
  lblOrigem->SetBold(true);
  lblServico = Place<toolkit::Label>(this, "lblServico", panTopo);
  lblServico->SetCaption("Serviço:");
  lblServico->SetBounds(8, 32, 60, 17);
  cbbServico = Place<toolkit::ComboBox>(this, "cbbServico", panTopo);
  cbbServico->SetBounds(70, 29, 330, 21);
  lblModo = Place<toolkit::Label>(this, "lblModo", panTopo);
  lblModo->SetCaption("Modo:");
  lblModo->SetBounds(416, 32, 44, 17);
  cbbModo = Place<toolkit::ComboBox>(this, "cbbModo", panTopo);
  cbbModo->SetBounds(462, 29, 286, 21);
  cbbModo->SetItems({"Substituir as faixas do destino", "Acrescentar às faixas do destino"});
  cbbModo->SetItemIndex(0);
  lblFiltro = Place<toolkit::Label>(this, "lblFiltro", panTopo);
  lblFiltro->SetCaption("Filtrar trechos:");
  lblFiltro->SetBounds(8, 64, 96, 17);
  edtFiltro = Place<toolkit::Edit>(this, "edtFiltro", panTopo);
  edtFiltro->SetBounds(106, 61, 150, 21);
  sbtMarcarVoo = Place<toolkit::Button>(this, "sbtMarcarVoo", panTopo);
  sbtMarcarVoo->SetCaption("Todos os trechos do vôo");
  sbtMarcarVoo->SetBounds(264, 60, 156, 24);
  sbtDesmarcar = Place<toolkit::Button>(this, "sbtDesmarcar", panTopo);
  sbtDesmarcar->SetCaption("Desmarcar todos");
  sbtDesmarcar->SetBounds(424, 60, 112, 24);
  lblMarcados = Place<toolkit::Label>(this, "lblMarcados", panTopo);
  lblMarcados->SetBounds(544, 64, 204, 17);
}

void TfrmCopiaProp::BuildLists() {
  const ToolList targets = MakeToolList(this, "Destinos", this,
                                        {{"IDMARCA", 1, "Copiar"}, {"NRVOO", 5, "Vôo"}, {"CDTRECHO", 4, "Trecho"},
                                         {"DSTRECHO", 40, "Descrição", 300}, {"SGEQUIP", 10, "Equip."}});
  cdsDestinos = targets.data;
  dtsDestinos = targets.source;
  dbgDestinos = targets.grid;
  dbgDestinos->SetAlign(toolkit::Align::alTop);
  dbgDestinos->SetHeight(170);

  panAcoes = Place<toolkit::Panel>(this, "panAcoes", this);
  panAcoes->SetAlign(toolkit::Align::alTop);
  panAcoes->SetHeight(32);
  int left = 8;
  for (auto [button, name, caption] : {std::tuple{&sbtPrevia, "sbtPrevia", "Prévia"},
                                       std::tuple{&sbtAplicar, "sbtAplicar", "Aplicar"},
                                       std::tuple{&sbtFechar, "sbtFechar", "Fechar"}}) {
    *button = Place<toolkit::Button>(this, name, panAcoes);
    (*button)->SetCaption(caption);
    (*button)->SetBounds(left, 4, 72, 24);
    left += 76;
  }
  lblResumo = Place<toolkit::Label>(this, "lblResumo", panAcoes);
  lblResumo->SetBounds(left + 8, 8, 740 - left, 17);

  const ToolList preview = MakeToolList(
      this, "Previa", this,
      {{"NRVOO", 5, "Vôo"}, {"CDTRECHO", 4, "Trecho"}, {"CDARVPROD", 20, "Serviço"},
       {"NMPRODUTO", 50, "Descrição", 180}, {"DSINCLUIR", 8, "Incluir"}, {"DSREMOVER", 8, "Remover"},
       {"DSSITUACAO", 200, "Situação", 300}});
  cdsPrevia = preview.data;
  dtsPrevia = preview.source;
  dbgPrevia = preview.grid;
  dbgPrevia->SetAlign(toolkit::Align::alClient);
}

void TfrmCopiaProp::BindHandlers() {
  using C = toolkit::Control;
  edtFiltro->OnChange = [this](C&) { ShowTargets(); };
  dbgDestinos->OnDblClick = [this](C&) { ToggleCurrent(); };
  // Space marks or unmarks the leg, as in a list of check boxes.
  dbgDestinos->OnKeyPress = [this](C&, char32_t& key) {
    if (key != U' ') return;
    key = 0;
    ToggleCurrent();
  };
  sbtMarcarVoo->OnClick = [this](C&) {
    if (const LegChoice* leg = Current()) targets_.MarkFlight(leg->flight);
    MarksChanged();
  };
  sbtDesmarcar->OnClick = [this](C&) {
    targets_.Clear();
    MarksChanged();
  };
  cbbServico->OnChange = [this](C&) { PreviewStale(); };
  cbbModo->OnChange = [this](C&) { PreviewStale(); };
  sbtPrevia->OnClick = [this](C&) { Preview(); };
  sbtAplicar->OnClick = [this](C&) { Apply(); };
  sbtFechar->OnClick = [this](C&) { SetModalResult(toolkit::mrCancel); };
  OnShow = [this](C&) { edtFiltro->SetFocus(); };
  OnKeyDown = [this](C&, toolkit::Word& key, toolkit::ShiftState shift) {
    if (shift != 0) return;
    if (key == toolkit::VK_ESCAPE) {
      SetModalResult(toolkit::mrCancel);
    } else if (key == toolkit::VK_RETURN && ActiveControl() == edtFiltro) {
      dbgDestinos->SetFocus();  // from the filter to the legs it left
    } else {
      return;
    }
    key = 0;
  };
}

void TfrmCopiaProp::Start(const PlanningContext& source, std::vector<LegChoice> legs,
                          std::vector<ServiceChoice> services, Ask ask) {
  ask_ = std::move(ask);
  lblOrigem->SetCaption("Copiar de: " + source.Describe());
  targets_.Reset(std::move(legs), source.flight + "/" + source.leg);
  services_ = std::move(services);
  std::vector<std::string> items{"Todos os serviços"};
  for (const ServiceChoice& s : services_) items.push_back(s.text);
  cbbServico->SetItems(std::move(items));
  cbbServico->SetItemIndex(0);
  ShowTargets();
  MarksChanged();
}

const LegChoice* TfrmCopiaProp::Current() const {
  const int row = cdsDestinos->RecNo() - 1;
  return row >= 0 && row < static_cast<int>(listed_.size()) ? listed_[row] : nullptr;
}

void TfrmCopiaProp::ShowTargets() {
  const LegChoice* was = cdsDestinos->Active() ? Current() : nullptr;
  listed_ = targets_.Listed(edtFiltro->Text());
  cdsDestinos->DisableControls();
  cdsDestinos->Close();
  cdsDestinos->CreateDataSet();
  int back = 0;
  for (std::size_t i = 0; i < listed_.size(); ++i) {
    const LegChoice& leg = *listed_[i];
    if (&leg == was) back = static_cast<int>(i);
    cdsDestinos->Append();
    cdsDestinos->FieldByName("IDMARCA").SetAsString(targets_.Marked(leg) ? "X" : "");
    cdsDestinos->FieldByName("NRVOO").SetAsString(leg.flight);
    cdsDestinos->FieldByName("CDTRECHO").SetAsString(leg.leg);
    cdsDestinos->FieldByName("DSTRECHO").SetAsString(leg.text);
    cdsDestinos->FieldByName("SGEQUIP").SetAsString(leg.equipment);
    cdsDestinos->Post();
  }
  cdsDestinos->First();
  if (back > 0) cdsDestinos->MoveBy(back);
  cdsDestinos->EnableControls();
}

void TfrmCopiaProp::ToggleCurrent() {
  if (const LegChoice* leg = Current()) targets_.Toggle(*leg);
  MarksChanged();
}

void TfrmCopiaProp::MarksChanged() {
  // Only the marks change: the rows and the cursor stay.
  cdsDestinos->DisableControls();
  const int at = cdsDestinos->RecNo();
  for (cdsDestinos->First(); !cdsDestinos->Eof(); cdsDestinos->Next()) {
    const std::string mark = targets_.Marked(*listed_[cdsDestinos->RecNo() - 1]) ? "X" : "";
    if (cdsDestinos->FieldByName("IDMARCA").AsString() == mark) continue;
    cdsDestinos->Edit();
    cdsDestinos->FieldByName("IDMARCA").SetAsString(mark);
    cdsDestinos->Post();
  }
  cdsDestinos->First();
  if (at > 1) cdsDestinos->MoveBy(at - 1);
  cdsDestinos->EnableControls();
  const std::size_t n = targets_.MarkedCount();
  lblMarcados->SetCaption(n == 1 ? "1 trecho marcado" : std::to_string(n) + " trechos marcados");
  sbtPrevia->SetEnabled(n > 0);
  PreviewStale();
}

void TfrmCopiaProp::PreviewStale() {
  sbtAplicar->SetEnabled(false);
  if (cdsPrevia->Active() && !cdsPrevia->IsEmpty()) lblResumo->SetCaption("Refaça a prévia: a escolha mudou.");
}

std::string TfrmCopiaProp::Mode() const { return kModes[cbbModo->ItemIndex() == 1 ? 1 : 0]; }

std::string TfrmCopiaProp::Service() const {
  const int i = cbbServico->ItemIndex();
  return i >= 1 && i <= static_cast<int>(services_.size()) ? services_[i - 1].code : "";
}

void TfrmCopiaProp::Preview() {
  if (targets_.MarkedCount() == 0) return;
  toolkit::ClientDataSet rows;
  rows.SetData(framework::CheckResultServ(ask_(targets_.TargetList(), Service(), Mode(), true, ""), true, 0));
  rows.First();
  previewState_ = rows.Eof() ? "" : rows.FieldByName("IDESTADO").AsString();
  cdsPrevia->Close();
  cdsPrevia->CreateDataSet();
  int refused = 0;
  toInsert_ = toRemove_ = 0;
  for (rows.First(); !rows.Eof(); rows.Next()) {
    const bool refusal = rows.FieldByName("IDRECUSA").AsString() == "S";
    refused += refusal;
    toInsert_ += static_cast<int>(rows.FieldByName("QTINCLUIR").AsFloat());
    toRemove_ += static_cast<int>(rows.FieldByName("QTREMOVER").AsFloat());
    cdsPrevia->Append();
    for (const char* f : {"NRVOO", "CDTRECHO", "CDARVPROD", "NMPRODUTO"})
      cdsPrevia->FieldByName(f).SetAsString(rows.FieldByName(f).AsString());
    cdsPrevia->FieldByName("DSINCLUIR").SetAsString(refusal ? "" : Whole(rows.FieldByName("QTINCLUIR")));
    cdsPrevia->FieldByName("DSREMOVER").SetAsString(refusal ? "" : Whole(rows.FieldByName("QTREMOVER")));
    cdsPrevia->FieldByName("DSSITUACAO").SetAsString(refusal ? "Recusado: " + rows.FieldByName("DSMOTIVO").AsString()
                                                             : "ok");
    cdsPrevia->Post();
  }
  cdsPrevia->First();
  std::string summary = std::to_string(toInsert_) + " faixas a incluir, " + std::to_string(toRemove_) + " a remover";
  if (refused)
    summary += "; " + std::to_string(refused) + " recusado(s): desmarque-os ou mude o modo para aplicar.";
  else
    summary += ".";
  lblResumo->SetCaption(summary);
  sbtAplicar->SetEnabled(refused == 0);
}

void TfrmCopiaProp::Apply() {
  const std::size_t legs = targets_.MarkedCount();
  toolkit::DialogService& dialogs = toolkit::Application::Instance().Dialogs();
  if (!dialogs.Confirm("Aplicar a cópia em " + std::to_string(legs) + (legs == 1 ? " trecho?" : " trechos?"))) return;
  const std::string targets = targets_.TargetList();
  const framework::ServerAnswer answer = ask_(targets, Service(), Mode(), false, previewState_);
  if (!answer.ok) PreviewStale();  // whatever refused it, the preview shown no longer holds
  framework::CheckResultServ(answer, true, 0);
  applied_ = targets;
  dialogs.ShowInformation("Cópia aplicada: " + std::to_string(toInsert_) + " faixas incluídas e " +
                          std::to_string(toRemove_) + " removidas em " + std::to_string(legs) +
                          (legs == 1 ? " trecho." : " trechos."));
  SetModalResult(toolkit::mrOk);
}

}  // namespace screen_tools
