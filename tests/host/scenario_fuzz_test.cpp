// A bounded randomized run over the scenario reader: the bundled scenarios (and a passive one that
// uses every standard line) mutated by byte flips, truncations, duplicated, dropped and inserted
// lines, and numbers replaced by huge, tiny, NaN and infinite tokens. Every load must either
// succeed or throw sim::InputError; a loaded world must hold finite states only, and what it saves
// must load again.
//
// Deterministic for a seed: ARVEX_FUZZ_SEED and ARVEX_FUZZ_ITERATIONS override the defaults. The
// case being loaded is kept in fuzz_case.scn under the temporary folder printed at the start, so a
// crash leaves its input behind.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

#include "host_test_util.h"
#include "loader/config_file.h"
#include "scenario/document.h"

namespace {

using namespace testsupport;

const char *kPassiveScenario = R"(BEGIN_DESC
Passive vessels using every standard line.
END_DESC

BEGIN_ENVIRONMENT
  System Sol
  Date MJD 60000.25
  Wind 5 270
END_ENVIRONMENT

BEGIN_FOCUS
  Ship Crate
END_FOCUS

BEGIN_SHIPS
Crate:cargo_crate
  STATUS Landed Earth
  POS -80.6000000 28.6000000
  HEADING 45.00
  RCSMODE 2
  AFCMODE 1
END
Pad:landing_pad
  STATUS Landed Earth
  BASE Kestrel Point:1
END
Capsule:drop_capsule
  STATUS Flying Earth
  POS 10 20
  ALT 10000
  HEADING 90
  GSPEED 100 -5
  AROT 0 0 0
  VROT 0.1 0.2 0.3
END
Box:cargo_crate
  STATUS Orbiting Earth
  RPOS 6771010.000 0.000 0.000
  RVEL 0.0000 0.0000 7672.5930
  AROT 10.000 20.000 30.000
  XPDR 7
  FUEL 0.5
  THLEVEL 0:1
END
Sat:pelo_payload
  STATUS Landed Earth
  POS 1 2
  ALT 3.5
  AROT 0 0 0
  PRPLEVEL 0:0.5
END
END_SHIPS
)";

const char *kOddTokens[] = {"1e308", "-1e308", "1e-320", "nan", "NaN", "-nan", "inf", "-inf", "1e999", "-0",
                            "99999999999999999999", "4294967296", "2147483648", "-2147483649", "0x1p3", "", "1:", ":",
                            "0:1e308", "0:-1", "65536:1", "1e300:1"};
const char *kKeywords[] = {"STATUS Landed", "STATUS Orbiting", "STATUS Flying", "BASE", "POS", "HEADING", "PRPLEVEL",
                           "FUEL", "THLEVEL", "RPOS", "RVEL", "AROT", "VROT", "ALT", "XPDR", "RCSMODE", "AFCMODE",
                           "ATTACHED", "GSPEED", "Ship", "Date MJD", "Wind", "END", "BEGIN_SHIPS", "END_SHIPS"};

class Mutator {
 public:
  explicit Mutator(unsigned seed) : rng_(seed) {}

  std::string mutate(std::string text) {
    int n = 1 + pick(3);
    for (int i = 0; i < n; i++) {
      switch (pick(7)) {
        case 0:  // a byte flip
          if (!text.empty()) text[pick(text.size())] = static_cast<char>(pick(256));
          break;
        case 1:  // a truncation
          text.resize(pick(text.size() + 1));
          break;
        case 2:
          duplicateLine(text);
          break;
        case 3:
          dropLine(text);
          break;
        case 4:
        case 5:
          replaceNumber(text);
          break;
        case 6:
          insertLine(text);
          break;
      }
    }
    return text;
  }

 private:
  size_t pick(size_t n) { return n ? std::uniform_int_distribution<size_t>(0, n - 1)(rng_) : 0; }

  std::vector<std::string> lines(const std::string &text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) out.push_back(l);
    return out;
  }
  static std::string join(const std::vector<std::string> &ls) {
    std::string s;
    for (const std::string &l : ls) s += l + "\n";
    return s;
  }
  void duplicateLine(std::string &text) {
    auto ls = lines(text);
    if (ls.empty()) return;
    size_t i = pick(ls.size());
    ls.insert(ls.begin() + static_cast<long>(i), ls[i]);
    text = join(ls);
  }
  void dropLine(std::string &text) {
    auto ls = lines(text);
    if (ls.empty()) return;
    ls.erase(ls.begin() + static_cast<long>(pick(ls.size())));
    text = join(ls);
  }
  void insertLine(std::string &text) {
    auto ls = lines(text);
    std::string l =
        std::string("  ") + kKeywords[pick(std::size(kKeywords))] + " " + kOddTokens[pick(std::size(kOddTokens))];
    if (pick(2)) l += std::string(" ") + kOddTokens[pick(std::size(kOddTokens))];
    ls.insert(ls.begin() + static_cast<long>(pick(ls.size() + 1)), l);
    text = join(ls);
  }
  void replaceNumber(std::string &text) {
    std::vector<std::pair<size_t, size_t>> numbers;
    for (size_t i = 0; i < text.size();) {
      bool start = std::isdigit(static_cast<unsigned char>(text[i])) ||
                   (text[i] == '-' && i + 1 < text.size() && std::isdigit(static_cast<unsigned char>(text[i + 1])));
      if (!start) {
        i++;
        continue;
      }
      size_t j = i + 1;
      while (j < text.size() && (std::isdigit(static_cast<unsigned char>(text[j])) || text[j] == '.' || text[j] == 'e'))
        j++;
      numbers.emplace_back(i, j - i);
      i = j;
    }
    if (numbers.empty()) return;
    auto [at, len] = numbers[pick(numbers.size())];
    text.replace(at, len, kOddTokens[pick(std::size(kOddTokens))]);
  }

  std::mt19937 rng_;
};

std::string readFile(const std::filesystem::path &p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// The bundled scenarios whose modules have been built, and the passive one.
std::vector<std::string> seedTexts() {
  std::vector<std::string> seeds = {kPassiveScenario};
  for (const auto &e : std::filesystem::directory_iterator(dataRoot() / "Scenarios")) {
    if (e.path().extension() != ".scn") continue;
    bool built = true;
    for (const sim::ShipBlock &s : sim::ScenarioDocument::read(e.path()).ships) {
      std::filesystem::path cfg = dataRoot() / "Config" / "Vessels" / (s.className + ".cfg");
      std::string module;
      if (std::filesystem::exists(cfg)) sim::ConfigFile::read(cfg)->text("Module", module);
      if (!module.empty() && !std::filesystem::exists(modulesDir() / (module + ".so"))) built = false;
    }
    if (built) seeds.push_back(readFile(e.path()));
  }
  return seeds;
}

// The first vessel of w whose state is not finite, or "".
std::string nonFiniteVessel(const sim::World &w) {
  for (const auto &vp : w.vessels()) {
    const Vessel &v = *vp;
    bool ok = sim::stateFinite(v.st) && std::isfinite(v.mass());
    for (const sim::ThrusterState &t : v.st.thrusters) ok = ok && std::isfinite(t.permanent);
    if (!ok) return v.name();
  }
  return "";
}

unsigned envNumber(const char *name, unsigned fallback) {
  const char *s = std::getenv(name);
  return s && *s ? static_cast<unsigned>(std::strtoul(s, nullptr, 10)) : fallback;
}

TEST(ScenarioFuzz, MutatedScenariosLoadOrFailCleanly) {
  const unsigned seed = envNumber("ARVEX_FUZZ_SEED", 20160513);
  const unsigned iterations = envNumber("ARVEX_FUZZ_ITERATIONS", 4000);
  const auto budget = std::chrono::seconds(8);
  TempDataRoot root;
  std::filesystem::path file = root.file("Scenarios/fuzz_case.scn");
  std::filesystem::path again = root.file("Scenarios/fuzz_saved.scn");
  std::cout << "seed " << seed << ", cases in " << file << "\n";

  std::vector<std::string> seeds = seedTexts();
  Mutator mutator(seed);
  auto start = std::chrono::steady_clock::now();
  unsigned loaded = 0, rejected = 0, i = 0;
  for (; i < iterations && std::chrono::steady_clock::now() - start < budget; i++) {
    std::string text = mutator.mutate(seeds[i % seeds.size()]);
    { std::ofstream(file, std::ios::binary | std::ios::trunc) << text; }
    auto w = makeWorld(0.1, root.path());
    try {
      w->loadScenario(file);
    } catch (const sim::InputError &) {
      rejected++;
      continue;
    } catch (const std::exception &e) {
      ADD_FAILURE() << "case " << i << ": " << e.what() << "\n" << text;
      break;
    }
    loaded++;
    std::string bad = nonFiniteVessel(*w);
    if (!bad.empty()) {
      ADD_FAILURE() << "case " << i << ": vessel " << bad << " has a non-finite state\n" << text;
      break;
    }
    // What a loaded world saves loads again.
    w->saveScenario(again);
    w.reset();
    auto w2 = makeWorld(0.1, root.path());
    try {
      w2->loadScenario(again);
    } catch (const std::exception &e) {
      ADD_FAILURE() << "case " << i << ": the saved scenario does not load: " << e.what() << "\ninput:\n"
                    << text << "\nsaved:\n"
                    << readFile(again);
      break;
    }
  }
  std::cout << i << " cases: " << loaded << " loaded, " << rejected << " rejected\n";
  EXPECT_GT(loaded, 0u);
  EXPECT_GT(rejected, 0u);
}

}  // namespace
