#pragma once
// What the host application tells the screens about itself: where the
// application server is, the branch it runs under, the product-code picture
// and who is logged in. The host (or the scenario runner's in-process host)
// fills it before it loads a screen module; screens only read it.
#include <string>

namespace framework {

struct HostSettings {
  std::string webUrl = "127.0.0.1";  // application server host
  int webPort = 30316;               // application server port
  std::string token;                 // shared secret of the application server
  bool tls = false;                  // TLS to the application server
  std::string caFile;                // PEM authorities for its certificate; empty: the system's
  int callTimeout = 30;              // seconds a call waits for its answer
  std::string user = "ate";          // login name sent with the handshake
  bool moduFili = false;             // the installation is bound to one branch
  std::string filiProc = "0001";     // the branch the host runs under
  std::string dbPict = "99.99.999";  // product-code picture (kind 0)
  std::string databaseUrl;           // the general database (dbsession URL)
};

// The one settings object of the process.
HostSettings& Host();

// The host's branch, branch mode, server host and server port.
std::string FiliProc();
bool ModuFili();
std::string WebURL();
int WebPort();

}  // namespace framework
