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

void World::loadScenario(const std::filesystem::path &file, const std::function<void(ScenarioDocument &)> &edit) {
  makeCurrent();
  scenario_ = std::make_unique<ScenarioDocument>(ScenarioDocument::read(file));
  ScenarioDocument &doc = *scenario_;
  if (edit) edit(doc);
  if (!equalsNoCase(doc.system, "Sol")) throw InputError(doc.file + ": unknown system \"" + doc.system + "\"");
  setStartMjd(doc.mjd);
  if (doc.hasWind) wind = {doc.windSpeed, doc.windFromDeg * RAD};
  if (doc.windProfile) windField.profile = doc.windProfile;

  struct Pending {
    Vessel *vessel;
    const ShipBlock *ship;
    SpawnExtension ext;
  };
  std::vector<Pending> pending;
  for (const ShipBlock &ship : doc.ships) {
    Vessel *v;
    try {
      v = &makeVessel(ship.name, ship.className);
    } catch (const InputError &e) {
      throw InputError(at(doc.file, ship.line, e.what()));
    }
    VesselSpawn spawn;
    spawn.vs.flag = VS_FUELRESET | VS_THRUSTRESET;
    ScenarioReader reader(doc.file, ship.lines);
    {
      SpawnScope scope(spawn, &reader);
      if (VESSEL2 *cb = v->callbacks()) {
        cb->clbkLoadStateEx(reader.handle(), &spawn.vs);
      } else {
        char *line;
        while (reader.next(line)) parseStandardLine(*v, line, spawn.vs);
      }
      std::string err = diagnostics().takeInputError();
      if (!err.empty()) throw InputError(err);
      checkPlacement(doc.file, ship, spawn);
      v->applyStatus(spawn.vs, &spawn);
    }
    // Finite values can still place a vessel where no distance or speed can be computed.
    if (!stateMeasurable(v->st))
      throw InputError(at(doc.file, ship.line, "vessel \"" + ship.name + "\": position, speed or rotation too large"));
    pending.push_back({v, &ship, spawn.ext});
  }
  for (const Pending &p : pending) {
    if (!p.ext.attached) continue;
    Vessel *parent = findVessel(p.ext.attachParent);
    if (!parent)
      throw InputError(at(doc.file, p.ship->line, "ATTACHED: no vessel named \"" + p.ext.attachParent + "\""));
    int pr = attachmentRecord(*parent, false, p.ext.attachParentIndex);
    int cr = attachmentRecord(*p.vessel, true, p.ext.attachOwnIndex);
    if (pr < 0 || cr < 0)
      throw InputError(at(doc.file, p.ship->line, "ATTACHED: attachment index out of range"));
    if (!attach(*parent, pr, *p.vessel, cr))
      throw InputError(at(doc.file, p.ship->line, "ATTACHED: the attachment point is taken"));
  }
  if (!doc.focus.empty()) {
    Vessel *f = findVessel(doc.focus);
    if (!f) throw InputError(at(doc.file, doc.focusLine, "focus: no vessel named \"" + doc.focus + "\""));
    focus_ = f;
  } else if (!vessels_.empty()) {
    focus_ = vessels_.front().get();
  }
  for (const Pending &p : pending)
    if (VESSEL2 *cb = p.vessel->callbacks()) cb->clbkPostCreation();
}

std::string World::scenarioText() {
  makeCurrent();
  std::string out;
  ScenarioWriter writer(out);
  auto environment = [&] {
    char buf[1024];  // room for two doubles of any size in fixed-point notation
    out += "BEGIN_ENVIRONMENT\n  System Sol\n";
    std::snprintf(buf, sizeof buf, "  Date MJD %0.10f\n", mjd());
    out += buf;
    if (windField.profile) {
      out += "  WindProfile " + windField.profile->scenarioValues() + "\n";
    } else if (wind.speed > 0) {
      std::snprintf(buf, sizeof buf, "  Wind %0.3f %0.3f\n", wind.speed, wind.fromDir * DEG);
      out += buf;
    }
    out += "END_ENVIRONMENT\n";
  };
  auto focus = [&] {
    if (focus_) out += "BEGIN_FOCUS\n  Ship " + focus_->name() + "\nEND_FOCUS\n";
  };
  auto ships = [&] {
    out += "BEGIN_SHIPS\n";
    for (auto &vp : vessels_) {
      Vessel &v = *vp;
      out += v.name() + ":" + v.className() + "\n";
      if (VESSEL2 *cb = v.callbacks())
        cb->clbkSaveState(writer.handle());
      else
        writeStandardLines(v, writer.handle());
      out += "END\n";
    }
    out += "END_SHIPS\n";
  };
  bool env = false, foc = false, shp = false;
  if (scenario_) {
    for (const std::string &h : scenario_->header) out += h + "\n";
    // The world's sections are written where they first stood, and once: a file that repeats one
    // (its vessels were all loaded, its later values won) saves a single, complete copy.
    for (const ScenarioSection &s : scenario_->sections) {
      if (s.name == "ENVIRONMENT") {
        if (env) continue;
        environment();
        env = true;
      } else if (s.name == "FOCUS") {
        if (foc) continue;
        focus();
        foc = true;
      } else if (s.name == "SHIPS") {
        if (shp) continue;
        ships();
        shp = true;
      } else {
        for (const SourceLine &l : s.lines) out += l.text + "\n";
        out += "END_" + s.name + "\n";
      }
      out += "\n";
    }
  }
  if (!env) environment(), out += "\n";
  if (!foc && focus_) focus(), out += "\n";
  if (!shp) ships();
  while (out.size() >= 2 && out[out.size() - 1] == '\n' && out[out.size() - 2] == '\n') out.pop_back();
  return out;
}

void World::saveScenario(const std::filesystem::path &file) {
  OutputFile out("scenario", file);
  out.write(scenarioText());
  out.commit();
}

}  // namespace sim
