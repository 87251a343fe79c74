// Configuration files in the simulator's form: "Key = value" lines, ';' comments, and blocks
// "BEGIN_NAME" ... "END_NAME" kept as raw lines. Keys are matched case-insensitively.
// A line that is neither gives an error naming the file and line.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "scenario/streams.h"

namespace sim {

class ConfigFile {
 public:
  struct Item {
    std::string key, value;
    int line = 0;
  };
  struct Block {
    std::string name;  // upper case, without BEGIN_
    int line = 0;
    std::vector<SourceLine> lines;
  };

  // Reads and parses a file; throws InputError for a missing file or a malformed line. A file is
  // parsed once per process and shared until it changes (loader/file_cache.h).
  static std::shared_ptr<const ConfigFile> read(const std::filesystem::path &file);
  static ConfigFile parse(const std::string &text, const std::string &fileName);

  const std::string &file() const { return file_; }
  const Item *find(const std::string &key) const;  // the first item of that key, or null
  std::vector<const Item *> all(const std::string &key) const;
  const std::vector<Item> &items() const { return items_; }
  const Block *block(const std::string &name) const;
  // Typed look-ups: false if the key is absent; an InputError (file:line) if malformed.
  bool number(const std::string &key, double &out) const;
  bool numbers(const std::string &key, std::vector<double> &out, size_t count) const;
  bool text(const std::string &key, std::string &out) const;

 private:
  std::string file_;
  std::vector<Item> items_;
  std::vector<Block> blocks_;
};

}  // namespace sim
