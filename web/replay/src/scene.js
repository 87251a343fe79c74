// The 3D scene of a replay: the ground with the target pad and a grid (or the planet, seen from
// orbit), the vessels, the focus vessel's trajectory coloured by phase, and the camera.
//
// Everything is placed in ENU metres under one root that turns ENU (x east, y north, z up) into
// the renderer's frame (x east, y up, z south): world = (e, u, -n). The camera either follows the
// focus vessel (spherical offset about its centre: azimuth from east towards north, elevation,
// distance) or circles the pad, looking at the midpoint between the pad and the focus vessel.
import * as THREE from 'three';
import { VesselModel } from './vessel_model.js';
import { stateAt, newState, groupsAt } from './track.js';

export const PHASE_COLOURS = ['#9aa0a6', '#4285f4', '#34a853', '#fbbc04', '#ea4335', '#a142f4', '#24c1e0',
  '#f439a0', '#ff6d01', '#7cb342', '#00897b', '#c0ca33', '#8d6e63', '#5c6bc0', '#ef5350', '#26a69a'];

export function enuToWorld(p, out = new THREE.Vector3()) { return out.set(p[0], p[2], -p[1]); }
export function worldToEnu(v) { return [v.x, -v.z, v.y]; }

export class ReplayScene {
  constructor(canvas, track, meshes, phases) {
    this.track = track;
    this.renderer = new THREE.WebGLRenderer({ canvas, antialias: false, powerPreference: 'high-performance' });
    this.resolutionScale = 1;
    this.renderer.setPixelRatio(1);
    this.scene = new THREE.Scene();
    const originAlt = track.header.origin?.alt_m ?? 0;
    this.orbital = Math.abs(originAlt) > 100e3;
    this.scene.background = new THREE.Color(this.orbital ? 0x04060c : 0x9cc3e6);
    this.root = new THREE.Group();
    this.root.rotation.x = -Math.PI / 2;
    this.scene.add(this.root);
    this.scene.add(new THREE.AmbientLight(0xffffff, 1.1));
    const sun = new THREE.DirectionalLight(0xffffff, 2.4);
    sun.position.set(0.5, 1, 0.3);
    this.scene.add(sun);
    this.camera = new THREE.PerspectiveCamera(45, 1, 0.3, 4e7);
    this.buildGround(originAlt, track.header.body_radius_m ?? 6371010);
    this.models = track.vessels.map((v) => {
      const m = new VesselModel(v, meshes);
      this.root.add(m.object);
      return m;
    });
    this.states = track.vessels.map(() => newState());
    this.present = track.vessels.map(() => false);
    this.focusIndex = Math.max(0, track.vessels.indexOf(track.focus));
    this.buildTrajectory(phases);
    this.view = { mode: 'follow', azimuth: -2.2, elevation: 0.25, zoom: 1, orbitAngle: 0 };
    this.target = new THREE.Vector3();
    this.focusRadius = this.modelRadius(this.models[this.focusIndex]);
    this.focusBox = new THREE.Box3(), this.groupBox = new THREE.Box3(), this.boxSize = new THREE.Vector3();
  }

  buildGround(originAlt, bodyRadius) {
    if (this.orbital) {
      const planet = new THREE.Mesh(new THREE.SphereGeometry(bodyRadius, 96, 64),
        new THREE.MeshLambertMaterial({ color: 0x2a5ea8 }));
      planet.rotation.x = Math.PI / 2;
      planet.position.set(0, 0, -(bodyRadius + originAlt));
      this.root.add(planet);
      return;
    }
    const ground = new THREE.Group();
    ground.position.z = -originAlt;
    // The plane is pushed back in depth so that the grid and the pad on it never flicker.
    const plane = new THREE.Mesh(new THREE.PlaneGeometry(400e3, 400e3), new THREE.MeshBasicMaterial({ color: 0x6f7f5a }));
    ground.add(plane);
    const fine = new THREE.GridHelper(2000, 40, 0x3d4a30, 0x56654a);
    const coarse = new THREE.GridHelper(200e3, 40, 0x3d4a30, 0x4b5940);
    for (const g of [fine, coarse]) {
      g.rotation.x = Math.PI / 2;
      g.position.z = 0.05;
      ground.add(g);
    }
    const pad = new THREE.Mesh(new THREE.CircleGeometry(15, 48), new THREE.MeshBasicMaterial({ color: 0xb9b9b4 }));
    pad.position.z = 0.1;
    ground.add(pad);
    const ring = new THREE.Mesh(new THREE.RingGeometry(10, 11.2, 48), new THREE.MeshBasicMaterial({ color: 0xf5f5f0 }));
    ring.position.z = 0.15;
    ground.add(ring);
    for (const [w, h] of [[2, 12], [12, 2]]) {
      const bar = new THREE.Mesh(new THREE.PlaneGeometry(w, h), new THREE.MeshBasicMaterial({ color: 0xf5f5f0 }));
      bar.position.z = 0.15;
      ground.add(bar);
    }
    this.root.add(ground);
  }

  buildTrajectory(phases) {
    const v = this.track.vessels[this.focusIndex];
    if (!v || v.t.length < 2) return;
    const positions = new Float32Array(v.pos);
    const colours = new Float32Array(v.t.length * 3);
    const c = new THREE.Color();
    let p = 0;
    for (let k = 0; k < v.t.length; k++) {
      while (p + 1 < phases.length && phases[p + 1].t <= v.t[k] + 1e-9) p++;
      c.set(PHASE_COLOURS[p % PHASE_COLOURS.length]);
      colours.set([c.r, c.g, c.b], 3 * k);
    }
    const geometry = new THREE.BufferGeometry();
    geometry.setAttribute('position', new THREE.BufferAttribute(positions, 3));
    geometry.setAttribute('color', new THREE.BufferAttribute(colours, 3));
    this.trajectory = new THREE.Line(geometry, new THREE.LineBasicMaterial({ vertexColors: true }));
    this.trajectory.frustumCulled = false;
    this.root.add(this.trajectory);
  }

  modelRadius(model) {
    if (!model) return 10;
    const box = new THREE.Box3();
    for (const g of model.groups) box.union(g.object.geometry.boundingBox);
    return box.isEmpty() ? model.vessel.size : Math.max(1, box.getSize(new THREE.Vector3()).length() / 2);
  }

  setResolutionScale(scale) {
    this.resolutionScale = scale;
    this.renderer.setPixelRatio(scale);
  }

  resize(width, height) {
    this.renderer.setSize(width, height, false);
    this.camera.aspect = width / Math.max(1, height);
    this.camera.updateProjectionMatrix();
  }

  // Poses every vessel at time t.
  update(t) {
    this.track.vessels.forEach((v, i) => {
      const s = this.states[i], m = this.models[i];
      const here = stateAt(v, t, s);
      this.present[i] = here;
      m.object.visible = here;
      if (!here) return;
      m.object.position.set(s.pos[0], s.pos[1], s.pos[2]);
      m.object.quaternion.set(s.quat[1], s.quat[2], s.quat[3], s.quat[0]);
      m.pose(s.anim);
      m.setFlames(s.levels, groupsAt(v, t));
    });
    this.root.updateMatrixWorld(true);
  }

  // Centre of the focus vessel's drawn meshes in world coordinates; its radius as posed now.
  focusCentre(out) {
    const m = this.models[this.focusIndex];
    const box = this.focusBox.makeEmpty();
    for (const g of m.groups) box.union(this.groupBox.copy(g.object.geometry.boundingBox).applyMatrix4(g.object.matrixWorld));
    if (box.isEmpty()) return out.setFromMatrixPosition(m.object.matrixWorld);
    this.focusRadius = Math.max(1, 0.5 * box.getSize(this.boxSize).length());
    return box.getCenter(out);
  }

  updateCamera(realDt = 0) {
    const view = this.view;
    const focus = this.focusCentre(new THREE.Vector3());
    if (view.mode === 'follow') {
      const d = 3.2 * this.focusRadius * view.zoom;
      this.target.copy(focus);
      const ce = Math.cos(view.elevation);
      // Offset east/north/up -> world (e, u, -n).
      this.camera.position.set(focus.x + d * ce * Math.cos(view.azimuth), focus.y + d * Math.sin(view.elevation),
        focus.z - d * ce * Math.sin(view.azimuth));
    } else {
      view.orbitAngle += realDt * 0.15;
      const pad = new THREE.Vector3(0, 0, 0);
      this.target.copy(pad).lerp(focus, 0.5);
      const r = Math.max(250, 1.4 * pad.distanceTo(focus) + 6 * this.focusRadius) * view.zoom;
      const a = view.orbitAngle + view.azimuth, el = Math.max(0.05, view.elevation);
      this.camera.position.set(r * Math.cos(el) * Math.cos(a), this.target.y + r * Math.sin(el),
        -r * Math.cos(el) * Math.sin(a));
    }
    this.camera.up.set(0, 1, 0);
    this.camera.lookAt(this.target);
    // Depth range from the distance to the target: the near plane as far out as the view allows.
    const range = this.camera.position.distanceTo(this.target);
    this.camera.near = Math.max(0.1, 0.01 * range);
    this.camera.far = Math.max(this.camera.near * 2e5, this.orbital ? 8e6 : 0);
    this.camera.updateProjectionMatrix();
    this.camera.updateMatrixWorld(true);
  }

  render() { this.renderer.render(this.scene, this.camera); }
}
