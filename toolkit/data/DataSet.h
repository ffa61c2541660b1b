#pragma once
// A table with a cursor: fields, rows, states, events, moves, editing,
// filters and Locate. Client datasets and queries derive from it.
//
// Event order (every operation fires exactly these, in this order):
//   Insert/Append: pending row posted or cancelled first, BeforeInsert,
//                  BeforeScroll, state insert, AfterInsert, AfterScroll.
//   Edit:          BeforeEdit, state edit, AfterEdit (on an empty dataset:
//                  Insert instead).
//   Post:          controls write pending text (UpdateRecord), BeforePost,
//                  row stored, state browse, AfterPost.
//   Cancel:        insert: BeforeCancel, BeforeScroll, row discarded, state
//                  browse, AfterCancel, AfterScroll; edit: BeforeCancel,
//                  values restored, state browse, AfterCancel.
//   Delete:        BeforeDelete, BeforeScroll, row removed, state browse,
//                  AfterDelete, AfterScroll.
//   Moves (First, Last, Next, Prior, MoveBy, Locate, Filter, Filtered):
//                  pending row posted when modified, cancelled when not;
//                  BeforeScroll, move, AfterScroll (Next, Prior and MoveBy
//                  fire AfterScroll only when the cursor moved; a Locate
//                  that finds nothing fires none).
// An exception from a Before... handler stops the operation and leaves the
// dataset as it was; one from an After... handler propagates and the
// operation stands. A Before... handler that itself changes the state of the
// same dataset (posts, cancels, reloads it) makes the operation fail with
// EDatabaseError instead of going on with a row that is gone.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "packet/DataPacket.h"
#include "toolkit/controls/Component.h"
#include "toolkit/data/DatabaseError.h"
#include "toolkit/data/Field.h"
#include "toolkit/data/RecordList.h"
#include "toolkit/data/FilterExpression.h"
#include "toolkit/data/Variant.h"

namespace toolkit {

class DataSource;
class DataLink;

enum class DataSetState { dsInactive = 0, dsBrowse = 1, dsEdit = 2, dsInsert = 3 };
// A row is open: being edited or inserted.
inline bool InEditMode(DataSetState state) { return state == DataSetState::dsEdit || state == DataSetState::dsInsert; }

// Options of Locate.
enum LocateOption : unsigned { loCaseInsensitive = 1, loPartialKey = 2 };
using LocateOptions = unsigned;

class DataSet : public Component {
 public:
  using NotifyEvent = std::function<void(DataSet&)>;

  explicit DataSet(Component* owner = nullptr);
  ~DataSet() override;

  NotifyEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit, BeforePost, AfterPost,
      BeforeCancel, AfterCancel, BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;

  // --- fields -------------------------------------------------------------
  // Defines a field; only while the dataset is closed (EDatabaseError
  // otherwise, or for a duplicate name).
  Field& AddField(std::string name, packet::FieldType type, int size = 0);
  Field& AddStringField(std::string name, int size) { return AddField(std::move(name), packet::FieldType::String, size); }
  Field& AddFloatField(std::string name) { return AddField(std::move(name), packet::FieldType::Float); }
  int FieldCount() const { return static_cast<int>(fields_.size()); }
  Field& Fields(int index) const { return *fields_.at(index); }
  // Case-insensitive; FieldByName throws EDatabaseError naming the field and
  // the dataset when there is none.
  Field* FindField(std::string_view name) const;
  Field& FieldByName(std::string_view name) const;

  // --- state --------------------------------------------------------------
  bool Active() const { return state_ != DataSetState::dsInactive; }
  void SetActive(bool active);
  void Open();
  // Drops any pending row without events and the contents.
  void Close();
  DataSetState State() const { return state_; }
  // True once a field of the open row was assigned.
  bool Modified() const { return modified_; }

  // --- cursor -------------------------------------------------------------
  void First();
  void Last();
  void Next();
  void Prior();
  int MoveBy(int distance);  // returns how far the cursor moved
  bool Bof() const { return bof_; }
  bool Eof() const { return eof_; }
  int RecordCount() const;  // stored rows (visible through the filter)
  bool IsEmpty() const;     // false while a row is being inserted
  int RecNo() const { return cursor_ + 1; }  // 0 when there is no row

  // Moves to the first row whose key fields ("F1;F2") equal the values,
  // compared as text. Throws EDatabaseError for an unknown field or a value
  // count that does not match the key count.
  bool Locate(std::string_view keyFields, const std::vector<Variant>& values, LocateOptions options = 0);
  bool Locate(std::string_view keyField, const Variant& value, LocateOptions options = 0);

  // --- editing ------------------------------------------------------------
  void Insert();
  void Append();
  void Edit();
  void Post();
  void Cancel();
  void Delete();
  // Posts a modified pending row, cancels an untouched one.
  void CheckBrowseMode();
  // Has the linked controls write their pending text into the fields.
  void UpdateRecord();

  // --- filter -------------------------------------------------------------
  // Setting either on an open dataset applies the filter at once. A text
  // that does not parse raises EFilterError; the dataset is then
  // unfiltered (Filtered false) and usable.
  const std::string& Filter() const { return filterText_; }
  void SetFilter(std::string text);
  bool Filtered() const { return filtered_; }
  void SetFiltered(bool filtered);

  // --- controls -----------------------------------------------------------
  // Counted; linked controls stop repainting until the count returns to 0,
  // then repaint once. Events still fire.
  void DisableControls();
  void EnableControls();
  bool ControlsDisabled() const { return disableCount_ > 0; }

  // --- read access for views (no cursor move, no events) ------------------
  int ViewCount() const;                  // visible rows, the one being inserted included
  int CurrentIndex() const { return cursor_; }  // -1 when there is no row
  const packet::Row& ViewRow(int index) const;  // the open row shows its pending values
  std::string CellText(int index, int field) const;

  // --- for fields, data sources and derived datasets ----------------------
  const packet::Value* ActiveValue(int field) const;  // nullptr: no current row
  const packet::Value* StoredValue(int field) const;  // the row as stored, ignoring pending values
  void SetFieldValue(Field& field, packet::Value value);
  void FocusField(Field& field);
  void AttachSource(DataSource* source);
  void DetachSource(DataSource* source);

 protected:
  enum class RowStatus { Unmodified, Inserted, Modified };
  struct Record {
    packet::Row values;
    packet::Row original;  // base values of a modified row
    RowStatus status = RowStatus::Unmodified;
    std::int64_t basePos = 0;  // place in the last base, for CancelUpdates
    std::int64_t seq = 0;      // order among unlogged rows after the same base row
  };

  // Opens the dataset; derived datasets bring their rows here.
  virtual void InternalOpen();
  virtual void InternalClose() {}

  // Replaces fields (when the dataset has none) and rows with the packet's,
  // as SetData does: any pending row dropped without events, state inactive
  // then browse, cursor on the first row, AfterScroll when there are rows.
  // Throws EDatabaseError before changing anything when a field of the
  // dataset is missing from the packet or has another type.
  void LoadPacket(packet::DataPacket&& packet);
  // Adds the packet's rows after the stored ones, as part of the base: the
  // cursor stays on its row, no scroll event fires and the links hear one
  // DataSetChanged. Throws EDatabaseError, changing nothing, when the
  // dataset is not open in browse, has pending changes, or the packet lacks
  // a field of the dataset or has it with another type.
  void AppendPacket(packet::DataPacket&& packet);
  void OpenEmpty();  // opens with no rows (fields must exist)

  // Change log, used by ClientDataSet.
  bool logChanges_ = false;
  RecordList<Record> records_;                    // dataset order
  std::vector<Record> deleted_;                   // logged deletes, in order
  void RenumberBase();
  void RebuildView();
  void RestoreCursor(const Record* target, int fallbackIndex);
  void NotifyDataSetChanged();
  Record* CurrentRecord() const;

  void CheckActive() const;
  [[noreturn]] void Error(const std::string& what) const;

 private:
  enum class LinkEvent { ActiveChanged, DataSetChanged, Scrolled, RecordChanged, EditingChanged };

  void Fire(const NotifyEvent& event);
  void SetState(DataSetState state);
  void Notify(LinkEvent event, Field* field = nullptr, int distance = 0);
  void Scrolled(int oldCursor);
  Record* ViewAt(int index) const;
  int RecordIndex(const Record* record) const;
  bool PassesFilter(const Record& record) const;
  void DropPending();
  void OpenNewRow(bool atEnd);
  void CheckUnchangedBy(const char* operation, DataSetState expected) const;
  void PostInsert();
  void PostEdit();
  void LogDelete(Record& record);
  void RemoveFromView(Record* record);
  void ApplyFilter();
  void RemoveFilter();
  void CompileFilter();
  void PlaceAfterFilterChange();
  void CheckPacketRows(const packet::DataPacket& packet) const;
  std::vector<int> CheckNewFields(const packet::DataPacket& packet) const;
  std::vector<int> MapPacketFields(const packet::DataPacket& packet) const;
  void TakeRows(packet::DataPacket& packet, const std::vector<int>& column);
  bool HasLoggedChanges() const;
  void StoreUnlogged(Record& record, int index);
  int FindRow(const std::vector<int>& keys, const std::vector<std::string>& texts, LocateOptions options) const;

  std::vector<std::unique_ptr<Field>> fields_;
  std::vector<DataSource*> sources_;
  DataSetState state_ = DataSetState::dsInactive;
  std::vector<Record*> view_;  // the visible rows when filtered
  Record* pending_ = nullptr;   // the row being inserted
  packet::Row buffer_;          // values of the open row (edit or insert)
  int cursor_ = -1;
  bool bof_ = true;
  bool eof_ = true;
  bool modified_ = false;
  int disableCount_ = 0;
  bool changedWhileDisabled_ = false;
  std::string filterText_;
  bool filtered_ = false;
  bool filterActive_ = false;  // view_ holds the filtered rows
  std::optional<FilterExpression> filter_;
  std::int64_t seqCounter_ = 0;
};

}  // namespace toolkit
