// The legs offered for the typed airline and flight: built from the airline
// rows in cdsCompanhia into cdsListaTrecho and cbbTrecho, row i of the one
// being item i of the other.
#include <vector>

#include "framework/Helpers.h"
#include "screen/Cli_ate11600.h"

namespace {

// A single quote would end the filter's text literal early: the filter
// could not be read, or would read as another condition.
constexpr const char* kQuoteInFilter =
    "A sigla da companhia e o número do vôo não podem conter aspas simples ('): "
    "a lista de trechos não pôde ser montada.";

}  // namespace

void TfrmPropPass::Preenche_Listaa_Trecho() {
  if (!cdsCompanhia->Active()) return;
  const std::vector<toolkit::Variant> current{cdsCompanhiaCDCIA->Value(), cdsCompanhiaNRVOO->Value(),
                                              cdsCompanhiaCDTRECHO->Value()};
  bool built;
  try {
    built = FillLegList();
  } catch (...) {
    RestoreAirlineRow(current);
    throw;
  }
  RestoreAirlineRow(current);
  if (!built) framework::MensErro(kQuoteInFilter);
}

bool TfrmPropPass::LegFilterRefuses(const std::string& text) { return text.find('\'') != std::string::npos; }

// False, with the list and the combo box untouched, when the typed texts
// cannot go into the filter.
bool TfrmPropPass::FillLegList() {
  cdsCompanhia->SetFiltered(false);
  const std::string airline = medSgCia->Text();
  const std::string flight = medNrVoo->Text();
  if (LegFilterRefuses(airline) || LegFilterRefuses(flight)) return false;
  cdsCompanhia->SetFilter("SGCIA = '" + airline + "'" + " AND NRVOO = " + "'" + flight + "'");
  cdsCompanhia->SetFiltered(true);
  cdsCompanhia->First();
  if (!cdsListaTrecho->Active()) cdsListaTrecho->CreateDataSet();
  cbbTrecho->Clear();
  cdsListaTrecho->EmptyDataSet();
  for (; !cdsCompanhia->Eof(); cdsCompanhia->Next()) {
    // Appended, not inserted before the current row: the list must keep
    // the order of the combo box's items.
    cdsListaTrecho->Append();
    cdsListaTrechoCDTRECHO->SetAsString(cdsCompanhiaCDTRECHO->AsString());
    cdsListaTrechoDSTRECHO->SetAsString(cdsCompanhiaDSTRECHO->AsString());
    cdsListaTrecho->Post();
    cbbTrecho->AddItem(cdsCompanhiaDSTRECHO->AsString());
  }
  if (!cdsListaTrecho->IsEmpty()) {
    cdsListaTrecho->First();
    cbbTrecho->SetItemIndex(0);
  }
  return true;
}

// cdsCompanhia unfiltered again, on the row that was current before.
void TfrmPropPass::RestoreAirlineRow(const std::vector<toolkit::Variant>& row) {
  cdsCompanhia->SetFiltered(false);
  cdsCompanhia->SetFilter("");
  cdsCompanhia->Locate("CDCIA;NRVOO;CDTRECHO", row, toolkit::loCaseInsensitive);
}
