#pragma once
// A data-aware bar that pictures the passenger ranges of its dataset from 1
// to the seats (or, with the seats unknown, to the highest upper bound):
// one segment a range with its quantity, the holes and the seats marked.
// It never takes the focus.
//
// It reads every row of the dataset as it stands, the open row with the
// values written into it so far (before it is posted), and tells its
// observers (Change::Drawing) whenever that may have changed: the dataset
// opened, closed or reloaded, a row stored, cancelled or deleted, a value of
// the open row written, or the seats set. The segments are computed when
// asked for (RangeSegments.h).
#include <optional>
#include <string>
#include <vector>

#include "toolkit/controls/Control.h"
#include "toolkit/controls/RangeSegments.h"
#include "toolkit/data/DataSource.h"

namespace toolkit {

class RangeBar : public Control {
 public:
  explicit RangeBar(Component* owner = nullptr);
  bool Focusable() const override { return false; }

  toolkit::DataSource* DataSource() const { return link_.DataSource(); }
  void SetDataSource(toolkit::DataSource* source) { link_.SetDataSource(source); }
  toolkit::DataSet* DataSet() const { return link_.DataSet(); }

  // The fields of the lower bound, the upper bound and the quantity.
  const std::string& FromField() const { return fromField_; }
  const std::string& ToField() const { return toField_; }
  const std::string& QuantityField() const { return quantityField_; }
  void SetFields(std::string from, std::string to, std::string quantity);

  // The seats of the leg; nothing when unknown. Throws
  // std::invalid_argument below 1.
  std::optional<int> Seats() const { return seats_; }
  void SetSeats(std::optional<int> seats);

  // The dataset's rows as they stand; none while it is closed or missing.
  // Throws EDatabaseError when the dataset lacks one of the fields.
  std::vector<RangeRow> Rows() const;
  std::vector<RangeSegment> Segments() const { return RangeSegments(Rows(), seats_); }
  // SegmentsText of the segments: "1-20:2 21-50:4 51-60:- 61-220:6".
  std::string SegmentText() const { return SegmentsText(Segments()); }

 private:
  class Link : public DataLink {
   public:
    explicit Link(RangeBar& owner) : owner_(owner) {}
    void ActiveChanged() override { owner_.Changed(Change::Drawing); }
    void DataSetChanged() override { owner_.Changed(Change::Drawing); }
    void DataSetScrolled(int) override { owner_.Changed(Change::Drawing); }
    void RecordChanged(Field*) override { owner_.Changed(Change::Drawing); }
    void EditingChanged() override { owner_.Changed(Change::Drawing); }

   private:
    RangeBar& owner_;
  };
  Link link_{*this};
  std::string fromField_, toField_, quantityField_;
  std::optional<int> seats_;
};

}  // namespace toolkit
