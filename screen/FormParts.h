#pragma once
// Small builders shared by the parts of the form description.
#include <string>

#include "framework/GeneralDatabase.h"
#include "toolkit/controls/Component.h"
#include "toolkit/controls/Container.h"
#include "toolkit/data/DataSet.h"

namespace screen_form {

template <class T>
T* Make(toolkit::Component* owner, const char* name) {
  auto* component = new T(owner);
  component->SetName(name);
  return component;
}

template <class T>
T* Place(toolkit::Component* owner, const char* name, toolkit::Container* parent) {
  T* control = Make<T>(owner, name);
  control->SetParent(parent);
  return control;
}

// A string field with its label; hidden fields are shown in no grid.
inline toolkit::Field* StrField(toolkit::DataSet* data, const char* name, int size, const char* label = "",
                            bool visible = true) {
  toolkit::Field& f = data->AddStringField(name, size);
  if (*label) f.SetDisplayLabel(label);
  f.SetVisible(visible);
  return &f;
}

inline toolkit::Field* FloatField(toolkit::DataSet* data, const char* name, const char* label = "",
                              bool visible = true) {
  toolkit::Field& f = data->AddFloatField(name);
  if (*label) f.SetDisplayLabel(label);
  f.SetVisible(visible);
  return &f;
}

constexpr bool kHidden = false;

// The host's general database connection, which the lookups run on. Throws
// std::logic_error when the host has not opened it.
framework::TGeneralConnection& GeneralConnection();

}  // namespace screen_form
