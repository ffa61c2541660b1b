#include "toolkit/controls/RangeBar.h"

#include <stdexcept>

#include "toolkit/data/DataSet.h"
#include "toolkit/data/FloatText.h"

namespace toolkit {

namespace {

std::optional<double> Number(const packet::Value& value) {
  if (const auto* number = std::get_if<double>(&value)) return *number;
  // A text field holding a number, as a query may answer it.
  if (const auto* text = std::get_if<std::string>(&value)) return TextToFloat(*text);
  return std::nullopt;
}

}  // namespace

RangeBar::RangeBar(Component* owner) : Control(owner) { SetTabStop(false); }

void RangeBar::SetFields(std::string from, std::string to, std::string quantity) {
  fromField_ = std::move(from);
  toField_ = std::move(to);
  quantityField_ = std::move(quantity);
  Changed(Change::Drawing);
}

void RangeBar::SetSeats(std::optional<int> seats) {
  if (seats && *seats < 1)
    throw std::invalid_argument(Name() + ": seats must be at least 1, not " + std::to_string(*seats));
  if (seats == seats_) return;
  seats_ = seats;
  Changed(Change::Drawing);
}

std::vector<RangeRow> RangeBar::Rows() const {
  toolkit::DataSet* data = link_.DataSet();
  if (!data || !data->Active()) return {};
  const int from = data->FieldByName(fromField_).Index();
  const int to = data->FieldByName(toField_).Index();
  const int quantity = data->FieldByName(quantityField_).Index();
  std::vector<RangeRow> rows;
  for (int i = 0; i < data->ViewCount(); ++i) {
    const packet::Row& row = data->ViewRow(i);
    rows.push_back({Number(row.at(from)), Number(row.at(to)), Number(row.at(quantity))});
  }
  return rows;
}

}  // namespace toolkit
