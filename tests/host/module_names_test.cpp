// Where the host finds a module's file: NAME.so, else libNAME.so as the simulator's Linux build
// names it; a missing module names both files it looked for.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "loader/module.h"
#include "world/errors.h"
#include "world_fixture.h"

namespace {

namespace fs = std::filesystem;

class ModuleNames : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("module-names-" + std::to_string(::getpid()));
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }
  void place(const std::string &file) { fs::copy_file(testsupport::modulesDir() / "test_null.so", dir / file); }
  fs::path dir;
};

TEST_F(ModuleNames, FindsEitherFileNameAndPrefersThePlainOne) {
  struct Case {
    std::vector<std::string> files;
    std::string loaded;
  };
  for (const Case &c : {Case{{"libtest_null.so"}, "libtest_null.so"}, Case{{"test_null.so"}, "test_null.so"},
                        Case{{"test_null.so", "libtest_null.so"}, "test_null.so"}}) {
    for (const std::string &f : c.files) place(f);
    {
      sim::ModuleRegistry modules(dir);
      EXPECT_EQ(modules.load("test_null").path.filename(), c.loaded);
    }
    for (const std::string &f : c.files) fs::remove(dir / f);
  }
}

TEST_F(ModuleNames, MissingModuleNamesBothFiles) {
  sim::ModuleRegistry modules(dir);
  try {
    modules.load("absent");
    FAIL() << "loaded a module that does not exist";
  } catch (const sim::InputError &e) {
    std::string what = e.what();
    EXPECT_NE(what.find("absent.so"), std::string::npos) << what;
    EXPECT_NE(what.find("libabsent.so"), std::string::npos) << what;
  }
}

}  // namespace
