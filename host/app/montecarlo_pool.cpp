// simhost montecarlo (see montecarlo.h): the pool of run processes, the record file and the end
// of the set. Run k is `simhost run ... --report SCRATCH/run-k.json` with its output in
// SCRATCH/run-k.txt, SCRATCH a folder of a unique name in the temporary folder, removed at the
// end. Records go to a temporary file beside --out, one whole line per finished run.
//
// A run is forked from this process, whose caches hold the base scenario's configuration and
// meshes and which has built the run subcommand's options: the child points its standard streams
// at its output file, runs the program's own entry point on the run's words and leaves with
// _exit, so nothing of this process (its records' temporary file, the scratch folder) is flushed
// or removed twice. Each child writes its flight's own CPU time [s] into a slot of memory shared
// with this process; wait4 gives each run process's whole CPU time [s]. The summary sets the
// set's wall time against both.
#include <fcntl.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <thread>

#include "app/interrupt.h"
#include "app/montecarlo.h"
#include "app/run.h"
#include "io/output_file.h"
#include "world/errors.h"

namespace sim {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

std::string readFile(const fs::path &p) {
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
  return text.substr(b == std::string::npos ? 0 : b + 1,
                     e - (b == std::string::npos ? 0 : b + 1) + 1);
}

std::string exePath() {
  char buf[4096] = {};
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string("simhost");
}

// A run stopped by an interrupt: its own clean exit after SIGINT or SIGTERM, or killed by one.
bool interruptedStatus(int wstatus) {
  if (WIFEXITED(wstatus))
    return WEXITSTATUS(wstatus) == 128 + SIGINT || WEXITSTATUS(wstatus) == 128 + SIGTERM;
  return WIFSIGNALED(wstatus) && (WTERMSIG(wstatus) == SIGINT || WTERMSIG(wstatus) == SIGTERM);
}

struct Child {
  RunDraw draw;
  fs::path report, output;
  double *flightCpu = nullptr;  // its slot of FlightCpuSlots (null for a spawned run)
};

// One double per run of the slice in memory shared with the forked runs, which write their
// flight's CPU time there; NaN until a run has written it.
class FlightCpuSlots {
 public:
  explicit FlightCpuSlots(int count) : count_(static_cast<size_t>(std::max(count, 1))) {
    void *p = mmap(nullptr, count_ * sizeof(double), PROT_READ | PROT_WRITE,
                   MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) throw RunError(std::string("cannot map memory: ") + std::strerror(errno));
    slots_ = static_cast<double *>(p);
    std::fill(slots_, slots_ + count_, std::nan(""));
  }
  ~FlightCpuSlots() { munmap(slots_, count_ * sizeof(double)); }
  FlightCpuSlots(const FlightCpuSlots &) = delete;
  FlightCpuSlots &operator=(const FlightCpuSlots &) = delete;
  double *slot(size_t i) { return slots_ + i; }

 private:
  size_t count_;
  double *slots_ = nullptr;
};

// A run's words as the program takes them: the program, the run's draw, its report file.
struct RunWords {
  RunWords(const std::string &exe, const Child &c) : words{exe} {
    words.insert(words.end(), c.draw.args.begin(), c.draw.args.end());
    words.insert(words.end(), {"--report", c.report.string()});
    for (std::string &w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
  }
  RunWords(const RunWords &) = delete;  // argv points into words
  RunWords &operator=(const RunWords &) = delete;
  int argc() const { return static_cast<int>(words.size()); }
  std::vector<std::string> words;
  std::vector<char *> argv;  // into words, null-terminated
};

// The run forked from this process: the same words as a spawned run's, given to the program's
// entry point in the child. Never returns in the child.
pid_t forkRun(const std::string &exe, const RunDefaults &defaults, CommandLineParser &parser,
              const Child &c) {
  std::cout.flush(), std::cerr.flush(), std::fflush(nullptr);  // nothing buffered twice
  pid_t pid = fork();
  if (pid < 0) throw RunError(std::string("cannot start a run: ") + std::strerror(errno));
  if (pid > 0) return pid;
  int status = 127;
  try {
    int in = open("/dev/null", O_RDONLY);
    int out = open(c.output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in >= 0 && out >= 0 && dup2(in, STDIN_FILENO) >= 0 && dup2(out, STDOUT_FILENO) >= 0 &&
        dup2(out, STDERR_FILENO) >= 0) {
      close(in), close(out);
      RunWords run(exe, c);
      RunDefaults d = defaults;
      d.flightCpuSeconds = c.flightCpu;
      status = simhostMain(run.argc(), run.argv.data(), d, parser);
    }
  } catch (...) {
    status = 1;
  }
  std::cout.flush(), std::cerr.flush(), std::fflush(nullptr);
  _exit(status);
}

pid_t spawnRun(const std::string &exe, const Child &c) {
  RunWords run(exe, c);
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_addopen(&fa, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&fa, STDOUT_FILENO, c.output.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&fa, STDOUT_FILENO, STDERR_FILENO);
  pid_t pid = -1;
  int rc = posix_spawn(&pid, exe.c_str(), &fa, nullptr, run.argv.data(), environ);
  posix_spawn_file_actions_destroy(&fa);
  if (rc != 0) throw RunError("cannot start " + exe + ": " + std::strerror(rc));
  return pid;
}

// A folder of a unique name for the runs' reports, removed with everything in it at the end.
class ScratchDir {
 public:
  ScratchDir() {
    std::string t = (fs::temp_directory_path() / "simhost-montecarlo-XXXXXX").string();
    if (!::mkdtemp(t.data()))
      throw RunError("cannot make a folder in " + fs::temp_directory_path().string());
    path_ = t;
  }
  ~ScratchDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  ScratchDir(const ScratchDir &) = delete;
  ScratchDir &operator=(const ScratchDir &) = delete;
  const fs::path &path() const { return path_; }

 private:
  fs::path path_;
};

// The set being flown: its runs, the records it has (resumed and new), the progress.
struct SetRun {
  SetRun(const MonteCarloOptions &options, const RunDefaults &d) : o(options), defaults(d) {}
  const MonteCarloOptions &o;
  const RunDefaults &defaults;
  std::unique_ptr<FlightCpuSlots> cpuSlots;  // null when the runs are spawned
  double processCpu = 0, flightCpu = 0;      // [s] of the runs flown now
  StagingBase base;
  std::string scenarioArg, exe;
  int first = 0, last = 0, jobs = 1;
  // The records as their lines: a set's process forks a run while it takes in another's record,
  // and a tree of nodes would spread over pages the runs share with it, each write a page copy.
  std::vector<std::string> records;
  std::set<int> have;
  int toFly = 0, flown = 0, upright = 0, lastTenth = 0;
  std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
  double elapsed() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
};

// The set as its records name it (runRecord).
json setOf(const MonteCarloOptions &o) {
  json set = {{"seed", o.seed}, {"runs", o.runs}, {"scenario", o.scenario}};
  if (!o.landingLaw.empty()) set["landing_law"] = o.landingLaw;
  return set;
}

std::string recordLine(const json &r) {
  return r.dump(-1, ' ', false, json::error_handler_t::replace) + "\n";
}

// The records of --out that belong to this very set and slice; "" or the problem (file:line).
std::string resumeRecords(SetRun &s) {
  std::vector<RecordLine> lines;
  std::error_code ec;
  if (!fs::exists(s.o.out, ec)) return "";  // nothing flown yet: the whole set
  if (std::string problem = readRecordFile(s.o.out, lines); !problem.empty()) return problem;
  for (RecordLine &l : lines) {
    std::string where = s.o.out.string() + ":" + std::to_string(l.line) + ": ";
    int run = l.record["run"].get<int>();
    if (l.record["set"] != setOf(s.o))
      return where + "a record of another set (" + l.record["set"].dump() + ", not " +
             setOf(s.o).dump() + ")";
    if (run < s.first || run > s.last)
      return where + "run " + std::to_string(run) + " is not in this slice (runs " +
             std::to_string(s.first) + "-" + std::to_string(s.last) + ")";
    json drawn = runRecord(s.o, drawRun(s.o, s.base, s.scenarioArg, run), 0, json::object(), "");
    if (l.record.value("command", std::string()) != drawn["command"].get<std::string>())
      return where + "run " + std::to_string(run) + " was drawn with other options than this set's";
    if (!s.have.insert(run).second)
      return where + "run " + std::to_string(run) + " is recorded twice";
    s.records.push_back(recordLine(l.record));
  }
  return "";
}

json collectRun(const MonteCarloOptions &o, const Child &c, int wstatus) {
  int status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus)
                                  : 128 + (WIFSIGNALED(wstatus) ? WTERMSIG(wstatus) : 0);
  json report;
  std::string error;
  try {
    std::string text = readFile(c.report);
    if (!text.empty()) report = json::parse(text);
  } catch (const json::exception &) {
    error = "unreadable report";
  }
  if (status != 0) error = lastLine(readFile(c.output));
  if (!report.contains("landing") && error.empty()) error = "no landing report";
  std::error_code ec;
  fs::remove(c.report, ec);
  fs::remove(c.output, ec);
  return runRecord(o, c.draw, status, report, error);
}

void showProgress(SetRun &s, std::ostream &err, bool tty) {
  double t = s.elapsed();
  double eta = t / s.flown * (s.toFly - s.flown);
  int done = static_cast<int>(s.records.size()), total = s.last - s.first + 1;
  if (tty) {
    err << "\r  montecarlo: " << done << "/" << total << " runs, " << s.upright
        << " landed upright, " << static_cast<int>(t) << " s, about " << std::lround(eta)
        << " s to go   " << std::flush;
  } else if (s.flown * 10 / s.toFly > s.lastTenth || s.flown == s.toFly) {
    s.lastTenth = s.flown * 10 / s.toFly;
    err << "  montecarlo: " << done << "/" << total << " runs, " << s.upright << " landed upright, "
        << static_cast<int>(t) << " s\n"
        << std::flush;
  }
}

double cpuSeconds(const rusage &ru) {
  auto sec = [](const timeval &t) {
    return static_cast<double>(t.tv_sec) + 1e-6 * static_cast<double>(t.tv_usec);
  };
  return sec(ru.ru_utime) + sec(ru.ru_stime);
}

void keep(SetRun &s, json rec, OutputFile &out, const Child &c, const rusage &ru) {
  s.processCpu += cpuSeconds(ru);
  if (c.flightCpu && std::isfinite(*c.flightCpu)) s.flightCpu += *c.flightCpu;
  std::string line = recordLine(rec);
  out.write(line);
  if (rec.contains("landing") && rec["landing"].value("verdict", "") == "landed upright")
    s.upright++;
  s.have.insert(rec["run"].get<int>());
  s.records.push_back(std::move(line));
  s.flown++;
}

// Stops the runs still flying after an interrupt; a run that had finished is still kept.
void stopRuns(SetRun &s, std::map<pid_t, Child> &running, OutputFile &out) {
  for (auto &[pid, c] : running) kill(pid, SIGTERM);
  for (auto &[pid, c] : running) {
    int wstatus = 0;
    rusage ru{};
    while (wait4(pid, &wstatus, 0, &ru) < 0 && errno == EINTR) {
    }
    json rec = collectRun(s.o, c, wstatus);
    if (!interruptedStatus(wstatus)) keep(s, std::move(rec), out, c, ru);
  }
  running.clear();
}

// Flies the runs of the slice that have no record yet; the interrupting signal, or 0.
int flyRuns(SetRun &s, const fs::path &scratch, OutputFile &out, std::ostream &err) {
  std::map<pid_t, Child> running;
  bool tty = isatty(STDERR_FILENO);
  int next = s.first;
  CommandLineParser runParser("run");  // each forked run parses its words with it
  auto startRuns = [&] {
    for (; next <= s.last && static_cast<int>(running.size()) < s.jobs && !interruptSignal();
         next++) {
      if (s.have.count(next)) continue;
      Child c{drawRun(s.o, s.base, s.scenarioArg, next),
              scratch / ("run-" + std::to_string(next) + ".json"),
              scratch / ("run-" + std::to_string(next) + ".txt"),
              s.cpuSlots ? s.cpuSlots->slot(static_cast<size_t>(next - s.first)) : nullptr};
      pid_t pid = c.flightCpu ? forkRun(s.exe, s.defaults, runParser, c) : spawnRun(s.exe, c);
      running.emplace(pid, std::move(c));
    }
  };
  try {
    while (!interruptSignal() && (next <= s.last || !running.empty())) {
      startRuns();
      if (running.empty()) continue;
      int wstatus = 0;
      rusage ru{};
      pid_t pid = wait4(-1, &wstatus, 0, &ru);
      if (pid < 0 && errno == EINTR) continue;
      if (pid < 0) throw RunError(std::string("waiting for a run: ") + std::strerror(errno));
      auto it = running.find(pid);
      if (it == running.end()) continue;
      Child c = std::move(it->second);
      running.erase(it);
      startRuns();  // the next run flies while this one's record is taken in
      json rec = collectRun(s.o, c, wstatus);
      if (interruptSignal() && interruptedStatus(wstatus)) continue;  // stopped, not finished
      keep(s, std::move(rec), out, c, ru);
      showProgress(s, err, tty);
    }
  } catch (const std::exception &) {
    stopRuns(s, running, out);
    throw;
  }
  stopRuns(s, running, out);
  if (tty) err << "\r" << std::string(78, ' ') << "\r";
  return interruptSignal();
}

// Reads the base scenario and the slice; -1 to go on, else the exit status.
int prepare(SetRun &s, std::ostream &err) {
  int status = exitStatusOf(err, [&s] {
    std::error_code ec;
    s.scenarioArg = s.o.scenario;
    if (fs::is_regular_file(s.o.scenario, ec)) s.scenarioArg = fs::absolute(s.o.scenario).string();
    s.base = readStagingBase(s.o, s.defaults.dataRoot, s.defaults.modulesDir);
  });
  if (status != 0) return status;
  shardRange(s.o.runs, s.o.shardIndex, s.o.shardCount, s.first, s.last);
  s.jobs =
      s.o.jobs > 0 ? s.o.jobs : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  s.exe = exePath();
  if (!s.o.spawn) s.cpuSlots = std::make_unique<FlightCpuSlots>(s.last - s.first + 1);
  return -1;
}

// The set's wall time against its runs' CPU time, per job: 1.00 is a pool that costs nothing.
std::string cpuLine(const SetRun &s) {
  if (s.flown == 0) return "";
  double wall = s.elapsed(), jobs = std::min(s.jobs, s.flown);
  char line[256];
  int n = std::snprintf(line, sizeof line, "cpu: %.2f s in the %d run processes", s.processCpu,
                        s.flown);
  if (s.cpuSlots)
    n += std::snprintf(line + n, sizeof line - n,
                       ", %.2f s in their flights; wall %.2f s = %.2f x "
                       "the flights' cpu per job\n",
                       s.flightCpu, wall, wall / (s.flightCpu / jobs));
  else
    std::snprintf(line + n, sizeof line - n, "; wall %.2f s = %.2f x their cpu per job\n", wall,
                  wall / (s.processCpu / jobs));
  return line;
}

// The summary and the exit status of a set that flew to its end or was interrupted.
int finishSet(SetRun &s, int signal, bool existed, OutputSet &outputs, std::ostream &out,
              std::ostream &err) {
  json set = setOf(s.o);
  set["first"] = s.first, set["last"] = s.last;
  std::vector<json> records;
  records.reserve(s.records.size());
  for (const std::string &line : s.records) records.push_back(json::parse(line));
  out << summaryTable(records, set, s.o.worst, s.elapsed(), s.jobs, s.o.program) << cpuLine(s);
  int total = s.last - s.first + 1, have = static_cast<int>(s.records.size());
  if (signal && existed && !s.o.resume) {
    err << "simhost: montecarlo: interrupted; " << s.o.out.string() << " left as it was (the "
        << s.flown
        << " runs flown now are not kept: give --resume to continue a set in its file)\n";
    return 128 + signal;
  }
  outputs.commitAll();
  out << "records: " << s.o.out.string() << "\n";
  if (signal) {
    err << "simhost: montecarlo: interrupted: " << have << " of " << total << " runs in "
        << s.o.out.string() << "; the same command with --resume flies the rest\n";
    return 128 + signal;
  }
  if (int failed = failedRuns(records); failed > 0) {
    err << "simhost: montecarlo: " << failed << " of " << have
        << " runs failed (no landing report; see their "
        << "\"error\" in " << s.o.out.string() << ")\n";
    return 1;
  }
  return 0;
}

}  // namespace

int runMonteCarlo(const MonteCarloOptions &o, const RunDefaults &defaults, std::ostream &out,
                  std::ostream &err) {
  SetRun s(o, defaults);
  if (int status = prepare(s, err); status >= 0) return status;
  std::error_code ec;
  bool existed = fs::exists(o.out, ec);
  OutputSet outputs;
  OutputFile *records;
  try {
    outputs.addInput(s.scenarioArg, "the base scenario");
    records = outputs.add("--out", o.out);
    if (std::string problem = o.resume ? resumeRecords(s) : ""; !problem.empty())
      throw InputError(problem);
    for (const std::string &line : s.records) records->write(line);
  } catch (const RunError &e) {
    err << "simhost: " << e.what() << "\n";
    return 2;
  } catch (const InputError &e) {
    err << "simhost: --resume: " << e.what() << "\n";
    return 2;
  }
  s.toFly = s.last - s.first + 1 - static_cast<int>(s.records.size());
  try {
    ScratchDir scratch;
    int signal = flyRuns(s, scratch.path(), *records, err);
    return finishSet(s, signal, existed, outputs, out, err);
  } catch (const RunError &e) {
    err << "\nsimhost: " << e.what() << "\n";
    if (existed && !o.resume) return 1;
    try {  // keep what finished, for --resume
      outputs.commitAll();
      err << "simhost: montecarlo: " << s.records.size() << " runs written to " << o.out.string()
          << "\n";
    } catch (const RunError &) {
    }
    return 1;
  }
}

}  // namespace sim
