// --landing-law: which law the focus booster's descent autopilot flies, set in the scenario before
// the vessel is created.
//
// "precision" gives the focus vessel's block the booster's landing-law line "LANDLAW 1" (in place
// of any it had); "specified" removes the line, so the booster flies its descent autopilot's own
// law; empty leaves the scenario as it is. The focus vessel must be a booster (class larkon).
#pragma once

#include <string>

namespace sim {

class ScenarioDocument;

// Throws InputError naming the option when the focus vessel is missing or is no booster.
void applyLandingLaw(ScenarioDocument &doc, const std::string &focus, const std::string &law);

}  // namespace sim
