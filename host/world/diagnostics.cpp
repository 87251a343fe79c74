// Diagnostics of refused and noted interface calls (see diagnostics.h).
#include "world/diagnostics.h"

namespace sim {

void Diagnostics::add(const std::string &text, bool error, bool nonFinite) {
  for (Entry &e : entries_)
    if (e.text == text) {
      e.count++;
      return;
    }
  entries_.push_back({text, 1, error, nonFinite});
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
