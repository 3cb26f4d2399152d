#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "download/csv.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;

// 2026-03-29 00:30:00 UTC, half an hour before Central Europe moves its clocks forward.
constexpr std::int64_t BEFORE_SPRING = 1774744200;

class WithTimeZone : public ::testing::Test {
 protected:
  void use(const char* tz) {
    setenv("TZ", tz, 1);
    tzset();
  }
  void TearDown() override {
    unsetenv("TZ");
    tzset();
  }
};

using CsvRow = WithTimeZone;

TEST_F(CsvRow, IsLocalTimeCommaBlankValueCrLf) {
  use("UTC");
  EXPECT_EQ(csvRow(BEFORE_SPRING, 0), "2026-03-29 00:30:00, 0\r\n");
  EXPECT_EQ(csvRow(BEFORE_SPRING + 59, 255), "2026-03-29 00:30:59, 255\r\n");
  EXPECT_EQ(csvRow(0, 7), "1970-01-01 00:00:00, 7\r\n");
  // After January 2038.
  EXPECT_EQ(csvRow(4102444800, 42), "2100-01-01 00:00:00, 42\r\n");
}

TEST_F(CsvRow, FollowsDaylightSavingChanges) {
  use("CET-1CEST,M3.5.0,M10.5.0/3");
  EXPECT_EQ(csvRow(BEFORE_SPRING, 1), "2026-03-29 01:30:00, 1\r\n");
  EXPECT_EQ(csvRow(BEFORE_SPRING + 3600, 2), "2026-03-29 03:30:00, 2\r\n");
}

using WriteCsv = WithTimeZone;

std::string contents(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

TEST_F(WriteCsv, WritesOneRowPerReadingAndNoTemporaryFileStays) {
  use("UTC");
  TempDir dir;
  const fs::path file = dir.path() / "data.csv";
  std::ofstream(file) << "old";
  auto error = writeCsv(file.string(), {7, 42, 255}, rowClock(BEFORE_SPRING, 10, 3));
  EXPECT_EQ(error, std::nullopt);
  EXPECT_EQ(contents(file),
            "2026-03-29 00:30:00, 7\r\n2026-03-29 00:30:02, 42\r\n2026-03-29 00:30:05, 255\r\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST_F(WriteCsv, LeavesTheOldFileWhenItCannotBeReplaced) {
  use("UTC");
  TempDir dir;
  // data.csv is a folder: the rows can be written, but not put in its place.
  const fs::path folder = dir.path() / "data.csv";
  fs::create_directory(folder);
  std::ofstream(folder / "inside") << "kept";
  auto error = writeCsv(folder.string(), {1}, rowClock(BEFORE_SPRING, 0, 1));
  ASSERT_TRUE(error);
  EXPECT_NE(error->find("directory"), std::string::npos) << *error;
  EXPECT_TRUE(fs::is_directory(folder));
  EXPECT_EQ(contents(folder / "inside"), "kept");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST_F(WriteCsv, ReportsAFolderThatDoesNotExist) {
  TempDir dir;
  auto error =
      writeCsv((dir.path() / "missing" / "data.csv").string(), {1}, rowClock(BEFORE_SPRING, 0, 1));
  ASSERT_TRUE(error);
  EXPECT_EQ(*error, std::strerror(ENOENT));
}

TEST_F(WriteCsv, ReportsAFullDisk) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  TempDir dir;
  // The temporary file is the path plus ".part"; make that a full device.
  const fs::path file = dir.path() / "data.csv";
  std::ofstream(file) << "old";
  fs::create_symlink("/dev/full", dir.path() / "data.csv.part");
  auto error = writeCsv(file.string(), std::vector<std::uint8_t>(50000, 9),
                        rowClock(BEFORE_SPRING, 100000, 50000));
  ASSERT_TRUE(error);
  EXPECT_EQ(*error, std::strerror(ENOSPC));
  EXPECT_EQ(contents(file), "old");
}

}  // namespace
