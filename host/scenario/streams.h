// The file handles the simulator hands to modules: the reader of one vessel block of a scenario
// (oapiReadScenario_nextline), the scenario writer (oapiWriteScenario_*), and the class
// configuration file handed to clbkSetClassCaps.
//
// Reading follows the simulator: a line is cut at its first ';', trailing blanks and tabs are
// removed and leading ones skipped; the block ends at its END line. The line buffer is reused by
// the next call. Writing: "  item value\n" (two blanks of indent).
// Handles are checked against the set of open streams before use.
#pragma once

#include <string>
#include <vector>

#include "OrbiterAPI.h"

namespace sim {

struct SourceLine {
  int number = 0;  // 1-based line number in the file
  std::string text;
};

class FileStream {
 public:
  enum class Kind { Reader, Writer, Config };
  explicit FileStream(Kind kind);
  virtual ~FileStream();
  FileStream(const FileStream &) = delete;
  FileStream &operator=(const FileStream &) = delete;
  Kind kind() const { return kind_; }
  FILEHANDLE handle() { return static_cast<FILEHANDLE>(this); }
  // The open stream behind h, or null for an unknown handle.
  static FileStream *fromHandle(FILEHANDLE h);

 private:
  Kind kind_;
};

class ScenarioReader : public FileStream {
 public:
  ScenarioReader(std::string file, const std::vector<SourceLine> &lines);
  bool next(char *&line);  // false once the block is exhausted
  const std::string &file() const { return file_; }
  int lineNumber() const { return lineNumber_; }  // of the line last returned

 private:
  std::string file_;
  const std::vector<SourceLine> &lines_;
  size_t pos_ = 0;
  int lineNumber_ = 0;
  std::string buffer_;
};

class ScenarioWriter : public FileStream {
 public:
  explicit ScenarioWriter(std::string &out) : FileStream(Kind::Writer), out_(out) {}
  void item(const char *key, const char *value);  // "  key value\n"
  void raw(const std::string &line) { out_ += line, out_ += '\n'; }
  // Set by readers that want only a module's own lines: the standard status lines are skipped.
  bool moduleLinesOnly = false;

 private:
  std::string &out_;
};

class ConfigHandle : public FileStream {
 public:
  explicit ConfigHandle(std::string file) : FileStream(Kind::Config), file_(std::move(file)) {}
  const std::string &file() const { return file_; }

 private:
  std::string file_;
};

// The simulator's trimming of a scenario line: cut at ';', strip trailing and leading blanks/tabs.
std::string trimScenarioLine(const std::string &raw);

}  // namespace sim
