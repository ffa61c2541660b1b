// The host's configuration file: the call time-out it writes by default,
// reads back, and refuses when it is no number of seconds a call can wait.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <fstream>
#include <iterator>

#include "host/HostConfig.h"

namespace {

// Each value in a file of its own: Qt caches a settings file by its path,
// size and time stamp, and two files of one size written within the same
// clock tick would read alike.
std::string Write(const QTemporaryDir& dir, const std::string& callTimeout) {
  const QString folder = dir.filePath(QString::fromStdString("timeout" + callTimeout));
  QDir().mkpath(folder);
  const std::string path = (folder + "/ate-host.ini").toStdString();
  std::ofstream(path) << "[Server]\nWebURL=srv\nWebPort=30316\nCallTimeout=" << callTimeout << "\n";
  return path;
}

TEST(HostConfig, CallTimeoutIsWrittenByDefaultReadAndChecked) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const std::string fresh = dir.filePath("new/ate-host.ini").toStdString();
  EXPECT_EQ(host::LoadConfig(fresh).settings.callTimeout, 30);
  std::ifstream written(fresh);
  const std::string text((std::istreambuf_iterator<char>(written)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("CallTimeout=30"), std::string::npos) << text;
  EXPECT_EQ(host::LoadConfig(Write(dir, "5")).settings.callTimeout, 5);
  for (const char* bad : {"0", "-3", "3601", "trinta"}) {
    try {
      host::LoadConfig(Write(dir, bad));
      ADD_FAILURE() << "accepted CallTimeout=" << bad;
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find("CallTimeout"), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find("ate-host.ini"), std::string::npos) << e.what();
    }
  }
}

}  // namespace
