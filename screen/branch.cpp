// The branch of the flight context: validation against the general
// database, the pick list of every branch, and the clearing of the airline
// when the branch changes.
#include "framework/Helpers.h"
#include "screen/Cli_ate11600.h"

void TfrmPropPass::Vd_Filial(bool obligatory) {
  try {
    if (framework::EmptyString(edtfilial->Text())) {
      if (obligatory) framework::MensErro(msgPadrao->Msg("FILI_NI"));
      return;
    }
    // Branch codes are stored fitted to their width.
    edtfilial->SetText(framework::Ajusta(edtfilial->Text(), 4));
    qryFilial->Close();
    qryFilial->ParamByName("P_CDFILIAL").SetAsString(edtfilial->Text());
    qryFilial->ParamByName("P_TCDFILIAL").Clear();
    qryFilial->Open();
    if (qryFilial->IsEmpty()) framework::MensErro(msgPadrao->Msg("FILI_NC"));
    edtfilial->SetText(qryFilialCDFILIAL->AsString());
    edtNmfilial->SetText(qryFilialNMFILIAL->AsString());
  } catch (...) {
    // Whatever stopped the validation, the branch is what must be fixed.
    // A branch fixed by the host cannot take the focus; the error still
    // reaches the caller.
    if (edtfilial->CanFocus()) edtfilial->SetFocus();
    throw;
  }
}

void TfrmPropPass::edtfilialChange(toolkit::Control& /*sender*/) {
  edtNmfilial->SetText("");
  medSgCia->SetText("");  // and, through its change, the flight and legs
  EmptyGridsOffHeader();
}

void TfrmPropPass::edtfilialExit(toolkit::Control& /*sender*/) { Vd_Filial(true); }

void TfrmPropPass::btnfilialBeforePesq(toolkit::Control& /*sender*/, bool& /*proceed*/) {
  qryFilial->Close();
  qryFilial->ParamByName("P_TCDFILIAL").SetAsString("T");
  qryFilial->ParamByName("P_CDFILIAL").Clear();
  qryFilial->Open();
}

void TfrmPropPass::btnfilialAfterPesq(toolkit::Control& /*sender*/) {
  // The code first: its change clears the name, which is filled after it.
  edtfilial->SetText(qryFilialCDFILIAL->AsString());
  edtNmfilial->SetText(qryFilialNMFILIAL->AsString());
}
