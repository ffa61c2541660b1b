#pragma once
// The host's configuration file (INI): [Server] WebURL, WebPort, Token,
// TLS, CAFile, CallTimeout; [Branch] ModuFili, FiliProc; [Product] DBPict;
// [Database] URL.
#include <string>

#include "framework/Host.h"

namespace host {

struct HostConfig {
  framework::HostSettings settings;
  std::string path;  // the file it was read from
};

// Reads the file; a file that does not exist is first written with the
// defaults (local app server on port 30316, branch 0001, not bound to it,
// picture 99.99.999, database sqlite:var/ate.db, calls waiting 30 s for
// their answer). Throws std::runtime_error when the file cannot be read or
// written, or holds a port outside 1..65535 or a CallTimeout outside
// 1..3600 seconds.
HostConfig LoadConfig(const std::string& path);

}  // namespace host
