// The range bar under the range grid: the current service's ranges from 1
// to the seats of the header's leg, following the range list as it is
// loaded and typed. The grid and the bar share a panel on the grid's edge,
// so that the splitter widens both.
#include <algorithm>
#include <cctype>

#include "screen/Cli_ate11600.h"
#include "screen/FormParts.h"
#include "screen/LegSeats.h"

using namespace screen_form;

namespace {

std::string CellString(const packet::Row& row, const toolkit::Field* field) {
  const auto* text = std::get_if<std::string>(&row.at(field->Index()));
  return text ? *text : std::string();
}

bool SameText(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](unsigned char x, unsigned char y) { return std::toupper(x) == std::toupper(y); });
}

}  // namespace

void TfrmPropPass::BuildRangeBar() {
  panQtdePropServico = Place<toolkit::Panel>(this, "panQtdePropServico", scbFolhaDados);
  panQtdePropServico->SetAlign(dbgQtdePropServico->Align());
  panQtdePropServico->SetBounds(dbgQtdePropServico->Left(), dbgQtdePropServico->Top(), dbgQtdePropServico->Width(),
                                dbgQtdePropServico->Height());
  panQtdePropServico->SetTabOrder(dbgQtdePropServico->TabOrder());
  dbgQtdePropServico->SetParent(panQtdePropServico);
  dbgQtdePropServico->SetAlign(toolkit::Align::alClient);
  rbrQtdePropServico = Place<toolkit::RangeBar>(this, "rbrQtdePropServico", panQtdePropServico);
  rbrQtdePropServico->SetAlign(toolkit::Align::alBottom);
  rbrQtdePropServico->SetHeight(40);
  rbrQtdePropServico->SetHint("Faixas de passageiros do serviço até os assentos do trecho");
  rbrQtdePropServico->SetFields("QTPAXDE", "QTPAXATE", "QTSERVICO");
  rbrQtdePropServico->SetDataSource(dtsQtdePropServico);
  rangeBarSeats_ = std::make_unique<FollowLink>([this] { FollowLegSeats(); });
  rangeBarSeats_->SetDataSource(dtsQtdePropServico);
}

// Read again only when the header's leg has another equipment: the list
// changes with every range typed, the equipment with the context.
void TfrmPropPass::FollowLegSeats() {
  const std::string equipment = HeaderEquipment();
  if (seatsEquipment_ && *seatsEquipment_ == equipment) return;
  rbrQtdePropServico->SetSeats(screen_tools::EquipmentSeats(equipment));
  seatsEquipment_ = equipment;
}

// CDEQUIP of the header's airline, flight and leg among the airline rows,
// read without moving a cursor; "" when they hold no such row.
std::string TfrmPropPass::HeaderEquipment() const {
  if (!cdsListaTrecho->Active() || cdsListaTrecho->IsEmpty() || !cdsCompanhia->Active()) return {};
  // The leg list's row at the combo box's position, as SelecionaTrecho
  // reads it.
  const int position = std::clamp(cbbTrecho->ItemIndex(), 0, cdsListaTrecho->ViewCount() - 1);
  const std::string leg = CellString(cdsListaTrecho->ViewRow(position), cdsListaTrechoCDTRECHO);
  for (int i = 0; i < cdsCompanhia->ViewCount(); ++i) {
    const packet::Row& row = cdsCompanhia->ViewRow(i);
    if (SameText(CellString(row, cdsCompanhiaSGCIA), medSgCia->Text()) &&
        CellString(row, cdsCompanhiaNRVOO) == medNrVoo->Text() && CellString(row, cdsCompanhiaCDTRECHO) == leg)
      return CellString(row, cdsCompanhiaCDEQUIP);
  }
  return {};
}
