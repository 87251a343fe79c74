// The check of a module file before it is loaded: a truncated or foreign file is refused with a
// reason (dlopen would map it and fault on what its headers promise), the real module passes,
// and loading a truncated module is an input error naming the file, never a crash.
#include <gtest/gtest.h>

#include <fstream>
#include <tuple>

#include "host_test_util.h"
#include "loader/module_file.h"

namespace {

namespace fs = std::filesystem;

class ModuleFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("arvex_modules_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    original = testsupport::modulesDir() / "larkon.so";
    ASSERT_TRUE(fs::exists(original)) << original;
  }
  void TearDown() override { fs::remove_all(dir); }
  // A copy of the booster's module cut to `size` bytes, as dir/NAME.so.
  fs::path truncated(const std::string &name, uintmax_t size) {
    fs::path p = dir / (name + ".so");
    fs::copy_file(original, p, fs::copy_options::overwrite_existing);
    fs::resize_file(p, size);
    return p;
  }
  fs::path dir, original;
};

TEST_F(ModuleFiles, TruncatedAndForeignFilesAreRefusedWithAReason) {
  uintmax_t size = fs::file_size(original);
  struct Case {
    uintmax_t size;
    const char *reason;
  };
  for (const Case &c : std::vector<Case>{{0, "too short"},
                                         {20, "too short"},
                                         {64, "program headers lie beyond"},
                                         {4096, "beyond its 4096 bytes"},
                                         {size / 2, "beyond its"},
                                         {size - 1, "section headers lie beyond"}}) {
    std::string problem = sim::moduleFileProblem(truncated("cut", c.size));
    EXPECT_NE(problem.find(c.reason), std::string::npos)
        << c.size << " bytes: \"" << problem << "\"";
  }
  EXPECT_EQ(sim::moduleFileProblem(original), "");
  std::ofstream(dir / "text.so") << std::string(200, 'x');
  EXPECT_EQ(sim::moduleFileProblem(dir / "text.so"), "not an ELF shared library");
  EXPECT_EQ(sim::moduleFileProblem(dir), "not a regular file");
  // The real module with one header byte changed: its word size, its type.
  for (auto [offset, value, reason] : std::vector<std::tuple<long, char, const char *>>{
           {4, 1, "an ELF file of another word size or byte order"},
           {16, 1, "an ELF file, but not a shared library"}}) {
    fs::path p = truncated("changed", fs::file_size(original));
    std::fstream f(p, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(offset);
    f.put(value);
    f.close();
    EXPECT_EQ(sim::moduleFileProblem(p), reason);
  }
}

TEST_F(ModuleFiles, LoadingATruncatedModuleIsAnInputErrorNamingIt) {
  truncated("larkon", fs::file_size(original) / 3);
  sim::WorldSettings s;
  s.dataRoot = testsupport::dataRoot();
  s.modulesDir = dir;
  sim::World w(s);
  try {
    w.createVessel("B", "larkon", testsupport::landed(*w.findBody("Earth"), 0, 0, 0));
    ADD_FAILURE() << "a truncated module was loaded";
  } catch (const sim::InputError &e) {
    EXPECT_NE(std::string(e.what()).find("module larkon: cannot load " +
                                         (dir / "larkon.so").string() + ": truncated"),
              std::string::npos)
        << e.what();
  }
}

}  // namespace
