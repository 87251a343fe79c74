// Running the simhost program from a test: its exit status, standard output and standard error.
#pragma once

#include <sys/wait.h>

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

// simhost ARGS, run in dir; its exit status, standard output and standard error.
inline Outcome simhost(const std::filesystem::path &dir, const std::vector<std::string> &args) {
  std::string cmd = "cd " + quoted(dir.string()) + " && " + quoted(ARVEX_TEST_SIMHOST);
  for (const std::string &a : args) cmd += " " + quoted(a);
  cmd += " >stdout.txt 2>stderr.txt";
  Outcome r;
  int s = std::system(cmd.c_str());
  r.status = WIFEXITED(s) ? WEXITSTATUS(s) : 128 + WTERMSIG(s);
  r.out = readFile(dir / "stdout.txt");
  r.err = readFile(dir / "stderr.txt");
  return r;
}

}  // namespace testsupport
