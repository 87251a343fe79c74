// The booster's target: one name for everything (the head-up display, the input box, code 2300,
// the scenario, every guidance step), resolved afresh whenever it is needed.
//
// A name resolves to a vessel of that name, or else to a surface base of that name on the given
// body. A celestial body found by the name (the simulator's object look-up also finds planets,
// moons and the Sun) is no target: the guidance would treat it as a surface base.
#pragma once

#include "Orbitersdk.h"

namespace booster {

OBJHANDLE findTarget(char *name, OBJHANDLE baseBody);

}  // namespace booster
