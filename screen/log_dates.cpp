#include <cstdio>
#include <ctime>

#include "screen/LogDates.h"

namespace screen_tools {

namespace {

std::string UtcText(std::time_t when) {
  std::tm tm{};
  gmtime_r(&when, &tm);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                tm.tm_hour, tm.tm_min, tm.tm_sec);
  return buf;
}

}  // namespace

std::string LocalTimeText(const std::string& utc) {
  std::tm tm{};
  char rest = 0;
  if (std::sscanf(utc.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &tm.tm_year, &tm.tm_mon, &tm.tm_mday, &tm.tm_hour,
                  &tm.tm_min, &tm.tm_sec, &rest) < 6)
    return utc;
  tm.tm_year -= 1900;
  tm.tm_mon -= 1;
  const std::time_t when = timegm(&tm);
  std::tm local{};
  localtime_r(&when, &local);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d/%02d/%04d %02d:%02d:%02d", local.tm_mday, local.tm_mon + 1,
                local.tm_year + 1900, local.tm_hour, local.tm_min, local.tm_sec);
  return buf;
}

std::optional<std::string> UtcStartOf(const std::string& typedDate, bool nextDay) {
  int day = 0, month = 0, year = 0;
  char rest = 0;
  if (std::sscanf(typedDate.c_str(), "%2d/%2d/%4d%c", &day, &month, &year, &rest) != 3) return std::nullopt;
  if (year < 1900 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31) return std::nullopt;
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_isdst = -1;
  std::tm check = tm;
  // mktime carries 31/02 over into March: such a date is not one.
  if (timegm(&check) == -1 || check.tm_mday != day || check.tm_mon != month - 1) return std::nullopt;
  if (nextDay) ++tm.tm_mday;
  const std::time_t when = std::mktime(&tm);
  if (when == -1) return std::nullopt;
  return UtcText(when);
}

}  // namespace screen_tools
