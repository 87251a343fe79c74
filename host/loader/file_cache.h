// Data files parsed once per process. A program that builds many worlds (the tests, the fuzz
// targets, a long session) would otherwise read and parse every configuration file and mesh
// again for each world. A file is parsed again when its identity (device and inode), size or
// modification time changes; the parsed value is immutable and shared by all readers. A file that
// fails to parse keeps its message, so every reader gets the same error until the file changes.
// A file modified less than kSettleSeconds before it was parsed is parsed again at every request:
// the file system's clock is coarse, and a same-size rewrite within one of its ticks would
// otherwise go unseen (a test, or an editor saving twice in quick succession).
#pragma once

#include <sys/stat.h>
#include <time.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

#include "world/errors.h"

namespace sim {

template <class T>
class FileCache {
 public:
  struct Result {
    std::shared_ptr<const T> value;  // null if the file is missing or did not parse
    bool missing = false;            // no regular file there, or it cannot be opened
    std::string error;               // the parser's message, if it failed
  };

  // parse(text, fileName) returns a T or throws InputError; the text is handed over (moved).
  template <class Parse>
  Result get(const std::filesystem::path &file, Parse &&parse) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return missing();
    const Stamp stamp{st.st_dev, st.st_ino, st.st_size, st.st_mtim.tv_sec, st.st_mtim.tv_nsec};
    std::lock_guard<std::mutex> lock(mutex_);
    Entry &e = entries_[file.string()];
    if (e.settled && e.stamp == stamp) return {e.value, false, e.error};
    std::string text;
    if (!readWhole(file, static_cast<size_t>(st.st_size), text)) return missing();
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    e = Entry{stamp, now.tv_sec - st.st_mtim.tv_sec > kSettleSeconds, nullptr, ""};
    try {
      e.value = std::make_shared<const T>(parse(std::move(text), file.string()));
    } catch (const InputError &x) {
      e.error = x.what();
    }
    return {e.value, false, e.error};
  }

 private:
  // The file's bytes read straight into TEXT (SIZE, from stat, sizes the buffer; a file that has
  // grown since is read to its end all the same).
  static bool readWhole(const std::filesystem::path &file, size_t size, std::string &text) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    text.resize(size);
    in.read(text.data(), static_cast<std::streamsize>(size));
    text.resize(static_cast<size_t>(in.gcount()));
    if (in) {
      char more[4096];
      while (in.read(more, sizeof more) || in.gcount() > 0)
        text.append(more, static_cast<size_t>(in.gcount()));
    }
    return true;
  }

  struct Stamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    time_t seconds = 0;
    long nanoseconds = 0;
    bool operator==(const Stamp &) const = default;
  };
  static constexpr time_t kSettleSeconds = 2;
  struct Entry {
    Stamp stamp;
    bool settled = false;  // parsed, and the file is old enough to trust its stamp
    std::shared_ptr<const T> value;
    std::string error;
  };
  static Result missing() { return {nullptr, true, ""}; }

  std::mutex mutex_;
  std::map<std::string, Entry> entries_;  // by path as given
};

}  // namespace sim
