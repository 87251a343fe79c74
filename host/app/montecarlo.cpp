// simhost montecarlo (see montecarlo.h): the draws and the pool of run processes.
#include "app/montecarlo.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <random>
#include <sstream>
#include <thread>

#include "app/run.h"
#include "app/staging.h"
#include "scenario/document.h"
#include "vessel/vessel.h"
#include "world/errors.h"
#include "world/world.h"

extern char **environ;

namespace sim {
namespace {

// splitmix64: a well-mixed 64-bit seed from (set seed, run index).
unsigned long long mixSeed(unsigned long long seed, int index) {
  unsigned long long z = seed + 0x9E3779B97F4A7C15ull * static_cast<unsigned long long>(index + 1);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

// Uniform on [lo, hi] from 53 random bits (the same on every standard library).
double uniform(std::mt19937_64 &g, double lo, double hi) { return lo + (hi - lo) * ((g() >> 11) * 0x1.0p-53); }

// The value as the command line carries it, and the value parsed back from that text.
std::string fixed(double v, int decimals, double &parsed) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  parsed = std::strtod(buf, nullptr);
  return buf;
}

std::string quoteArg(const std::string &a) {
  if (!a.empty() && a.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-_.:/+=,") ==
                        std::string::npos)
    return a;
  std::string q = "'";
  for (char c : a) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

std::string readFile(const std::filesystem::path &p) {
  std::ifstream in(p);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// The last non-empty line a failed run wrote (its error message).
std::string lastLine(const std::string &text) {
  size_t e = text.find_last_not_of("\n ");
  if (e == std::string::npos) return {};
  size_t b = text.rfind('\n', e);
  return text.substr(b == std::string::npos ? 0 : b + 1, e - (b == std::string::npos ? 0 : b + 1) + 1);
}

std::string exePath() {
  char buf[4096] = {};
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string("simhost");
}

struct Child {
  RunDraw draw;
  std::filesystem::path report, output;
};

pid_t spawnRun(const std::string &exe, const Child &c) {
  std::vector<std::string> args = {exe};
  args.insert(args.end(), c.draw.args.begin(), c.draw.args.end());
  args.push_back("--report");
  args.push_back(c.report.string());
  std::vector<char *> argv;
  for (std::string &a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_addopen(&fa, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&fa, STDOUT_FILENO, c.output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&fa, STDOUT_FILENO, STDERR_FILENO);
  pid_t pid = -1;
  int rc = posix_spawn(&pid, exe.c_str(), &fa, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&fa);
  if (rc != 0) throw RunError("cannot start " + exe + ": " + std::strerror(rc));
  return pid;
}

// A temporary folder for the runs' reports, removed when the set is done.
struct ScratchDir {
  std::filesystem::path path;
  ScratchDir() {
    path = std::filesystem::temp_directory_path() / ("simhost-montecarlo-" + std::to_string(getpid()));
    std::filesystem::create_directories(path);
  }
  ~ScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }
};

}  // namespace

void shardRange(int runs, int index, int count, int &first, int &last) {
  first = static_cast<int>(static_cast<long long>(index - 1) * runs / count) + 1;
  last = static_cast<int>(static_cast<long long>(index) * runs / count);
}

RunDraw drawRun(const MonteCarloOptions &o, const StagingBase &base, const std::string &scenarioArg, int index) {
  std::mt19937_64 g(mixSeed(o.seed, index));
  RunDraw d;
  d.index = index;
  // Drawn in a fixed order, every draw taken even when its interval is empty, so that changing
  // one spread leaves the other draws of a run as they were.
  double alt = uniform(g, o.altitude.lo, o.altitude.hi);
  double speed = uniform(g, o.speed.lo, o.speed.hi);
  double angle = base.pathAngle + uniform(g, -o.pathAngleSpread, o.pathAngleSpread);
  double heading = base.heading + uniform(g, -o.headingSpread, o.headingSpread);
  double downrange = base.downrange * (1 + uniform(g, -o.downrangeSpread, o.downrangeSpread));
  double propellant = base.propellant * (1 + uniform(g, -o.propellantSpread, o.propellantSpread));
  double wind = uniform(g, o.windSpeed.lo, o.windSpeed.hi);
  double windFrom = uniform(g, 0, 360);
  double dt = uniform(g, o.dt.lo, o.dt.hi);
  double windSpeed, windDir;
  std::string w = fixed(wind, 3, windSpeed) + ":" + fixed(windFrom, 2, windDir);
  std::vector<std::string> windArgs = drawWind(o, g, w, d);

  d.args = {"run", scenarioArg};
  if (!o.root.empty()) d.args.insert(d.args.end(), {"--root", o.root.string()});
  if (!o.modules.empty()) d.args.insert(d.args.end(), {"--modules", o.modules.string()});
  d.args.insert(d.args.end(), {"--dt", fixed(dt, 4, d.dt)});
  if (!o.landingLaw.empty()) d.args.insert(d.args.end(), {"--landing-law", o.landingLaw});
  d.args.insert(d.args.end(), windArgs.begin(), windArgs.end());
  d.args.insert(d.args.end(), {"--staging-alt", fixed(alt, 1, d.altitude),
                               "--staging-speed", fixed(speed, 2, d.speed),
                               "--staging-angle", fixed(angle, 4, d.pathAngle),
                               "--staging-heading", fixed(heading, 4, d.heading),
                               "--staging-downrange", fixed(downrange, 1, d.downrange),
                               "--staging-propellant", fixed(propellant, 1, d.propellant)});
  d.windSpeed = windSpeed, d.windFrom = windDir;
  return d;
}

StagingBase readStagingBase(const MonteCarloOptions &o, const std::filesystem::path &dataRoot,
                            const std::filesystem::path &modulesDir) {
  WorldSettings s = worldSettings(o.root, o.modules, RunDefaults{dataRoot, modulesDir, {}});
  std::filesystem::path file = resolveScenario(o.scenario, s.dataRoot);
  World w(s);
  w.loadScenario(file);
  const ScenarioDocument &doc = *w.scenario();
  FlyingState f = readFlyingState(doc, "");
  StagingBase b;
  b.pathAngle = f.pathAngle, b.heading = f.heading;
  b.downrange = downrangeOf(doc, w, "", f);
  Vessel *focus = w.focus();
  if (!focus || focus->st.tankMass.empty())
    throw InputError(file.string() + ": the focus vessel has no propellant tank to disperse");
  b.propellant = focus->st.tankMass[0];
  return b;
}

nlohmann::json runRecord(const MonteCarloOptions &o, const RunDraw &d, int status, const nlohmann::json &report,
                         const std::string &error) {
  nlohmann::json r;
  r["run"] = d.index;
  r["set"] = {{"seed", o.seed}, {"runs", o.runs}, {"scenario", o.scenario}};
  if (!o.landingLaw.empty()) r["set"]["landing_law"] = o.landingLaw;  // sets of two laws do not merge
  r["inputs"] = {{"staging_altitude_m", d.altitude}, {"ground_speed_mps", d.speed},
                 {"path_angle_deg", d.pathAngle},    {"heading_deg", d.heading},
                 {"downrange_m", d.downrange},       {"main_propellant_kg", d.propellant},
                 {"wind_speed_mps", d.windSpeed},    {"wind_from_deg", d.windFrom},
                 {"dt_s", d.dt}};
  recordWind(d, r["inputs"]);
  if (!o.landingLaw.empty()) r["inputs"]["landing_law"] = o.landingLaw;
  r["exit_status"] = status;
  if (!error.empty()) r["error"] = error;
  if (report.contains("end_reason")) r["end_reason"] = report["end_reason"];
  if (report.contains("landing")) {
    nlohmann::json l = report["landing"];
    l.erase("timeline");
    r["landing"] = l;
  }
  std::string cmd = "simhost";
  for (const std::string &a : d.args) cmd += " " + quoteArg(a);
  r["command"] = cmd;
  return r;
}

int runMonteCarlo(const MonteCarloOptions &o, const std::filesystem::path &dataRoot,
                  const std::filesystem::path &modulesDir, std::ostream &out, std::ostream &err) {
  StagingBase base;
  std::string scenarioArg = o.scenario;
  try {
    std::error_code ec;
    if (std::filesystem::is_regular_file(o.scenario, ec)) scenarioArg = std::filesystem::absolute(o.scenario).string();
    base = readStagingBase(o, dataRoot, modulesDir);
  } catch (const InputError &e) {
    err << "simhost: " << e.what() << "\n";
    return 2;
  } catch (const RunError &e) {
    err << "simhost: " << e.what() << "\n";
    return 1;
  }
  int first, last;
  shardRange(o.runs, o.shardIndex, o.shardCount, first, last);
  int jobs = o.jobs > 0 ? o.jobs : std::max(1u, std::thread::hardware_concurrency());
  std::ofstream file(o.out, std::ios::trunc);
  if (!file) {
    err << "simhost: --out " << o.out.string() << ": cannot write\n";
    return 2;
  }
  ScratchDir scratch;
  std::string exe = exePath();
  std::map<pid_t, Child> running;
  std::vector<nlohmann::json> records;
  int next = first, done = 0, total = last - first + 1, upright = 0;
  bool tty = isatty(STDERR_FILENO);
  int lastTenth = 0;
  auto start = std::chrono::steady_clock::now();
  auto elapsed = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(); };
  try {
    while (done < total) {
      while (next <= last && static_cast<int>(running.size()) < jobs) {
        Child c;
        c.draw = drawRun(o, base, scenarioArg, next);
        c.report = scratch.path / ("run-" + std::to_string(next) + ".json");
        c.output = scratch.path / ("run-" + std::to_string(next) + ".txt");
        pid_t pid = spawnRun(exe, c);
        running.emplace(pid, std::move(c));
        next++;
      }
      int wstatus = 0;
      pid_t pid = waitpid(-1, &wstatus, 0);
      if (pid < 0) {
        if (errno == EINTR) continue;
        throw RunError(std::string("waiting for a run: ") + std::strerror(errno));
      }
      auto it = running.find(pid);
      if (it == running.end()) continue;
      Child c = std::move(it->second);
      running.erase(it);
      int status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + (WIFSIGNALED(wstatus) ? WTERMSIG(wstatus) : 0);
      nlohmann::json report;
      std::string error;
      try {
        std::string text = readFile(c.report);
        if (!text.empty()) report = nlohmann::json::parse(text);
      } catch (const nlohmann::json::exception &) {
        error = "unreadable report";
      }
      if (status != 0) error = lastLine(readFile(c.output));
      if (!report.contains("landing") && error.empty()) error = "no landing report";
      nlohmann::json rec = runRecord(o, c.draw, status, report, error);
      std::error_code ec;
      std::filesystem::remove(c.report, ec);
      std::filesystem::remove(c.output, ec);
      file << rec.dump() << "\n" << std::flush;
      if (rec.contains("landing") && rec["landing"].value("verdict", "") == "landed upright") upright++;
      records.push_back(std::move(rec));
      done++;
      double t = elapsed();
      double eta = t / done * (total - done);
      if (tty) {
        err << "\r  montecarlo: " << done << "/" << total << " runs, " << upright << " landed upright, "
            << static_cast<int>(t) << " s, about " << static_cast<int>(eta + 0.5) << " s to go   " << std::flush;
      } else if (done * 10 / total > lastTenth || done == total) {
        lastTenth = done * 10 / total;
        err << "  montecarlo: " << done << "/" << total << " runs, " << upright << " landed upright, "
            << static_cast<int>(t) << " s\n" << std::flush;
      }
    }
  } catch (const std::exception &e) {
    for (auto &[pid, c] : running) kill(pid, SIGTERM);
    for (auto &[pid, c] : running) waitpid(pid, nullptr, 0);
    err << "\nsimhost: " << e.what() << " (" << done << " runs written to " << o.out.string() << ")\n";
    return 1;
  }
  if (tty) err << "\r" << std::string(78, ' ') << "\r";
  nlohmann::json set = {{"seed", o.seed}, {"runs", o.runs}, {"scenario", o.scenario}, {"first", first}, {"last", last}};
  out << summaryTable(records, set, o.worst, elapsed(), jobs);
  out << "records: " << o.out.string() << "\n";
  return 0;
}

}  // namespace sim
