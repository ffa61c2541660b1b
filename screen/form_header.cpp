// The form description of the header: the flight context controls.
#include "screen/Cli_ate11600.h"
#include "framework/Helpers.h"
#include "screen/FormParts.h"

using namespace screen_form;

void TfrmPropPass::BuildHeader() {
  panPlaVooCia = Place<toolkit::Panel>(this, "panPlaVooCia", this);
  panPlaVooCia->SetAlign(toolkit::Align::alTop);
  panPlaVooCia->SetBounds(0, 30, 649, 61);
  panPlaVooCia->SetTabOrder(1);  // right below the command bar
  BuildHeaderFlight();
  BuildHeaderBranch();
}

// Created first: the tab order inside the panel runs airline, flight, leg,
// prefix, equipment, then the branch.
void TfrmPropPass::BuildHeaderFlight() {
  lblCia = Place<toolkit::Label>(this, "lblCia", panPlaVooCia);
  lblCia->SetCaption("Companhia/Voo/Trecho");
  lblCia->SetBold(true);
  medSgCia = Place<toolkit::MaskEdit>(this, "medSgCia", panPlaVooCia);
  medSgCia->SetCharCase(toolkit::CharCase::ecUpperCase);
  medSgCia->SetMaxLength(5);
  medSgCia->SetColor(toolkit::TColor::clInfoBk);
  medNrVoo = Place<toolkit::MaskEdit>(this, "medNrVoo", panPlaVooCia);
  cbbTrecho = Place<toolkit::ComboBox>(this, "cbbTrecho", panPlaVooCia);
  Label1 = Place<toolkit::Label>(this, "Label1", panPlaVooCia);
  Label1->SetCaption("Prefixo/Equip.");
  Label1->SetBold(true);
  edtPrefixo = Place<toolkit::Edit>(this, "edtPrefixo", panPlaVooCia);
  edtEquip = Place<toolkit::Edit>(this, "edtEquip", panPlaVooCia);
  for (toolkit::Edit* e : {edtPrefixo, edtEquip}) {
    e->SetEnabled(false);
    e->SetColor(toolkit::TColor::clBtnFace);
  }
  btpSgCompanhia = Place<framework::TBtnPesquisa>(this, "btpSgCompanhia", panPlaVooCia);
  btpSgCompanhia->SetTitle("Companhia");
  btpSgCompanhia->SetEdit(medSgCia);
  btpSgCompanhia->SetEmptyText("Não há companhia cadastrada.");
  btpSgCompanhia->SetHint("Pesquisar");
}

void TfrmPropPass::BuildHeaderBranch() {
  edtfilial = Place<toolkit::MaskEdit>(this, "edtfilial", panPlaVooCia);
  edtfilial->SetEditMask(">aaaa;0; ");
  edtfilial->SetMaxLength(4);
  edtfilial->SetColor(toolkit::TColor::clInfoBk);
  lblfilial = Place<toolkit::Label>(this, "lblfilial", panPlaVooCia);
  lblfilial->SetCaption("Filial");
  lblfilial->SetBold(true);
  btnfilial = Place<framework::TBtnPesquisa>(this, "btnfilial", panPlaVooCia);
  btnfilial->SetTitle("Filial");
  btnfilial->SetEdit(edtfilial);
  btnfilial->SetEmptyText("Não há filial cadastrada.");
  btnfilial->SetHint("Pesquisar");
  edtNmfilial = Place<toolkit::Edit>(this, "edtNmfilial", panPlaVooCia);
  edtNmfilial->SetEnabled(false);
  edtNmfilial->SetTabStop(false);
  edtNmfilial->SetColor(toolkit::TColor::clBtnFace);
  for (toolkit::Control* c : std::initializer_list<toolkit::Control*>{lblfilial, edtfilial, btnfilial, edtNmfilial})
    c->SetTag(framework::kTagFixed);
}
