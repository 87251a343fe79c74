// The track of a run: every vessel's pose, animation states and thrust levels over time, written
// as JSON lines for the replay page (see docs/track-format.md for the full description).
//
//   line 1    header: format "simhost track", version 1, scenario, step, interval, focus, the
//             origin of the east-north-up frame (the focus vessel's target, else its starting
//             point), the body's radius, the data root, the HUD size and the frame conventions
//   vessel    {"vessel":NAME,"id":N,"class":..,"meshes":[..],"animations":[default states],
//             "components":[..],"exhausts":[..]} before the vessel's first sample
//   groups    {"t":T,"groups":ID,"main":[..],"hover":[..],"att":[6 lists]}: thrusters of the
//             groups, whenever they change
//   sample    {"t":T,"s":[[ID,e,n,u,qw,qx,qy,qz,landed,[animation states],[levels]],..]} for every
//             vessel at the log interval and at every event; levels: main, hover, then the
//             attitude groups pitch up, pitch down, yaw left, yaw right, bank right, bank left
//   event     {"t":T,"event":TEXT,"vessel":NAME}: the landing report's events, keys and codes
//             given to the run, releases, vessels added and removed
//   hud       {"t":T,"lines":N,"set":[[i,x,y,colour,TEXT],..]}: the focus vessel's head-up display
//             at the log interval, only the lines that changed since the last one
//   end       {"end":T,"reason":TEXT}
// Frames (local_frame.h): ENU metres from the origin; quaternions (w, x, y, z) map the replay's
// vessel axes (x right, y forward, z up: the simulator's x, z, y) into ENU; the exported mesh
// offsets and animation parameters are in the replay's vessel axes, angles in radians.
// Samples are formatted through one reused buffer: tracking allocates nothing per step once every
// vessel is defined (the head-up display, drawn at the log interval, is the exception).
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "io/hud.h"
#include "io/local_frame.h"
#include "world/world.h"

class Vessel;

namespace sim {

class LandingRecorder;

struct TrackSettings {
  std::string scenario;
  double interval = 0.1;                       // [s] between samples
  int hudWidth = 1024, hudHeight = 768;        // [pixel]
  const LandingRecorder *landing = nullptr;    // the booster's landing report, if any
  std::string originName;                      // the focus vessel's target (vessel or base), if any
  std::vector<KeyEvent> inputs;                // keys and codes given to the run
};

class TrackWriter {
 public:
  // Opens the file and writes the header and the definitions of the vessels present; throws
  // InputError if the file cannot be written.
  TrackWriter(const std::filesystem::path &file, World &w, TrackSettings settings);
  ~TrackWriter();
  TrackWriter(const TrackWriter &) = delete;
  TrackWriter &operator=(const TrackWriter &) = delete;

  // After every step (and once before the first): writes what is due.
  void sample();
  // The last sample, the end line; flushes. Throws RunError if the file could not be written.
  void finish(const std::string &reason);

  const LocalFrame &frame() const { return frame_; }

 private:
  struct Tracked {
    Vessel *vessel = nullptr;
    int id = -1;
    const Vessel *parent = nullptr;        // attached to, at the last step
    unsigned long long groupsSignature = 0;
  };
  void chooseFrame(World &w);
  void writeHeader(const World &w);
  void syncVessels();
  void defineVessel(Tracked &t);
  void writeGroups(const Tracked &t);
  void writeSample();
  void writeEvent(double t, const char *text, const std::string &vessel);
  void writeHud();
  bool detectEvents();

  std::FILE *out_ = nullptr;
  std::filesystem::path file_;
  World &w_;
  TrackSettings settings_;
  LocalFrame frame_;
  std::vector<Tracked> tracked_;
  std::vector<std::string> removed_;  // names of vessels gone since the last step (scratch)
  int nextId_ = 0;
  long long nextSample_ = 0;  // index of the next sample due (sample k at k * interval)
  double lastSampleTime_ = -1;
  size_t landingEvents_ = 0;  // of the landing report, written so far
  size_t nextInput_ = 0;
  std::vector<HudText> hud_;  // the last one written
};

// Unit signature of the thruster groups the track follows (main, hover, the six attitude groups).
unsigned long long trackedGroupsSignature(const Vessel &v);

}  // namespace sim
