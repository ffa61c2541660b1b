#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "framework/Helpers.h"
#include "screen/CsvExport.h"
#include "screen/CsvForms.h"
#include "screen/FormParts.h"
#include "toolkit/controls/Application.h"
#include "toolkit/controls/DialogService.h"

namespace screen_tools {

using namespace screen_form;

TfrmExportaCsv::TfrmExportaCsv(toolkit::Component* owner) : Form(owner) {
  SetName("frmExportaCsv");
  SetCaption("Exportar CSV");
  SetBounds(0, 0, 560, 150);
  SetKeyPreview(true);
  lblCompanhia = Place<toolkit::Label>(this, "lblCompanhia", this);
  lblCompanhia->SetBounds(8, 8, 540, 17);
  lblCompanhia->SetBold(true);
  lblEscopo = Place<toolkit::Label>(this, "lblEscopo", this);
  lblEscopo->SetCaption("Exportar:");
  lblEscopo->SetBounds(8, 38, 70, 17);
  cbbEscopo = Place<toolkit::ComboBox>(this, "cbbEscopo", this);
  cbbEscopo->SetBounds(80, 35, 468, 21);
  lblArquivo = Place<toolkit::Label>(this, "lblArquivo", this);
  lblArquivo->SetCaption("Arquivo:");
  lblArquivo->SetBounds(8, 68, 70, 17);
  edtArquivo = Place<toolkit::Edit>(this, "edtArquivo", this);
  edtArquivo->SetBounds(80, 65, 436, 21);
  sbtArquivo = Place<toolkit::Button>(this, "sbtArquivo", this);
  sbtArquivo->SetCaption("...");
  sbtArquivo->SetBounds(520, 64, 28, 24);
  sbtExportar = Place<toolkit::Button>(this, "sbtExportar", this);
  sbtExportar->SetCaption("Exportar");
  sbtExportar->SetBounds(8, 96, 80, 24);
  sbtFechar = Place<toolkit::Button>(this, "sbtFechar", this);
  sbtFechar->SetCaption("Fechar");
  sbtFechar->SetBounds(92, 96, 72, 24);
  lblSituacao = Place<toolkit::Label>(this, "lblSituacao", this);
  lblSituacao->SetBounds(176, 100, 372, 17);

  sbtArquivo->OnClick = [this](toolkit::Control&) { ChooseFile(); };
  sbtExportar->OnClick = [this](toolkit::Control&) { Export(); };
  sbtFechar->OnClick = [this](toolkit::Control&) { SetModalResult(toolkit::mrCancel); };
  OnShow = [this](toolkit::Control&) { edtArquivo->SetFocus(); };
  OnKeyDown = [this](toolkit::Control&, toolkit::Word& key, toolkit::ShiftState shift) {
    if (shift != 0 || (key != toolkit::VK_ESCAPE && key != toolkit::VK_RETURN)) return;
    const bool escape = key == toolkit::VK_ESCAPE;
    key = 0;
    if (escape)
      SetModalResult(toolkit::mrCancel);
    else
      Export();
  };
}

void TfrmExportaCsv::Start(const PlanningContext& context) {
  context_ = context;
  lblCompanhia->SetCaption("Companhia " + context.airlineShort + ", filial " + context.branch);
  std::vector<std::string> scopes{"Todos os vôos e trechos da companhia na filial"};
  if (!context.leg.empty()) scopes.push_back("Só o vôo " + context.flight + ", trecho " + context.leg);
  cbbEscopo->SetItems(std::move(scopes));
  cbbEscopo->SetItemIndex(0);
  // In the user's own folder, not wherever the program was started.
  const char* home = std::getenv("HOME");
  const std::filesystem::path name = "proporcoes-" + context.airlineShort + ".csv";
  edtArquivo->SetText((home && *home ? std::filesystem::path(home) / name : name).string());
}

void TfrmExportaCsv::ChooseFile() {
  const std::string path = toolkit::Application::Instance().Dialogs().ChooseFile(
      toolkit::FileAction::Save, "Exportar CSV", edtArquivo->Text(), "Arquivos CSV (*.csv)");
  if (!path.empty()) edtArquivo->SetText(path);
}

void TfrmExportaCsv::Export() {
  if (framework::EmptyString(edtArquivo->Text())) {
    edtArquivo->SetFocus();
    framework::MensErro("Informe o arquivo a gravar.");
  }
  const std::filesystem::path file(edtArquivo->Text());
  int ranges = 0;
  try {
    ranges = ExportRanges(context_, cbbEscopo->ItemIndex() == 1, file);
  } catch (const std::runtime_error& e) {
    framework::MensErro(e.what());  // shown to the user, who can choose another file
  }
  lblSituacao->SetCaption(std::to_string(ranges) + (ranges == 1 ? " faixa exportada." : " faixas exportadas."));
  toolkit::Application::Instance().Dialogs().ShowInformation(
      std::to_string(ranges) + (ranges == 1 ? " faixa exportada para " : " faixas exportadas para ") + file.string() +
      ".");
  SetModalResult(toolkit::mrOk);
}

}  // namespace screen_tools
