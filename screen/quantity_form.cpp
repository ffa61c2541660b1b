#include "screen/QuantityForm.h"

#include "screen/FormParts.h"
#include "screen/ToolList.h"

namespace screen_tools {

using namespace screen_form;

namespace {

constexpr int kMaxPassengers = 9999;

// The count typed, or 0 when it is not a whole number from 1 to 9999.
int PassengerCount(const std::string& text) {
  if (text.empty() || text.size() > 4) return 0;
  int count = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return 0;
    count = count * 10 + (c - '0');
  }
  return count <= kMaxPassengers ? count : 0;
}

std::string Whole(const toolkit::Field& field) { return std::to_string(static_cast<long long>(field.AsFloat())); }

}  // namespace

TfrmQtdeParaPax::TfrmQtdeParaPax(toolkit::Component* owner) : Form(owner) {
  SetName("frmQtdeParaPax");
  SetCaption("Quantidade por passageiros");
  SetBounds(0, 0, 600, 380);
  SetKeyPreview(true);
  panTopo = Place<toolkit::Panel>(this, "panTopo", this);
  panTopo->SetAlign(toolkit::Align::alTop);
  panTopo->SetHeight(92);
  lblContexto = Place<toolkit::Label>(this, "lblContexto", panTopo);
  lblContexto->SetBounds(8, 6, 580, 17);
  lblContexto->SetBold(true);
  lblQtPax = Place<toolkit::Label>(this, "lblQtPax", panTopo);
  lblQtPax->SetCaption("Passageiros:");
  lblQtPax->SetBounds(8, 32, 80, 17);
  edtQtPax = Place<toolkit::Edit>(this, "edtQtPax", panTopo);
  edtQtPax->SetBounds(90, 29, 56, 21);
  edtQtPax->SetMaxLength(4);
  lblSituacao = Place<toolkit::Label>(this, "lblSituacao", panTopo);
  lblSituacao->SetBounds(8, 56, 580, 32);  // a failure takes two lines
  panBotoes = Place<toolkit::Panel>(this, "panBotoes", this);
  panBotoes->SetAlign(toolkit::Align::alBottom);
  panBotoes->SetHeight(32);
  sbtFechar = Place<toolkit::Button>(this, "sbtFechar", panBotoes);
  sbtFechar->SetCaption("Fechar");
  sbtFechar->SetBounds(8, 4, 72, 24);

  const ToolList list = MakeToolList(this, "QtdePax", this,
                                     {{"NMPRODUTO", 50, "Serviço", 230}, {"SGCLASSE", 5, "Classe", 60},
                                      {"IDCICLO", 10, "Ciclo", 80}, {"DSQTDE", 14, "Qtde.", 100},
                                      {"DSFAIXA", 16, "Faixa", 100}});
  cdsQtdePax = list.data;
  dtsQtdePax = list.source;
  dbgQtdePax = list.grid;
  dbgQtdePax->SetAlign(toolkit::Align::alClient);

  edtQtPax->OnChange = [this](toolkit::Control&) { Refresh(); };
  // Only digits go in: a count is a whole number.
  edtQtPax->OnKeyPress = [](toolkit::Control&, char32_t& key) {
    if (key >= 32 && (key < U'0' || key > U'9')) key = 0;
  };
  sbtFechar->OnClick = [this](toolkit::Control&) { SetModalResult(toolkit::mrCancel); };
  // Typing a count replaces the one proposed.
  OnShow = [this](toolkit::Control&) {
    edtQtPax->SetFocus();
    edtQtPax->SelectAll();
  };
  OnKeyDown = [this](toolkit::Control&, toolkit::Word& key, toolkit::ShiftState shift) {
    if (key != toolkit::VK_ESCAPE || shift != 0) return;
    key = 0;
    SetModalResult(toolkit::mrCancel);
  };
}

void TfrmQtdeParaPax::Start(const PlanningContext& context, Ask ask) {
  ask_ = std::move(ask);
  lblContexto->SetCaption(context.Describe());
  if (context.seats)
    edtQtPax->SetText(std::to_string(*context.seats));
  else
    Refresh();
}

void TfrmQtdeParaPax::Refresh() {
  cdsQtdePax->Close();
  cdsQtdePax->CreateDataSet();
  const std::string text = edtQtPax->Text();
  if (text.empty()) return lblSituacao->SetCaption("Informe o número de passageiros.");
  if (PassengerCount(text) == 0) return lblSituacao->SetCaption("Informe um número inteiro de 1 a 9999.");
  // What is shown while the call waits must not be the last count's.
  lblSituacao->SetCaption("Consultando o servidor...");
  const framework::ServerAnswer answer = ask_(text);
  if (!answer.ok) return lblSituacao->SetCaption(answer.message);
  Fill(answer);
}

void TfrmQtdeParaPax::Fill(const framework::ServerAnswer& answer) {
  toolkit::ClientDataSet rows;
  rows.SetData(framework::CheckResultServ(answer, true, 0));  // an answer that is no packet is shown
  int uncovered = 0;
  for (rows.First(); !rows.Eof(); rows.Next()) {
    const bool covered = !rows.FieldByName("QTSERVICO").IsNull();
    uncovered += !covered;
    cdsQtdePax->Append();
    for (const char* name : {"NMPRODUTO", "SGCLASSE", "IDCICLO"})
      cdsQtdePax->FieldByName(name).SetAsString(rows.FieldByName(name).AsString());
    cdsQtdePax->FieldByName("DSQTDE").SetAsString(covered ? Whole(rows.FieldByName("QTSERVICO")) : "sem proporção");
    if (covered)
      cdsQtdePax->FieldByName("DSFAIXA").SetAsString(Whole(rows.FieldByName("QTPAXDE")) + " a " +
                                                    Whole(rows.FieldByName("QTPAXATE")));
    cdsQtdePax->Post();
  }
  cdsQtdePax->First();
  const int services = cdsQtdePax->RecordCount();
  std::string status = services == 0 ? "Nenhum serviço com proporção neste trecho."
                                     : std::to_string(services) + (services == 1 ? " serviço" : " serviços");
  if (uncovered) status += ", " + std::to_string(uncovered) + " sem proporção para esse número de passageiros";
  lblSituacao->SetCaption(services == 0 ? status : status + ".");
}

}  // namespace screen_tools
