// The track of a run (the JSON lines simhost run --track writes, see docs/track-format.md),
// turned into per-vessel series and looked up at any time.
//
// Frames: positions east, north, up [m] from the origin; quaternions (w, x, y, z) map the vessel
// axes (x right, y forward, z up) into ENU. Between samples, positions, animation states and
// levels are interpolated linearly and attitudes by slerp; the landed flag holds its last value.

export function readTrack(records) {
  if (!Array.isArray(records) || records.length === 0) throw new Error('the replay holds no track');
  const header = records[0];
  if (header.format !== 'simhost track' || header.version !== 1) throw new Error('not a track of version 1');
  const vessels = [];
  const byId = new Map();
  const events = [];
  const hud = [];
  let end = 0;
  for (let i = 1; i < records.length; i++) {
    const r = records[i];
    if (r.vessel !== undefined && r.id !== undefined) {
      const v = { id: r.id, name: r.vessel, className: r.class, size: r.size || 1, def: r, samples: [],
        groups: [] };
      vessels.push(v);
      byId.set(r.id, v);
    } else if (r.groups !== undefined) {
      const v = byId.get(r.groups);
      if (v) v.groups.push({ t: r.t, main: r.main, hover: r.hover, att: r.att });
    } else if (r.s !== undefined) {
      for (const s of r.s) {
        const v = byId.get(s[0]);
        if (v) v.samples.push({ t: r.t, s });
      }
      end = Math.max(end, r.t);
    } else if (r.event !== undefined) {
      events.push({ t: r.t, text: r.event, vessel: r.vessel });
    } else if (r.set !== undefined) {
      hud.push(r);
    } else if (r.end !== undefined) {
      end = Math.max(end, r.end);
    }
  }
  for (const v of vessels) packSamples(v);
  events.sort((a, b) => a.t - b.t);
  const focus = vessels.find((v) => v.name === header.focus) || vessels[0];
  return { header, vessels, events, hud: hudSnapshots(hud), start: 0, end, focus };
}

// Columns of one vessel's samples: t, position, quaternion, landed, animation states, levels.
function packSamples(v) {
  const n = v.samples.length;
  const nAnim = v.def.animations.length;
  v.t = new Float64Array(n);
  v.pos = new Float64Array(3 * n);
  v.quat = new Float64Array(4 * n);
  v.landed = new Uint8Array(n);
  v.anim = new Float32Array(nAnim * n);
  v.levels = new Float32Array(8 * n);
  v.nAnim = nAnim;
  v.samples.forEach(({ t, s }, k) => {
    v.t[k] = t;
    for (let j = 0; j < 3; j++) v.pos[3 * k + j] = s[1 + j] ?? 0;
    for (let j = 0; j < 4; j++) v.quat[4 * k + j] = s[4 + j] ?? (j === 0 ? 1 : 0);
    v.landed[k] = s[8] ? 1 : 0;
    for (let j = 0; j < nAnim; j++) v.anim[nAnim * k + j] = s[9][j] ?? 0;
    for (let j = 0; j < 8; j++) v.levels[8 * k + j] = s[10][j] ?? 0;
  });
  delete v.samples;
}

// Index of the last element of a sorted array at or before t (-1 if none).
export function indexAtOrBefore(times, t) {
  let lo = 0, hi = times.length - 1, found = -1;
  while (lo <= hi) {
    const mid = (lo + hi) >> 1;
    if (times[mid] <= t) { found = mid; lo = mid + 1; } else hi = mid - 1;
  }
  return found;
}

// The state of vessel v at time t into `out` (reused): false when the vessel is not present.
export function stateAt(v, t, out) {
  const n = v.t.length;
  if (n === 0 || t < v.t[0] - 1e-9 || t > v.t[n - 1] + 1e-9) return false;
  let i = Math.max(0, indexAtOrBefore(v.t, t));
  const j = Math.min(n - 1, i + 1);
  const span = v.t[j] - v.t[i];
  const f = span > 0 ? Math.min(1, Math.max(0, (t - v.t[i]) / span)) : 0;
  for (let k = 0; k < 3; k++) out.pos[k] = v.pos[3 * i + k] + f * (v.pos[3 * j + k] - v.pos[3 * i + k]);
  slerp(v.quat, 4 * i, 4 * j, f, out.quat);
  out.landed = v.landed[i] === 1;
  out.anim.length = v.nAnim;
  for (let k = 0; k < v.nAnim; k++) {
    const a = v.anim[v.nAnim * i + k], b = v.anim[v.nAnim * j + k];
    out.anim[k] = a + f * (b - a);
  }
  for (let k = 0; k < 8; k++) {
    const a = v.levels[8 * i + k], b = v.levels[8 * j + k];
    out.levels[k] = a + f * (b - a);
  }
  return true;
}

export function newState() {
  return { pos: [0, 0, 0], quat: [1, 0, 0, 0], landed: false, anim: [], levels: new Array(8).fill(0) };
}

function slerp(q, a, b, f, out) {
  let bw = q[b], bx = q[b + 1], by = q[b + 2], bz = q[b + 3];
  let dot = q[a] * bw + q[a + 1] * bx + q[a + 2] * by + q[a + 3] * bz;
  if (dot < 0) { bw = -bw; bx = -bx; by = -by; bz = -bz; dot = -dot; }
  let wa = 1 - f, wb = f;
  if (dot < 0.9995) {
    const theta = Math.acos(Math.min(1, dot)), s = Math.sin(theta);
    wa = Math.sin((1 - f) * theta) / s;
    wb = Math.sin(f * theta) / s;
  }
  const w = wa * q[a] + wb * bw, x = wa * q[a + 1] + wb * bx, y = wa * q[a + 2] + wb * by, z = wa * q[a + 3] + wb * bz;
  const l = Math.hypot(w, x, y, z) || 1;
  out[0] = w / l; out[1] = x / l; out[2] = y / l; out[3] = z / l;
}

// The thruster groups of vessel v at time t: {main, hover, att} (membership lists).
export function groupsAt(v, t) {
  let g = null;
  for (const r of v.groups) if (r.t <= t + 1e-9) g = r; else break;
  return g || v.groups[0] || { main: [], hover: [], att: [[], [], [], [], [], []] };
}

// Full HUD line lists at each record's time (each record sets only the lines that changed).
function hudSnapshots(records) {
  const times = new Float64Array(records.length);
  const lines = [];
  let current = [];
  records.forEach((r, k) => {
    const next = current.slice(0, r.lines);
    for (const [i, x, y, colour, text] of r.set) next[i] = { x, y, colour, text };
    for (let i = 0; i < r.lines; i++) if (!next[i]) next[i] = { x: 0, y: 0, colour: 0xffffff, text: '' };
    times[k] = r.t;
    lines.push(next);
    current = next;
  });
  return { times, lines };
}

export function hudAt(track, t) {
  const i = indexAtOrBefore(track.hud.times, t);
  return i < 0 ? [] : track.hud.lines[i];
}

// Phases of the flight: the intervals between the focus vessel's events (and the start).
export function phasesOf(track) {
  const phases = [{ t: track.start, name: 'start' }];
  for (const e of track.events) {
    if (e.vessel && track.focus && e.vessel !== track.focus.name) continue;
    const last = phases[phases.length - 1];
    if (e.t > last.t + 1e-9) phases.push({ t: e.t, name: e.text });
    else if (last.name === 'start') last.name = e.text;  // events at one instant: the first names it
  }
  return phases;
}
