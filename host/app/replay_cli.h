// Replays on the command line: the run options that record a track or write a replay page, and
// the replay subcommand.
//
//   simhost run ... --track FILE     every vessel's pose, animations and thrust levels over time
//   simhost run ... --replay DIR     the replay page of this run (with the track in DIR/track.jsonl
//                                    unless --track names another file)
//   simhost replay TRACK --out DIR [--root DIR]   the replay page of a track written before
#pragma once

#include <filesystem>
#include <iosfwd>
#include <memory>
#include <string>

namespace CLI {
class App;
}

namespace sim {

struct RunOptions;
struct RunDefaults;
class World;
class LandingRecorder;
class TrackWriter;

struct ReplayOptions {
  std::filesystem::path track, out;
  std::filesystem::path root;  // empty: the data root the track names
};

// Adds --track and --replay to the run subcommand.
void addReplayRunOptions(CLI::App &run, RunOptions &o);
// Adds the replay subcommand's options.
void addReplay(CLI::App &replay, ReplayOptions &o);
// The track file a run writes: --track, else DIR/track.jsonl for --replay, else empty.
std::filesystem::path trackFileOf(const RunOptions &o);
// The track of a run, if it asks for one (created beside the page for --replay), centred on the
// landing report's target when there is one; throws InputError if the file cannot be written.
std::unique_ptr<TrackWriter> startTrack(World &w, const RunOptions &o, const std::string &scenario,
                                        const LandingRecorder *landing);
// Ends the track and writes the page for --replay: 0, or 1 after a message on err.
int finishTrack(TrackWriter &track, const RunOptions &o, const std::string &reason, const RunDefaults &d,
                std::ostream &out, std::ostream &err);
// simhost replay: 0, 2 for a bad track, 1 when the page cannot be written.
int runReplay(const ReplayOptions &o, const RunDefaults &d, std::ostream &out, std::ostream &err);

}  // namespace sim
