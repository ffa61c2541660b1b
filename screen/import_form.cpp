#include <filesystem>
#include <fstream>
#include <iterator>

#include "framework/Helpers.h"
#include "framework/ServerAnswer.h"
#include "packet/Utf8.h"
#include "screen/CsvForms.h"
#include "screen/FormParts.h"
#include "screen/ToolList.h"
#include "toolkit/controls/Application.h"
#include "toolkit/controls/DialogService.h"

namespace screen_tools {

using namespace screen_form;

namespace {

// The server refuses more; a bigger file is no such CSV anyway.
constexpr std::uintmax_t kMaxFileBytes = 16u << 20;

std::string Whole(const toolkit::Field& f) {
  return f.IsNull() ? std::string() : std::to_string(static_cast<long long>(f.AsFloat()));
}

}  // namespace

TfrmImportaCsv::TfrmImportaCsv(toolkit::Component* owner) : Form(owner) {
  SetName("frmImportaCsv");
  SetCaption("Importar CSV");
  SetBounds(0, 0, 680, 460);
  SetKeyPreview(true);
  BuildControls();
  sbtArquivo->OnClick = [this](toolkit::Control&) { ChooseFile(); };
  edtArquivo->OnChange = [this](toolkit::Control&) { PreviewStale(); };
  cbbModo->OnChange = [this](toolkit::Control&) { PreviewStale(); };
  sbtPrevia->OnClick = [this](toolkit::Control&) { Preview(); };
  sbtAplicar->OnClick = [this](toolkit::Control&) { Apply(); };
  sbtFechar->OnClick = [this](toolkit::Control&) { SetModalResult(toolkit::mrCancel); };
  OnShow = [this](toolkit::Control&) { edtArquivo->SetFocus(); };
  OnKeyDown = [this](toolkit::Control&, toolkit::Word& key, toolkit::ShiftState shift) {
    if (shift != 0) return;
    if (key == toolkit::VK_ESCAPE) {
      SetModalResult(toolkit::mrCancel);
    } else if (key == toolkit::VK_RETURN && ActiveControl() == edtArquivo) {
      Preview();  // the file typed is the one to look at
    } else {
      return;
    }
    key = 0;
  };
}

void TfrmImportaCsv::BuildControls() {
  panTopo = Place<toolkit::Panel>(this, "panTopo", this);
  panTopo->SetAlign(toolkit::Align::alTop);
  panTopo->SetHeight(126);
  lblCompanhia = Place<toolkit::Label>(this, "lblCompanhia", panTopo);
  lblCompanhia->SetBounds(8, 6, 660, 17);
  lblCompanhia->SetBold(true);
  lblArquivo = Place<toolkit::Label>(this, "lblArquivo", panTopo);
  lblArquivo->SetCaption("Arquivo:");
  lblArquivo->SetBounds(8, 34, 60, 17);
  edtArquivo = Place<toolkit::Edit>(this, "edtArquivo", panTopo);
  edtArquivo->SetBounds(70, 31, 566, 21);
  sbtArquivo = Place<toolkit::Button>(this, "sbtArquivo", panTopo);
  sbtArquivo->SetCaption("...");
  sbtArquivo->SetBounds(640, 30, 28, 24);
  lblModo = Place<toolkit::Label>(this, "lblModo", panTopo);
  lblModo->SetCaption("Modo:");
  lblModo->SetBounds(8, 62, 60, 17);
  cbbModo = Place<toolkit::ComboBox>(this, "cbbModo", panTopo);
  cbbModo->SetBounds(70, 59, 598, 21);
  cbbModo->SetItems({"Acrescentar e alterar: as faixas que o arquivo não cita ficam",
                     "Substituir: nos trechos que o arquivo cita, as faixas que ele não cita são excluídas"});
  cbbModo->SetItemIndex(0);
  int left = 8;
  for (auto [button, name, caption] : {std::tuple{&sbtPrevia, "sbtPrevia", "Prévia"},
                                       std::tuple{&sbtAplicar, "sbtAplicar", "Aplicar"},
                                       std::tuple{&sbtFechar, "sbtFechar", "Fechar"}}) {
    *button = Place<toolkit::Button>(this, name, panTopo);
    (*button)->SetCaption(caption);
    (*button)->SetBounds(left, 90, 72, 24);
    left += 76;
  }
  sbtAplicar->SetEnabled(false);
  lblResumo = Place<toolkit::Label>(this, "lblResumo", panTopo);
  lblResumo->SetBounds(left + 8, 94, 668 - left, 17);

  const ToolList preview = MakeToolList(
      this, "Previa", this,
      {{"DSLINHA", 8, "Linha"}, {"NRVOO", 5, "Vôo"}, {"CDTRECHO", 4, "Trecho"}, {"DSINCLUIR", 8, "Incluir"},
       {"DSALTERAR", 8, "Alterar"}, {"DSREMOVER", 8, "Excluir"}, {"DSMOTIVO", 200, "Problema", 360}});
  cdsPrevia = preview.data;
  dtsPrevia = preview.source;
  dbgPrevia = preview.grid;
  dbgPrevia->SetAlign(toolkit::Align::alClient);
}

void TfrmImportaCsv::Start(const PlanningContext& context, Ask ask) {
  ask_ = std::move(ask);
  lblCompanhia->SetCaption("Companhia " + context.airlineShort + ", filial " + context.branch);
}

std::string TfrmImportaCsv::Mode() const { return cbbModo->ItemIndex() == 1 ? "substituir" : "acrescentar"; }

void TfrmImportaCsv::ChooseFile() {
  const std::string path = toolkit::Application::Instance().Dialogs().ChooseFile(
      toolkit::FileAction::Open, "Importar CSV", edtArquivo->Text(), "Arquivos CSV (*.csv);;Todos os arquivos (*)");
  if (path.empty()) return;
  edtArquivo->SetText(path);
  Preview();
}

std::string TfrmImportaCsv::ReadFile() const {
  const std::filesystem::path file(edtArquivo->Text());
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(file, error);
  if (framework::EmptyString(edtArquivo->Text()) || error)
    framework::MensErro("O arquivo " + file.string() + " não existe ou não pode ser lido.");
  if (size > kMaxFileBytes) framework::MensErro("O arquivo passa de 16 MiB: não é um CSV de proporções.");
  std::ifstream in(file, std::ios::binary);
  std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (!in.eof() && in.fail()) framework::MensErro("O arquivo " + file.string() + " não pode ser lido.");
  // The text travels as a JSON string, which only UTF-8 may be.
  if (!packet::utf8::IsValid(text))
    framework::MensErro("O arquivo não está em UTF-8: grave-o de novo como \"CSV UTF-8\" e importe-o.");
  return text;
}

void TfrmImportaCsv::Preview() {
  std::string text = ReadFile();
  const framework::ServerAnswer answer = ask_(text, Mode(), true, "");
  PreviewStale();
  Fill(answer);
  previewed_ = std::move(text);
}

void TfrmImportaCsv::Fill(const framework::ServerAnswer& answer) {
  toolkit::ClientDataSet rows;
  rows.SetData(framework::CheckResultServ(answer, true, 0));
  cdsPrevia->Close();
  cdsPrevia->CreateDataSet();
  int bad = 0;
  inserts_ = changes_ = removals_ = 0;
  for (rows.First(); !rows.Eof(); rows.Next()) {
    const bool problem = !rows.FieldByName("NRLINHA").IsNull();
    bad += problem;
    inserts_ += static_cast<int>(rows.FieldByName("QTINCLUIR").AsFloat());
    changes_ += static_cast<int>(rows.FieldByName("QTALTERAR").AsFloat());
    removals_ += static_cast<int>(rows.FieldByName("QTREMOVER").AsFloat());
    previewState_ = rows.FieldByName("IDESTADO").AsString();
    cdsPrevia->Append();
    cdsPrevia->FieldByName("DSLINHA").SetAsString(Whole(rows.FieldByName("NRLINHA")));
    cdsPrevia->FieldByName("NRVOO").SetAsString(rows.FieldByName("NRVOO").AsString());
    cdsPrevia->FieldByName("CDTRECHO").SetAsString(rows.FieldByName("CDTRECHO").AsString());
    if (!problem)
      for (auto [to, from] : {std::pair{"DSINCLUIR", "QTINCLUIR"}, std::pair{"DSALTERAR", "QTALTERAR"},
                              std::pair{"DSREMOVER", "QTREMOVER"}})
        cdsPrevia->FieldByName(to).SetAsString(Whole(rows.FieldByName(from)));
    cdsPrevia->FieldByName("DSMOTIVO").SetAsString(rows.FieldByName("DSMOTIVO").AsString());
    cdsPrevia->Post();
  }
  cdsPrevia->First();
  std::string summary = std::to_string(inserts_) + " a incluir, " + std::to_string(changes_) + " a alterar, " +
                        std::to_string(removals_) + " a excluir";
  summary += bad ? "; " + std::to_string(bad) + " linha(s) com problema: corrija o arquivo para aplicar." : ".";
  lblResumo->SetCaption(summary);
  sbtAplicar->SetEnabled(bad == 0 && inserts_ + changes_ + removals_ > 0);
}

void TfrmImportaCsv::PreviewStale() {
  sbtAplicar->SetEnabled(false);
  previewed_.clear();
}

void TfrmImportaCsv::Apply() {
  if (previewed_.empty()) return;
  toolkit::DialogService& dialogs = toolkit::Application::Instance().Dialogs();
  if (!dialogs.Confirm("Aplicar a importação do arquivo?")) return;
  const framework::ServerAnswer answer = ask_(previewed_, Mode(), false, previewState_);
  if (!answer.ok) PreviewStale();  // whatever refused it, the preview shown no longer holds
  framework::CheckResultServ(answer, true, 0);
  applied_ = true;
  dialogs.ShowInformation("Importação aplicada: " + std::to_string(inserts_) + " faixas incluídas, " +
                          std::to_string(changes_) + " alteradas e " + std::to_string(removals_) + " excluídas.");
  SetModalResult(toolkit::mrOk);
}

}  // namespace screen_tools
