// What a track says, computed apart from the page: a vessel's state at any time (linear between
// samples, slerp for the attitude), the HUD lines at a time, and where a mesh point goes under a
// vessel's animation components (Rodrigues' formula for rotations, in the track's right-handed
// vessel axes; a component's own fraction D = f(s) - f(default), carried by its parents, the
// components that list a group applied in their order).
'use strict';
const fs = require('fs');

function readTrackFile(file) {
  const lines = fs.readFileSync(file, 'utf8').split('\n').filter((l) => l.trim());
  const records = lines.map((l) => JSON.parse(l));
  const track = { header: records[0], vessels: new Map(), events: [], hud: [], end: 0 };
  const byId = new Map();
  for (const r of records.slice(1)) {
    if (r.vessel !== undefined && r.id !== undefined) {
      const v = { name: r.vessel, def: r, samples: [] };
      track.vessels.set(r.vessel, v);
      byId.set(r.id, v);
    } else if (r.s) {
      for (const s of r.s)
        byId.get(s[0]).samples.push({ t: r.t, pos: s.slice(1, 4), quat: s.slice(4, 8), landed: s[8], anim: s[9], levels: s[10] });
    } else if (r.event !== undefined) {
      track.events.push({ t: r.t, event: r.event, vessel: r.vessel });
    } else if (r.set) {
      track.hud.push(r);
    } else if (r.end !== undefined) {
      track.end = r.end;
    }
  }
  return track;
}

function lerp(a, b, f) { return a.map((x, i) => x + f * (b[i] - x)); }

function slerp(a, b, f) {
  let dot = a.reduce((s, x, i) => s + x * b[i], 0);
  const bb = dot < 0 ? b.map((x) => -x) : b;
  dot = Math.abs(dot);
  if (dot > 0.9995) {
    const q = lerp(a, bb, f), l = Math.hypot(...q);
    return q.map((x) => x / l);
  }
  const th = Math.acos(dot), s = Math.sin(th);
  return a.map((x, i) => (Math.sin((1 - f) * th) * x + Math.sin(f * th) * bb[i]) / s);
}

function sampleAt(v, t) {
  const s = v.samples;
  let i = 0;
  while (i + 1 < s.length && s[i + 1].t <= t) i++;
  const j = Math.min(s.length - 1, i + 1);
  const f = s[j].t > s[i].t ? Math.min(1, Math.max(0, (t - s[i].t) / (s[j].t - s[i].t))) : 0;
  return { name: v.name, pos: lerp(s[i].pos, s[j].pos, f), quat: slerp(s[i].quat, s[j].quat, f),
    anim: lerp(s[i].anim, s[j].anim, f), levels: lerp(s[i].levels, s[j].levels, f), landed: s[i].landed };
}

function hudAt(track, t) {
  let lines = [];
  for (const r of track.hud) {
    if (r.t > t) break;
    lines = lines.slice(0, r.lines);
    for (const [i, x, y, colour, text] of r.set) lines[i] = { x, y, colour, text };
  }
  return lines.filter(Boolean);
}

function mean(flat) {
  const n = flat.length / 3, m = [0, 0, 0];
  for (let i = 0; i < flat.length; i++) m[i % 3] += flat[i] / n;
  return m;
}

function fraction(c, s) {
  if (c.s1 === c.s0) return s >= c.s1 ? 1 : 0;
  return Math.min(1, Math.max(0, (s - c.s0) / (c.s1 - c.s0)));
}

function applyOwn(def, c, anim, p) {
  const d = fraction(c, anim[c.anim]) - fraction(c, def.animations[c.anim]);
  if (d === 0) return p;
  if (c.type === 'translate') return p.map((x, k) => x + d * c.shift[k]);
  if (c.type === 'scale') return p.map((x, k) => c.ref[k] + (1 + d * (c.scale[k] - 1)) * (x - c.ref[k]));
  if (c.type !== 'rotate') return p;
  const n = c.axis, th = d * c.angle, v = p.map((x, k) => x - c.ref[k]);
  const cross = [n[1] * v[2] - n[2] * v[1], n[2] * v[0] - n[0] * v[2], n[0] * v[1] - n[1] * v[0]];
  const dot = n[0] * v[0] + n[1] * v[1] + n[2] * v[2];
  return v.map((x, k) => c.ref[k] + x * Math.cos(th) + cross[k] * Math.sin(th) + n[k] * dot * (1 - Math.cos(th)));
}

// Point p of group `group` of mesh `mesh` (rest pose, vessel axes, without the mesh offset) at
// animation states `anim`.
function composeGroup(def, mesh, group, anim, p) {
  let q = p.slice();
  def.components.forEach((c) => {
    if (c.mesh !== mesh || !(c.groups === null || c.groups.includes(group))) return;
    for (let k = def.components.indexOf(c); k >= 0; k = def.components[k].parent) q = applyOwn(def, def.components[k], anim, q);
  });
  return q;
}

module.exports = { readTrackFile, sampleAt, hudAt, mean, composeGroup };
