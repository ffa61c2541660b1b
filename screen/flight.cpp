// The airline and flight of the flight context: their validation against
// the application server's airline rows and the clearing of what depends
// on them.
#include <stdexcept>

#include "framework/Helpers.h"
#include "screen/Cli_ate11600.h"
#include "server/ServerMethods.h"

namespace {

// What one validation tests: the entry, and the message keys for a blank
// value and for a value the server does not know.
struct Subject {
  toolkit::MaskEdit* entry;
  const char* missingKey;
  const char* unknownKey;
};

}  // namespace

void TfrmPropPass::Vd_Companhia(bool obligatory, const std::string& kind) {
  if (kind != "CIA" && kind != "VOO")
    throw std::invalid_argument("Vd_Companhia: kind must be \"CIA\" or \"VOO\", not \"" + kind + "\"");
  const bool airlineBlank = framework::EmptyString(medSgCia->Text());
  const bool flightBlank = framework::EmptyString(medNrVoo->Text());
  Subject subject{medSgCia, "Cia_Obr", "Cia_Nao_Cad"};
  // Required, a given airline also needs its flight.
  if (kind == "VOO" || (!airlineBlank && obligatory)) {
    if (airlineBlank && !flightBlank) RefuseEntry(*medSgCia, "Cia_Obr");
    subject = {medNrVoo, "Voo_Obr", "Voo_Nao_Cad"};
  }
  if (framework::EmptyString(subject.entry->Text())) {
    if (obligatory) RefuseEntry(*subject.entry, subject.missingKey);
    return;
  }
  std::string allFlights = flightBlank ? "T" : "";
  std::string allLegs = framework::EmptyString(cbbTrecho->Text()) ? "T" : "";
  LoadAnswer(*cdsCompanhia, server::GetCompanhia(*netPropPass, medSgCia->Text(), "", edtfilial->Text(),
                                                 medNrVoo->Text(), allFlights,
                                                 SelecionaTrecho(cbbTrecho->ItemIndex(), "COD"), allLegs));
  if (cdsCompanhia->IsEmpty()) RefuseEntry(*subject.entry, subject.unknownKey);
  if (!flightBlank) {
    edtPrefixo->SetText(cdsCompanhiaSGPREFIXO->AsString());
    edtEquip->SetText(cdsCompanhiaSGEQUIP->AsString());
  }
}

// The entry to correct takes the focus before the message stops the
// operation.
void TfrmPropPass::RefuseEntry(toolkit::Control& entry, const char* key) {
  if (entry.CanFocus()) entry.SetFocus();
  framework::MensErro(msgPadrao->Msg(key));
}

void TfrmPropPass::medSgCiaChange(toolkit::Control& /*sender*/) {
  medNrVoo->SetText("");  // and, through its change, the legs
  edtPrefixo->SetText("");
  edtEquip->SetText("");
  EmptyGridsOffHeader();
}

void TfrmPropPass::medSgCiaExit(toolkit::Control& /*sender*/) { Vd_Companhia(false, "CIA"); }

void TfrmPropPass::medNrVooChange(toolkit::Control& /*sender*/) {
  // The leg rows stay until the next build; only the offer goes.
  cbbTrecho->Clear();
  edtPrefixo->SetText("");
  edtEquip->SetText("");
  EmptyGridsOffHeader();
}

void TfrmPropPass::medNrVooExit(toolkit::Control& /*sender*/) {
  Vd_Companhia(false, "VOO");
  // Legs still offered belong to this flight: the choice is kept.
  if (cbbTrecho->ItemCount() != 0) return;
  // An airline the leg list refuses is what must be corrected; kept on
  // the flight, the focus could not leave it while the airline stays.
  if (LegFilterRefuses(medSgCia->Text()) && medSgCia->CanFocus()) medSgCia->SetFocus();
  Preenche_Listaa_Trecho();
}
