// Diagnostics of refused and noted interface calls (see diagnostics.h).
#include "world/diagnostics.h"

namespace sim {

Diagnostics::Entry &Diagnostics::add(const std::string &text, bool error, bool nonFinite) {
  for (Entry &e : entries_)
    if (e.text == text) {
      e.count++;
      return e;
    }
  entries_.push_back({text, 1, error, nonFinite, Entry::Kind::Other, {}});
  return entries_.back();
}

void Diagnostics::refuse(const std::string &where, const std::string &what) {
  refused_++;
  add(where + ": refused: " + what, false);
}

void Diagnostics::refuseNonFinite(const std::string &where, const std::string &what) {
  refused_++;
  add(where + ": refused: " + what, false, true);
}

void Diagnostics::note(const std::string &where, const std::string &what) { add(where + ": " + what, false); }

// Repeated calls (a module may make one every step) find their entry without building a string.
void Diagnostics::headless(const char *call) {
  headless_++;
  for (Entry &e : entries_)
    if (e.kind == Entry::Kind::Headless && e.call == call) {
      e.count++;
      return;
    }
  Entry &e = add(std::string(call) + ": answered headless (no screen)", false);
  e.kind = Entry::Kind::Headless;
  e.call = call;
}

void Diagnostics::obsolete(const std::string &where, const char *call) {
  obsolete_++;
  for (Entry &e : entries_)
    if (e.kind == Entry::Kind::Obsolete && e.call == call && e.text.compare(0, where.size(), where) == 0 &&
        e.text.size() > where.size() && e.text[where.size()] == ' ') {
      e.count++;
      return;
    }
  Entry &e = add(where + " " + call + ": obsolete form used", false);
  e.kind = Entry::Kind::Obsolete;
  e.call = call;
}

void Diagnostics::inputError(const std::string &text) {
  add(text, true);
  pendingErrors_.push_back(text);
}

std::string Diagnostics::takeInputError() {
  if (pendingErrors_.empty()) return {};
  std::string e = pendingErrors_.front();
  pendingErrors_.clear();
  return e;
}

bool Diagnostics::contains(const std::string &fragment) const {
  for (const Entry &e : entries_)
    if (e.text.find(fragment) != std::string::npos) return true;
  return false;
}

}  // namespace sim
