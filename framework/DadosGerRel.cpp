#include "framework/DadosGerRel.h"

namespace framework {

namespace {

template <class T>
T* Make(toolkit::Component* owner, const char* name, toolkit::Container* parent) {
  auto* component = new T(owner);
  component->SetName(name);
  component->SetParent(parent);
  return component;
}

}  // namespace

TfrmDadosGerRel::TfrmDadosGerRel(toolkit::Component* owner) : Form(owner) {
  panMenu = Make<toolkit::Panel>(this, "panMenu", this);
  panMenu->SetAlign(toolkit::Align::alTop);
  sbtPreview = Make<toolkit::Button>(this, "sbtPreview", panMenu);
  sbtPreview->SetCaption("Visualizar");
  sbtPrint = Make<toolkit::Button>(this, "sbtPrint", panMenu);
  sbtPrint->SetCaption("Imprimir");
  sbtSair = Make<toolkit::Button>(this, "sbtSair", panMenu);
  sbtSair->SetCaption("Sair");
  lblCodTela = Make<toolkit::Label>(this, "lblCodTela", panMenu);
  lblCodRel = Make<toolkit::Label>(this, "lblCodRel", panMenu);
  rpddPadrao = new TReportDesignerDialog(this);
  rpddPadrao->SetName("rpddPadrao");
  OnCreate = [this](toolkit::Control& s) { FormCreate(s); };
  sbtPreview->OnClick = [this](toolkit::Control& s) { sbtPreviewClick(s); };
  sbtPrint->OnClick = [this](toolkit::Control& s) { sbtPrintClick(s); };
  sbtSair->OnClick = [this](toolkit::Control& s) { sbtSairClick(s); };
}

void TfrmDadosGerRel::FormCreate(toolkit::Control& /*sender*/) { rpddPadrao->SetReportName(lblCodRel->Caption()); }

void TfrmDadosGerRel::sbtPreviewClick(toolkit::Control& /*sender*/) {
  rpddPadrao->PrepareParams({});
}

void TfrmDadosGerRel::sbtPrintClick(toolkit::Control& /*sender*/) {
  rpddPadrao->PrepareParams({});
}

void TfrmDadosGerRel::sbtSairClick(toolkit::Control& /*sender*/) {
  if (Modal())
    SetModalResult(toolkit::mrCancel);
  else
    Close();
}

}  // namespace framework
