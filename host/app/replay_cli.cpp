// Replays on the command line (see replay_cli.h).
#include "app/replay_cli.h"

#include <CLI/CLI.hpp>
#include <ostream>

#include "app/cli.h"
#include "app/landing_report.h"
#include "app/run.h"
#include "io/replay_page.h"
#include "io/track.h"
#include "world/errors.h"

namespace sim {

void addReplayRunOptions(CLI::App &run, RunOptions &o) {
  run.add_option_function<std::string>(
      "--track", [&o](const std::string &s) { o.track = s; },
      "every vessel's pose, animation states and thrust levels over time, as JSON lines (see "
      "docs/track-format.md)");
  run.add_option_function<std::string>(
      "--replay", [&o](const std::string &s) { o.replayDir = s; },
      "write the replay page of this run into DIR (index.html opens in a browser from the file system)");
}

void addReplay(CLI::App &replay, ReplayOptions &o) {
  replay
      .add_option_function<std::string>(
          "TRACK", [&o](const std::string &s) { o.track = s; }, "the track file")
      ->required();
  replay
      .add_option_function<std::string>(
          "--out", [&o](const std::string &s) { o.out = s; }, "the folder to write the page into")
      ->required();
  replay.add_option_function<std::string>(
      "--root", [&o](const std::string &s) { o.root = s; },
      "data root holding Meshes/ (default: the one the track was recorded with)");
}

std::filesystem::path trackFileOf(const RunOptions &o) {
  if (!o.track.empty()) return o.track;
  if (!o.replayDir.empty()) return o.replayDir / "track.jsonl";
  return {};
}

std::unique_ptr<TrackWriter> startTrack(World &w, const RunOptions &o, const std::string &scenario,
                                        const LandingRecorder *landing) {
  std::filesystem::path file = trackFileOf(o);
  if (file.empty()) return nullptr;
  if (!o.replayDir.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(o.replayDir, ec);
    if (!std::filesystem::is_directory(o.replayDir, ec))
      throw InputError("--replay: cannot create the folder " + o.replayDir.string());
  }
  TrackSettings s;
  s.scenario = scenario;
  s.interval = o.logEvery;
  s.hudWidth = o.hudWidth, s.hudHeight = o.hudHeight;
  s.landing = landing;
  if (landing) s.originName = landing->targetName();
  for (const KeyEvent &e : o.events) s.inputs.push_back(e);
  return std::make_unique<TrackWriter>(file, w, std::move(s));
}

int finishTrack(TrackWriter &track, const RunOptions &o, const std::string &reason, const RunDefaults &d,
                std::ostream &out, std::ostream &err) {
  try {
    track.finish(reason);
    if (o.replayDir.empty()) return 0;
    writeReplayPage(trackFileOf(o), o.replayDir, {}, d.dataRoot, d.webDir, err);
  } catch (const std::runtime_error &e) {
    err << "simhost: " << e.what() << "\n";
    return 1;
  }
  out << "replay: " << (o.replayDir / "index.html").string() << "\n";
  return 0;
}

int runReplay(const ReplayOptions &o, const RunDefaults &d, std::ostream &out, std::ostream &err) {
  int status = exitStatusOf(err, [&] {
    std::filesystem::path root = o.root;
    std::error_code ec;
    if (!root.empty() && !std::filesystem::is_directory(root / "Meshes", ec))
      throw InputError("--root: " + root.string() + " holds no Meshes/ folder");
    writeReplayPage(o.track, o.out, root, d.dataRoot, d.webDir, err);
  });
  if (status != 0) return status;
  out << "replay: " << (o.out / "index.html").string() << "\n";
  return 0;
}

}  // namespace sim
