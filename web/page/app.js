// The page: a dropped .x model (with the files beside it) is converted in a
// worker by the WebAssembly build of xfileconvert, the very command line
// (worker.js); the glTF it writes is shown with three.js; the downloads are
// the converter's outputs as they come. A dropped .glb or .gltf is shown as
// it is and converted only to .x. Nothing is sent anywhere: the files stay in
// this page's memory.
import * as THREE from './three/three.module.js';
import { OrbitControls } from './three/addons/controls/OrbitControls.js';
import { GLTFLoader } from './three/addons/loaders/GLTFLoader.js';

const $ = (id) => document.getElementById(id);

// ---------------------------------------------------------------------------
// The converter in its worker.

// Where the dropped files lie in the worker's file system, and where a
// command's outputs go (the worker hands back everything there).
const kInputFolder = '/in';
const kOutputFolder = '/out';
// A command that runs longer than this (more for large inputs) is stopped:
// a hostile file ends in a message, never in a page that waits for ever.
// `?limit=SECONDS` in the page's address sets the base (for a slow machine).
const kLimitSeconds = Number(new URLSearchParams(location.search).get('limit')) || 8;
const kLimitSecondsPerMegabyte = 0.5;
// Progress is shown for anything that takes longer than this.
const kProgressAfterMs = 500;

class Converter {
  constructor() {
    // Compiled once; each worker only instantiates it.
    // A server that does not say application/wasm gets the slower way.
    const again = () => fetch('xfileconvert.wasm').then((response) => response.arrayBuffer())
      .then((bytes) => WebAssembly.compile(bytes));
    this.module = fetch('xfileconvert.wasm').then((response) => WebAssembly.compileStreaming(response).catch(again));
    this.worker = null;
    this.ready = null;
    this.files = [];
    this.nextId = 1;
  }

  // The files every later command sees, by path ({path, file}).
  use(files) {
    this.stop();
    this.files = files;
  }

  stop() {
    if (this.worker) this.worker.terminate();
    this.worker = null;
    this.ready = null;
  }

  // A worker holding the files: started when first needed, and again after
  // one was stopped.
  started() {
    if (!this.ready) this.ready = this.start();
    return this.ready;
  }

  async start() {
    const worker = new Worker('worker.js');
    this.worker = worker;
    await this.ask(worker, { type: 'start', module: await this.module }, 'ready');
    const files = await Promise.all(this.files.map(async ({ path, file }) =>
      ({ path: `${kInputFolder}/${path}`, bytes: await file.arrayBuffer() })));
    await this.ask(worker, { type: 'files', files }, 'written', files.map((file) => file.bytes));
    return worker;
  }

  ask(worker, message, answer, transfer = []) {
    return new Promise((resolve, reject) => {
      worker.onmessage = ({ data }) => (data.type === answer ? resolve(data) : reject(new Error(data.error)));
      worker.onerror = (event) => reject(new Error(event.message || 'the converter could not start'));
      worker.postMessage(message, transfer);
    });
  }

  // Runs a command (program 'xfileconvert' with its arguments, or 'summary'
  // with the model) in `folder`; resolves with {status, stdout, stderr,
  // files, seconds}. A command that failed in the module itself, or that the
  // page stopped, has status null and says why in its last stderr line.
  async run(program, args, folder, inputBytes) {
    const limit = kLimitSeconds + kLimitSecondsPerMegabyte * inputBytes / 1e6;
    let worker;
    try {
      worker = await this.started();
    } catch (error) {
      this.stop();
      return { status: null, stdout: [], stderr: [`the converter could not be started: ${error.message}`], files: [] };
    }
    const id = this.nextId++;
    return new Promise((resolve) => {
      const end = (result) => {
        clearTimeout(timer);
        if (result.status === null) this.stop();  // its state is not to be trusted, or it still runs
        resolve(result);
      };
      const stopped = `"${args[0]}": stopped after ${limit.toFixed(1)} s: it took longer than the page allows`;
      const timer = setTimeout(() => end({ status: null, stdout: [], files: [], stderr: [stopped] }), limit * 1000);
      worker.onmessage = ({ data }) => {
        if (data.id !== id) return;
        if (data.type === 'result') end(data);
        else {
          const failed = `"${args[0]}": the converter failed (${data.error})`;
          end({ status: null, stdout: [], files: [], stderr: [...data.stderr, failed] });
        }
      };
      worker.onerror = (event) => end({ status: null, stdout: [], files: [],
        stderr: [`"${args[0]}": the converter failed (${event.message})`] });
      worker.postMessage({ type: 'run', id, program, args, folder });
    });
  }
}

// ---------------------------------------------------------------------------
// The view.

const kBackground = 0x1b1c1e;

class Viewer {
  // Throws where the browser has no WebGL 2.
  constructor(canvas) {
    const context = canvas.getContext('webgl2', { antialias: true });
    if (!context) throw new Error('no WebGL 2');
    this.canvas = canvas;
    this.renderer = new THREE.WebGLRenderer({ canvas, context });
    this.renderer.setPixelRatio(window.devicePixelRatio);
    this.scene = new THREE.Scene();
    this.scene.background = new THREE.Color(kBackground);
    this.camera = new THREE.PerspectiveCamera(45, 1, 0.01, 1000);
    this.scene.add(this.camera);
    // A light from the camera, as the viewers light the model, over a dim sky.
    this.scene.add(new THREE.HemisphereLight(0xffffff, 0x404040, 1.2));
    const headlight = new THREE.DirectionalLight(0xffffff, 2.0);
    headlight.position.set(0.3, 0.5, 1);
    this.camera.add(headlight);
    headlight.target.position.set(0, 0, -1);
    this.camera.add(headlight.target);
    // Mouse as in the viewers: the right (or left) button orbits, the
    // middle one (or shift with the left) pans, the wheel zooms.
    this.controls = new OrbitControls(this.camera, canvas);
    this.controls.mouseButtons = { LEFT: THREE.MOUSE.ROTATE, MIDDLE: THREE.MOUSE.PAN, RIGHT: THREE.MOUSE.ROTATE };
    this.controls.enableDamping = false;
    this.grid = null;
    this.axes = null;
    this.model = null;
    this.skeleton = null;
    this.mixer = null;
    this.actions = [];
    this.action = null;
    this.playing = true;
    this.wireframe = false;
    this.showSkeleton = false;
    this.showFloor = true;
    this.onTime = () => {};
    this.last = performance.now();
    // Frames are drawn while the animation plays and after a change, not
    // otherwise: a large model drawn without a GPU takes the processor.
    this.dirty = true;
    this.controls.addEventListener('change', () => { this.dirty = true; });
    new ResizeObserver(() => this.resize()).observe(canvas);
    this.resize();
    this.renderer.setAnimationLoop(() => this.tick());
  }

  resize() {
    const { clientWidth: width, clientHeight: height } = this.canvas;
    if (width === 0 || height === 0) return;
    this.renderer.setSize(width, height, false);
    this.camera.aspect = width / height;
    this.camera.updateProjectionMatrix();
    this.dirty = true;
  }

  tick() {
    const now = performance.now();
    const seconds = Math.min(0.1, (now - this.last) / 1000);
    this.last = now;
    const moving = this.playing && this.action !== null;
    if (!moving && !this.dirty) return;
    this.dirty = false;
    if (this.mixer && this.action) {
      this.mixer.update(moving ? seconds : 0);
      this.onTime(this.action.time, this.action.getClip().duration);
    }
    this.renderer.render(this.scene, this.camera);
  }

  setPlaying(on) {
    this.playing = on;
    this.dirty = true;
  }

  clear() {
    for (const object of [this.model, this.skeleton, this.grid, this.axes]) if (object) this.scene.remove(object);
    this.model = this.skeleton = this.grid = this.axes = this.mixer = this.action = null;
    this.actions = [];
    this.dirty = true;
  }

  // Shows a loaded glTF ({scene, animations}), playing its first animation.
  show(gltf) {
    this.clear();
    this.model = gltf.scene;
    this.scene.add(this.model);
    this.mixer = new THREE.AnimationMixer(this.model);
    this.actions = gltf.animations.map((clip) => this.mixer.clipAction(clip));
    this.skeleton = new THREE.SkeletonHelper(this.model);
    this.skeleton.setColors(new THREE.Color(0xffff00), new THREE.Color(0xffff00));
    this.skeleton.visible = this.showSkeleton;
    this.scene.add(this.skeleton);
    this.setWireframe(this.wireframe);
    this.select(0);
    this.frame(true);
  }

  select(index) {
    if (!this.mixer) return;
    this.mixer.stopAllAction();
    this.action = this.actions[index] || null;
    if (this.action) this.action.reset().play();
    this.mixer.update(0);
    this.dirty = true;
  }

  seek(time) {
    if (!this.action) return;
    this.action.time = time;
    this.mixer.update(0);
    this.dirty = true;
  }

  setSpeed(speed) {
    if (this.mixer) this.mixer.timeScale = speed;
  }

  setWireframe(on) {
    this.wireframe = on;
    this.dirty = true;
    this.model?.traverse((object) => {
      if (!object.isMesh) return;
      for (const material of [].concat(object.material)) material.wireframe = on;
    });
  }

  setSkeleton(on) {
    this.showSkeleton = on;
    this.dirty = true;
    if (this.skeleton) this.skeleton.visible = on;
  }

  setFloor(on) {
    this.showFloor = on;
    this.dirty = true;
    for (const helper of [this.grid, this.axes]) if (helper) helper.visible = on;
  }

  // The model's bounds over its current animation, sampled at a few times
  // (fewer for a large model), so that a framed model stays in view as it
  // plays; every vertex is posed as it is drawn.
  bounds() {
    const box = new THREE.Box3();
    let vertices = 0;
    this.model.traverse((object) => {
      if (object.isMesh) vertices += object.geometry.getAttribute('position')?.count || 0;
    });
    const duration = this.action ? this.action.getClip().duration : 0;
    const samples = duration > 0 ? Math.max(1, Math.min(9, Math.floor(2e6 / Math.max(1, vertices)))) : 1;
    const time = this.action ? this.action.time : 0;
    for (let i = 0; i < samples; i++) {
      if (this.action) this.seek(samples === 1 ? time : duration * i / (samples - 1));
      this.model.updateMatrixWorld(true);
      box.union(new THREE.Box3().setFromObject(this.model, true));
    }
    if (this.action) this.seek(time);
    return box;
  }

  // Looks at the whole model from in front and a little above (`fresh`), or
  // from where the camera is, and lays the floor grid under it.
  frame(fresh = false) {
    if (!this.model) return;
    const box = this.bounds();
    if (box.isEmpty()) return;
    const sphere = box.getBoundingSphere(new THREE.Sphere());
    const radius = Math.max(sphere.radius, 1e-6);
    const vertical = THREE.MathUtils.degToRad(this.camera.fov);
    const horizontal = 2 * Math.atan(Math.tan(vertical / 2) * this.camera.aspect);
    const distance = radius / Math.sin(Math.min(vertical, horizontal) / 2) * 1.15;
    const direction = fresh ? new THREE.Vector3(0, 0.35, 1).normalize()
                            : this.camera.position.clone().sub(this.controls.target).normalize();
    this.controls.target.copy(sphere.center);
    this.camera.position.copy(sphere.center).addScaledVector(direction, distance);
    this.camera.near = distance / 100;
    this.camera.far = distance * 100;
    this.camera.updateProjectionMatrix();
    this.controls.update();
    if (fresh) this.layFloor(box, radius);
  }

  layFloor(box, radius) {
    if (this.grid) this.scene.remove(this.grid);
    if (this.axes) this.scene.remove(this.axes);
    // Within the camera's distance: a line that passes behind the camera is
    // lost by some software renderers.
    const size = niceAbove(radius * 2.5);
    this.grid = new THREE.GridHelper(size, 20, 0x8a8a8a, 0x4a4a4a);
    const cell = size / 20;
    const center = box.getCenter(new THREE.Vector3());
    this.grid.position.set(Math.round(center.x / cell) * cell, box.min.y, Math.round(center.z / cell) * cell);
    this.scene.add(this.grid);
    this.axes = new THREE.AxesHelper(radius);
    this.scene.add(this.axes);
    this.setFloor(this.showFloor);
  }
}

// The smallest of 1, 2 or 5 times a power of ten that is at least `value`.
function niceAbove(value) {
  const power = 10 ** Math.floor(Math.log10(value));
  for (const step of [1, 2, 5, 10]) if (step * power >= value) return step * power;
  return 10 * power;
}

// ---------------------------------------------------------------------------
// Files in and out.

// The files of a drop, each with its path below what was dropped. Folders
// are walked; the entries must be taken while the drop event lasts.
async function droppedFiles(dataTransfer) {
  const entries = [...dataTransfer.items].map((item) => item.webkitGetAsEntry?.()).filter(Boolean);
  const plain = [...dataTransfer.files];
  if (entries.length === 0) return plain.map((file) => ({ path: file.name, file }));
  const found = [];
  const walk = async (entry) => {
    if (entry.isFile) {
      const file = await new Promise((ok, fail) => entry.file(ok, fail));
      found.push({ path: entry.fullPath.replace(/^\/+/, ''), file });
    } else if (entry.isDirectory) {
      const reader = entry.createReader();
      for (let batch; (batch = await new Promise((ok, fail) => reader.readEntries(ok, fail))).length > 0;)
        for (const child of batch) await walk(child);
    }
  };
  for (const entry of entries) await walk(entry);
  return found;
}

function pickedFiles(input) {
  return [...input.files].map((file) => ({ path: file.webkitRelativePath || file.name, file }));
}

const kModelPattern = /\.(x|glb|gltf)$/i;
const isGltf = (path) => /\.(glb|gltf)$/i.test(path);
const folderOf = (path) => path.includes('/') ? path.slice(0, path.lastIndexOf('/')) : '';
const nameOf = (path) => path.slice(path.lastIndexOf('/') + 1);
const stemOf = (path) => nameOf(path).replace(/\.[^.]*$/, '');

// The models among the files, the shallowest first.
function modelsAmong(files) {
  return files.filter(({ path }) => kModelPattern.test(path))
    .sort((a, b) => a.path.split('/').length - b.path.split('/').length || a.path.localeCompare(b.path));
}

function save(bytes, name, type = 'application/octet-stream') {
  const link = document.createElement('a');
  link.href = URL.createObjectURL(bytes instanceof Blob ? bytes : new Blob([bytes], { type }));
  link.download = name;
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(link.href), 60_000);
}

const kCrcTable = (() => {
  const table = new Uint32Array(256);
  for (let n = 0; n < 256; n++) {
    let c = n;
    for (let k = 0; k < 8; k++) c = c & 1 ? 0xEDB88320 ^ (c >>> 1) : c >>> 1;
    table[n] = c >>> 0;
  }
  return table;
})();

function crc32(bytes) {
  let c = 0xFFFFFFFF;
  for (let i = 0; i < bytes.length; i++) c = kCrcTable[(c ^ bytes[i]) & 0xFF] ^ (c >>> 8);
  return (c ^ 0xFFFFFFFF) >>> 0;
}

// A zip archive of `files` ({name, bytes}) stored as they are, names in
// UTF-8, dated 1980-01-01 so that the same files give the same archive.
function zipStored(files) {
  const encoder = new TextEncoder();
  const parts = [], central = [];
  let offset = 0;
  for (const { name, bytes } of files) {
    const path = encoder.encode(name), crc = crc32(bytes);
    const header = (signature, extra) => {
      const fixed = new DataView(new ArrayBuffer(extra ? 46 : 30));
      let at = 0;
      const u16 = (v) => { fixed.setUint16(at, v, true); at += 2; };
      const u32 = (v) => { fixed.setUint32(at, v, true); at += 4; };
      u32(signature);
      if (extra) u16(20);  // made by: version 2.0
      u16(20); u16(0x0800); u16(0); u16(0); u16(0x21);  // needs 2.0; UTF-8 names; stored; 00:00; 1980-01-01
      u32(crc); u32(bytes.length); u32(bytes.length); u16(path.length); u16(0);
      if (extra) { u16(0); u16(0); u16(0); u32(0); u32(offset); }
      return new Uint8Array(fixed.buffer);
    };
    const local = header(0x04034b50, false);
    parts.push(local, path, bytes);
    central.push(header(0x02014b50, true), path);
    offset += local.length + path.length + bytes.length;
  }
  const size = central.reduce((sum, part) => sum + part.length, 0);
  const end = new DataView(new ArrayBuffer(22));
  end.setUint32(0, 0x06054b50, true);
  end.setUint16(8, files.length, true);
  end.setUint16(10, files.length, true);
  end.setUint32(12, size, true);
  end.setUint32(16, offset, true);
  return new Blob([...parts, ...central, new Uint8Array(end.buffer)], { type: 'application/zip' });
}

// A glTF file for three.js: a .glb's bytes, or a .gltf whose buffers and
// images are looked up among the dropped files by their relative URIs.
function loadGltf(bytes, path, files) {
  const manager = new THREE.LoadingManager();
  const made = [];
  const folder = folderOf(path);
  manager.setURLModifier((url) => {
    if (/^(data|blob):/.test(url)) return url;
    const wanted = decodeURIComponent(url.replace(/^\.\//, ''));
    const joined = (folder ? `${folder}/` : '') + wanted;
    const found = files.find((entry) => entry.path === joined) ||
      files.find((entry) => entry.path.toLowerCase() === joined.toLowerCase());
    if (!found) return 'data:,';  // never a request: a missing file loads as nothing, and three.js says so
    const blobUrl = URL.createObjectURL(found.file);
    made.push(blobUrl);
    return blobUrl;
  });
  const loader = new GLTFLoader(manager);
  return new Promise((resolve, reject) => loader.parse(bytes, '', resolve, reject))
    .finally(() => setTimeout(() => made.forEach((url) => URL.revokeObjectURL(url)), 60_000));
}

// ---------------------------------------------------------------------------
// The page.

const converter = new Converter();
let viewer = null;
try {
  viewer = new Viewer($('canvas'));
} catch {
  $('overlay').textContent =
    'This browser gives the page no WebGL 2, so the model cannot be shown; it can still be converted.';
  document.body.dataset.webgl = 'none';
}

const page = {
  files: [],       // every file of the drop: {path, file}
  models: [],      // the models among them
  model: null,     // the one shown
  glb: null,       // its .glb, as the converter wrote it
  token: 0,        // the model being opened; an older one's results are dropped
};

function setState(state) {
  document.body.dataset.state = state;
}

function formatBytes(bytes) {
  return bytes >= 1e6 ? `${(bytes / 1e6).toFixed(1)} MB` : `${Math.max(1, Math.round(bytes / 1e3))} kB`;
}

// Runs a command with progress shown once it takes a while, and lists what
// it printed under the command line.
async function runShown(what, program, args) {
  const model = page.model;
  const started = performance.now();
  const progress = $('progress');
  const text = $('progress-text');
  const update = () => {
    const seconds = ((performance.now() - started) / 1000).toFixed(1);
    text.textContent = `${what} ${nameOf(model.path)} (${formatBytes(model.file.size)})… ${seconds} s`;
  };
  const shower = setTimeout(() => { update(); progress.classList.add('shown'); }, kProgressAfterMs);
  const ticker = setInterval(update, 100);
  const bytes = page.files.reduce((sum, entry) => sum + entry.file.size, 0);
  const folder = [kInputFolder, folderOf(model.path)].filter(Boolean).join('/');
  const result = await converter.run(program, args, folder, bytes);
  clearTimeout(shower);
  clearInterval(ticker);
  progress.classList.remove('shown');
  result.wallSeconds = (performance.now() - started) / 1000;
  if (program === 'xfileconvert') listMessages(args, result);
  return result;
}

function listMessages(args, result) {
  const box = $('messages');
  box.querySelector('.none')?.remove();
  const run = document.createElement('div');
  run.className = 'run';
  run.dataset.command = JSON.stringify(args);
  run.dataset.status = String(result.status);
  run.dataset.seconds = String(result.seconds ?? '');
  const command = document.createElement('pre');
  command.className = 'command';
  const quoted = args.map((arg) => (/[\s"']/.test(arg) ? JSON.stringify(arg) : arg));
  command.textContent = `$ xfileconvert ${quoted.join(' ')}`;
  const lines = document.createElement('pre');
  lines.className = 'lines';
  lines.textContent = result.stderr.length ? result.stderr.join('\n') : '(no messages)';
  run.append(command, lines);
  box.append(run);
}

function clearModel() {
  viewer?.clear();
  page.glb = null;
  $('summary').textContent = '';
  $('messages').replaceChildren();
  $('sets').replaceChildren();
  for (const id of ['sets', 'time', 'frame', 'get-glb', 'get-gltf', 'get-x-txt', 'get-x-bin', 'get-x-tzip',
    'get-x-bzip']) $(id).disabled = true;
  $('time-text').textContent = '0.00 s';
  document.body.dataset.sets = '0';
}

function listSets(clips) {
  const list = $('sets');
  list.replaceChildren(...clips.map((clip, index) =>
    new Option(`${clip.name || `set ${index}`} (${clip.duration.toFixed(2)} s)`, String(index))));
  if (clips.length === 0) list.append(new Option('(no animation)', ''));
  list.selectedIndex = 0;
  list.disabled = clips.length === 0;
  $('time').disabled = clips.length === 0;
  $('play').textContent = viewer && !viewer.playing ? 'Play' : 'Pause';
  document.body.dataset.sets = String(clips.length);
}

async function showGltf(bytes, path, token) {
  if (!viewer) return false;
  try {
    const gltf = await loadGltf(bytes, path, page.files);
    if (token !== page.token) return false;
    viewer.show(gltf);
    listSets(gltf.animations);
    $('frame').disabled = false;
    return true;
  } catch (error) {
    const why = `"${nameOf(path)}": three.js cannot show it: ${error.message || error}`;
    listMessages([nameOf(path)], { status: null, stderr: [why] });
    return false;
  }
}

async function openModel(model) {
  const token = ++page.token;
  page.model = model;
  clearModel();
  $('model-name').textContent = model.path;
  if (viewer) $('overlay').textContent = '';
  setState('converting');
  let shown = false;
  if (isGltf(model.path)) {
    $('summary').textContent = 'A glTF model: the summary is of .x models.';
    shown = await showGltf(await model.file.arrayBuffer(), model.path, token);
  } else {
    const name = nameOf(model.path);
    const result = await runShown('Converting', 'xfileconvert', [name, '-o', `${kOutputFolder}/${stemOf(name)}.glb`]);
    if (token !== page.token) return;
    const glb = result.status === 0 ? result.files.find((file) => file.name.endsWith('.glb')) : null;
    const summary = await runShown('Reading', 'summary', [name]);
    if (token !== page.token) return;
    $('summary').textContent = [...summary.stdout, ...(summary.status === 0 ? [] : summary.stderr)].join('\n');
    if (glb) {
      page.glb = glb.bytes;
      const { buffer, byteOffset, byteLength } = glb.bytes;
      shown = await showGltf(buffer.slice(byteOffset, byteOffset + byteLength), model.path, token);
    }
    $('get-glb').disabled = $('get-gltf').disabled = !glb;
  }
  for (const format of ['txt', 'bin', 'tzip', 'bzip']) $(`get-x-${format}`).disabled = false;
  if (!shown && viewer) $('overlay').textContent = 'No model to show: see the messages.';
  setState(shown ? 'shown' : 'failed');
}

async function openFiles(files) {
  if (files.length === 0) return;
  const models = modelsAmong(files);
  page.files = files;
  page.models = models;
  converter.use(files);
  const choice = $('model-choice');
  choice.replaceChildren(...models.map((model, index) => new Option(model.path, String(index))));
  $('model-choice-box').classList.toggle('hidden', models.length < 2);
  if (models.length === 0) {
    page.token++;
    clearModel();
    if (viewer) $('overlay').textContent = 'None of the dropped files is a .x, .glb or .gltf model.';
    setState('failed');
    return;
  }
  await openModel(models[0]);
}

// A download: the .glb as converted, or the converter run again for the
// format asked for.
async function download(kind, format) {
  const model = page.model;
  if (!model) return;
  const name = nameOf(model.path), stem = stemOf(name);
  if (kind === 'glb' && page.glb) {
    save(page.glb, `${stem}.glb`, 'model/gltf-binary');
    return;
  }
  const args = kind === 'gltf' ? [name, '-o', `${kOutputFolder}/${stem}.gltf`]
                               : [name, '-o', `${kOutputFolder}/${stem}.x`, '--format', format];
  setState('converting');
  const result = await runShown('Converting', 'xfileconvert', args);
  setState(page.model === model && viewer?.model ? 'shown' : 'failed');
  if (result.status !== 0 || result.files.length === 0) return;
  // A .gltf comes with its .bin and textures, and a .x from glTF with the
  // images it names: several files come as one zip.
  if (kind === 'gltf') save(zipStored(result.files), `${stem}.gltf.zip`);
  else if (result.files.length > 1) save(zipStored(result.files), `${stem}-${format}.x.zip`);
  else save(result.files[0].bytes, `${stem}-${format}.x`);
}

// ---------------------------------------------------------------------------
// Wiring.

const view = $('view');
view.addEventListener('dragover', (event) => {
  event.preventDefault();
  view.classList.add('dragging');
});
view.addEventListener('dragleave', () => view.classList.remove('dragging'));
view.addEventListener('drop', (event) => {
  event.preventDefault();
  view.classList.remove('dragging');
  droppedFiles(event.dataTransfer).then(openFiles);
});
for (const id of ['pick-files', 'pick-folder']) {
  $(id).addEventListener('change', (event) => {
    openFiles(pickedFiles(event.target));
    event.target.value = '';
  });
}
$('model-choice').addEventListener('change', (event) => openModel(page.models[Number(event.target.value)]));
$('sets').addEventListener('change', (event) => viewer?.select(Number(event.target.value)));
$('play').addEventListener('click', () => {
  if (!viewer) return;
  viewer.setPlaying(!viewer.playing);
  $('play').textContent = viewer.playing ? 'Pause' : 'Play';
});
$('speed').addEventListener('input', (event) => {
  const speed = Number(event.target.value);
  if (speed > 0) viewer?.setSpeed(speed);
});
$('time').addEventListener('input', (event) => {
  if (!viewer?.action) return;
  viewer.seek(Number(event.target.value) * viewer.action.getClip().duration);
});
$('wireframe').addEventListener('change', (event) => viewer?.setWireframe(event.target.checked));
$('skeleton').addEventListener('change', (event) => viewer?.setSkeleton(event.target.checked));
$('floor').addEventListener('change', (event) => viewer?.setFloor(event.target.checked));
$('frame').addEventListener('click', () => viewer?.frame());
$('get-glb').addEventListener('click', () => download('glb'));
$('get-gltf').addEventListener('click', () => download('gltf'));
for (const format of ['txt', 'bin', 'tzip', 'bzip'])
  $(`get-x-${format}`).addEventListener('click', () => download('x', format));

if (viewer) {
  viewer.onTime = (time, duration) => {
    const slider = $('time');
    if (document.activeElement !== slider) slider.value = String(duration > 0 ? time / duration : 0);
    $('time-text').textContent = `${time.toFixed(2)} s`;
  };
  // The viewers' keys: Space pauses, F frames, X wireframe, B skeleton,
  // Page Up / Page Down the previous / next set.
  window.addEventListener('keydown', (event) => {
    if (event.target instanceof HTMLInputElement || event.target instanceof HTMLSelectElement) return;
    const sets = $('sets');
    const step = (by) => {
      const count = viewer.actions.length;
      if (count === 0) return;
      sets.selectedIndex = (sets.selectedIndex + by + count) % count;
      viewer.select(sets.selectedIndex);
    };
    const keys = {
      ' ': () => $('play').click(),
      f: () => viewer.frame(),
      x: () => $('wireframe').click(),
      b: () => $('skeleton').click(),
      PageDown: () => step(1),
      PageUp: () => step(-1),
    };
    const action = keys[event.key.length === 1 ? event.key.toLowerCase() : event.key];
    if (action) {
      event.preventDefault();
      action();
    }
  });
}
setState('idle');
