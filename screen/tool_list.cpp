#include "screen/ToolList.h"

namespace screen_tools {

ToolList MakeToolList(toolkit::Component* owner, const std::string& stem, toolkit::Container* parent,
                      std::initializer_list<ListField> fields) {
  ToolList list;
  list.data = new toolkit::ClientDataSet(owner);
  list.data->SetName("cds" + stem);
  list.data->SetLogChanges(false);  // the program fills it: nothing to send
  list.source = new toolkit::DataSource(owner);
  list.source->SetName("dts" + stem);
  list.source->SetDataSet(list.data);
  list.grid = new toolkit::DBGrid(owner);
  list.grid->SetName("dbg" + stem);
  list.grid->SetParent(parent);
  list.grid->SetOptions(toolkit::dgTitles | toolkit::dgColLines | toolkit::dgRowLines | toolkit::dgRowSelect |
                        toolkit::dgAlwaysShowSelection);
  list.grid->SetReadOnly(true);
  list.grid->SetDataSource(list.source);
  for (const ListField& f : fields) {
    toolkit::Field& field = list.data->AddStringField(f.name, f.size);
    field.SetVisible(*f.label != '\0');
    if (!field.Visible()) continue;
    field.SetDisplayLabel(f.label);
    toolkit::Column& column = list.grid->AddColumn(f.name);
    if (f.width) column.SetWidth(f.width);
  }
  return list;
}

}  // namespace screen_tools
