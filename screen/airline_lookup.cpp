// The airline pick list: every airline, flight and leg of the branch, one
// pick choosing all three.
#include "screen/Cli_ate11600.h"
#include "server/ServerMethods.h"

void TfrmPropPass::btpSgCompanhiaBeforePesq(toolkit::Control& /*sender*/, bool& /*proceed*/) {
  // Kept for a cancelled pick: the screen goes on with the header's rows.
  airlineBeforePick_.reset();
  if (cdsCompanhia->Active()) {
    airlineBeforePick_ = cdsCompanhia->Data();
    airlineRowBeforePick_ = {cdsCompanhiaCDCIA->Value(), cdsCompanhiaNRVOO->Value(), cdsCompanhiaCDTRECHO->Value()};
  }
  std::string allFlights = "T";
  std::string allLegs = "T";
  LoadAnswer(*cdsCompanhia,
             server::GetCompanhia(*netPropPass, "", "T", edtfilial->Text(), "", allFlights, "", allLegs));
}

void TfrmPropPass::btpSgCompanhiaAfterPesq(toolkit::Control& /*sender*/) {
  airlineBeforePick_.reset();
  // In this order: each entry's change clears the ones after it.
  medSgCia->SetText(cdsCompanhiaSGCIA->AsString());
  medNrVoo->SetText(cdsCompanhiaNRVOO->AsString());
  edtPrefixo->SetText(cdsCompanhiaSGPREFIXO->AsString());
  edtEquip->SetText(cdsCompanhiaSGEQUIP->AsString());
  const std::string pickedLeg = cdsCompanhiaCDTRECHO->AsString();
  Preenche_Listaa_Trecho();
  cbbTrecho->SetItemIndex(RetornaIndiceTrecho("CDTRECHO", pickedLeg));
  // The pick chose the whole context: load it at once, as leaving the
  // header does (its exit checks and loads run on the way to the grid).
  if (dbgPadrao->CanFocus()) dbgPadrao->SetFocus();
}
