#pragma once
// Small builders shared by the parts of the form description.
#include <functional>
#include <string>

#include "framework/GeneralDatabase.h"
#include "toolkit/controls/Component.h"
#include "toolkit/controls/Container.h"
#include "toolkit/data/DataSet.h"
#include "toolkit/data/DataSource.h"

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

// Calls back whenever its dataset opens or closes, its rows change, or an
// edit begins or ends: for a part of the screen that follows a list it
// does not show.
class FollowLink : public toolkit::DataLink {
 public:
  explicit FollowLink(std::function<void()> changed) : changed_(std::move(changed)) {}
  void ActiveChanged() override { changed_(); }
  void DataSetChanged() override { changed_(); }
  void EditingChanged() override { changed_(); }

 private:
  std::function<void()> changed_;
};

// The host's general database connection, which the lookups run on. Throws
// std::logic_error when the host has not opened it.
framework::TGeneralConnection& GeneralConnection();

}  // namespace screen_form
