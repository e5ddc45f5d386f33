// The kalvento executable as a user runs it: in some folder, with no arguments.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "report/distance_report.h"
#include "runtime/files.h"
#include "tests/support/run_process.h"
#include "tests/support/temp_dir.h"

namespace kalvento {
namespace {

namespace fs = std::filesystem;

class KalventoExeTest : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directory(workDir()); }
  std::string workDir() const { return root_.file("work"); }
  std::string read(const std::string& name) const { return rt::MemoRead(workDir() + "/" + name); }
  testing::ProcessResult run() const { return testing::RunProcess(KALVENTO_EXE, {}, workDir()); }

  testing::TempDir root_;
  report::ReportTexts expected_ = report::BuildReportTexts();
};

TEST_F(KalventoExeTest, WritesBothFilesIntoTheCurrentFolderAndNothingElse) {
  std::ofstream(workDir() + "/Roula.html") << "stale text from an earlier run, longer than nothing";
  testing::ProcessResult result = run();
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(result.standardError, "");
  EXPECT_EQ(read("Roula.html"), expected_.neighbourHtml);
  EXPECT_EQ(read("Roulb.html"), expected_.distanceHtml);
  EXPECT_EQ(std::distance(fs::directory_iterator(workDir()), fs::directory_iterator()), 2);
}

TEST_F(KalventoExeTest, AFailedFirstWriteIsNamedAndTheSecondStillHappens) {
  fs::create_directory(workDir() + "/Roula.html");  // a folder where the file should go
  testing::ProcessResult result = run();
  EXPECT_NE(result.exitStatus, 0);
  EXPECT_NE(result.standardError.find("Roula.html"), std::string::npos) << result.standardError;
  EXPECT_EQ(result.standardError.find("Roulb.html"), std::string::npos) << result.standardError;
  EXPECT_EQ(read("Roulb.html"), expected_.distanceHtml);
}

TEST_F(KalventoExeTest, ReadOnlyFolderNamesBothFiles) {
  // Run as an ordinary user even when the tests run as root, who may write anywhere.
  ::chmod(root_.path().c_str(), 0755);
  ::chmod(workDir().c_str(), 0555);
  testing::ProcessResult result = testing::RunProcess(KALVENTO_EXE, {}, workDir(), /*unprivileged=*/true);
  ::chmod(workDir().c_str(), 0755);
  if (result.exitStatus == testing::kExecFailed) GTEST_SKIP() << "the build folder is closed to other users";
  EXPECT_NE(result.exitStatus, 0);
  EXPECT_NE(result.standardError.find("Roula.html"), std::string::npos) << result.standardError;
  EXPECT_NE(result.standardError.find("Roulb.html"), std::string::npos) << result.standardError;
}

}  // namespace
}  // namespace kalvento
