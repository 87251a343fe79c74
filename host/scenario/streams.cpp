// Scenario and configuration file handles (see streams.h).
#include "scenario/streams.h"

#include <algorithm>
#include <cstdio>

#include "world/world.h"

namespace sim {
namespace {
std::vector<FileStream *> &openStreams() {
  static std::vector<FileStream *> streams;
  return streams;
}
}  // namespace

FileStream::FileStream(Kind kind) : kind_(kind) { openStreams().push_back(this); }
FileStream::~FileStream() { std::erase(openStreams(), this); }

FileStream *FileStream::fromHandle(FILEHANDLE h) {
  for (FileStream *s : openStreams())
    if (static_cast<FILEHANDLE>(s) == h) return s;
  return nullptr;
}

std::string trimScenarioLine(const std::string &raw) {
  std::string s = raw.substr(0, raw.find(';'));
  size_t end = s.find_last_not_of(" \t\r\n");
  if (end == std::string::npos) return {};
  size_t begin = s.find_first_not_of(" \t");
  return s.substr(begin, end - begin + 1);
}

ScenarioReader::ScenarioReader(std::string file, const std::vector<SourceLine> &lines)
    : FileStream(Kind::Reader), file_(std::move(file)), lines_(lines) {}

bool ScenarioReader::next(char *&line) {
  if (pos_ >= lines_.size()) return false;
  const SourceLine &l = lines_[pos_++];
  buffer_ = trimScenarioLine(l.text);
  lineNumber_ = l.number;
  line = buffer_.data();
  return true;
}

void ScenarioWriter::item(const char *key, const char *value) {
  out_ += "  ";
  out_ += key ? key : "";
  out_ += ' ';
  out_ += value ? value : "";
  out_ += '\n';
}

}  // namespace sim

// --- the simulator's scenario-file functions --------------------------------------------------

bool oapiReadScenario_nextline(FILEHANDLE scn, char *&line) {
  sim::FileStream *s = sim::FileStream::fromHandle(scn);
  if (!s || s->kind() != sim::FileStream::Kind::Reader) {
    if (sim::World *w = sim::World::current()) w->diagnostics().refuse("oapiReadScenario_nextline", "not a scenario reader");
    return false;
  }
  return static_cast<sim::ScenarioReader *>(s)->next(line);
}

static sim::ScenarioWriter *writerOf(FILEHANDLE scn, const char *call) {
  sim::FileStream *s = sim::FileStream::fromHandle(scn);
  if (!s || s->kind() != sim::FileStream::Kind::Writer) {
    if (sim::World *w = sim::World::current()) w->diagnostics().refuse(call, "not a scenario writer");
    return nullptr;
  }
  return static_cast<sim::ScenarioWriter *>(s);
}

void oapiWriteScenario_string(FILEHANDLE scn, char *item, char *string) {
  if (sim::ScenarioWriter *w = writerOf(scn, "oapiWriteScenario_string")) w->item(item, string);
}

void oapiWriteScenario_int(FILEHANDLE scn, char *item, int i) {
  if (sim::ScenarioWriter *w = writerOf(scn, "oapiWriteScenario_int")) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%d", i);
    w->item(item, buf);
  }
}

void oapiWriteScenario_float(FILEHANDLE scn, char *item, double d) {
  if (sim::ScenarioWriter *w = writerOf(scn, "oapiWriteScenario_float")) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%g", d);
    w->item(item, buf);
  }
}
