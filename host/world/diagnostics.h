// Diagnostics: calls the host refused or noted while modules ran.
//
// A module's call is never allowed to fail loudly inside the module's frame; the host records
// what it refused (a stale handle, a non-finite value, an index out of range) or noted (a
// deprecated overload) here, once per distinct message with a count, and reports it afterwards.
// Two kinds of calls are counted apart: the ones only a screen could answer (answered the way the
// simulator answers a vessel it does not render) and the obsolete forms of calls.
#pragma once

#include <string>
#include <vector>

namespace sim {

class Diagnostics {
 public:
  struct Entry {
    std::string text;
    int count = 0;
    bool error = false;      // an error in input that must stop loading (raised by the caller)
    bool nonFinite = false;  // a refused non-finite value (a NaN or infinity handed to the host)
    enum class Kind { Other, Headless, Obsolete } kind = Kind::Other;
    std::string call;  // the interface call, for headless and obsolete entries
  };

  void refuse(const std::string &where, const std::string &what);  // a refused call
  void refuseNonFinite(const std::string &where, const std::string &what);  // ... for a non-finite value
  void note(const std::string &where, const std::string &what);    // an informational note
  void inputError(const std::string &text);                        // a bad scenario line and the like
  void headless(const char *call);          // a call only a screen could answer
  void obsolete(const std::string &where, const char *call);  // an obsolete form of a call

  const std::vector<Entry> &entries() const { return entries_; }
  int refusedCount() const { return refused_; }
  int headlessCount() const { return headless_; }
  int obsoleteCount() const { return obsolete_; }
  // Takes the first pending input error (empty if none).
  std::string takeInputError();
  bool contains(const std::string &fragment) const;
  void clear() {
    entries_.clear();
    refused_ = headless_ = obsolete_ = 0;
    pendingErrors_.clear();
  }

 private:
  Entry &add(const std::string &text, bool error, bool nonFinite = false);
  std::vector<Entry> entries_;
  std::vector<std::string> pendingErrors_;
  int refused_ = 0, headless_ = 0, obsolete_ = 0;
};

}  // namespace sim
