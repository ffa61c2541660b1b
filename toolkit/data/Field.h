#pragma once
// A column of a dataset, read and written on the dataset's current row.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "packet/Value.h"
#include "toolkit/data/Variant.h"

namespace toolkit {

class DataSet;

class Field {
 public:
  using ChangeEvent = std::function<void(Field&)>;

  Field(toolkit::DataSet& dataSet, std::string name, packet::FieldType type, int size, int index);
  Field(const Field&) = delete;
  Field& operator=(const Field&) = delete;

  toolkit::DataSet* DataSet() const { return dataSet_; }
  const std::string& FieldName() const { return name_; }
  const std::string& FullName() const { return name_; }
  packet::FieldType DataType() const { return type_; }
  int Size() const { return size_; }  // characters, for string fields
  int Index() const { return index_; }

  // Presentation, for grids and lookups.
  const std::string& DisplayLabel() const { return label_.empty() ? name_ : label_; }
  void SetDisplayLabel(std::string label) { label_ = std::move(label); }
  int DisplayWidth() const;  // characters; by default the size (10 for floats)
  void SetDisplayWidth(int width) { displayWidth_ = width; }
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  const std::string& EditMask() const { return editMask_; }
  void SetEditMask(std::string mask) { editMask_ = std::move(mask); }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }

  // Fires after every assignment of a value, also of an equal one.
  ChangeEvent OnChange;

  // Reading: a null field reads as "" and 0; a field of a closed or empty
  // dataset reads as null.
  Variant Value() const;
  // The value before the current edit: the stored row's value while the row
  // is being edited, null while it is being inserted, the current value
  // otherwise.
  Variant OldValue() const;
  bool IsNull() const;
  std::string AsString() const;
  double AsFloat() const;        // throws EConvertError for text that is no number
  std::int64_t AsInteger() const;  // rounds to nearest, ties to even
  // The text as shown and typed: same as AsString for these field types.
  std::string Text() const { return AsString(); }

  // Writing: only while the dataset is in edit or insert state, else
  // EDatabaseError; a read-only field refuses too. A string longer than the
  // field is cut to its size. Text for a float field may use "," or ".";
  // empty text clears it; bad text throws EConvertError and leaves the field
  // unchanged.
  void SetValue(const Variant& value);
  void SetAsString(std::string_view text);
  void SetAsFloat(double value);
  void SetAsInteger(std::int64_t value);
  void SetText(std::string_view text) { SetAsString(text); }
  void Clear();

  // Asks the controls linked to the dataset to put the focus on this field
  // (a grid focuses and selects its column); nothing happens when none can.
  void FocusControl();

 private:
  const packet::Value* Current() const;
  void Store(packet::Value value);
  packet::Value Convert(const Variant& value) const;

  toolkit::DataSet* dataSet_;
  std::string name_;
  packet::FieldType type_;
  int size_;
  int index_;
  std::string label_;
  int displayWidth_ = 0;
  bool visible_ = true;
  std::string editMask_;
  bool readOnly_ = false;
};

// Cuts UTF-8 text to at most `size` characters.
void FitToSize(std::string& text, int size);

}  // namespace toolkit
