// Scenarios by name (see scenario_names.h).
#include "app/scenario_names.h"

#include <algorithm>
#include <ostream>
#include <sstream>

#include "app/cli.h"
#include "app/run.h"
#include "scenario/document.h"
#include "world/errors.h"
#include "world/text.h"

namespace sim {
namespace fs = std::filesystem;
namespace {

const char *kindOf(const fs::file_status &st) {
  switch (st.type()) {
    case fs::file_type::directory:
      return "a folder";
    case fs::file_type::character:
    case fs::file_type::block:
      return "a device";
    case fs::file_type::fifo:
      return "a pipe";
    default:
      return "not a regular file";
  }
}

std::string joined(const std::vector<std::string> &names) {
  std::string s;
  for (const std::string &n : names) s += (s.empty() ? "\"" : ", \"") + n + "\"";
  return s;
}

// Scenarios/ files whose name is SCENARIO or SCENARIO.scn in another case.
std::vector<fs::path> caseMatches(const std::string &scenario, const fs::path &folder) {
  std::vector<fs::path> found;
  std::error_code ec;
  for (const fs::directory_entry &e : fs::directory_iterator(folder, ec)) {
    std::string name = e.path().filename().string();
    if (e.is_regular_file(ec) &&
        (equalsNoCase(name, scenario) || equalsNoCase(name, scenario + ".scn")))
      found.push_back(e.path());
  }
  std::sort(found.begin(), found.end());
  return found;
}

// Words wrapped at `width` columns, each line after `indent`.
std::string wrapped(const std::string &text, const std::string &indent, size_t width) {
  std::istringstream words(text);
  std::string out, line, word;
  while (words >> word) {
    if (!line.empty() && indent.size() + line.size() + 1 + word.size() > width)
      out += indent + line + "\n", line.clear();
    line += (line.empty() ? "" : " ") + word;
  }
  return line.empty() ? out : out + indent + line + "\n";
}

}  // namespace

std::vector<std::string> scenarioNames(const fs::path &root) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const fs::directory_entry &e : fs::directory_iterator(root / "Scenarios", ec))
    if (e.path().extension() == ".scn" && e.is_regular_file(ec))
      names.push_back(e.path().stem().string());
  std::sort(names.begin(), names.end());
  return names;
}

fs::path resolveScenario(const std::string &scenario, const fs::path &root) {
  fs::path p(scenario);
  std::error_code ec;
  if (fs::is_regular_file(p, ec)) return p;
  fs::path folder = root / "Scenarios";
  for (const fs::path &named : {folder / p, fs::path((folder / p).string() + ".scn")})
    if (fs::is_regular_file(named, ec)) return named;
  std::vector<fs::path> matches = caseMatches(scenario, folder);
  if (matches.size() == 1) return matches.front();
  std::string what = "scenario \"" + scenario + "\": ";
  if (matches.size() > 1) {
    std::vector<std::string> names;
    for (const fs::path &m : matches) names.push_back(m.filename().string());
    throw InputError(what + "matches " + joined(names) + " in " + folder.string() +
                     "; give the name as written");
  }
  if (fs::file_status st = fs::status(p, ec); fs::exists(st))
    throw InputError(what + "is " + kindOf(st) + ", not a scenario file");
  std::vector<std::string> bundled = scenarioNames(root);
  throw InputError(
      what + "no such file, and no scenario of that name in " + folder.string() +
      (bundled.empty() ? std::string(" (it holds none)") : " (it holds " + joined(bundled) + ")"));
}

std::string scenarioSummary(const fs::path &file) {
  ScenarioDocument doc = ScenarioDocument::read(file);
  std::string text;
  for (const ScenarioSection &s : doc.sections)
    if (s.name == "DESC")
      for (size_t i = 1; i < s.lines.size(); i++) text += trim(s.lines[i].text) + " ";
  size_t end = text.find(". ");
  return trim(end == std::string::npos ? text : text.substr(0, end + 1));
}

int listScenarios(const ListOptions &o, const RunDefaults &d, std::ostream &out,
                  std::ostream &err) {
  fs::path root = o.root.empty() ? d.dataRoot : o.root;
  std::vector<std::string> names = scenarioNames(root);
  if (names.empty()) {
    err << "simhost: list: " << (o.root.empty() ? "" : "--root: ") << "no scenarios in "
        << (root / "Scenarios").string() << "\n";
    return 2;
  }
  for (const std::string &n : names) {
    out << n << (n == kDefaultScenario ? " (the default)" : "") << "\n";
    try {
      out << wrapped(scenarioSummary(root / "Scenarios" / (n + ".scn")), "    ", 100);
    } catch (const InputError &e) {
      out << "    (cannot be read: " << e.what() << ")\n";
    }
  }
  return 0;
}

}  // namespace sim
