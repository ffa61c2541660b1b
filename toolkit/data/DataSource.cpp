#include "toolkit/data/DataSource.h"

#include <algorithm>

namespace toolkit {

DataLink::~DataLink() { SetDataSource(nullptr); }

void DataLink::SetDataSource(toolkit::DataSource* source) {
  if (source == source_) return;
  if (source_) source_->RemoveLink(this);
  source_ = source;
  if (source_) source_->AddLink(this);
  ActiveChanged();
}

toolkit::DataSet* DataLink::DataSet() const { return source_ ? source_->DataSet() : nullptr; }

bool DataLink::Active() const {
  auto* ds = DataSet();
  return ds && ds->Active();
}

DataSource::DataSource(Component* owner) : Component(owner) {}

DataSource::~DataSource() {
  SetDataSet(nullptr);
  for (DataLink* link : std::vector<DataLink*>(links_)) link->SetDataSource(nullptr);
}

void DataSource::SetDataSet(toolkit::DataSet* dataSet) {
  if (dataSet == dataSet_) return;
  if (dataSet_) dataSet_->DetachSource(this);
  dataSet_ = dataSet;
  if (dataSet_) dataSet_->AttachSource(this);
  for (DataLink* link : std::vector<DataLink*>(links_)) link->ActiveChanged();
}

DataSetState DataSource::State() const { return dataSet_ ? dataSet_->State() : DataSetState::dsInactive; }

void DataSource::StateChanged() {
  // A copy, so that a handler may reassign OnStateChange while it runs.
  if (auto handler = OnStateChange) handler(*this);
}

void DataSource::AddLink(DataLink* link) { links_.push_back(link); }

void DataSource::RemoveLink(DataLink* link) { links_.erase(std::remove(links_.begin(), links_.end(), link), links_.end()); }

}  // namespace toolkit
