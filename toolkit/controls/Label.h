#pragma once
// Texts that show and never take the focus: a label with its caption, and a
// data-aware label showing a field of the current row.

#include <string>

#include "toolkit/controls/Control.h"
#include "toolkit/data/DataSource.h"

namespace toolkit {

class Label : public Control {
 public:
  explicit Label(Component* owner = nullptr) : Control(owner) { SetTabStop(false); }
  bool Focusable() const override { return false; }
};

class DBText : public Control {
 public:
  explicit DBText(Component* owner = nullptr);
  bool Focusable() const override { return false; }

  toolkit::DataSource* DataSource() const { return link_.DataSource(); }
  void SetDataSource(toolkit::DataSource* source) { link_.SetDataSource(source); }
  const std::string& DataField() const { return dataField_; }
  void SetDataField(std::string field);
  // The field's text on the current row; "" when the dataset is closed or
  // empty, or has no such field.
  std::string Text() const override;

 private:
  class Link : public DataLink {
   public:
    explicit Link(DBText& owner) : owner_(owner) {}
    void ActiveChanged() override { owner_.Changed(Change::Text); }
    void DataSetChanged() override { owner_.Changed(Change::Text); }
    void DataSetScrolled(int) override { owner_.Changed(Change::Text); }
    void RecordChanged(Field*) override { owner_.Changed(Change::Text); }

   private:
    DBText& owner_;
  };
  Link link_{*this};
  std::string dataField_;
};

}  // namespace toolkit
