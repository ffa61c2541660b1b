#pragma once
// What a database failure becomes for the caller and for the log. The
// caller gets a Portuguese text and a reference; the cause (the driver's
// text, which may quote SQL and bound values) goes only to the log, under
// the same reference.

#include <exception>
#include <string>

#include "appserver/db/Soci.h"
#include "rpc/Message.h"

namespace appserver {

enum class Trouble {
  Busy,    // a lock or statement time-out: nothing done, worth trying again
  Broken,  // the session died (database restarted, session ended)
  Other,
};

// sessionBroken: the connection said so after the failure.
Trouble Classify(const soci::soci_error& e, bool sessionBroken);

// What was being done when the database failed.
enum class Doing {
  Reading,
  Saving,     // before the commit: nothing was stored
  Committing  // the commit's outcome is unknown when the session broke
};

// An RpcError for a database failure, carrying its cause for the log.
class StorageFailure : public rpc::RpcError {
 public:
  StorageFailure(int code, const std::string& message, std::string reference, std::string cause);
  const std::string& Reference() const { return reference_; }
  const std::string& Cause() const { return cause_; }

 private:
  std::string reference_, cause_;
};

// Throws the StorageFailure for cause: kStorageBusy for a time-out,
// kSaveOutcomeUnknown for a commit whose session broke, kStorageFailure
// otherwise; each message ends with the reference.
[[noreturn]] void ThrowStorageFailure(const std::exception& cause, Trouble trouble, Doing doing);

}  // namespace appserver
