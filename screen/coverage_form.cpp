#include "screen/CoverageForm.h"

#include <map>
#include <set>
#include <vector>

#include "screen/FormParts.h"
#include "screen/ToolList.h"

namespace screen_tools {

using namespace screen_form;

namespace {

struct Hole {
  std::string name, service, serviceClass, cycle;
  int from, to;
};

std::vector<Hole> ReadHoles(const packet::DataPacket& answer) {
  toolkit::ClientDataSet rows;
  rows.SetData(answer);
  std::vector<Hole> holes;
  for (rows.First(); !rows.Eof(); rows.Next())
    holes.push_back({rows.FieldByName("NMPRODUTO").AsString(), rows.FieldByName("CDSERVICO").AsString(),
                     rows.FieldByName("CDCLASSE").AsString(), rows.FieldByName("CDCICLO").AsString(),
                     static_cast<int>(rows.FieldByName("QTPAXDE").AsFloat()),
                     static_cast<int>(rows.FieldByName("QTPAXATE").AsFloat())});
  return holes;
}

// A product stored for several classes or cycles needs them to tell its
// lines apart.
void NameByClassAndCycle(std::vector<Hole>& holes) {
  std::map<std::string, std::set<std::string>> keys;
  for (const Hole& h : holes) keys[h.name].insert(h.service + '|' + h.serviceClass + '|' + h.cycle);
  for (Hole& h : holes)
    if (keys[h.name].size() > 1) h.name += " (classe " + h.serviceClass + ", ciclo " + h.cycle + ")";
}

}  // namespace

std::string HoleText(const std::string& service, int from, int to) {
  if (from == to) return service + ": sem quantidade para " + std::to_string(from) + " passageiro(s)";
  return service + ": sem quantidade de " + std::to_string(from) + " a " + std::to_string(to) + " passageiros";
}

TfrmCoberturaTrecho::TfrmCoberturaTrecho(toolkit::Component* owner) : Form(owner) {
  SetName("frmCoberturaTrecho");
  SetCaption("Cobertura do trecho");
  SetBounds(0, 0, 560, 340);
  SetKeyPreview(true);
  panTopo = Place<toolkit::Panel>(this, "panTopo", this);
  panTopo->SetAlign(toolkit::Align::alTop);
  panTopo->SetHeight(48);
  lblContexto = Place<toolkit::Label>(this, "lblContexto", panTopo);
  lblContexto->SetBounds(8, 6, 540, 17);
  lblContexto->SetBold(true);
  lblResumo = Place<toolkit::Label>(this, "lblResumo", panTopo);
  lblResumo->SetBounds(8, 26, 540, 17);
  panBotoes = Place<toolkit::Panel>(this, "panBotoes", this);
  panBotoes->SetAlign(toolkit::Align::alBottom);
  panBotoes->SetHeight(32);
  sbtIrServico = Place<toolkit::Button>(this, "sbtIrServico", panBotoes);
  sbtIrServico->SetCaption("Ir ao serviço");
  sbtIrServico->SetBounds(8, 4, 96, 24);
  sbtFechar = Place<toolkit::Button>(this, "sbtFechar", panBotoes);
  sbtFechar->SetCaption("Fechar");
  sbtFechar->SetBounds(110, 4, 72, 24);

  const ToolList list = MakeToolList(this, "Cobertura", this,
                                     {{"DSFALTA", 200, "Passageiros sem quantidade", 520},
                                      {"CDSERVICO", 10, ""}, {"CDCLASSE", 4, ""}, {"CDCICLO", 4, ""},
                                      {"QTPAXDE", 4, ""}});
  cdsCobertura = list.data;
  dtsCobertura = list.source;
  dbgCobertura = list.grid;
  dbgCobertura->SetAlign(toolkit::Align::alClient);

  dbgCobertura->OnDblClick = [this](toolkit::Control&) { PickCurrent(); };
  sbtIrServico->OnClick = [this](toolkit::Control&) { PickCurrent(); };
  sbtFechar->OnClick = [this](toolkit::Control&) { SetModalResult(toolkit::mrCancel); };
  OnShow = [this](toolkit::Control&) {
    if (dbgCobertura->CanFocus()) dbgCobertura->SetFocus();
  };
  OnKeyDown = [this](toolkit::Control&, toolkit::Word& key, toolkit::ShiftState shift) {
    if (shift != 0) return;
    if (key == toolkit::VK_ESCAPE) SetModalResult(toolkit::mrCancel);
    else if (key == toolkit::VK_RETURN && ActiveControl() == dbgCobertura) PickCurrent();
    else return;
    key = 0;
  };
}

void TfrmCoberturaTrecho::Show(const PlanningContext& context, const packet::DataPacket& answer,
                               std::optional<int> coveredTo) {
  std::vector<Hole> holes = ReadHoles(answer);
  NameByClassAndCycle(holes);
  lblContexto->SetCaption(context.Describe());
  cdsCobertura->Close();
  cdsCobertura->CreateDataSet();
  for (const Hole& h : holes) {
    cdsCobertura->Append();
    cdsCobertura->FieldByName("DSFALTA").SetAsString(HoleText(h.name, h.from, h.to));
    cdsCobertura->FieldByName("CDSERVICO").SetAsString(h.service);
    cdsCobertura->FieldByName("CDCLASSE").SetAsString(h.serviceClass);
    cdsCobertura->FieldByName("CDCICLO").SetAsString(h.cycle);
    cdsCobertura->FieldByName("QTPAXDE").SetAsString(std::to_string(h.from));
    cdsCobertura->Post();
  }
  cdsCobertura->First();
  const bool none = holes.empty();
  if (!none)
    lblResumo->SetCaption("Faixas de passageiros sem quantidade definida (duplo clique ou Enter leva ao serviço):");
  else if (coveredTo)
    lblResumo->SetCaption("Todos os serviços cobrem de 1 a " + std::to_string(*coveredTo) + " passageiros.");
  else
    lblResumo->SetCaption("Nenhum serviço com proporção cadastrada neste trecho.");
  sbtIrServico->SetEnabled(!none);
  dbgCobertura->SetVisible(!none);
}

void TfrmCoberturaTrecho::PickCurrent() {
  if (cdsCobertura->IsEmpty()) return;
  picked_ = PickedHole{cdsCobertura->FieldByName("CDSERVICO").AsString(),
                       cdsCobertura->FieldByName("CDCLASSE").AsString(),
                       cdsCobertura->FieldByName("CDCICLO").AsString(),
                       static_cast<int>(cdsCobertura->FieldByName("QTPAXDE").AsFloat())};
  SetModalResult(toolkit::mrOk);
}

}  // namespace screen_tools
