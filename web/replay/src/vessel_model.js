// A vessel drawn from its own meshes, posed by its animation states, with exhaust flames.
//
// Meshes and animation components come converted to the replay's vessel axes (x right,
// y forward, z up). A component moves fraction D = f(s) - f(default) of its transform,
// f(x) = clamp((x - s0) / (s1 - s0), 0, 1): a rotation by D angle about its axis through ref
// (right-hand rule), a translation by D shift, a scaling by 1 + D (scale - 1) about ref. A child's
// parameters are those of the rest pose, carried by its parents: T(c) = T(parent) Own(c). A group
// is moved by every component that lists it, composed in the components' order (later ones
// outermost). Flames point along the exhaust's direction, length and width scaled by the level.
import * as THREE from 'three';

const COLOURS = [
  [/leg|strut|fitting|mount/i, 0x2b2b2e],
  [/fin/i, 0x4a4d52],
  [/engine|nozzle/i, 0x3a3a3a],
  [/skirt|interstage|rcs/i, 0x8c8f94],
  [/panel/i, 0x1d3c8c],
  [/dish|antenna|whip|horn/i, 0xe8e4d8],
  [/yoke|boom|sensor|tracker/i, 0xa0a0a0],
  [/drum|rim|port/i, 0xb7b9bd],
  [/body|bus/i, 0xc9a24a],
  [/adapter/i, 0x707070],
];

function colourOf(label, className) {
  for (const [re, c] of COLOURS) if (re.test(label)) return className === 'larkon' && /body/i.test(label) ? 0xe6e6e6 : c;
  return 0xe6e6e6;
}

const materials = new Map();
function materialFor(colour) {
  if (!materials.has(colour)) materials.set(colour, new THREE.MeshLambertMaterial({ color: colour }));
  return materials.get(colour);
}

const flameMaterial = new THREE.MeshBasicMaterial({ color: 0xff9a30, transparent: true, opacity: 0.85,
  depthWrite: false, side: THREE.DoubleSide });
const flameGeometry = (() => {
  // A unit cone along +y from its base at the origin (the nozzle) to its tip at y = 1.
  const g = new THREE.ConeGeometry(0.5, 1, 16, 1, true);
  g.translate(0, 0.5, 0);
  return g;
})();

function fraction(c, s) {
  if (c.s1 === c.s0) return s >= c.s1 ? 1 : 0;
  return Math.min(1, Math.max(0, (s - c.s0) / (c.s1 - c.s0)));
}

const tmpA = new THREE.Matrix4(), tmpB = new THREE.Matrix4(), tmpV = new THREE.Vector3();

function ownTransform(c, d, out) {
  out.identity();
  if (d === 0) return out;
  if (c.type === 'rotate') {
    const [rx, ry, rz] = c.ref;
    tmpV.set(c.axis[0], c.axis[1], c.axis[2]);
    out.makeTranslation(rx, ry, rz);
    out.multiply(tmpA.makeRotationAxis(tmpV, d * c.angle));
    out.multiply(tmpB.makeTranslation(-rx, -ry, -rz));
  } else if (c.type === 'translate') {
    out.makeTranslation(d * c.shift[0], d * c.shift[1], d * c.shift[2]);
  } else if (c.type === 'scale') {
    const [rx, ry, rz] = c.ref;
    out.makeTranslation(rx, ry, rz);
    out.multiply(tmpA.makeScale(1 + d * (c.scale[0] - 1), 1 + d * (c.scale[1] - 1), 1 + d * (c.scale[2] - 1)));
    out.multiply(tmpB.makeTranslation(-rx, -ry, -rz));
  }
  return out;
}

export class VesselModel {
  constructor(vessel, meshes) {
    this.vessel = vessel;
    this.object = new THREE.Group();
    this.object.name = vessel.name;
    this.groups = [];  // {mesh, group, label, object, components: [component indices]}
    const def = vessel.def;
    def.meshes.forEach((ref, m) => {
      const mesh = meshes[ref.name];
      const holder = new THREE.Group();
      holder.position.set(ref.offset[0], ref.offset[1], ref.offset[2]);
      this.object.add(holder);
      if (!mesh) {
        this.addPlaceholder(vessel, holder);
        return;
      }
      mesh.groups.forEach((g, k) => {
        if (g.i.length === 0) return;
        const geometry = new THREE.BufferGeometry();
        geometry.setAttribute('position', new THREE.Float32BufferAttribute(g.p, 3));
        if (g.n.length === g.p.length) geometry.setAttribute('normal', new THREE.Float32BufferAttribute(g.n, 3));
        geometry.setIndex(g.i);
        if (g.n.length !== g.p.length) geometry.computeVertexNormals();
        geometry.computeBoundingBox();
        const object = new THREE.Mesh(geometry, materialFor(colourOf(g.label, vessel.className)));
        object.matrixAutoUpdate = false;
        object.name = g.label;
        holder.add(object);
        this.groups.push({ mesh: m, group: k, label: g.label, object, components: [] });
      });
    });
    if (def.meshes.length === 0) {
      const holder = new THREE.Group();
      this.object.add(holder);
      this.addPlaceholder(vessel, holder);
    }
    const components = def.components || [];
    components.forEach((c, i) => {
      if (c.mesh < 0 || c.type === 'none') return;
      for (const g of this.groups)
        if (g.mesh === c.mesh && (c.groups === null || c.groups.includes(g.group))) g.components.push(i);
    });
    this.components = components;
    this.own = components.map(() => new THREE.Matrix4());
    this.chain = components.map(() => new THREE.Matrix4());
    this.flames = (def.exhausts || []).map((e) => {
      const flame = new THREE.Mesh(flameGeometry, flameMaterial);
      flame.position.set(e.pos[0], e.pos[1], e.pos[2]);
      flame.quaternion.setFromUnitVectors(new THREE.Vector3(0, 1, 0),
        new THREE.Vector3(e.dir[0], e.dir[1], e.dir[2]).normalize());
      flame.visible = false;
      this.object.add(flame);
      return { def: e, object: flame, level: 0 };
    });
  }

  // A box of the vessel's size for a vessel without a mesh to draw (a passive vessel, or a mesh
  // the page was written without).
  addPlaceholder(vessel, holder) {
    const s = vessel.size;
    const geometry = new THREE.BoxGeometry(s, s, s);
    geometry.computeBoundingBox();
    const object = new THREE.Mesh(geometry, materialFor(0xcc6644));
    object.matrixAutoUpdate = false;
    object.name = 'placeholder';
    holder.add(object);
    this.groups.push({ mesh: -1, group: -1, label: 'placeholder', object, components: [] });
  }

  // Poses the groups for animation states `anim`.
  pose(anim) {
    const def = this.vessel.def;
    this.components.forEach((c, i) => {
      if (c.mesh < 0 || c.type === 'none') return;
      const s = anim[c.anim] ?? def.animations[c.anim] ?? 0;
      const d = fraction(c, s) - fraction(c, def.animations[c.anim] ?? 0);
      ownTransform(c, d, this.own[i]);
    });
    // Chains in list order: a parent is listed before its children (it exists when they are made).
    this.components.forEach((c, i) => {
      const m = this.chain[i].copy(this.own[i]);
      for (let p = c.parent; p >= 0 && p < this.components.length; p = this.components[p].parent)
        m.premultiply(this.own[p]);
    });
    for (const g of this.groups) {
      const m = g.object.matrix.identity();
      for (const i of g.components) m.premultiply(this.chain[i]);
      g.object.matrixWorldNeedsUpdate = true;
    }
  }

  // Flame levels from the group levels [main, hover, 6 attitude] and the groups' members.
  setFlames(levels, groups) {
    for (const f of this.flames) {
      const th = f.def.thruster;
      let level = 0;
      if (groups.main.includes(th)) level = Math.max(level, levels[0]);
      if (groups.hover.includes(th)) level = Math.max(level, levels[1]);
      groups.att.forEach((members, k) => { if (members.includes(th)) level = Math.max(level, levels[2 + k]); });
      f.level = level;
      f.object.visible = level > 0.005;
      if (f.object.visible) {
        const l = Math.max(0.2, f.def.length * level), w = Math.max(0.1, f.def.width * (0.6 + 0.4 * level));
        f.object.scale.set(w, l, w);
      }
    }
  }
}
