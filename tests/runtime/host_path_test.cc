#include "runtime/host_path.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "tests/support/temp_dir.h"

namespace kalvento::rt {
namespace {

namespace fs = std::filesystem;

class HostPathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(drive_.path() / "LUMO" / "CMail" / "Ausgang");
    std::ofstream(drive_.path() / "LUMO" / "MWSTDAT.dbf") << "x";
    ::setenv("KALVENTO_DRIVE_C", drive_.path().c_str(), 1);
  }
  void TearDown() override { ::unsetenv("KALVENTO_DRIVE_C"); }

  testing::TempDir drive_;
};

TEST_F(HostPathTest, DriveLetterBackslashesAndCase) {
  const std::string root = drive_.path().string();
  struct Case {
    const char* dos;
    std::string host;
  };
  const Case cases[] = {
      {"C:\\LUMO\\MWSTDAT.dbf", root + "/LUMO/MWSTDAT.dbf"},
      {"c:\\lumo\\mwstdat.DBF", root + "/LUMO/MWSTDAT.dbf"},        // matched without case
      {"C:\\LUMO\\cmail\\ausgang\\", root + "/LUMO/CMail/Ausgang/"},  // trailing separator kept
      {"C:/LUMO/CMail/Neu.ausg", root + "/LUMO/CMail/Neu.ausg"},      // new file: name as written
      {"C:\\NEU\\Datei.txt", root + "/NEU/Datei.txt"},
  };
  for (const Case& c : cases) EXPECT_EQ(HostPath(c.dos), c.host) << c.dos;
}

TEST_F(HostPathTest, RelativePathsStayRelative) {
  testing::TempDir cwd(/*enter=*/true);
  fs::create_directories("CMail/gesendet");
  EXPECT_EQ(HostPath("Roula.html"), "Roula.html");
  EXPECT_EQ(HostPath("cmail\\GESENDET\\4711"), "CMail/gesendet/4711");
}

TEST(DriveFolderTest, DefaultsUnderHome) {
  ::unsetenv("KALVENTO_DRIVE_Q");
  const char* home = ::getenv("HOME");
  ASSERT_NE(home, nullptr);
  EXPECT_EQ(DriveFolder('q'), std::string(home) + "/.kalvento/drive_q");
}

}  // namespace
}  // namespace kalvento::rt
