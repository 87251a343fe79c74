// Running the simhost program from a test: its exit status, standard output and standard error.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace testsupport {

inline std::string readFile(const std::filesystem::path &p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

inline std::string quoted(const std::string &s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

struct Outcome {
  int status = -1;
  std::string out, err;
};

// simhost ARGS, run in dir (after the shell words `prefix`, e.g. "TMPDIR=/x"); its exit status,
// standard output and standard error.
inline Outcome simhost(const std::filesystem::path &dir, const std::vector<std::string> &args,
                       const std::string &prefix = "") {
  std::string cmd =
      "cd " + quoted(dir.string()) + " && " + prefix + " " + quoted(ARVEX_TEST_SIMHOST);
  for (const std::string &a : args) cmd += " " + quoted(a);
  cmd += " >stdout.txt 2>stderr.txt";
  Outcome r;
  int s = std::system(cmd.c_str());
  r.status = WIFEXITED(s) ? WEXITSTATUS(s) : 128 + WTERMSIG(s);
  r.out = readFile(dir / "stdout.txt");
  r.err = readFile(dir / "stderr.txt");
  return r;
}

// simhost ARGS started in dir with TMPDIR set (if given), sent `signal` once its standard error
// holds `waitFor` (if given) or after `seconds` of wall time, unless it ended before, and waited
// for: its exit status, standard output and error.
inline Outcome simhostStopped(const std::filesystem::path &dir,
                              const std::vector<std::string> &args, double seconds, int signal,
                              const std::string &tmpdir = "", const std::string &waitFor = "") {
  std::vector<std::string> words = {ARVEX_TEST_SIMHOST};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char *> argv;
  for (std::string &w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  std::vector<std::string> env;
  for (char **e = environ; *e; e++)
    if (std::string(*e).rfind("TMPDIR=", 0) != 0) env.push_back(*e);
  if (!tmpdir.empty()) env.push_back("TMPDIR=" + tmpdir);
  std::vector<char *> envp;
  for (std::string &e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::string out = (dir / "stdout.txt").string(), err = (dir / "stderr.txt").string();
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_addopen(&fa, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&fa, STDOUT_FILENO, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  posix_spawn_file_actions_addopen(&fa, STDERR_FILENO, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  posix_spawn_file_actions_addchdir_np(&fa, dir.c_str());
  pid_t pid = -1;
  int rc = posix_spawn(&pid, argv[0], &fa, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&fa);
  Outcome r;
  if (rc != 0) return r;
  int status = 0;
  auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (waitpid(pid, &status, WNOHANG) == 0) {
    bool due = !waitFor.empty() && readFile(err).find(waitFor) != std::string::npos;
    if (due || std::chrono::steady_clock::now() >= end) {
      kill(pid, signal);
      waitpid(pid, &status, 0);
      break;
    }
    usleep(10000);
  }
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  r.out = readFile(out);
  r.err = readFile(err);
  return r;
}

// Processes whose command line or environment holds `text` (children left running: a run forked
// from its set carries the set's command line, and its environment).
inline int processesMentioning(const std::string &text) {
  int n = 0;
  for (const auto &e : std::filesystem::directory_iterator("/proc")) {
    std::string name = e.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::string cmdline = readFile(e.path() / "cmdline"), environ = readFile(e.path() / "environ");
    n += cmdline.find(text) != std::string::npos || environ.find(text) != std::string::npos;
  }
  return n;
}

}  // namespace testsupport
