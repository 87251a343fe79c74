// The replay page of a track: a folder that a browser opens from the file system, with no server.
//
//   DIR/index.html       the page (copied from the built assets)
//   DIR/replay.js        the viewer, three.js bundled in (copied from the built assets)
//   DIR/replay_data.js   the data: window.REPLAY_TRACK, the track's lines as objects, and
//                        window.REPLAY_MESHES, every mesh the vessels name
// Meshes are read from the data root's Meshes/ folder and converted to the replay's frames
// (local_frame.h): vertices and normals with y and z swapped, each triangle's vertex order
// reversed so that its visible side is the counter-clockwise one, as a right-handed renderer
// draws it. Per mesh: {"groups":[{"label":..,"p":[x,y,z,..],"n":[..] or [],"i":[a,b,c,..]}]}.
// A mesh that is missing or malformed is reported and left out (the page draws a placeholder).
#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>

namespace sim {

// Writes the page of `track` into `outDir` (created if needed). Meshes come from dataRoot, or
// when it is empty from the root the track's header names, or when that holds no Meshes/ folder
// from fallbackRoot. Throws InputError for a malformed track (naming the file and line) and
// RunError when the assets are missing or the folder cannot be written; notes go to `notes`.
void writeReplayPage(const std::filesystem::path &track, const std::filesystem::path &outDir,
                     const std::filesystem::path &dataRoot, const std::filesystem::path &fallbackRoot,
                     const std::filesystem::path &assetsDir,
                     std::ostream &notes);

// The mesh file's text converted as above (used by writeReplayPage; throws InputError).
std::string meshToReplayJson(const std::string &meshText, const std::string &fileName);

}  // namespace sim
