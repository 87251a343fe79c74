// Exporting a vessel's animations for the replay page (see track_model.h).
#include "io/track_model.h"

#include <cmath>
#include <vector>

#include "io/local_frame.h"
#include "io/track_json.h"
#include "vessel/vessel.h"

namespace sim {
namespace {

void writeTransform(std::FILE *f, const MGROUP_TRANSFORM *t) {
  if (!t) {
    std::fputs(",\"type\":\"none\"", f);
    return;
  }
  switch (t->Type()) {
    case MGROUP_TRANSFORM::ROTATE: {
      const MGROUP_ROTATE &r = *static_cast<const MGROUP_ROTATE *>(t);
      double l = length(r.axis);
      if (!(l > 0) || !std::isfinite(l)) break;
      std::fputs(",\"type\":\"rotate\",\"ref\":", f);
      writeJsonVector(f, swapYZ(r.ref), 5);
      std::fputs(",\"axis\":", f);
      writeJsonVector(f, swapYZ(r.axis / l), 7);
      std::fputs(",\"angle\":", f);
      writeJsonNumber(f, -static_cast<double>(r.angle), 7);
      return;
    }
    case MGROUP_TRANSFORM::TRANSLATE:
      std::fputs(",\"type\":\"translate\",\"shift\":", f);
      writeJsonVector(f, swapYZ(static_cast<const MGROUP_TRANSLATE *>(t)->shift), 5);
      return;
    case MGROUP_TRANSFORM::SCALE: {
      const MGROUP_SCALE &s = *static_cast<const MGROUP_SCALE *>(t);
      std::fputs(",\"type\":\"scale\",\"ref\":", f);
      writeJsonVector(f, swapYZ(s.ref), 5);
      std::fputs(",\"scale\":", f);
      writeJsonVector(f, swapYZ(s.scale), 6);
      return;
    }
    default:
      break;
  }
  std::fputs(",\"type\":\"none\"", f);
}

}  // namespace

void writeAnimationDefinition(std::FILE *f, const Vessel &v) {
  std::fputs("\"animations\":[", f);
  for (size_t a = 0; a < v.def.animations.size(); a++) {
    if (a) std::fputc(',', f);
    writeJsonNumber(f, v.def.animations[a].defState, 6);
  }
  // The export order: animation by animation (the order the transforms compose in).
  std::vector<const AnimComponentRecord *> order;
  for (const AnimationDef &anim : v.def.animations)
    for (const AnimComponentRecord *rec : anim.components) order.push_back(rec);
  auto indexOf = [&order](const ANIMATIONCOMP *c) {
    for (size_t i = 0; i < order.size(); i++)
      if (&order[i]->comp == c) return static_cast<int>(i);
    return -1;
  };
  std::fputs("],\"components\":[", f);
  for (size_t i = 0; i < order.size(); i++) {
    const AnimComponentRecord &rec = *order[i];
    const ANIMATIONCOMP &c = rec.comp;
    const MGROUP_TRANSFORM *t = c.trans;
    std::fprintf(f, i ? ",{\"anim\":%u,\"s0\":" : "{\"anim\":%u,\"s0\":", rec.animation);
    writeJsonNumber(f, c.state0, 6);
    std::fputs(",\"s1\":", f);
    writeJsonNumber(f, c.state1, 6);
    std::fprintf(f, ",\"parent\":%d", c.parent ? indexOf(c.parent) : -1);
    if (t && t->mesh != LOCALVERTEXLIST) {
      std::fprintf(f, ",\"mesh\":%u,\"groups\":", t->mesh);
      if (!t->grp) {
        std::fputs("null", f);
      } else {
        std::fputc('[', f);
        for (UINT g = 0; g < t->ngrp; g++) std::fprintf(f, g ? ",%u" : "%u", t->grp[g]);
        std::fputc(']', f);
      }
      writeTransform(f, t);
    } else {
      std::fputs(",\"mesh\":-1,\"groups\":[],\"type\":\"none\"", f);
    }
    std::fputc('}', f);
  }
  std::fputc(']', f);
}

}  // namespace sim
