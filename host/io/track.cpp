// The track of a run (see track.h).
#include "io/track.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "anim/mesh_library.h"
#include "app/landing_report.h"
#include "io/track_json.h"
#include "io/track_model.h"
#include "vessel/vessel.h"
#include "world/errors.h"
#include "world/text.h"
#include "world/world.h"

namespace sim {
namespace {

// The attitude groups, in the order of a sample's levels after main and hover.
constexpr THGROUP_TYPE kAttitudeGroups[6] = {THGROUP_ATT_PITCHUP,  THGROUP_ATT_PITCHDOWN, THGROUP_ATT_YAWLEFT,
                                             THGROUP_ATT_YAWRIGHT, THGROUP_ATT_BANKRIGHT, THGROUP_ATT_BANKLEFT};

double groupLevelOf(const Vessel &v, THGROUP_TYPE type) {
  int g = v.groupOfType(type);
  return g < 0 ? 0.0 : v.groupLevel(g);
}

const std::vector<int> *membersOf(const Vessel &v, THGROUP_TYPE type) {
  int g = v.groupOfType(type);
  return g < 0 ? nullptr : &v.def.groups[g].members;
}

void writeMembers(std::FILE *f, const Vessel &v, THGROUP_TYPE type) {
  std::fputc('[', f);
  if (const std::vector<int> *m = membersOf(v, type))
    for (size_t i = 0; i < m->size(); i++) std::fprintf(f, i ? ",%d" : "%d", (*m)[i]);
  std::fputc(']', f);
}

const char *vesselOrigin(const World &w, const std::string &name, const CelestialBody *&body, double &lng,
                         double &lat, double &radius) {
  if (name.empty() || name == "NULL") return nullptr;
  if (const Vessel *t = w.findVessel(name); t && t->sp.ref) {
    body = t->sp.ref, lng = t->sp.lng, lat = t->sp.lat, radius = t->sp.rad;
    return "vessel";
  }
  for (const auto &b : w.bases())
    if (b->planet && equalsNoCase(b->name(), name)) {
      body = b->planet, lng = b->lng, lat = b->lat, radius = b->planet->meanRadius;
      return "base";
    }
  return nullptr;
}

}  // namespace

unsigned long long trackedGroupsSignature(const Vessel &v) {
  unsigned long long s = 1469598103934665603ull;
  auto mix = [&s](unsigned long long x) { s = (s ^ x) * 1099511628211ull; };
  for (THGROUP_TYPE t : {THGROUP_MAIN, THGROUP_HOVER}) {
    mix(0xFFFF);
    if (const std::vector<int> *m = membersOf(v, t))
      for (int i : *m) mix(static_cast<unsigned long long>(i));
  }
  for (THGROUP_TYPE t : kAttitudeGroups) {
    mix(0xFFFF);
    if (const std::vector<int> *m = membersOf(v, t))
      for (int i : *m) mix(static_cast<unsigned long long>(i));
  }
  return s;
}

TrackWriter::TrackWriter(const std::filesystem::path &file, World &w, TrackSettings settings)
    : file_(file), w_(w), settings_(std::move(settings)) {
  chooseFrame(w);
  out_ = std::fopen(file.c_str(), "w");
  if (!out_) throw InputError("--track: cannot write " + file.string());
  std::sort(settings_.inputs.begin(), settings_.inputs.end(),
            [](const KeyEvent &a, const KeyEvent &b) { return a.time < b.time; });
  tracked_.reserve(w.vessels().size() + 16);
  removed_.reserve(16);
  writeHeader(w);
  syncVessels();
}

TrackWriter::~TrackWriter() {
  if (out_) std::fclose(out_);
}

void TrackWriter::chooseFrame(World &w) {
  const CelestialBody *body = nullptr;
  double lng = 0, lat = 0, radius = 0;
  if (!vesselOrigin(w, settings_.originName, body, lng, lat, radius)) {
    settings_.originName.clear();
    const Vessel *start = w.focus() ? w.focus() : (w.vessels().empty() ? nullptr : w.vessels().front().get());
    if (start && start->sp.ref) {
      body = start->sp.ref, lng = start->sp.lng, lat = start->sp.lat, radius = start->sp.rad;
    } else if (!w.bodies().empty()) {
      // No vessel near a body: the frame of the first planet's reference point.
      for (const auto &b : w.bodies())
        if (b->meanRadius > 0 && b->objectType() == OBJTP_PLANET) {
          body = b.get(), radius = b->meanRadius;
          break;
        }
    }
  }
  if (!body) throw InputError("--track: the world has no planet to centre the track's frame on");
  frame_ = localFrameAt(*body, lng, lat, radius);
}

void TrackWriter::writeHeader(const World &w) {
  std::FILE *f = out_;
  std::fputs("{\"format\":\"simhost track\",\"version\":1,\"scenario\":", f);
  writeJsonString(f, settings_.scenario);
  std::fputs(",\"dt\":", f);
  writeJsonNumber(f, w.dt(), 6);
  std::fputs(",\"interval\":", f);
  writeJsonNumber(f, settings_.interval, 6);
  std::fputs(",\"focus\":", f);
  writeJsonString(f, w.focus() ? w.focus()->name() : std::string());
  std::fputs(",\"origin\":{\"name\":", f);
  writeJsonString(f, settings_.originName);
  std::fputs(",\"body\":", f);
  writeJsonString(f, frame_.body->name());
  std::fputs(",\"lng_deg\":", f);
  writeJsonNumber(f, frame_.lng * DEG, 7);
  std::fputs(",\"lat_deg\":", f);
  writeJsonNumber(f, frame_.lat * DEG, 7);
  std::fputs(",\"alt_m\":", f);
  writeJsonNumber(f, frame_.radius - frame_.body->meanRadius, 3);
  std::fputs("},\"body_radius_m\":", f);
  writeJsonNumber(f, frame_.body->meanRadius, 3);
  std::fputs(",\"data_root\":", f);
  writeJsonString(f, w.settings().dataRoot.string());
  std::fprintf(f, ",\"hud_size\":[%d,%d]", settings_.hudWidth, settings_.hudHeight);
  std::fputs(
      ",\"frames\":\"positions: metres east, north, up from the origin, a frame fixed to the rotating body; "
      "the simulator's left-handed frames become right-handed by swapping the y and z components of every "
      "vector: ENU = (x_H, z_H, y_H), vessel axes (x right, y forward, z up) = (x_V, z_V, y_V); quaternions "
      "(w, x, y, z) map vessel axes into ENU; rotations of the animations are turned by -angle about the "
      "swapped axis; in the page's frame (x east, y up, z south) a point is (e, u, -n)\"}\n",
      f);
}

void TrackWriter::syncVessels() {
  const auto &vessels = w_.vessels();
  bool same = vessels.size() == tracked_.size();
  for (size_t i = 0; same && i < vessels.size(); i++) same = tracked_[i].vessel == vessels[i].get();
  if (same) return;
  // Rare (a vessel created or deleted): rebuild the list, keeping ids.
  std::vector<Tracked> next;
  next.reserve(vessels.size() + 16);
  for (const auto &v : vessels) {
    auto it = std::find_if(tracked_.begin(), tracked_.end(), [&](const Tracked &t) { return t.vessel == v.get(); });
    if (it != tracked_.end()) {
      next.push_back(*it);
    } else {
      Tracked t;
      t.vessel = v.get();
      t.id = nextId_++;
      defineVessel(t);
      if (lastSampleTime_ >= 0) writeEvent(w_.simTime(), "added", v->name());
      next.push_back(t);
    }
  }
  for (const Tracked &t : tracked_)
    if (std::none_of(next.begin(), next.end(), [&](const Tracked &n) { return n.vessel == t.vessel; }))
      removed_.push_back(t.vessel->name());
  tracked_ = std::move(next);
}

void TrackWriter::defineVessel(Tracked &t) {
  std::FILE *f = out_;
  Vessel &v = *t.vessel;
  std::fputs("{\"vessel\":", f);
  writeJsonString(f, v.name());
  std::fprintf(f, ",\"id\":%d,\"class\":", t.id);
  writeJsonString(f, v.className());
  std::fputs(",\"size\":", f);
  writeJsonNumber(f, v.def.size, 3);
  std::fputs(",\"meshes\":[", f);
  for (size_t i = 0; i < v.def.meshes.size(); i++) {
    std::fputs(i ? ",{\"name\":" : "{\"name\":", f);
    writeJsonString(f, v.def.meshes[i].name);
    std::fputs(",\"offset\":", f);
    writeJsonVector(f, swapYZ(v.def.meshes[i].offset), 4);
    std::fputc('}', f);
  }
  std::fputs("],", f);
  writeAnimationDefinition(f, v);
  std::fputs(",\"exhausts\":[", f);
  bool first = true;
  for (const ExhaustDef &e : v.def.exhausts) {
    if (e.thruster < 0 || e.thruster >= static_cast<int>(v.def.thrusters.size())) continue;
    const ThrusterDef &th = v.def.thrusters[e.thruster];
    // The handle form takes the flame from the thruster: at its position, against its thrust.
    VECTOR3 pos = e.explicitPose ? e.pos : th.pos, dir = e.explicitPose ? e.dir : -th.dir;
    std::fprintf(f, first ? "{\"thruster\":%d,\"pos\":" : ",{\"thruster\":%d,\"pos\":", e.thruster);
    writeJsonVector(f, swapYZ(pos), 4);
    std::fputs(",\"dir\":", f);
    writeJsonVector(f, swapYZ(dir), 4);
    std::fputs(",\"length\":", f);
    writeJsonNumber(f, e.lscale, 3);
    std::fputs(",\"width\":", f);
    writeJsonNumber(f, e.wscale, 3);
    std::fputc('}', f);
    first = false;
  }
  std::fputs("]}\n", f);
  t.parent = v.st.parentLink.parent;
  t.groupsSignature = trackedGroupsSignature(v);
  writeGroups(t);
}

void TrackWriter::writeGroups(const Tracked &t) {
  std::FILE *f = out_;
  const Vessel &v = *t.vessel;
  std::fputs("{\"t\":", f);
  writeJsonNumber(f, w_.simTime(), 4);
  std::fprintf(f, ",\"groups\":%d,\"main\":", t.id);
  writeMembers(f, v, THGROUP_MAIN);
  std::fputs(",\"hover\":", f);
  writeMembers(f, v, THGROUP_HOVER);
  std::fputs(",\"att\":[", f);
  for (int k = 0; k < 6; k++) {
    if (k) std::fputc(',', f);
    writeMembers(f, v, kAttitudeGroups[k]);
  }
  std::fputs("]}\n", f);
}

void TrackWriter::writeEvent(double t, const char *text, const std::string &vessel) {
  std::fputs("{\"t\":", out_);
  writeJsonNumber(out_, t, 4);
  std::fputs(",\"event\":", out_);
  writeJsonString(out_, text);
  std::fputs(",\"vessel\":", out_);
  writeJsonString(out_, vessel);
  std::fputs("}\n", out_);
}

bool TrackWriter::detectEvents() {
  bool any = false;
  double now = w_.simTime();
  for (const std::string &name : removed_) writeEvent(now, "removed", name), any = true;
  removed_.clear();
  static const std::string kNoFocus;
  const std::string &focusName = w_.focus() ? w_.focus()->name() : kNoFocus;
  if (const LandingRecorder *l = settings_.landing)
    for (; landingEvents_ < l->eventCount(); landingEvents_++, any = true)
      writeEvent(l->eventTime(landingEvents_), l->eventText(landingEvents_), focusName);
  // Keys and codes are delivered at the start of the first step at or after their time.
  for (; nextInput_ < settings_.inputs.size() && settings_.inputs[nextInput_].time <= now - w_.dt() + 1e-9;
       nextInput_++, any = true) {
    const KeyEvent &e = settings_.inputs[nextInput_];
    std::string text = e.isCode ? "code " + std::to_string(e.key) : "key " + keyName(e) + (e.down ? "" : " up");
    writeEvent(e.time, text.c_str(), focusName);
  }
  for (Tracked &t : tracked_) {
    const Vessel *parent = t.vessel->st.parentLink.parent;
    if (parent != t.parent) {
      writeEvent(now, parent ? "attached" : "released", t.vessel->name());
      t.parent = parent;
      any = true;
    }
    unsigned long long sig = trackedGroupsSignature(*t.vessel);
    if (sig != t.groupsSignature) t.groupsSignature = sig, writeGroups(t);
  }
  return any;
}

void TrackWriter::sample() {
  syncVessels();
  bool event = detectEvents();
  double t = w_.simTime();
  bool due = t + 1e-9 >= static_cast<double>(nextSample_) * settings_.interval;
  if (!due && !event) return;
  if (t != lastSampleTime_) writeSample();
  if (due) {
    writeHud();
    while (static_cast<double>(nextSample_) * settings_.interval <= t + 1e-9) nextSample_++;
  }
}

void TrackWriter::writeSample() {
  std::FILE *f = out_;
  lastSampleTime_ = w_.simTime();
  std::fputs("{\"t\":", f);
  writeJsonNumber(f, lastSampleTime_, 4);
  std::fputs(",\"s\":[", f);
  for (size_t i = 0; i < tracked_.size(); i++) {
    const Vessel &v = *tracked_[i].vessel;
    VECTOR3 p = enuPosition(frame_, v);
    Quat q = enuAttitude(frame_, v);
    std::fprintf(f, i ? ",[%d," : "[%d,", tracked_[i].id);
    writeJsonVectorItems(f, p, 3);
    std::fputc(',', f);
    writeJsonNumber(f, q.w, 6);
    std::fputc(',', f);
    writeJsonNumber(f, q.x, 6);
    std::fputc(',', f);
    writeJsonNumber(f, q.y, 6);
    std::fputc(',', f);
    writeJsonNumber(f, q.z, 6);
    std::fputs(v.landed() ? ",1,[" : ",0,[", f);
    for (size_t a = 0; a < v.st.animStates.size(); a++) {
      if (a) std::fputc(',', f);
      writeJsonNumber(f, v.st.animStates[a], 4);
    }
    std::fputs("],[", f);
    writeJsonNumber(f, groupLevelOf(v, THGROUP_MAIN), 3);
    std::fputc(',', f);
    writeJsonNumber(f, groupLevelOf(v, THGROUP_HOVER), 3);
    for (THGROUP_TYPE type : kAttitudeGroups) {
      std::fputc(',', f);
      writeJsonNumber(f, groupLevelOf(v, type), 3);
    }
    std::fputs("]]", f);
  }
  std::fputs("]}\n", f);
}

void TrackWriter::writeHud() {
  Vessel *focus = w_.focus();
  if (!focus) return;
  std::vector<HudText> hud = drawHud(*focus, settings_.hudWidth, settings_.hudHeight);
  bool changed = hud.size() != hud_.size();
  for (size_t i = 0; !changed && i < hud.size(); i++)
    changed = hud[i].x != hud_[i].x || hud[i].y != hud_[i].y || hud[i].colour != hud_[i].colour ||
              hud[i].text != hud_[i].text;
  if (!changed) return;
  std::FILE *f = out_;
  std::fputs("{\"t\":", f);
  writeJsonNumber(f, w_.simTime(), 4);
  std::fprintf(f, ",\"lines\":%zu,\"set\":[", hud.size());
  bool first = true;
  for (size_t i = 0; i < hud.size(); i++) {
    const HudText &h = hud[i];
    if (i < hud_.size() && h.x == hud_[i].x && h.y == hud_[i].y && h.colour == hud_[i].colour && h.text == hud_[i].text)
      continue;
    std::fprintf(f, first ? "[%zu,%d,%d,%u," : ",[%zu,%d,%d,%u,", i, h.x, h.y, static_cast<unsigned>(h.colour & 0xFFFFFF));
    writeJsonString(f, h.text);
    std::fputc(']', f);
    first = false;
  }
  std::fputs("]}\n", f);
  hud_ = std::move(hud);
}

void TrackWriter::finish(const std::string &reason) {
  syncVessels();
  detectEvents();
  if (w_.simTime() != lastSampleTime_) writeSample();
  std::fputs("{\"end\":", out_);
  writeJsonNumber(out_, w_.simTime(), 4);
  std::fputs(",\"reason\":", out_);
  writeJsonString(out_, reason);
  std::fputs("}\n", out_);
  bool failed = std::fflush(out_) != 0 || std::ferror(out_);
  std::fclose(out_);
  out_ = nullptr;
  if (failed) throw RunError(file_.string() + ": the track could not be written completely");
}

}  // namespace sim
