#pragma once
// A record navigator: buttons that move the linked dataset to its first,
// previous, next or last row. It never takes the focus.
#include "toolkit/controls/Control.h"
#include "toolkit/data/DataSource.h"

namespace toolkit {

enum class NavigateBtn { nbFirst, nbPrior, nbNext, nbLast };

class DBNavigator : public Control {
 public:
  explicit DBNavigator(Component* owner = nullptr);
  bool Focusable() const override { return false; }

  toolkit::DataSource* DataSource() const { return link_.DataSource(); }
  void SetDataSource(toolkit::DataSource* source) { link_.SetDataSource(source); }

  // Whether the button would move the cursor now: the navigator is enabled
  // and showing, the dataset open, and the cursor not already at that end.
  bool ButtonEnabled(NavigateBtn button) const;
  // A click on one of its buttons; does nothing when it is not enabled.
  void BtnClick(NavigateBtn button);

 private:
  class Link : public DataLink {
   public:
    explicit Link(DBNavigator& owner) : owner_(owner) {}
    void ActiveChanged() override { owner_.Changed(Change::Enabled); }
    void DataSetChanged() override { owner_.Changed(Change::Enabled); }
    void DataSetScrolled(int) override { owner_.Changed(Change::Enabled); }
    void EditingChanged() override { owner_.Changed(Change::Enabled); }

   private:
    DBNavigator& owner_;
  };
  Link link_{*this};
};

}  // namespace toolkit
