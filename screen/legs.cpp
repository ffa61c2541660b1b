// Translating between a position in the leg list (the item index of
// cbbTrecho) and a leg.
#include "screen/Cli_ate11600.h"

std::string TfrmPropPass::SelecionaTrecho(int position, const std::string& selector) {
  std::string result;
  if (!cdsListaTrecho->Active() || cdsListaTrecho->IsEmpty()) return result;
  cdsListaTrecho->First();
  // MoveBy stops on the last row; a position below 1 leaves the first.
  if (position > 0) cdsListaTrecho->MoveBy(position);
  if (selector == "COD")
    result = cdsListaTrechoCDTRECHO->AsString();
  else if (selector == "DES")
    result = cdsListaTrechoDSTRECHO->AsString();
  return result;
}

int TfrmPropPass::RetornaIndiceTrecho(const std::string& fieldName, const std::string& value) {
  if (!cdsListaTrecho->Active()) return -1;
  if (!cdsListaTrecho->IsEmpty()) cdsListaTrecho->First();
  toolkit::Field& field = cdsListaTrecho->FieldByName(fieldName);
  for (int position = 0; !cdsListaTrecho->Eof(); ++position) {
    if (field.AsString() == value) return position;
    cdsListaTrecho->Next();
  }
  return -1;
}
