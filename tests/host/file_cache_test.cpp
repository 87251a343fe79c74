// Files parsed once per process: a settled file is parsed once and shared, a changed one is
// parsed again, even when it keeps its size and is rewritten at once; a parse error is kept.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <random>

#include "loader/config_file.h"
#include "loader/file_cache.h"
#include "world/errors.h"

namespace {

class FileCacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device rd;
    dir = std::filesystem::temp_directory_path() / ("arvex_file_cache_" + std::to_string(rd()) + std::to_string(rd()));
    std::filesystem::create_directories(dir);
    file = dir / "item.cfg";
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
  void write(const std::string &text, bool old) {
    std::ofstream(file, std::ios::trunc) << text;
    if (old)
      std::filesystem::last_write_time(file, std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
  }
  // Parses "N" into N, counting the parses; anything else is an input error.
  sim::FileCache<int>::Result get() {
    return cache.get(file, [this](const std::string &text, const std::string &name) {
      parses++;
      if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
        throw sim::InputError(name + ": not a number");
      return std::stoi(text);
    });
  }

  std::filesystem::path dir, file;
  sim::FileCache<int> cache;
  int parses = 0;
};

TEST_F(FileCacheTest, ASettledFileIsParsedOnceAndShared) {
  write("41", true);
  auto a = get(), b = get();
  ASSERT_TRUE(a.value);
  EXPECT_EQ(*a.value, 41);
  EXPECT_EQ(a.value, b.value);
  EXPECT_EQ(parses, 1);
  write("42", true);  // same size, other content, other time
  EXPECT_EQ(*get().value, 42);
}

TEST_F(FileCacheTest, AFreshRewriteOfTheSameSizeIsSeen) {
  // Both writes may fall in one tick of the file system's clock: the stamp alone cannot tell.
  write("17", false);
  EXPECT_EQ(*get().value, 17);
  write("18", false);
  EXPECT_EQ(*get().value, 18);
}

TEST_F(FileCacheTest, MissingAndMalformedFilesAreToldApart) {
  auto none = get();
  EXPECT_TRUE(none.missing);
  EXPECT_FALSE(none.value);
  write("seven", true);
  auto bad = get();
  EXPECT_FALSE(bad.missing);
  EXPECT_FALSE(bad.value);
  EXPECT_NE(bad.error.find("item.cfg: not a number"), std::string::npos) << bad.error;
  get();
  EXPECT_EQ(parses, 1);  // the error is kept with the file
  std::filesystem::remove(file);
  std::filesystem::create_directories(file);  // a folder is no file
  EXPECT_TRUE(get().missing);
}

TEST_F(FileCacheTest, ConfigurationFilesComeFromTheCacheWithTheirErrors) {
  write("Mass = 5\nbroken line\n", true);
  try {
    sim::ConfigFile::read(file);
    ADD_FAILURE() << "a malformed file was read";
  } catch (const sim::InputError &e) {
    EXPECT_NE(std::string(e.what()).find("item.cfg:2:"), std::string::npos) << e.what();
  }
  write("Mass = 6\n", true);
  auto cfg = sim::ConfigFile::read(file);
  double mass = 0;
  ASSERT_TRUE(cfg->number("Mass", mass));
  EXPECT_EQ(mass, 6);
  EXPECT_EQ(sim::ConfigFile::read(file), cfg);
  EXPECT_THROW(sim::ConfigFile::read(dir / "none.cfg"), sim::InputError);
}

}  // namespace
