// Configuration files (see config_file.h).
#include "loader/config_file.h"

#include <sstream>

#include "loader/file_cache.h"
#include "world/errors.h"
#include "world/text.h"

namespace sim {

std::shared_ptr<const ConfigFile> ConfigFile::read(const std::filesystem::path &file) {
  static FileCache<ConfigFile> files;
  auto read = files.get(file, &ConfigFile::parse);
  if (read.missing) throw InputError(file.string() + ": cannot open file");
  if (!read.value) throw InputError(read.error);
  return read.value;
}

ConfigFile ConfigFile::parse(const std::string &text, const std::string &fileName) {
  ConfigFile cfg;
  cfg.file_ = fileName;
  std::istringstream in(text);
  std::string raw;
  int n = 0;
  Block *open = nullptr;
  while (std::getline(in, raw)) {
    n++;
    std::string line = trimScenarioLine(raw);
    if (open) {
      if (equalsNoCase(line, "END_" + open->name)) {
        open = nullptr;
        continue;
      }
      open->lines.push_back({n, raw});
      continue;
    }
    if (line.empty()) continue;
    std::string upper = line;
    for (char &c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (upper.rfind("BEGIN_", 0) == 0 && upper.find_first_of(" \t=") == std::string::npos) {
      cfg.blocks_.push_back({upper.substr(6), n, {}});
      open = &cfg.blocks_.back();
      continue;
    }
    size_t eq = line.find('=');
    if (eq == std::string::npos) {
      // The first line of a few file types is a bare tag (e.g. "BASE-V2.0").
      if (n == 1 || cfg.items_.empty()) {
        cfg.items_.push_back({"#tag", line, n});
        continue;
      }
      throw InputError(at(fileName, n, "expected \"key = value\", got \"" + line + "\""));
    }
    std::string key = trim(line.substr(0, eq));
    if (key.empty()) throw InputError(at(fileName, n, "missing key before '='"));
    cfg.items_.push_back({key, trim(line.substr(eq + 1)), n});
  }
  if (open) throw InputError(at(fileName, open->line, "BEGIN_" + open->name + " without END_" + open->name));
  return cfg;
}

const ConfigFile::Item *ConfigFile::find(const std::string &key) const {
  for (const Item &i : items_)
    if (equalsNoCase(i.key, key)) return &i;
  return nullptr;
}

std::vector<const ConfigFile::Item *> ConfigFile::all(const std::string &key) const {
  std::vector<const Item *> out;
  for (const Item &i : items_)
    if (equalsNoCase(i.key, key)) out.push_back(&i);
  return out;
}

const ConfigFile::Block *ConfigFile::block(const std::string &name) const {
  for (const Block &b : blocks_)
    if (equalsNoCase(b.name, name)) return &b;
  return nullptr;
}

bool ConfigFile::number(const std::string &key, double &out) const {
  const Item *i = find(key);
  if (!i) return false;
  if (!parseNumber(i->value, out)) throw InputError(at(file_, i->line, key + ": expected a finite number"));
  return true;
}

bool ConfigFile::numbers(const std::string &key, std::vector<double> &out, size_t count) const {
  const Item *i = find(key);
  if (!i) return false;
  if (!parseNumbers(i->value, out) || out.size() != count)
    throw InputError(at(file_, i->line, key + ": expected " + std::to_string(count) + " finite numbers"));
  return true;
}

bool ConfigFile::text(const std::string &key, std::string &out) const {
  const Item *i = find(key);
  if (!i) return false;
  out = i->value;
  return true;
}

}  // namespace sim
