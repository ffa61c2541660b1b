#include "toolkit/controls/Label.h"

namespace toolkit {

DBText::DBText(Component* owner) : Control(owner) { SetTabStop(false); }

void DBText::SetDataField(std::string field) {
  dataField_ = std::move(field);
  Changed(Change::Text);
}

std::string DBText::Text() const {
  toolkit::DataSet* ds = link_.DataSet();
  if (!ds || !ds->Active() || dataField_.empty()) return "";
  Field* field = ds->FindField(dataField_);
  return field ? field->Text() : "";
}

}  // namespace toolkit
