#include "toolkit/controls/DBNavigator.h"

namespace toolkit {

DBNavigator::DBNavigator(Component* owner) : Control(owner) { SetTabStop(false); }

bool DBNavigator::ButtonEnabled(NavigateBtn button) const {
  DataSet* data = link_.DataSet();
  if (!EnabledInTree() || !Showing() || !data || !data->Active() || data->IsEmpty()) return false;
  // Bof/Eof only say where the last move stopped; the row number tells
  // whether the cursor stands at an end.
  const bool atFirst = data->RecNo() <= 1;
  const bool atLast = data->RecNo() >= data->ViewCount();
  switch (button) {
    case NavigateBtn::nbFirst:
    case NavigateBtn::nbPrior:
      return !atFirst;
    case NavigateBtn::nbNext:
    case NavigateBtn::nbLast:
      return !atLast;
  }
  return false;
}

void DBNavigator::BtnClick(NavigateBtn button) {
  if (!ButtonEnabled(button)) return;
  DataSet& data = *link_.DataSet();
  switch (button) {
    case NavigateBtn::nbFirst: data.First(); break;
    case NavigateBtn::nbPrior: data.Prior(); break;
    case NavigateBtn::nbNext: data.Next(); break;
    case NavigateBtn::nbLast: data.Last(); break;
  }
}

}  // namespace toolkit
