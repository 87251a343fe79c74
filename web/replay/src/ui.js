// The page's controls: play/pause, speed (x1 to x100), the timeline with the events marked in
// their phase's colour (a slider to scrub), the camera mode, the list of events (a click jumps
// there) and the focus vessel's head-up display text at the current time. Dragging on the view
// turns the camera about its target, the wheel moves it nearer or farther.
import { PHASE_COLOURS } from './scene.js';
import { hudAt } from './track.js';

function hudColour(bgr) {
  const r = bgr & 0xff, g = (bgr >> 8) & 0xff, b = (bgr >> 16) & 0xff;
  return `rgb(${r},${g},${b})`;
}

function formatTime(t) { return `${t.toFixed(1)} s`; }

export class Controls {
  constructor(doc, track, phases, player, scene) {
    this.track = track, this.player = player, this.scene = scene, this.phases = phases;
    this.play = doc.getElementById('play');
    this.speed = doc.getElementById('speed');
    this.timeline = doc.getElementById('timeline');
    this.timeLabel = doc.getElementById('time');
    this.cameraMode = doc.getElementById('camera');
    this.hud = doc.getElementById('hud');
    this.phaseLabel = doc.getElementById('phase');
    doc.getElementById('title').textContent =
      `${track.header.scenario} \u2014 ${track.focus ? track.focus.name : ''}` +
      (track.header.origin?.name ? ` \u2014 frame centred on ${track.header.origin.name}` : '');
    this.timeline.min = track.start;
    this.timeline.max = track.end;
    this.timeline.step = 'any';
    this.timeline.value = track.start;
    this.play.addEventListener('click', () => this.setPlaying(!player.playing));
    this.speed.addEventListener('change', () => { player.speed = Number(this.speed.value) || 1; });
    this.timeline.addEventListener('input', () => this.seek(Number(this.timeline.value)));
    this.cameraMode.addEventListener('change', () => { scene.view.mode = this.cameraMode.value; player.dirty = 2; });
    this.buildMarkers(doc);
    this.buildEventList(doc);
    this.bindMouse(doc.getElementById('view'));
    doc.addEventListener('keydown', (e) => {
      if (e.key === ' ' && e.target === doc.body) { e.preventDefault(); this.setPlaying(!player.playing); }
    });
    this.lastHud = null;
  }

  phaseIndexAt(t) {
    let p = 0;
    while (p + 1 < this.phases.length && this.phases[p + 1].t <= t + 1e-9) p++;
    return p;
  }

  buildMarkers(doc) {
    const wrap = doc.getElementById('markers');
    const span = Math.max(1e-9, this.track.end - this.track.start);
    for (const e of this.track.events) {
      const m = doc.createElement('div');
      m.className = 'marker';
      m.style.left = `${(100 * (e.t - this.track.start)) / span}%`;
      m.style.background = PHASE_COLOURS[this.phaseIndexAt(e.t) % PHASE_COLOURS.length];
      m.title = `${formatTime(e.t)}  ${e.text}${e.vessel ? ' (' + e.vessel + ')' : ''}`;
      m.addEventListener('click', () => this.seek(e.t));
      wrap.appendChild(m);
    }
  }

  buildEventList(doc) {
    const list = doc.getElementById('events');
    for (const e of this.track.events) {
      const item = doc.createElement('li');
      const swatch = doc.createElement('span');
      swatch.className = 'swatch';
      swatch.style.background = PHASE_COLOURS[this.phaseIndexAt(e.t) % PHASE_COLOURS.length];
      item.appendChild(swatch);
      item.appendChild(doc.createTextNode(`${e.t.toFixed(2).padStart(7)} s  ${e.text}`));
      if (e.vessel && this.track.vessels.length > 1) item.title = e.vessel;
      item.addEventListener('click', () => this.seek(e.t));
      list.appendChild(item);
    }
  }

  bindMouse(canvas) {
    let drag = null;
    canvas.addEventListener('pointerdown', (e) => { drag = { x: e.clientX, y: e.clientY }; canvas.setPointerCapture(e.pointerId); });
    canvas.addEventListener('pointerup', () => { drag = null; });
    canvas.addEventListener('pointermove', (e) => {
      if (!drag) return;
      const view = this.scene.view;
      view.azimuth -= (e.clientX - drag.x) * 0.008;
      view.elevation = Math.max(-1.4, Math.min(1.5, view.elevation + (e.clientY - drag.y) * 0.006));
      drag = { x: e.clientX, y: e.clientY };
      this.player.dirty = 2;
    });
    canvas.addEventListener('wheel', (e) => {
      e.preventDefault();
      const view = this.scene.view;
      view.zoom = Math.max(0.1, Math.min(200, view.zoom * Math.exp(e.deltaY * 0.001)));
      this.player.dirty = 2;
    }, { passive: false });
  }

  setPlaying(on) {
    if (on && this.player.time >= this.track.end) this.player.time = this.track.start;
    this.player.playing = on;
    this.player.dirty = 2;
    this.play.textContent = on ? 'Pause' : 'Play';
  }

  seek(t) {
    this.player.time = Math.max(this.track.start, Math.min(this.track.end, t));
    this.timeline.value = this.player.time;
    this.player.dirty = 2;
  }

  // Brings the controls up to time t: at most ten times a second while playing (the text and the
  // slider cost the browser more to lay out and paint than the 3D view costs to draw), at once
  // when paused.
  show(t) {
    const now = performance.now();
    if (this.player.playing && now - (this.lastShown ?? -1e9) < 100) return;
    this.lastShown = now;
    this.timeLabel.textContent = `${formatTime(t)} / ${formatTime(this.track.end)}`;
    if (this.player.playing) this.timeline.value = t;
    const p = this.phaseIndexAt(t);
    this.phaseLabel.textContent = this.phases[p].name;
    this.phaseLabel.style.borderColor = PHASE_COLOURS[p % PHASE_COLOURS.length];
    const lines = hudAt(this.track, t);
    if (lines === this.lastHud) return;
    this.lastHud = lines;
    const sorted = lines.filter((l) => l.text).slice().sort((a, b) => a.y - b.y || a.x - b.x);
    this.hud.replaceChildren(...sorted.map((l) => {
      const div = this.hud.ownerDocument.createElement('div');
      div.textContent = l.text;
      div.style.color = hudColour(l.colour);
      return div;
    }));
  }
}
