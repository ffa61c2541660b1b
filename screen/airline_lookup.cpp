// The airline pick list: every airline, flight and leg of the branch, one
// pick choosing all three.
#include "screen/Cli_ate11600.h"
#include "server/ServerMethods.h"

void TfrmPropPass::btpSgCompanhiaBeforePesq(toolkit::Control& /*sender*/, bool& /*proceed*/) {
  std::string allFlights = "T";
  std::string allLegs = "T";
  LoadAnswer(*cdsCompanhia,
             server::GetCompanhia(*netPropPass, "", "T", edtfilial->Text(), "", allFlights, "", allLegs));
}

void TfrmPropPass::btpSgCompanhiaAfterPesq(toolkit::Control& /*sender*/) {
  // In this order: each entry's change clears the ones after it.
  medSgCia->SetText(cdsCompanhiaSGCIA->AsString());
  medNrVoo->SetText(cdsCompanhiaNRVOO->AsString());
  edtPrefixo->SetText(cdsCompanhiaSGPREFIXO->AsString());
  edtEquip->SetText(cdsCompanhiaSGEQUIP->AsString());
  const std::string pickedLeg = cdsCompanhiaCDTRECHO->AsString();
  Preenche_Listaa_Trecho();
  cbbTrecho->SetItemIndex(RetornaIndiceTrecho("CDTRECHO", pickedLeg));
}
