// Output files written all or nothing (see output_file.h).
#include "io/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace sim {
namespace fs = std::filesystem;
namespace {

constexpr int kMaxLinks = 40;  // as the kernel's own limit on a path's symbolic links

const char *kindOf(fs::file_type t) {
  switch (t) {
    case fs::file_type::directory:
      return "a folder";
    case fs::file_type::character:
      return "a character device";
    case fs::file_type::block:
      return "a block device";
    case fs::file_type::fifo:
      return "a pipe";
    case fs::file_type::socket:
      return "a socket";
    default:
      return "not a regular file";
  }
}

// The permissions a new file gets from this process (0666 less the umask).
mode_t newFileMode() {
  mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

fs::path resolveOutputTarget(const fs::path &path) {
  std::error_code ec;
  fs::path p = fs::absolute(path, ec);
  if (ec) p = path;
  for (int hops = 0;; hops++) {
    fs::file_status st = fs::symlink_status(p, ec);
    if (ec || st.type() != fs::file_type::symlink) break;
    if (hops == kMaxLinks) throw OutputError(path.string() + ": too many levels of symbolic links");
    fs::path link = fs::read_symlink(p, ec);
    if (ec) break;
    p = link.is_absolute() ? link : p.parent_path() / link;
  }
  fs::path folder = fs::weakly_canonical(p.parent_path(), ec);
  return (ec ? p.parent_path().lexically_normal() : folder) / p.filename();
}

bool sameFile(const fs::path &a, const fs::path &b) {
  fs::path ra = resolveOutputTarget(a), rb = resolveOutputTarget(b);
  if (ra == rb) return true;
  std::error_code ec;
  return fs::exists(ra, ec) && fs::exists(rb, ec) && fs::equivalent(ra, rb, ec);
}

OutputFile::OutputFile(std::string label, const fs::path &target)
    : label_(std::move(label)), given_(target) {
  try {
    target_ = resolveOutputTarget(target);
  } catch (const OutputError &e) {
    throw OutputError((label_.empty() ? "" : label_ + ": ") + e.what());
  }
  if (target_.filename().empty() || target_.filename() == "." || target_.filename() == "..")
    fail("cannot write: the name is a folder's, not a file's", 0);
  std::error_code ec;
  fs::file_status st = fs::status(target_, ec);
  mode_t mode = newFileMode();
  if (fs::exists(st)) {
    if (st.type() != fs::file_type::regular)
      fail(std::string("cannot write: it exists and is ") + kindOf(st.type()) +
               " (only a regular file is replaced)",
           0);
    mode = static_cast<mode_t>(st.permissions()) & 07777;
  }
  std::string hidden =
      ".";  // built by appending: GCC 12 at -O3 warns (-Wrestrict) on "." + a temporary
  hidden += target_.filename().string();
  hidden += ".XXXXXX";
  std::string pattern = (target_.parent_path() / hidden).string();
  fd_ = ::mkstemp(pattern.data());
  if (fd_ < 0)
    fail("cannot write: no file can be made in " + target_.parent_path().string(), errno);
  temporary_ = pattern;
  (void)::fchmod(fd_, mode);
}

OutputFile::~OutputFile() {
  if (fd_ >= 0) ::close(fd_);
  if (!committed_ && !temporary_.empty()) ::unlink(temporary_.c_str());
}

void OutputFile::fail(const std::string &what, int error) const {
  std::string m = (label_.empty() ? "" : label_ + ": ") + given_.string() + ": " + what;
  if (error) m += ": " + std::string(std::strerror(error));
  throw OutputError(m);
}

void OutputFile::write(std::string_view text) { write(text.data(), text.size()); }

void OutputFile::write(const void *data, size_t size) {
  if (fd_ < 0) fail("written after it was closed", 0);
  const char *p = static_cast<const char *>(data);
  while (size > 0) {
    ssize_t n = ::write(fd_, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) fail("cannot write", n < 0 ? errno : ENOSPC);
    p += n;
    size -= static_cast<size_t>(n);
  }
}

void OutputFile::close() {
  if (fd_ < 0) return;
  int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) fail("cannot write", errno);
}

void OutputFile::commit() {
  if (committed_) return;
  close();
  if (::rename(temporary_.c_str(), target_.c_str()) != 0) fail("cannot replace the file", errno);
  committed_ = true;
}

void OutputSet::addInput(const fs::path &path, std::string label) {
  if (!path.empty()) inputs_.push_back({path, std::move(label)});
}

void OutputSet::checkNew(const std::string &label, const fs::path &path, bool mayBeInput) const {
  for (const auto &o : outputs_)
    if (sameFile(path, o->path()))
      throw OutputError(label + ": " + path.string() + " is also the file of " + o->label());
  for (const Input &r : reserved_)
    if (sameFile(path, r.path))
      throw OutputError(label + ": " + path.string() + " is also the file of " + r.label);
  if (!mayBeInput)
    for (const Input &i : inputs_)
      if (sameFile(path, i.path))
        throw OutputError(label + ": " + path.string() + " is " + i.label);
}

OutputFile *OutputSet::add(const std::string &label, const fs::path &path, bool mayBeInput) {
  if (path.empty()) return nullptr;
  checkNew(label, path, mayBeInput);
  outputs_.push_back(std::make_unique<OutputFile>(label, path));
  return outputs_.back().get();
}

void OutputSet::reserve(const std::string &label, const fs::path &path) {
  if (path.empty()) return;
  checkNew(label, path, false);
  std::error_code ec;
  fs::file_status st = fs::status(resolveOutputTarget(path), ec);
  if (fs::exists(st) && st.type() != fs::file_type::regular)
    throw OutputError(label + ": " + path.string() + ": cannot write: it exists and is " +
                      kindOf(st.type()) + " (only a regular file is replaced)");
  reserved_.push_back({path, label});
}

void OutputSet::drop(OutputFile *&output) {
  for (auto it = outputs_.begin(); it != outputs_.end(); ++it)
    if (it->get() == output) {
      outputs_.erase(it);
      break;
    }
  output = nullptr;
}

void OutputSet::commitAll() {
  for (const auto &o : outputs_) o->close();
  for (const auto &o : outputs_) o->commit();
}

}  // namespace sim
