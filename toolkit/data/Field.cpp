#include "toolkit/data/Field.h"

#include <cmath>

#include "toolkit/data/DataSet.h"
#include "toolkit/data/FloatText.h"

namespace toolkit {

void FitToSize(std::string& text, int size) {
  if (size < 0 || text.size() <= static_cast<std::size_t>(size)) return;  // bytes bound characters
  std::size_t chars = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    // A character starts at every byte that is not a UTF-8 continuation byte.
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
      if (chars == static_cast<std::size_t>(size)) {
        text.resize(i);
        return;
      }
      ++chars;
    }
  }
}

Field::Field(toolkit::DataSet& dataSet, std::string name, packet::FieldType type, int size, int index)
    : dataSet_(&dataSet), name_(std::move(name)), type_(type), size_(size), index_(index) {}

int Field::DisplayWidth() const {
  if (displayWidth_ > 0) return displayWidth_;
  return type_ == packet::FieldType::String ? size_ : 10;
}

void Field::SetVisible(bool visible) { visible_ = visible; }

const packet::Value* Field::Current() const {
  if (!dataSet_->Active()) return nullptr;
  return dataSet_->ActiveValue(index_);
}

Variant Field::Value() const {
  const packet::Value* v = Current();
  return v ? Variant::FromValue(*v) : Variant();
}

Variant Field::OldValue() const {
  if (!dataSet_->Active()) return Variant();
  switch (dataSet_->State()) {
    case DataSetState::dsInsert: return Variant();
    case DataSetState::dsEdit: {
      const packet::Value* v = dataSet_->StoredValue(index_);
      return v ? Variant::FromValue(*v) : Variant();
    }
    default: return Value();
  }
}

bool Field::IsNull() const {
  const packet::Value* v = Current();
  return !v || packet::IsNull(*v);
}

std::string Field::AsString() const {
  const packet::Value* v = Current();
  if (!v) return {};
  if (auto* s = std::get_if<std::string>(v)) return *s;
  if (auto* d = std::get_if<double>(v)) return FloatToText(*d);
  return {};
}

double Field::AsFloat() const { return Value().AsFloat(); }

std::int64_t Field::AsInteger() const { return Value().AsInteger(); }

packet::Value Field::Convert(const Variant& value) const {
  if (value.IsNull()) return {};
  if (type_ == packet::FieldType::Float) {
    if (value.GetType() == Variant::Type::String) {
      std::string text = value.AsString();
      if (text.find_first_not_of(" \t") == std::string::npos) return {};  // blank text clears
      if (auto d = TextToFloat(text)) return *d;
      throw EConvertError("'" + text + "' não é um número válido.");
    }
    double d = value.AsFloat();
    if (!std::isfinite(d)) throw EConvertError(FloatToText(d) + " não é um número válido.");
    return d;
  }
  std::string text = value.AsString();
  FitToSize(text, size_);
  return text;
}

void Field::Store(packet::Value value) { dataSet_->SetFieldValue(*this, std::move(value)); }

void Field::SetValue(const Variant& value) { Store(Convert(value)); }

void Field::SetAsString(std::string_view text) {
  if (type_ == packet::FieldType::Float) {
    SetValue(Variant(text));
    return;
  }
  // Straight to the row: text is the common case of typing and loading.
  std::string value(text);
  FitToSize(value, size_);
  Store(std::move(value));
}

void Field::SetAsFloat(double value) { SetValue(Variant(value)); }

void Field::SetAsInteger(std::int64_t value) { SetValue(Variant(static_cast<long long>(value))); }

void Field::Clear() { Store(packet::Value{}); }

void Field::FocusControl() { dataSet_->FocusField(*this); }

}  // namespace toolkit
