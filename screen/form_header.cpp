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
  lblCia->SetBounds(8, 10, 152, 16);
  medSgCia = Place<toolkit::MaskEdit>(this, "medSgCia", panPlaVooCia);
  medSgCia->SetCharCase(toolkit::CharCase::ecUpperCase);
  medSgCia->SetMaxLength(5);
  medSgCia->SetColor(toolkit::TColor::clInfoBk);
  medSgCia->SetBounds(162, 7, 48, 21);
  medNrVoo = Place<toolkit::MaskEdit>(this, "medNrVoo", panPlaVooCia);
  medNrVoo->SetBounds(236, 7, 50, 21);
  cbbTrecho = Place<toolkit::ComboBox>(this, "cbbTrecho", panPlaVooCia);
  cbbTrecho->SetBounds(290, 7, 112, 21);
  Label1 = Place<toolkit::Label>(this, "Label1", panPlaVooCia);
  Label1->SetCaption("Prefixo/Equip.");
  Label1->SetBold(true);
  Label1->SetBounds(410, 10, 98, 16);
  edtPrefixo = Place<toolkit::Edit>(this, "edtPrefixo", panPlaVooCia);
  edtPrefixo->SetBounds(508, 7, 66, 21);
  edtEquip = Place<toolkit::Edit>(this, "edtEquip", panPlaVooCia);
  edtEquip->SetBounds(576, 7, 64, 21);
  for (toolkit::Edit* e : {edtPrefixo, edtEquip}) {
    e->SetEnabled(false);
    e->SetColor(toolkit::TColor::clBtnFace);
    // Shown, never typed into nor tabbed to, whatever enables the panel.
    e->SetReadOnly(true);
    e->SetTabStop(false);
  }
  btpSgCompanhia = Place<framework::TBtnPesquisa>(this, "btpSgCompanhia", panPlaVooCia);
  btpSgCompanhia->SetTitle("Companhia");
  btpSgCompanhia->SetEdit(medSgCia);
  btpSgCompanhia->SetEmptyText("Não há companhia cadastrada.");
  btpSgCompanhia->SetHint("Pesquisar");
  btpSgCompanhia->SetBounds(211, 7, 22, 21);
}

void TfrmPropPass::BuildHeaderBranch() {
  edtfilial = Place<toolkit::MaskEdit>(this, "edtfilial", panPlaVooCia);
  edtfilial->SetEditMask(">aaaa;0; ");
  edtfilial->SetMaxLength(4);
  edtfilial->SetColor(toolkit::TColor::clInfoBk);
  edtfilial->SetBounds(162, 33, 48, 21);
  lblfilial = Place<toolkit::Label>(this, "lblfilial", panPlaVooCia);
  lblfilial->SetCaption("Filial");
  lblfilial->SetBold(true);
  lblfilial->SetBounds(8, 36, 152, 16);
  btnfilial = Place<framework::TBtnPesquisa>(this, "btnfilial", panPlaVooCia);
  btnfilial->SetTitle("Filial");
  btnfilial->SetEdit(edtfilial);
  btnfilial->SetEmptyText("Não há filial cadastrada.");
  btnfilial->SetHint("Pesquisar");
  btnfilial->SetBounds(211, 33, 22, 21);
  edtNmfilial = Place<toolkit::Edit>(this, "edtNmfilial", panPlaVooCia);
  edtNmfilial->SetEnabled(false);
  edtNmfilial->SetTabStop(false);
  edtNmfilial->SetReadOnly(true);
  edtNmfilial->SetColor(toolkit::TColor::clBtnFace);
  edtNmfilial->SetBounds(236, 33, 250, 21);
  for (toolkit::Control* c : std::initializer_list<toolkit::Control*>{lblfilial, edtfilial, btnfilial, edtNmfilial})
    c->SetTag(framework::kTagFixed);
}
