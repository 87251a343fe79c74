// The replay page: reads the data the page's replay_data.js left (window.REPLAY_TRACK, the
// track's lines, and window.REPLAY_MESHES), builds the scene and the controls, and plays.
//
// Playback time advances by the real time between frames times the speed (x1 to x100) and stops
// at the end. window.replayState is a read-only view of what the page shows, for tests and
// tools: times, frames drawn, the drawing resolution, the vessels' poses and posed mesh groups (ENU metres; group centroids also in the
// vessel's axes), the camera and where the focus vessel lies on the screen.
import * as THREE from 'three';
import { readTrack, phasesOf, hudAt } from './track.js';
import { ReplayScene, worldToEnu } from './scene.js';
import { Controls } from './ui.js';

function start() {
  const status = document.getElementById('status');
  let track;
  try {
    track = readTrack(window.REPLAY_TRACK);
  } catch (e) {
    status.textContent = 'This replay cannot be shown: ' + e.message;
    return;
  }
  const phases = phasesOf(track);
  const canvas = document.getElementById('view');
  const scene = new ReplayScene(canvas, track, window.REPLAY_MESHES || {}, phases);
  const player = { time: track.start, playing: false, speed: 1, frames: 0, loadMs: null, dirty: 2 };
  const controls = new Controls(document, track, phases, player, scene);

  const resize = () => {
    scene.resize(canvas.clientWidth, canvas.clientHeight);
    player.dirty = Math.max(player.dirty, 1);
  };
  window.addEventListener('resize', resize);
  resize();

  // Drawing resolution: lowered in steps while frames take longer than 1/40 s (a software
  // renderer is bound by the pixels it fills), raised again once they are quick.
  let last = null, frameTime = 1 / 60, lastScaleChange = 0;
  function adaptResolution(now, realDt) {
    if (realDt <= 0) return;
    frameTime += 0.1 * (realDt - frameTime);
    if (now - lastScaleChange < 1000) return;
    const scale = scene.resolutionScale;
    const next = frameTime > 1 / 40 ? Math.max(0.5, scale - 0.125) : frameTime < 1 / 55 ? Math.min(1, scale + 0.125) : scale;
    if (next !== scale) {
      scene.setResolutionScale(next);
      resize();
      lastScaleChange = now;
    }
  }
  // While paused, a still picture is drawn at full resolution once something changes (a seek,
  // the camera, the window), and no frame at all otherwise.
  function frame(now) {
    const realDt = last === null ? 0 : Math.min(0.25, (now - last) / 1000);
    last = now;
    requestAnimationFrame(frame);
    const moving = player.playing || scene.view.mode === 'orbit';
    if (moving) adaptResolution(now, realDt);
    else if (scene.resolutionScale < 1) {
      scene.setResolutionScale(1);
      resize();
      player.dirty = 2;
    }
    if (!moving && player.dirty <= 0 && player.loadMs !== null) return;
    player.dirty--;
    if (player.playing) {
      player.time = Math.min(track.end, player.time + realDt * player.speed);
      if (player.time >= track.end) controls.setPlaying(false);
    }
    scene.update(player.time);
    scene.updateCamera(realDt);
    scene.render();
    controls.show(player.time);
    player.frames++;
    if (player.loadMs === null) {
      player.loadMs = performance.now();
      status.textContent = '';
      document.body.dataset.ready = '1';
    }
  }
  requestAnimationFrame(frame);
  window.replayState = makeState(track, phases, player, scene);
}

function round(v, d = 1000) { return Math.round(v * d) / d; }

function groupState(g, model) {
  const pos = g.object.geometry.getAttribute('position');
  const v = new THREE.Vector3(), local = new THREE.Vector3(), world = new THREE.Box3();
  const holder = g.object.parent.position;
  for (let i = 0; i < pos.count; i++) {
    v.fromBufferAttribute(pos, i).applyMatrix4(g.object.matrix);
    local.add(v);
    world.expandByPoint(v.add(holder).applyMatrix4(model.object.matrixWorld));
  }
  local.divideScalar(Math.max(1, pos.count)).add(holder);
  const a = worldToEnu(world.min), b = worldToEnu(world.max);
  return {
    label: g.label, mesh: g.mesh, group: g.group,
    centroid: [round(local.x), round(local.y), round(local.z)],
    min: [0, 1, 2].map((k) => round(Math.min(a[k], b[k]))),
    max: [0, 1, 2].map((k) => round(Math.max(a[k], b[k]))),
  };
}

// Where the focus vessel's drawn box falls on the screen (normalised device coordinates).
function framing(scene) {
  const m = scene.models[scene.focusIndex];
  const box = new THREE.Box3();
  for (const g of m.groups) box.union(g.object.geometry.boundingBox.clone().applyMatrix4(g.object.matrixWorld));
  const ndc = { minX: Infinity, maxX: -Infinity, minY: Infinity, maxY: -Infinity };
  let inFront = true;
  const p = new THREE.Vector3(), view = new THREE.Vector3();
  for (let k = 0; k < 8; k++) {
    p.set(k & 1 ? box.max.x : box.min.x, k & 2 ? box.max.y : box.min.y, k & 4 ? box.max.z : box.min.z);
    view.copy(p).applyMatrix4(scene.camera.matrixWorldInverse);
    if (view.z >= 0) inFront = false;
    p.project(scene.camera);
    ndc.minX = Math.min(ndc.minX, p.x); ndc.maxX = Math.max(ndc.maxX, p.x);
    ndc.minY = Math.min(ndc.minY, p.y); ndc.maxY = Math.max(ndc.maxY, p.y);
  }
  const inView = inFront && ndc.minX >= -1 && ndc.maxX <= 1 && ndc.minY >= -1 && ndc.maxY <= 1;
  return { vessel: m.vessel.name, inFront, inView, ndc, height: ndc.maxY - ndc.minY, width: ndc.maxX - ndc.minX };
}

function makeState(track, phases, player, scene) {
  const state = {
    get ready() { return player.loadMs !== null; },
    get loadMs() { return player.loadMs; },
    get frames() { return player.frames; },
    get time() { return player.time; },
    get playing() { return player.playing; },
    get speed() { return player.speed; },
    get cameraMode() { return scene.view.mode; },
    get resolutionScale() { return scene.resolutionScale; },
    start: track.start,
    end: track.end,
    focus: track.focus ? track.focus.name : null,
    scenario: track.header.scenario,
    events: track.events.map((e) => ({ ...e })),
    phases: phases.map((p) => ({ ...p })),
    vesselNames: track.vessels.map((v) => v.name),
    vessel(name) {
      const i = track.vessels.findIndex((v) => v.name === name);
      if (i < 0) return null;
      const s = scene.states[i], m = scene.models[i];
      return {
        name, present: scene.present[i],
        position: s.pos.map((x) => round(x)), quaternion: s.quat.map((x) => round(x, 1e6)),
        animations: s.anim.map((x) => round(x, 1e5)), levels: s.levels.map((x) => round(x, 1e4)),
        landed: s.landed, flames: m.flames.filter((f) => f.object.visible).length,
        groups: scene.present[i] ? m.groups.map((g) => groupState(g, m)) : [],
      };
    },
    camera() {
      return { mode: scene.view.mode, position: worldToEnu(scene.camera.position).map((x) => round(x)),
        target: worldToEnu(scene.target).map((x) => round(x)), framing: framing(scene) };
    },
    hud() { return hudAt(track, player.time).map((l) => ({ ...l })); },
  };
  return Object.freeze(state);
}

if (document.readyState === 'loading') document.addEventListener('DOMContentLoaded', start);
else start();
