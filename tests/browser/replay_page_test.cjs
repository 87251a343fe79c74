// The replay pages in a real browser: headless Chromium (Debian's package) driven by
// playwright-core opens the pages of three runs from the file system and checks, from the page's
// own scene state (window.replayState), that what it shows is what the track says.
//
//   node replay_page_test.cjs --simhost BIN --node-modules DIR --out DIR
// Booster recovery (the default run): the load time (under 2 s), three instants (the flyback
// burn, the fins out during reentry, on the legs after landing) with a screenshot each: the
// booster's position, animation states and HUD text are the track's, its fin and leg groups sit
// where the track's animation components put them, its legs stand on the ground, its flames burn
// with the main engine and the following camera frames it; then the frame rate at x10.
// Satellite deploy: the wings open. Dispenser deploy: the released payloads apart from the ring.
// Exit status 0 when every check holds, 1 otherwise, 77 (skipped, with the reason) when the
// machine has no Chromium (REPLAY_TEST_CHROMIUM names another executable).
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const { execFileSync } = require('child_process');
const { createRequire } = require('module');
const { composeGroup, readTrackFile, sampleAt, hudAt, mean } = require('./track_oracle.cjs');

const CHROMIUM = process.env.REPLAY_TEST_CHROMIUM || '/usr/bin/chromium';  // Debian's package
const SKIP = 77;

function option(name) {
  const i = process.argv.indexOf(name);
  if (i < 0 || i + 1 >= process.argv.length) throw new Error(`missing ${name}`);
  return process.argv[i + 1];
}

let failures = 0, passes = 0;
function check(ok, what, detail = '') {
  if (ok) passes++;
  else failures++;
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${what}${detail ? ': ' + detail : ''}`);
}

function near(a, b, tol) { return a.every((x, i) => Math.abs(x - b[i]) <= tol); }
function fmt(v) { return '[' + v.map((x) => Number(x).toFixed(3)).join(', ') + ']'; }

// simhost run ... --replay DIR; returns the track's records.
function record(simhost, dir, args) {
  fs.rmSync(dir, { recursive: true, force: true });
  execFileSync(simhost, ['run', ...args, '--replay', dir], { stdio: ['ignore', 'ignore', 'inherit'] });
  return readTrackFile(path.join(dir, 'track.jsonl'));
}

async function open(context, dir) {
  const page = await context.newPage();
  const errors = [];
  page.on('pageerror', (e) => errors.push(e.message));
  const t0 = Date.now();
  await page.goto('file://' + path.join(dir, 'index.html'));
  await page.waitForFunction(() => window.replayState && window.replayState.ready, null, { timeout: 30000 });
  const wallMs = Date.now() - t0;
  const loadMs = await page.evaluate(() => window.replayState.loadMs);
  check(errors.length === 0, `${path.basename(dir)}: the page runs without errors`, errors.join('; '));
  return { page, wallMs, loadMs };
}

// Moves the timeline to t the way a user does, then waits until the page has drawn it.
async function seek(page, t) {
  const frames = await page.evaluate((time) => {
    const drawn = window.replayState.frames;
    const slider = document.getElementById('timeline');
    slider.value = String(time);
    slider.dispatchEvent(new Event('input', { bubbles: true }));
    return drawn;
  }, t);
  await page.waitForFunction((f) => window.replayState.frames >= f + 2, frames);
  return page.evaluate(() => window.replayState.time);
}

// The page's vessel against the track at the page's time: position, attitude, animation states.
function checkPose(label, shown, expected) {
  check(shown.present, `${label}: ${expected.name} is drawn`);
  check(near(shown.position, expected.pos, 0.01), `${label}: position is the track's`,
    `${fmt(shown.position)} vs ${fmt(expected.pos)}`);
  const dot = Math.abs(shown.quaternion.reduce((s, q, i) => s + q * expected.quat[i], 0));
  check(dot > 0.99999, `${label}: attitude is the track's`, `|q . q_track| = ${dot.toFixed(7)}`);
  check(near(shown.animations, expected.anim, 1e-3), `${label}: animation states are the track's`,
    `${fmt(shown.animations)} vs ${fmt(expected.anim)}`);
}

// Every group that an animation moves: the page's posed centroid against the track's components
// applied to the mesh as recorded.
async function checkGroups(page, label, vessel, shown, expected, pattern) {
  const meshes = await page.evaluate((names) => names.map((n) => window.REPLAY_MESHES[n] || null),
    vessel.def.meshes.map((m) => m.name));
  let worst = 0, count = 0;
  for (const g of shown.groups) {
    if (!pattern.test(g.label)) continue;
    const points = meshes[g.mesh].groups[g.group].p;
    const rest = mean(points);
    const want = composeGroup(vessel.def, g.mesh, g.group, expected.anim, rest);
    const off = vessel.def.meshes[g.mesh].offset;
    const err = Math.hypot(...want.map((x, k) => x + off[k] - g.centroid[k]));
    worst = Math.max(worst, err);
    count++;
  }
  check(count > 0 && worst < 0.01, `${label}: ${count} ${pattern.source} groups where the track's animations put them`,
    `worst ${worst.toFixed(4)} m`);
}

async function checkFraming(page, label) {
  const cam = await page.evaluate(() => window.replayState.camera());
  const f = cam.framing;
  check(cam.mode === 'follow' && f.inView && f.height > 0.15, `${label}: the following camera frames ${f.vessel}`,
    `NDC x ${f.ndc.minX.toFixed(2)}..${f.ndc.maxX.toFixed(2)}, y ${f.ndc.minY.toFixed(2)}..${f.ndc.maxY.toFixed(2)}`);
}

async function shoot(page, dir, name) {
  const file = path.join(dir, name);
  await page.screenshot({ path: file });
  console.log(`     screenshot ${file}`);
}

// The instants of the recovery: the middle of the flyback burn, the fins out during reentry,
// at rest on the legs.
function recoveryInstants(track, booster) {
  const event = (text) => track.events.find((e) => e.event === text);
  const flybackStart = event('flyback autopilot on').t, flybackEnd = event('flyback end').t;
  const burning = booster.samples.filter((s) => s.t > flybackStart && s.t < flybackEnd && s.levels[0] > 0.5);
  const fins = finAnimation(booster.def);
  const reentry = event('reentry burn end').t, touchdown = event('touchdown').t;
  const finsOut = booster.samples.find((s) => s.t > reentry && s.t < touchdown && s.anim[fins] >= 1);
  return {
    flyback: burning[Math.floor(burning.length / 2)].t,
    fins: finsOut ? finsOut.t + 10 : reentry,
    landed: booster.samples[booster.samples.length - 1].t,
  };
}

// The animation that unfolds the fins: the one with default 0 whose components move fin groups.
function finAnimation(def) {
  for (const c of def.components) if (c.mesh === 1 && def.animations[c.anim] === 0 && c.type === 'rotate') return c.anim;
  throw new Error('no fin animation in the booster definition');
}

async function recovery(context, simhost, out, report) {
  const dir = path.join(out, 'recovery');
  const track = record(simhost, dir, []);
  const size = fs.statSync(path.join(dir, 'track.jsonl')).size;
  report.trackBytes = size;
  check(size < 5e6, 'recovery: the track is under 5 MB', `${(size / 1e6).toFixed(2)} MB`);
  const booster = track.vessels.get('Larkon-1');
  const { page, wallMs, loadMs } = await open(context, dir);
  report.loadMs = loadMs, report.wallMs = wallMs;
  check(loadMs < 2000, 'recovery: the page loads in under 2 s', `first frame at ${loadMs.toFixed(0)} ms (${wallMs} ms to ready)`);
  const at = recoveryInstants(track, booster);

  let t = await seek(page, at.flyback);
  let shown = await page.evaluate(() => window.replayState.vessel('Larkon-1'));
  let want = sampleAt(booster, t);
  checkPose(`flyback burn t=${t.toFixed(1)}`, shown, want);
  check(shown.flames > 0 && shown.levels[0] > 0.5, `flyback burn: the main engine's flames burn`,
    `${shown.flames} flames, main level ${shown.levels[0]}`);
  const hudShown = await page.evaluate(() => [...document.querySelectorAll('#hud div')].map((d) => d.textContent));
  const hudWant = hudAt(track, t).filter((l) => l.text).sort((a, b) => a.y - b.y || a.x - b.x).map((l) => l.text);
  check(JSON.stringify(hudShown) === JSON.stringify(hudWant), 'flyback burn: the HUD text is the track\'s', hudShown[0]);
  await checkFraming(page, 'flyback burn');
  await shoot(page, dir, 'recovery_flyback.png');

  t = await seek(page, at.fins);
  shown = await page.evaluate(() => window.replayState.vessel('Larkon-1'));
  want = sampleAt(booster, t);
  checkPose(`fins out t=${t.toFixed(1)}`, shown, want);
  await checkGroups(page, 'fins out', booster, shown, want, /^fin\d/);
  await checkFraming(page, 'fins out');
  await shoot(page, dir, 'recovery_fins.png');

  t = await seek(page, at.landed);
  shown = await page.evaluate(() => window.replayState.vessel('Larkon-1'));
  want = sampleAt(booster, t);
  checkPose(`on the legs t=${t.toFixed(1)}`, shown, want);
  await checkGroups(page, 'on the legs', booster, shown, want, /^leg/);
  const ground = -(track.header.origin.alt_m || 0);
  const legs = shown.groups.filter((g) => /^leg\d$/.test(g.label));
  const feet = Math.min(...legs.map((g) => g.min[2]));
  const body = Math.min(...shown.groups.filter((g) => /^(tank|skirt|engines)$/.test(g.label)).map((g) => g.min[2]));
  check(legs.length === 4 && Math.abs(feet - ground) < 0.5, 'on the legs: the feet stand on the ground',
    `lowest foot ${feet.toFixed(2)} m, ground ${ground} m`);
  check(body - ground > 1.0, 'on the legs: the stage stands clear of the ground', `lowest body point ${body.toFixed(2)} m`);
  await checkFraming(page, 'on the legs');
  await shoot(page, dir, 'recovery_landed.png');

  // Frames per second at x10 from the flyback, the software renderer drawing.
  await seek(page, at.flyback);
  await page.selectOption('#speed', '10');
  await page.click('#play');
  await page.waitForTimeout(1500);
  const f0 = await page.evaluate(() => [window.replayState.frames, performance.now(), window.replayState.time]);
  await page.waitForTimeout(4000);
  const f1 = await page.evaluate(() => [window.replayState.frames, performance.now(), window.replayState.time,
    window.replayState.resolutionScale]);
  const fps = (1000 * (f1[0] - f0[0])) / (f1[1] - f0[1]);
  report.fps = fps, report.resolutionScale = f1[3];
  check(f1[2] > f0[2] + 30, 'x10: the replay plays at ten times real time', `${(f1[2] - f0[2]).toFixed(1)} s in 4 s`);
  check(fps >= 30, 'x10: at least 30 frames per second', `${fps.toFixed(1)} fps at resolution scale ${f1[3]}`);
  await page.close();
}

async function satellite(context, simhost, out) {
  const dir = path.join(out, 'satellite');
  const track = record(simhost, dir, ['Satellite deploy', '--key', '2:G', '--until', '40']);
  const sat = track.vessels.get('Orlis-1');
  const { page } = await open(context, dir);
  await seek(page, 0);
  const stowed = await page.evaluate(() => window.replayState.vessel('Orlis-1'));
  const t = await seek(page, track.end);
  const shown = await page.evaluate(() => window.replayState.vessel('Orlis-1'));
  const want = sampleAt(sat, t);
  checkPose(`satellite t=${t.toFixed(1)}`, shown, want);
  await checkGroups(page, 'satellite', sat, shown, want, /panel/);
  const span = (v) => {
    const xs = v.groups.filter((g) => /panel/.test(g.label)).map((g) => g.centroid[0]);
    return Math.max(...xs) - Math.min(...xs);
  };
  check(span(shown) > span(stowed) + 4, 'satellite: the wings are open',
    `panel span ${span(stowed).toFixed(2)} m stowed, ${span(shown).toFixed(2)} m at the end`);
  await checkFraming(page, 'satellite');
  await shoot(page, dir, 'satellite_wings_open.png');
  await page.close();
}

async function dispenser(context, simhost, out) {
  const dir = path.join(out, 'dispenser');
  const track = record(simhost, dir, ['Dispenser deploy', '--key', '2:J', '--key', '6:N', '--key', '7:J', '--until', '30']);
  const released = new Set(track.events.filter((e) => e.event === 'released').map((e) => e.vessel));
  check(released.size === 2, 'dispenser: two payloads released', [...released].join(', '));
  const { page } = await open(context, dir);
  const t = await seek(page, track.end);
  const ring = await page.evaluate(() => window.replayState.vessel('Dispenser'));
  for (const name of ['Sat-1', 'Sat-2', 'Sat-3', 'Sat-6']) {
    const shown = await page.evaluate((n) => window.replayState.vessel(n), name);
    checkPose(`${name} t=${t.toFixed(1)}`, shown, sampleAt(track.vessels.get(name), t));
    const d = Math.hypot(...shown.position.map((x, k) => x - ring.position[k]));
    if (released.has(name)) check(d > 4, `dispenser: ${name}, released, is apart from the ring`, `${d.toFixed(2)} m`);
    else check(d < 2, `dispenser: ${name} is still on its port`, `${d.toFixed(2)} m`);
  }
  await checkFraming(page, 'dispenser');
  await shoot(page, dir, 'dispenser_payloads_apart.png');
  await page.close();
}

async function main() {
  if (!fs.existsSync(CHROMIUM)) {
    console.log(`SKIPPED: ${CHROMIUM} not found; install Debian's chromium package (tools/setup.sh does)`);
    return SKIP;
  }
  const simhost = option('--simhost'), out = option('--out');
  const { chromium } = createRequire(path.join(path.resolve(option('--node-modules')), 'resolve.js'))('playwright-core');
  fs.mkdirSync(out, { recursive: true });
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'replay-browser-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: CHROMIUM,
    headless: true,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
    viewport: { width: 1280, height: 720 },
  });
  const report = {};
  try {
    await recovery(context, simhost, out, report);
    await satellite(context, simhost, out);
    await dispenser(context, simhost, out);
  } finally {
    await context.close();
    fs.rmSync(profile, { recursive: true, force: true });
  }
  console.log(`measured: load ${report.loadMs?.toFixed(0)} ms (ready after ${report.wallMs} ms), ` +
    `${report.fps?.toFixed(1)} fps at x10 (resolution scale ${report.resolutionScale}), ` +
    `track ${(report.trackBytes / 1e6).toFixed(2)} MB`);
  console.log(`${passes} passed, ${failures} failed`);
  return failures === 0 ? 0 : 1;
}

main().then((code) => process.exit(code), (e) => {
  console.log(`FAIL ${e.stack || e}`);
  process.exit(1);
});
