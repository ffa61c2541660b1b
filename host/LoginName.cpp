#include "host/LoginName.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace host {

std::string LoginName() {
  const uid_t uid = geteuid();
  long size = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_name &&
      *found->pw_name)
    return found->pw_name;
  for (const char* variable : {"LOGNAME", "USER"})
    if (const char* value = std::getenv(variable); value && *value) return value;
  return "uid" + std::to_string(uid);
}

}  // namespace host
