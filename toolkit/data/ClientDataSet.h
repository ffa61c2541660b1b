#pragma once
// An in-memory dataset filled from data packets, which logs its changes
// until they are merged or cancelled.
//
// Change log, per row: insert (current values), modify (original and
// current), delete (original). Insert then modify stays an insert; insert
// then delete leaves nothing; modify then delete is a delete of the
// original; a posted edit that changed no value leaves no entry.

#include <string>

#include "packet/ChangeLog.h"
#include "packet/DataPacket.h"
#include "toolkit/data/DataSet.h"

namespace toolkit {

// Where a client dataset with a provider name gets its rows when opened.
class RemoteDataProvider {
 public:
  virtual ~RemoteDataProvider() = default;
  // The provider's rows; throws on failure.
  virtual packet::DataPacket FetchData(const std::string& providerName) = 0;
};

class ClientDataSet : public DataSet {
 public:
  explicit ClientDataSet(Component* owner = nullptr);

  // Replaces fields (when none are defined) and rows, clears the change log;
  // any pending row is dropped without events; state inactive (when it was
  // active) then browse; cursor on the first row; AfterScroll when the
  // packet has rows. Throws EDatabaseError, changing nothing, when a field
  // of the dataset is missing from the packet or has another type.
  void SetData(packet::DataPacket packet);
  // The stored rows (unfiltered, pending changes applied, an open insert
  // left out), with the dataset's field definitions.
  packet::DataPacket Data() const;
  // More rows of the same kind after the stored ones (a list read a page
  // at a time): see DataSet::AppendPacket.
  void AppendData(packet::DataPacket packet) { AppendPacket(std::move(packet)); }

  // The pending changes: deletes first, in the order they were made, then
  // inserts and modifications in row order.
  packet::ChangeLog Delta() const;
  // The wire form of Delta(), written straight from the rows: the same text
  // as packet::EncodeChangeLog(Delta()), without the copy. Throws
  // packet::PacketError as that does.
  std::string DeltaJson() const;
  // Rows with a pending change.
  int ChangeCount() const;
  bool LogChanges() const { return logChanges_; }
  // While off, posts and deletes change the base directly.
  void SetLogChanges(bool log) { logChanges_ = log; }
  // The current rows become the base; the log is emptied.
  void MergeChangeLog();
  // Back to the last base: an open row is cancelled (with its events), then
  // every pending change is undone. The cursor stays on its row when that
  // row survives. No scroll events.
  void CancelUpdates();

  // Opens empty with the defined fields (EDatabaseError without fields).
  void CreateDataSet();
  // Removes every row and the change log; the dataset stays open.
  void EmptyDataSet();

  const std::string& ProviderName() const { return providerName_; }
  void SetProviderName(std::string name) { providerName_ = std::move(name); }
  RemoteDataProvider* RemoteServer() const { return remoteServer_; }
  void SetRemoteServer(RemoteDataProvider* server) { remoteServer_ = server; }

 protected:
  // Fetches from the provider; without one, EDatabaseError.
  void InternalOpen() override;

 private:
  packet::Record MakeRecord(const packet::Row& values) const;
  // The row being inserted, which no change includes yet, or nullptr.
  const Record* OpenInsert() const;
  template <class Visit>
  void ForEachChange(Visit&& visit) const;

  std::string providerName_;
  RemoteDataProvider* remoteServer_ = nullptr;
};

}  // namespace toolkit
