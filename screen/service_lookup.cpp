// Naming a service in the service grid: the typed product-tree code looked
// up among the airline's services, or the search list of all of them; the
// row is then filled from the lookup and the header.
#include <string>

#include "framework/Helpers.h"
#include "framework/Picture.h"
#include "screen/Cli_ate11600.h"
#include "toolkit/data/Abort.h"

void TfrmPropPass::OpenServiceLookup(const std::string& code, bool everyService) {
  qryServicoCiaPesq->Close();
  qryServicoCiaPesq->ParamByName("CDCIA").SetAsString(cdsCompanhiaCDCIA->AsString());
  qryServicoCiaPesq->ParamByName("P_CDNVPRODUTO").SetAsString(ServiceLevel());
  if (everyService) {
    qryServicoCiaPesq->ParamByName("TODOS").SetAsString("T");
    qryServicoCiaPesq->ParamByName("CDARVPROD").Clear();
  } else {
    qryServicoCiaPesq->ParamByName("CDARVPROD").SetAsString(code);
    qryServicoCiaPesq->ParamByName("TODOS").Clear();
  }
  qryServicoCiaPesq->Open();
}

// Services are the leaves of the product tree: products on its last level.
std::string TfrmPropPass::ServiceLevel() { return std::to_string(framework::DBPictObj(0).GetTtNiveis()); }

void TfrmPropPass::FillServiceRow() {
  cdsPropServicoCDSERVICO->SetAsString(qryServicoCiaPesqCDPRODUTO->AsString());
  cdsPropServicoCDARVPROD->SetAsString(qryServicoCiaPesqCDARVPROD->AsString());
  cdsPropServicoNMPRODUTO->SetAsString(qryServicoCiaPesqNMPRODUTO->AsString());
  cdsPropServicoSGCLASSE->SetAsString(qryServicoCiaPesqSGCLASSE->AsString());
  cdsPropServicoIDCICLO->SetAsString(qryServicoCiaPesqIDCICLO->AsString());
  cdsPropServicoCDCIA->SetAsString(qryServicoCiaPesqCDCIA->AsString());
  cdsPropServicoNRVOO->SetAsString(medNrVoo->Text());
  cdsPropServicoCDTRECHO->SetAsString(SelecionaTrecho(cbbTrecho->ItemIndex(), "COD"));
  cdsPropServicoCDFILIAL->SetAsString(edtfilial->Text());
}

void TfrmPropPass::Vd_CdServico(bool obligatory) {
  try {
    const std::string code = cdsPropServicoCDARVPROD->AsString();
    if (framework::EmptyString(code)) {
      if (obligatory) framework::MensErro(msgPadrao->Msg("not_null_CDSERVICO"));
      return;
    }
    OpenServiceLookup(code, false);
    if (qryServicoCiaPesq->IsEmpty()) framework::MensErro(msgPadrao->Msg("serv_err"));
    FillServiceRow();
  } catch (...) {
    cdsPropServicoCDSERVICO->FocusControl();
    throw;
  }
}

void TfrmPropPass::dbgPadraoEditButtonClick(toolkit::Control& /*sender*/) {
  if (dbgPadrao->SelectedField() != cdsPropServicoCDARVPROD) return;
  if (cdsPropServico->State() != toolkit::DataSetState::dsInsert) return;
  OpenServiceLookup("", true);
  if (qryServicoCiaPesq->IsEmpty()) {
    cdsPropServicoCDSERVICO->FocusControl();
    framework::MensErro(msgPadrao->Msg("Not_Serv"));
  }
  if (!framework::Pesquisar(*dtsServicoCiaPesq, msgPadrao->Msg("Servico"), false, true)) return;
  cdsPropServico->DisableControls();
  try {
    FillServiceRow();
  } catch (...) {
    cdsPropServico->EnableControls();
    throw;
  }
  cdsPropServico->EnableControls();
}
