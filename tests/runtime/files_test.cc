#include "runtime/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "tests/support/temp_dir.h"

namespace kalvento::rt {
namespace {

namespace fs = std::filesystem;

TEST(FilesTest, WriteThenReadKeepsEveryByte) {
  testing::TempDir dir;
  std::string bytes("a\r\nb\0c\x1a\xff", 8);
  ASSERT_TRUE(MemoWrit(dir.file("x.txt"), bytes));
  EXPECT_EQ(MemoRead(dir.file("x.txt")), bytes);
  ASSERT_TRUE(MemoWrit(dir.file("x.txt"), "short"));  // replaces, does not overlay
  EXPECT_EQ(MemoRead(dir.file("x.txt")), "short");
}

TEST(FilesTest, MissingFileReadsAsEmptyText) {
  testing::TempDir dir;
  EXPECT_EQ(MemoRead(dir.file("missing.txt")), "");
  EXPECT_FALSE(FileExists(dir.file("missing.txt")));
}

TEST(FilesTest, WriteLeavesNoTemporaryFileAndKeepsPermissions) {
  testing::TempDir dir;
  std::ofstream(dir.file("keep.txt")) << "old";
  ::chmod(dir.file("keep.txt").c_str(), 0640);
  ASSERT_TRUE(MemoWrit(dir.file("keep.txt"), "new"));
  struct stat st;
  ASSERT_EQ(::stat(dir.file("keep.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(FilesTest, FailedWriteNamesTheReasonAndKeepsTheOldFile) {
  testing::TempDir dir;
  fs::create_directory(dir.path() / "Roula.html");  // a folder is in the way
  WriteResult result = MemoWrit(dir.file("Roula.html"), "text");
  EXPECT_FALSE(result);
  EXPECT_FALSE(result.error.empty());

  WriteResult noFolder = MemoWrit(dir.file("no/such/folder.txt"), "text");
  EXPECT_FALSE(noFolder);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(FilesTest, ReadOnlyFileIsNotReplaced) {
  if (::geteuid() == 0) GTEST_SKIP() << "root may write any file";
  testing::TempDir dir;
  std::ofstream(dir.file("ro.txt")) << "old";
  ::chmod(dir.file("ro.txt").c_str(), 0444);
  EXPECT_FALSE(MemoWrit(dir.file("ro.txt"), "new"));
  EXPECT_EQ(MemoRead(dir.file("ro.txt")), "old");
}

}  // namespace
}  // namespace kalvento::rt
