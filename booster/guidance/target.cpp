// Target look-up (see target.h).
#include "booster/guidance/target.h"

#include "booster/larkon.h"

namespace booster {

OBJHANDLE findTarget(char *name, OBJHANDLE baseBody) {
  OBJHANDLE h = oapiGetObjectByName(name);
  if (h && oapiGetObjectType(h) == OBJTP_VESSEL) return h;
  return oapiGetBaseByName(baseBody, name);
}

}  // namespace booster

OBJHANDLE larkon::resolveTarget(OBJHANDLE baseBody) const { return booster::findTarget(targetName, baseBody); }
