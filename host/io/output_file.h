// Output files written all or nothing: each goes to a temporary file beside its target (a unique
// name in the same folder, so two writers never share one and a user's own NAME.tmp is left
// alone), every write and the close are checked, and the temporaries are renamed onto their
// targets only once every output of a set has been written in full. Until then, and whenever
// anything fails, each target stays as it was.
//
// A target that is a symbolic link is written through: the link stays, its final target is
// replaced. A target that exists and is not a regular file (a device, a folder, a pipe) is
// refused, as is a target that is another output of the set or one of its inputs. Opening an
// output creates its temporary at once, so a folder that is missing or cannot be written is
// found before any work is done.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "world/errors.h"

namespace sim {

// A failure to write an output; the message names the file (and the option, when given one).
class OutputError : public RunError {
 public:
  using RunError::RunError;
};

// The file a path finally names: symbolic links followed (also a dangling last one), the folder
// made absolute. Throws OutputError for a loop of links.
std::filesystem::path resolveOutputTarget(const std::filesystem::path &path);
// Whether two paths name the same file (after resolving links; hard links compare by inode).
bool sameFile(const std::filesystem::path &a, const std::filesystem::path &b);

class OutputFile {
 public:
  // `label` names the output in messages ("--log", or a description). Checks the target and
  // creates the temporary; throws OutputError.
  OutputFile(std::string label, const std::filesystem::path &target);
  ~OutputFile();  // removes the temporary unless committed
  OutputFile(const OutputFile &) = delete;
  OutputFile &operator=(const OutputFile &) = delete;

  void write(std::string_view text);  // all of it, or OutputError
  void write(const void *data, size_t size);
  void close();   // checked; idempotent
  void commit();  // closes and renames the temporary onto the target

  const std::string &label() const { return label_; }
  const std::filesystem::path &path() const { return given_; }     // as given
  const std::filesystem::path &target() const { return target_; }  // as resolved
  const std::filesystem::path &temporary() const { return temporary_; }
  bool committed() const { return committed_; }

 private:
  [[noreturn]] void fail(const std::string &what, int error) const;
  std::string label_;
  std::filesystem::path given_, target_, temporary_;
  int fd_ = -1;
  bool committed_ = false;
};

// The outputs of one command, committed together.
class OutputSet {
 public:
  // A file the command reads: no output may be it.
  void addInput(const std::filesystem::path &path, std::string label);
  // Opens an output (null for an empty path); refuses one that is an earlier output or an input
  // (unless `mayBeInput`). Throws OutputError naming both.
  OutputFile *add(const std::string &label, const std::filesystem::path &path,
                  bool mayBeInput = false);
  // Closes every output, then renames each onto its target. Throws OutputError on the first
  // failure; the outputs not yet renamed stay as they were.
  void commitAll();
  // An output written elsewhere, straight to its file (empty path: none): checked against the
  // others and the inputs as add() does, and refused if it exists and is not a regular file.
  void reserve(const std::string &label, const std::filesystem::path &path);
  // Leaves an output's target as it was: its temporary is removed, and `output` set to null.
  void drop(OutputFile *&output);

 private:
  struct Input {
    std::filesystem::path path;
    std::string label;
  };
  void checkNew(const std::string &label, const std::filesystem::path &path, bool mayBeInput) const;
  std::vector<Input> inputs_, reserved_;
  std::vector<std::unique_ptr<OutputFile>> outputs_;
};

}  // namespace sim
