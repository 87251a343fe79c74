// simhost merge (see montecarlo.h): the record files of shards of one set, checked record by
// record, written as one file ordered by run and summarised as one set, with the runs missing.
#include <map>
#include <ostream>
#include <set>

#include "app/montecarlo.h"
#include "io/output_file.h"

namespace sim {
namespace {

using nlohmann::json;

// Reads every file into byRun; "" or the first problem, naming the file and line.
std::string gather(const std::vector<std::filesystem::path> &files, std::map<int, json> &byRun,
                   json &set) {
  for (const std::filesystem::path &p : files) {
    std::vector<RecordLine> lines;
    if (std::string problem = readRecordFile(p, lines); !problem.empty()) return problem;
    for (RecordLine &l : lines) {
      std::string where = p.string() + ":" + std::to_string(l.line) + ": ";
      if (set.is_null()) set = l.record["set"];
      if (l.record["set"] != set)
        return where + "belongs to another set (" + l.record["set"].dump() + ", not " + set.dump() +
               ")";
      int run = l.record["run"].get<int>();
      if (byRun.count(run) && byRun[run] != l.record)
        return where + "run " + std::to_string(run) +
               " differs from the same run in an earlier file";
      byRun[run] = std::move(l.record);
    }
  }
  return byRun.empty() ? "no records in the given files" : "";
}

void writeMerged(const std::filesystem::path &file, const std::vector<json> &records) {
  OutputFile out("--out", file);
  for (const json &r : records)
    out.write(r.dump(-1, ' ', false, json::error_handler_t::replace) + "\n");
  out.commit();
}

void listMissing(const std::map<int, json> &byRun, int runs, std::ostream &out) {
  int missing = runs - static_cast<int>(byRun.size());
  if (missing <= 0) return;
  out << "incomplete: " << missing << " of the set's " << runs << " runs are missing";
  int listed = 0;
  for (int k = 1; k <= runs && listed < 5; k++)
    if (!byRun.count(k)) out << (listed++ ? ", " : " (") << k;
  out << (listed ? (missing > listed ? ", ...)" : ")") : "") << "\n";
}

}  // namespace

int mergeShards(const MergeOptions &o, std::ostream &out, std::ostream &err) {
  std::map<int, json> byRun;
  json set;
  if (std::string problem = gather(o.inputs, byRun, set); !problem.empty()) {
    err << "simhost: merge: " << problem << "\n";
    return 2;
  }
  std::vector<json> records;
  for (auto &[run, r] : byRun) records.push_back(r);
  if (!o.out.empty()) {
    try {
      writeMerged(o.out, records);
    } catch (const OutputError &e) {
      err << "simhost: merge: " << e.what() << "\n";
      return 2;
    }
  }
  int runs = set.value("runs", 0);
  set["first"] = byRun.begin()->first;
  set["last"] = byRun.rbegin()->first;
  out << summaryTable(records, set, o.worst, -1, 0, o.program);
  listMissing(byRun, runs, out);
  return 0;
}

}  // namespace sim
