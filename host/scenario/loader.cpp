// Loading a scenario into the world and writing the world back as a scenario.
//
// Loading follows the simulator: every vessel is created (ovcInit, clbkSetClassCaps), reads its
// block (clbkLoadStateEx; the standard lines through the default parser) and then gets the state
// it parsed; once all exist, the ATTACHED links are made, then clbkPostCreation runs for each.
// A parsed state starts with every tank empty and every thruster at level 0 (VS_FUELRESET,
// VS_THRUSTRESET), as in the simulator. Saving writes to a temporary file of a unique name beside
// the target and renames it (io/output_file.h), so an existing file is never left truncated.
#include <cmath>
#include <cstdio>

#include "io/output_file.h"
#include "physics/attachments.h"
#include "scenario/document.h"
#include "scenario/status_lines.h"
#include "scenario/streams.h"
#include "vessel/vessel.h"
#include "world/errors.h"
#include "world/text.h"
#include "world/world.h"

namespace sim {
namespace {

// A vessel made from its block, waiting for its ATTACHED link and clbkPostCreation until all exist.
struct PendingVessel {
  Vessel *vessel;
  const ShipBlock *ship;
  SpawnExtension ext;
};

// The environment section: the system (only Sol), the start date and the wind.
void applyEnvironment(World &w, const ScenarioDocument &doc) {
  if (!equalsNoCase(doc.system, "Sol")) throw InputError(doc.file + ": unknown system \"" + doc.system + "\"");
  w.setStartMjd(doc.mjd);
  if (doc.hasWind) w.wind = {doc.windSpeed, doc.windFromDeg * RAD};
  if (doc.windProfile) w.windField.profile = doc.windProfile;
}

// The vessel's block through its own reader (clbkLoadStateEx) or, without one, the default
// parser; then the state it parsed. An error a line left behind stops the load.
void readShipBlock(World &w, const ScenarioDocument &doc, const ShipBlock &ship, Vessel &v,
                   VesselSpawn &spawn) {
  spawn.vs.flag = VS_FUELRESET | VS_THRUSTRESET;
  ScenarioReader reader(doc.file, ship.lines);
  SpawnScope scope(spawn, &reader);
  if (VESSEL2 *cb = v.callbacks()) {
    cb->clbkLoadStateEx(reader.handle(), &spawn.vs);
  } else {
    char *line;
    while (reader.next(line)) parseStandardLine(v, line, spawn.vs);
  }
  std::string err = w.diagnostics().takeInputError();
  if (!err.empty()) throw InputError(err);
  checkPlacement(doc.file, ship, spawn);
  v.applyStatus(spawn.vs, &spawn);
}

// Links every vessel whose block named a parent, at the attachment points it numbered.
void linkAttachments(World &w, const std::string &file, const std::vector<PendingVessel> &pending) {
  for (const PendingVessel &p : pending) {
    if (!p.ext.attached) continue;
    Vessel *parent = w.findVessel(p.ext.attachParent);
    if (!parent)
      throw InputError(
          at(file, p.ship->line, "ATTACHED: no vessel named \"" + p.ext.attachParent + "\""));
    int pr = attachmentRecord(*parent, false, p.ext.attachParentIndex);
    int cr = attachmentRecord(*p.vessel, true, p.ext.attachOwnIndex);
    if (pr < 0 || cr < 0)
      throw InputError(at(file, p.ship->line, "ATTACHED: attachment index out of range"));
    if (!attach(*parent, pr, *p.vessel, cr))
      throw InputError(at(file, p.ship->line, "ATTACHED: the attachment point is taken"));
  }
}

// The focus the file names, else the first vessel.
void chooseFocus(World &w, const ScenarioDocument &doc) {
  if (!doc.focus.empty()) {
    Vessel *f = w.findVessel(doc.focus);
    if (!f) throw InputError(at(doc.file, doc.focusLine, "focus: no vessel named \"" + doc.focus + "\""));
    w.setFocus(f);
  } else if (!w.vessels().empty()) {
    w.setFocus(w.vessels().front().get());
  }
}

}  // namespace

// A friend of World's, as only the world makes vessels.
class ScenarioLoader {
 public:
  // Makes the vessel of a ship block and gives it the state its block describes.
  static PendingVessel spawn(World &w, const ScenarioDocument &doc, const ShipBlock &ship) {
    Vessel *v;
    try {
      v = &w.makeVessel(ship.name, ship.className);
    } catch (const InputError &e) {
      throw InputError(at(doc.file, ship.line, e.what()));
    }
    VesselSpawn spawn;
    readShipBlock(w, doc, ship, *v, spawn);
    // Finite values can still place a vessel where no distance or speed can be computed.
    if (!stateMeasurable(v->st))
      throw InputError(at(doc.file, ship.line,
                          "vessel \"" + ship.name + "\": position, speed or rotation too large"));
    return {v, &ship, spawn.ext};
  }
};

void World::loadScenario(const std::filesystem::path &file,
                         const std::function<void(ScenarioDocument &)> &edit) {
  makeCurrent();
  scenario_ = std::make_unique<ScenarioDocument>(ScenarioDocument::read(file));
  ScenarioDocument &doc = *scenario_;
  if (edit) edit(doc);
  applyEnvironment(*this, doc);
  std::vector<PendingVessel> pending;
  for (const ShipBlock &ship : doc.ships)
    pending.push_back(ScenarioLoader::spawn(*this, doc, ship));
  linkAttachments(*this, doc.file, pending);
  chooseFocus(*this, doc);
  for (const PendingVessel &p : pending)
    if (VESSEL2 *cb = p.vessel->callbacks()) cb->clbkPostCreation();
}

namespace {

void writeEnvironment(const World &w, std::string &out) {
  char buf[1024];  // room for two doubles of any size in fixed-point notation
  out += "BEGIN_ENVIRONMENT\n  System Sol\n";
  std::snprintf(buf, sizeof buf, "  Date MJD %0.10f\n", w.mjd());
  out += buf;
  if (w.windField.profile) {
    out += "  WindProfile " + w.windField.profile->scenarioValues() + "\n";
  } else if (w.wind.speed > 0) {
    std::snprintf(buf, sizeof buf, "  Wind %0.3f %0.3f\n", w.wind.speed, w.wind.fromDir * DEG);
    out += buf;
  }
  out += "END_ENVIRONMENT\n";
}

void writeFocus(const World &w, std::string &out) {
  if (w.focus()) out += "BEGIN_FOCUS\n  Ship " + w.focus()->name() + "\nEND_FOCUS\n";
}

// Each vessel's block by its own writer (clbkSaveState), else the standard lines.
void writeShips(World &w, ScenarioWriter &writer, std::string &out) {
  out += "BEGIN_SHIPS\n";
  for (auto &vp : w.vessels()) {
    Vessel &v = *vp;
    out += v.name() + ":" + v.className() + "\n";
    if (VESSEL2 *cb = v.callbacks())
      cb->clbkSaveState(writer.handle());
    else
      writeStandardLines(v, writer.handle());
    out += "END\n";
  }
  out += "END_SHIPS\n";
}

struct WrittenSections {
  bool environment = false, focus = false, ships = false;
};

// The loaded file's header and sections in their order. The world's sections are written where
// they first stood, and once: a file that repeats one (its vessels were all loaded, its later
// values won) saves a single, complete copy. Other sections are kept as they were read.
void writeLoadedSections(World &w, const ScenarioDocument &doc, ScenarioWriter &writer,
                         std::string &out, WrittenSections &done) {
  for (const std::string &h : doc.header) out += h + "\n";
  for (const ScenarioSection &s : doc.sections) {
    if (s.name == "ENVIRONMENT") {
      if (done.environment) continue;
      writeEnvironment(w, out);
      done.environment = true;
    } else if (s.name == "FOCUS") {
      if (done.focus) continue;
      writeFocus(w, out);
      done.focus = true;
    } else if (s.name == "SHIPS") {
      if (done.ships) continue;
      writeShips(w, writer, out);
      done.ships = true;
    } else {
      for (const SourceLine &l : s.lines) out += l.text + "\n";
      out += "END_" + s.name + "\n";
    }
    out += "\n";
  }
}

}  // namespace

std::string World::scenarioText() {
  makeCurrent();
  std::string out;
  ScenarioWriter writer(out);
  WrittenSections done;
  if (scenario_) writeLoadedSections(*this, *scenario_, writer, out, done);
  // Sections the file lacked follow its own, in the usual order.
  if (!done.environment) writeEnvironment(*this, out), out += "\n";
  if (!done.focus && focus_) writeFocus(*this, out), out += "\n";
  if (!done.ships) writeShips(*this, writer, out);
  while (out.size() >= 2 && out[out.size() - 1] == '\n' && out[out.size() - 2] == '\n') out.pop_back();
  return out;
}

void World::saveScenario(const std::filesystem::path &file) {
  OutputFile out("scenario", file);
  out.write(scenarioText());
  out.commit();
}

}  // namespace sim
