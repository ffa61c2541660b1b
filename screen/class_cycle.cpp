// The class and the cycle of the service row, resolved against the
// classes and cycles the airline uses at the branch.
#include "framework/Helpers.h"
#include "screen/Cli_ate11600.h"

void TfrmPropPass::Vd_SGCLASSE(bool obligatory) {
  const bool blank = framework::EmptyString(cdsPropServicoSGCLASSE->AsString());
  if (obligatory && blank) {
    cdsPropServicoSGCLASSE->FocusControl();
    framework::MensErro(msgPadrao->Msg("CLASSE_NI"));
  }
  if (blank) return;
  qryClasse->Close();
  qryClasse->ParamByName("P_CDFILIAL").SetAsString(edtfilial->Text());
  qryClasse->ParamByName("P_CDCIA").SetAsString(cdsCompanhiaCDCIA->AsString());
  qryClasse->ParamByName("P_SGCLASSE").SetAsString(cdsPropServicoSGCLASSE->AsString());
  qryClasse->ParamByName("P_TSGCLASSE").Clear();
  qryClasse->Open();
  if (qryClasse->IsEmpty()) {
    cdsPropServicoSGCLASSE->FocusControl();
    framework::MensErro(msgPadrao->Msg("CLASSE_NC"));
  }
  cdsPropServicoCDCLASSE->SetAsString(qryClasseCDCLASSE->AsString());
  cdsPropServicoSGCLASSE->SetAsString(qryClasseSGCLASSE->AsString());
}

void TfrmPropPass::Vd_IDCICLO(bool obligatory) {
  const bool blank = framework::EmptyString(cdsPropServicoIDCICLO->AsString());
  if (obligatory && blank) {
    cdsPropServicoIDCICLO->FocusControl();
    framework::MensErro(msgPadrao->Msg("CICLO_NI"));
  }
  if (blank) return;
  qryCiclo->Close();
  qryCiclo->ParamByName("P_CDFILIAL").SetAsString(edtfilial->Text());
  qryCiclo->ParamByName("P_CDCIA").SetAsString(cdsCompanhiaCDCIA->AsString());
  qryCiclo->ParamByName("P_IDCICLO").SetAsString(cdsPropServicoIDCICLO->AsString());
  qryCiclo->Open();
  if (qryCiclo->IsEmpty()) {
    cdsPropServicoIDCICLO->FocusControl();
    framework::MensErro(msgPadrao->Msg("CICLO_NC"));
  }
  cdsPropServicoIDCICLO->SetAsString(qryCicloIDCICLO->AsString());
  cdsPropServicoCDCICLO->SetAsString(qryCicloCDCICLO->AsString());
}
