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
  SetBounds(0, 0, 360, 90);
  panMenu = Make<toolkit::Panel>(this, "panMenu", this);
  panMenu->SetAlign(toolkit::Align::alTop);
  panMenu->SetHeight(30);
  int left = 2;
  auto button = [this, &left](const char* name, const char* caption) {
    auto* b = Make<toolkit::Button>(this, name, panMenu);
    b->SetCaption(caption);
    b->SetBounds(left, 3, 72, 24);
    left += 73;
    return b;
  };
  sbtPreview = button("sbtPreview", "Visualizar");
  sbtPrint = button("sbtPrint", "Imprimir");
  sbtSair = button("sbtSair", "Sair");
  lblCodTela = Make<toolkit::Label>(this, "lblCodTela", panMenu);
  lblCodTela->SetAlign(toolkit::Align::alRight);
  lblCodTela->SetWidth(70);
  lblCodRel = Make<toolkit::Label>(this, "lblCodRel", this);
  lblCodRel->SetBounds(8, 40, 200, 17);
  rpddPadrao = new TReportDesignerDialog(this);
  rpddPadrao->SetName("rpddPadrao");
  OnCreate = [this](toolkit::Control& s) { FormCreate(s); };
  sbtPreview->OnClick = [this](toolkit::Control& s) { sbtPreviewClick(s); };
  sbtPrint->OnClick = [this](toolkit::Control& s) { sbtPrintClick(s); };
  sbtSair->OnClick = [this](toolkit::Control& s) { sbtSairClick(s); };
}

void TfrmDadosGerRel::FormCreate(toolkit::Control& /*sender*/) { rpddPadrao->SetReportName(lblCodRel->Caption()); }

void TfrmDadosGerRel::sbtPreviewClick(toolkit::Control& /*sender*/) { rpddPadrao->Execute(toolkit::ReportAction::Preview); }

void TfrmDadosGerRel::sbtPrintClick(toolkit::Control& /*sender*/) { rpddPadrao->Execute(toolkit::ReportAction::Print); }

void TfrmDadosGerRel::sbtSairClick(toolkit::Control& /*sender*/) {
  if (Modal())
    SetModalResult(toolkit::mrCancel);
  else
    Close();
}

}  // namespace framework
