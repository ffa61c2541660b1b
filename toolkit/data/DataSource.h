#pragma once
// Links one dataset to the controls that show it.

#include <functional>
#include <vector>

#include "toolkit/controls/Component.h"
#include "toolkit/data/DataSet.h"

namespace toolkit {

class DataSource;

// What a data-aware control hears from its dataset. Every notification has
// an empty default, so a control overrides only what it needs.
class DataLink {
 public:
  DataLink() = default;
  virtual ~DataLink();
  DataLink(const DataLink&) = delete;
  DataLink& operator=(const DataLink&) = delete;

  toolkit::DataSource* DataSource() const { return source_; }
  void SetDataSource(toolkit::DataSource* source);
  toolkit::DataSet* DataSet() const;
  // The dataset is there and open.
  bool Active() const;

  virtual void ActiveChanged() {}             // opened or closed
  virtual void DataSetChanged() {}            // rows or their order changed: repaint all
  virtual void DataSetScrolled(int /*distance*/) {}  // the cursor moved
  virtual void RecordChanged(Field* /*field*/) {}    // a value of the current row changed
  virtual void EditingChanged() {}            // edit or insert began or ended
  virtual void UpdateData() {}                // write pending edits into the fields
  // Put the focus on the field; set handled when this control did.
  virtual void FocusControl(Field& /*field*/, bool& /*handled*/) {}

 private:
  toolkit::DataSource* source_ = nullptr;
};

class DataSource : public Component {
 public:
  using StateEvent = std::function<void(DataSource&)>;

  explicit DataSource(Component* owner = nullptr);
  ~DataSource() override;

  toolkit::DataSet* DataSet() const { return dataSet_; }
  void SetDataSet(toolkit::DataSet* dataSet);
  // The dataset's state (inactive without a dataset).
  DataSetState State() const;

  // Fires on every state change of the dataset.
  StateEvent OnStateChange;

  const std::vector<DataLink*>& Links() const { return links_; }

  // Called by the dataset.
  void StateChanged();
  void AddLink(DataLink* link);
  void RemoveLink(DataLink* link);

 private:
  toolkit::DataSet* dataSet_ = nullptr;
  std::vector<DataLink*> links_;
};

}  // namespace toolkit
