#include "framework/Host.h"

namespace framework {

HostSettings& Host() {
  static HostSettings settings;
  return settings;
}

std::string FiliProc() { return Host().filiProc; }
bool ModuFili() { return Host().moduFili; }
std::string WebURL() { return Host().webUrl; }
int WebPort() { return Host().webPort; }

}  // namespace framework
