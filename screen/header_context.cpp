// Keeping the grids and every save on the flight the header shows: grids
// of another context are emptied as soon as the header changes, the
// airline rows are put back after a cancelled pick list, and what is saved
// takes its airline, flight and leg from the header's own row.
#include <stdexcept>

#include "screen/Cli_ate11600.h"
#include "server/ServerMethods.h"

TfrmPropPass::FlightContext TfrmPropPass::HeaderContext() const {
  return {edtfilial->Text(), medSgCia->Text(), medNrVoo->Text(), cbbTrecho->Text()};
}

void TfrmPropPass::EmptyGridsOffHeader() {
  if (HeaderContext() == gridsContext_) return;
  // The header is locked while a row is open, so only lists in browse
  // can be shown under a changed header.
  bool emptied = false;
  for (toolkit::ClientDataSet* list : {cdsQtdePropServico, cdsPropServico}) {
    if (list->State() != toolkit::DataSetState::dsBrowse || list->IsEmpty()) continue;
    list->EmptyDataSet();
    emptied = true;
  }
  if (!emptied) return;
  // The commands follow the empty lists: nothing is left to alter, delete
  // or print, and Include waits for the header to be left.
  // The grids themselves stay as they were, so that either can still be
  // clicked to leave the header.
  ApplyCommandRule();
  if (ActiveControl() == dbgQtdePropServico) HabilitaBotoes();
  if (panPlaVooCia->Contains(ActiveControl())) {
    sbtIncluir->SetEnabled(false);
    mnuIncluir->SetEnabled(false);
  }
}

void TfrmPropPass::cbbTrechoChange(toolkit::Control& /*sender*/) { EmptyGridsOffHeader(); }

void TfrmPropPass::btpSgCompanhiaCancelPesq(toolkit::Control& /*sender*/) {
  if (airlineBeforePick_) {
    cdsCompanhia->SetData(std::move(*airlineBeforePick_));
    cdsCompanhia->Locate("CDCIA;NRVOO;CDTRECHO", airlineRowBeforePick_, toolkit::loCaseInsensitive);
  } else {
    cdsCompanhia->Close();
  }
  airlineBeforePick_.reset();
}

void TfrmPropPass::OnHeaderFlight() {
  const std::string airline = medSgCia->Text();
  const std::string flight = medNrVoo->Text();
  const std::string leg = SelecionaTrecho(cbbTrecho->ItemIndex(), "COD");
  // No flight in the header yet: nothing can be stored, the server
  // refuses blank keys.
  if (airline.empty() || flight.empty()) return;
  static constexpr const char* kHeaderRow = "SGCIA;NRVOO;CDTRECHO";
  const std::vector<toolkit::Variant> key{airline, flight, leg};
  if (cdsCompanhia->Active() && cdsCompanhia->Locate(kHeaderRow, key, toolkit::loCaseInsensitive)) return;
  std::string noFlightFilter, noLegFilter;
  LoadAnswer(*cdsCompanhia, server::GetCompanhia(*netPropPass, airline, "", edtfilial->Text(), flight,
                                                 noFlightFilter, leg, noLegFilter));
  if (!cdsCompanhia->Locate(kHeaderRow, key, toolkit::loCaseInsensitive))
    throw std::logic_error("The server has no airline row for " + airline + " flight " + flight + " leg " + leg);
}
