#pragma once
// The read-only lists of the planning tools: a client dataset of text
// fields, its data source and a grid showing the visible ones, a whole row
// selected at a time.
#include <initializer_list>
#include <string>

#include "toolkit/controls/Container.h"
#include "toolkit/controls/DBGrid.h"
#include "toolkit/data/ClientDataSet.h"
#include "toolkit/data/DataSource.h"

namespace screen_tools {

struct ListField {
  const char* name;
  int size;
  const char* label;  // "": a hidden field, kept for the program
  int width = 0;      // 0: as the grid sizes it
};

struct ToolList {
  toolkit::ClientDataSet* data;
  toolkit::DataSource* source;
  toolkit::DBGrid* grid;
};

// cds<stem>, dts<stem> and dbg<stem>, owned by owner, the grid in parent.
ToolList MakeToolList(toolkit::Component* owner, const std::string& stem, toolkit::Container* parent,
                      std::initializer_list<ListField> fields);

}  // namespace screen_tools
