// The page's end-to-end test, in one start of Debian's Chromium (headless,
// driven through puppeteer-core): the page is served on 127.0.0.1 by a
// server of the test's own, models are opened as a person opens them (the
// file dialog, a drop), and what the page hands back is compared with what
// the native xfileconvert writes for the same files.
//
//   node web/test/page-test.mjs --site build/web/site --converter PATH/xfileconvert
//        --models DIR [--assets DIR] [--fuzz DIR] [--gltf DIR] [--big FILE.x] [--screenshots DIR]
//   node web/test/page-test.mjs --site build/web/site --converter PATH/xfileconvert --bench FILE.x
//
// Prints one line a check and "N passed, N failed"; exits 1 when any failed.
// With --big it also converts that model in the page and natively (three
// times each, interleaved) and prints the times; they are shown, never
// checked.
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import puppeteer from 'puppeteer-core';

import { StaticServer } from './static-server.mjs';
import { hostileModels } from './hostile-models.mjs';
import { shiftJisModel } from './shift-jis-model.mjs';
import { storedZipEntries } from './zip-entries.mjs';

const options = {};
for (let i = 2; i < process.argv.length; i += 2) options[process.argv[i].replace(/^--/, '')] = process.argv[i + 1];
// --bench FILE.x: only the large model's figures, for scripts/bench-xfile.
if (options.bench) options.big = options.bench;
for (const required of ['site', 'converter', ...(options.bench ? [] : ['models'])]) {
  if (!options[required]) {
    console.error(`page-test: --${required} is missing`);
    process.exit(2);
  }
}
for (const [key, value] of Object.entries(options)) options[key] = path.resolve(value);

const kStates = ['shown', 'failed'];
const kFormats = ['txt', 'bin', 'tzip', 'bzip'];
const kModelFile = /\.(x|glb|gltf)$/i;
const kDownloadGapMs = 150;
const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'xviewer-page-test-'));
process.on('exit', () => fs.rmSync(scratch, { recursive: true, force: true }));  // puppeteer ends the browser
let passed = 0, failed = 0;

function check(name, ok, detail = '') {
  if (ok) passed++;
  else failed++;
  const why = !ok && detail ? `\n    ${String(detail).split('\n').join('\n    ')}` : '';
  console.log(`${ok ? 'ok' : 'not ok'} - ${name}${why}`);
  return ok;
}

// --- The native converter, in a folder holding the same files -----------

// Copies `files` into a fresh folder; the native run's outputs go to a
// folder beside it, as the page's go to /out beside its /in.
function nativeWorkspace(files) {
  const top = fs.mkdtempSync(path.join(scratch, 'native-'));
  const input = path.join(top, 'in'), output = path.join(top, 'out');
  fs.mkdirSync(input);
  fs.mkdirSync(output);
  for (const file of files) fs.copyFileSync(file, path.join(input, path.basename(file)));
  return { input, output };
}

// Runs the page's command line natively: its /out/ becomes `output`.
function runNative(args, workspace) {
  const native = args.map((arg) => arg.replace(/^\/out\//, `${workspace.output}/`));
  for (const name of fs.readdirSync(workspace.output))
    fs.rmSync(path.join(workspace.output, name), { recursive: true });
  const started = process.hrtime.bigint();
  const run = spawnSync(options.converter, native, { cwd: workspace.input });
  const seconds = Number(process.hrtime.bigint() - started) / 1e9;
  const stderr = run.stderr.toString().split(workspace.output + '/').join('/out/');
  const files = Object.fromEntries(fs.readdirSync(workspace.output).sort().map((name) =>
    [name, fs.readFileSync(path.join(workspace.output, name))]));
  return { status: run.status, stderr: stderr.replace(/\n$/, ''), files, seconds };
}

// --- The page -------------------------------------------------------------

const server = new StaticServer(options.site);
const origin = await server.start();
const userData = fs.mkdtempSync(path.join(scratch, 'chromium-'));
const browser = await puppeteer.launch({
  executablePath: '/usr/bin/chromium',
  headless: true,
  args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync',
    '--enable-unsafe-swiftshader', `--user-data-dir=${userData}`],
});
const requests = [];
const downloads = path.join(scratch, 'downloads');
fs.mkdirSync(downloads);

async function openPage(query = '') {
  const page = await browser.newPage();
  await page.setViewport({ width: 1200, height: 750 });
  page.on('request', (request) => requests.push(request.url()));
  page.on('pageerror', (error) => console.log(`    (page error: ${error.message})`));
  page.downloads = await page.createCDPSession();
  await page.goto(`${origin}/${query}`);
  await page.waitForSelector('body[data-state=idle]');
  return page;
}

const settled = (page, timeout = 60000) =>
  page.waitForFunction((states) => states.includes(document.body.dataset.state), { timeout }, kStates);

async function openFiles(page, files) {
  await page.evaluate(() => { document.body.dataset.state = 'opening'; });
  const input = await page.$('#pick-files');
  await input.uploadFile(...files);
  await settled(page);
}

// What the page listed for each command it ran: {args, status, seconds, lines}.
const runsOf = (page) => page.$$eval('#messages .run', (runs) => runs.map((run) => ({
  args: JSON.parse(run.dataset.command),
  status: run.dataset.status === 'null' ? null : Number(run.dataset.status),
  seconds: Number(run.dataset.seconds),
  lines: run.querySelector('.lines').textContent,
})));
const messageText = (lines) => (lines === '(no messages)' ? '' : lines);

// Clicks a download button and waits for what it does: with `runs`, the
// page runs the converter (the run it lists comes back) and downloads what
// it wrote, if it wrote anything; without, it downloads what it has. The
// downloaded bytes come back, or null when nothing was downloaded.
let lastDownload = 0;
async function download(page, button, runs = true) {
  // Chromium drops a page's download that follows ten others within a
  // second; a person never asks that fast, and the test asks no faster.
  const since = performance.now() - lastDownload;
  if (since < kDownloadGapMs) await new Promise((resolve) => setTimeout(resolve, kDownloadGapMs - since));
  lastDownload = performance.now();
  // Set again each time: closing another page's session puts it back.
  await page.downloads.send('Browser.setDownloadBehavior',
    { behavior: 'allowAndName', downloadPath: downloads, eventsEnabled: true });
  const before = (await runsOf(page)).length;
  let listener;
  const done = new Promise((resolve) => {
    listener = async (event) => {
      if (event.state === 'canceled') resolve(null);
      if (event.state !== 'completed') return;
      // The file may be told complete a moment before it has its name.
      const file = path.join(downloads, event.guid);
      for (let tries = 0; !fs.existsSync(file) && tries < 100; tries++)
        await new Promise((wait) => setTimeout(wait, 20));
      resolve(fs.existsSync(file) ? fs.readFileSync(file) : null);
    };
    page.downloads.on('Browser.downloadProgress', listener);
  });
  await page.click(button);
  let run = null;
  if (runs) {
    await page.waitForFunction((count, states) => document.querySelectorAll('#messages .run').length > count &&
      states.includes(document.body.dataset.state), { timeout: 60000 }, before, kStates);
    run = (await runsOf(page))[before];
  }
  // A download that never comes is a failed check, not a test that waits.
  const late = new Promise((resolve) => setTimeout(() => resolve(null), 20000));
  const bytes = !run || run.status === 0 ? await Promise.race([done, late]) : null;
  page.downloads.off('Browser.downloadProgress', listener);
  return { bytes, run };
}

// The canvas as a PNG, and what its pixels hold: how many differ from the
// corner's colour (the background) and the box around them.
const canvasShot = async (page) => (await page.$('#canvas')).screenshot();
// The pixels are decoded by the browser, in the page under test (which
// stays in front: a page behind another draws no frames).
async function pixelsOf(png, other = null) {
  return page.evaluate(async (a, b) => {
    const decode = async (base64) => {
      const image = await createImageBitmap(await (await fetch(`data:image/png;base64,${base64}`)).blob());
      const canvas = new OffscreenCanvas(image.width, image.height);
      const context = canvas.getContext('2d');
      context.drawImage(image, 0, 0);
      return context.getImageData(0, 0, image.width, image.height);
    };
    const first = await decode(a), second = b ? await decode(b) : null;
    const { width, height, data } = first;
    const background = data.slice(0, 3);
    let count = 0, differing = 0, left = width, right = -1, top = height, bottom = -1;
    for (let y = 0; y < height; y++) {
      for (let x = 0; x < width; x++) {
        const i = (y * width + x) * 4;
        const distance = (other, at) => Math.abs(data[i] - other[at]) + Math.abs(data[i + 1] - other[at + 1]) +
          Math.abs(data[i + 2] - other[at + 2]);
        const far = distance(background, 0);
        if (far > 24) {
          count++;
          left = Math.min(left, x); right = Math.max(right, x); top = Math.min(top, y); bottom = Math.max(bottom, y);
        }
        if (second && distance(second.data, i) > 24) differing++;
      }
    }
    return { width, height, count, differing, left, right, top, bottom };
  }, png.toString('base64'), other ? other.toString('base64') : null);
}

async function setTime(page, fraction) {
  await page.$eval('#time', (slider, value) => {
    slider.value = String(value);
    slider.dispatchEvent(new Event('input'));
  }, fraction);
  await new Promise((resolve) => setTimeout(resolve, 150));  // a frame or two drawn
}

// --- Every model: the page's outputs are the command line's ---------------

async function compareModel(page, modelPath) {
  const folder = path.dirname(modelPath), name = path.basename(modelPath), stem = name.replace(/\.[^.]*$/, '');
  // The model and the files beside it that are no model: its textures.
  const besides = fs.readdirSync(folder).map((file) => path.join(folder, file))
    .filter((file) => fs.statSync(file).isFile() && !kModelFile.test(file));
  const files = [modelPath, ...besides];
  const workspace = nativeWorkspace(files);
  await openFiles(page, files);
  const [conversion] = await runsOf(page);
  const glbArgs = [name, '-o', `/out/${stem}.glb`];
  const native = runNative(glbArgs, workspace);
  check(`${name}: the page runs the command line "xfileconvert ${glbArgs.join(' ')}"`,
    conversion && JSON.stringify(conversion.args) === JSON.stringify(glbArgs), JSON.stringify(conversion));
  check(`${name}: its messages are the command line's`, conversion && messageText(conversion.lines) === native.stderr &&
    conversion.status === native.status,
    `page (${conversion?.status}):\n${conversion?.lines}\nnative (${native.status}):\n${native.stderr}`);
  const state = await page.evaluate(() => document.body.dataset.state);
  if (native.status === 0) {
    check(`${name}: shown`, state === 'shown', state);
    const glb = await download(page, '#get-glb', false);
    check(`${name}: the .glb is the command line's`, glb.bytes && glb.bytes.equals(native.files[`${stem}.glb`]));
    const gltf = await download(page, '#get-gltf');
    const nativeGltf = runNative([name, '-o', `/out/${stem}.gltf`], workspace);
    const entries = gltf.bytes ? storedZipEntries(gltf.bytes) : {};
    const same = Object.keys(nativeGltf.files).length === Object.keys(entries).length &&
      Object.entries(nativeGltf.files).every(([file, bytes]) => entries[file]?.equals(bytes));
    check(`${name}: the .gltf zip holds the command line's files (${Object.keys(nativeGltf.files).join(', ')})`, same,
      `zip: ${Object.keys(entries).join(', ')}`);
  } else {
    // Nothing drawn but the line over the canvas that says there is no model.
    const shot = await pixelsOf(await canvasShot(page));
    const overlay = await page.$eval('#overlay', (box) => box.textContent);
    check(`${name}: refused, it shows its message and no model`, state === 'failed' && /No model/.test(overlay) &&
      (await page.$eval('#get-glb', (button) => button.disabled)) && shot.count < shot.width * shot.height * 0.01,
    `${state}, "${overlay}", ${JSON.stringify(shot)}`);
  }
  for (const format of kFormats) {
    const x = await download(page, `#get-x-${format}`);
    const nativeX = runNative([name, '-o', `/out/${stem}.x`, '--format', format], workspace);
    const same = nativeX.status === 0 ? x.bytes !== null && x.bytes.equals(nativeX.files[`${stem}.x`])
                                      : x.bytes === null;
    check(`${name}: the .x (${format}) is the command line's, with its messages`, same && x.run &&
      messageText(x.run.lines) === nativeX.stderr, `page: ${x.run?.lines}\nnative: ${nativeX.stderr}`);
  }
}

const page = await openPage();
// The checks of a whole run (all but the large model's figures).
async function checkPage() {
  const models = fs.readdirSync(options.models).filter((file) => /\.x$/i.test(file)).sort()
    .map((file) => path.join(options.models, file));
  if (options.assets) {
    models.push(path.join(options.assets, 'miko.x'));
    const japanese = path.join(scratch, 'shift-jis');
    fs.mkdirSync(japanese);
    models.push(shiftJisModel(japanese, path.join(options.assets, 'miko.png')));
  }
  for (const model of models) await compareModel(page, model);

  // --- The character: framed, moving, each set its own pose ----------------

  if (options.assets) {
    const miko = path.join(options.assets, 'miko.x');
    await openFiles(page, [miko, path.join(options.assets, 'miko.png')]);
    if (options.screenshots) await page.screenshot({ path: path.join(options.screenshots, 'page-miko.png') });
    await page.click('#floor');  // the floor off: every pixel left is the model's
    await page.click('#play');   // paused
    await setTime(page, 0.25);
    const first = await canvasShot(page);
    const shown = await pixelsOf(first);
    check('miko.x: the picture is not blank', shown.count > shown.width * shown.height * 0.01, JSON.stringify(shown));
    check('miko.x: the model lies inside the canvas, clear of its edges', shown.left > 2 && shown.top > 2 &&
      shown.right < shown.width - 3 && shown.bottom < shown.height - 3, JSON.stringify(shown));
    await setTime(page, 0.75);
    const later = await canvasShot(page);
    check('miko.x: the picture changes as the animation goes on', (await pixelsOf(first, later)).differing > 100);
    await page.click('#play');  // playing again
    const playing = await canvasShot(page);
    await new Promise((resolve) => setTimeout(resolve, 400));
    const moved = await pixelsOf(playing, await canvasShot(page));
    check('miko.x: the picture changes as the animation plays', moved.differing > 100);
    await page.click('#play');
    await page.select('#sets', '1');
    await setTime(page, 0.75);
    const otherSet = await canvasShot(page);
    check('miko.x: switching the set changes the pose', (await pixelsOf(later, otherSet)).differing > 100);
    await page.click('#floor');
    await page.click('#play');
  }

  // --- A drop, a glTF model ---------------------------------------------------

  {
    // A prop and its texture dropped together, as a file manager drops them.
    const files = ['test.x', 'test.png'].map((file) => path.join(options.models, file));
    await page.evaluate(() => { document.body.dataset.state = 'opening'; });
    await page.evaluate(async (list) => {
      const transfer = new DataTransfer();
      for (const { name, base64 } of list)
        transfer.items.add(new File([Uint8Array.from(atob(base64), (c) => c.charCodeAt(0))], name));
      const drop = new DragEvent('drop', { dataTransfer: transfer, bubbles: true, cancelable: true });
      document.getElementById('view').dispatchEvent(drop);
    }, files.map((file) => ({ name: path.basename(file), base64: fs.readFileSync(file).toString('base64') })));
    await settled(page);
    const summary = await page.$eval('#summary', (box) => box.textContent);
    check('test.x dropped with its texture: shown, the texture found by the reader',
      (await page.evaluate(() => document.body.dataset.state)) === 'shown' &&
      summary.includes('textures: 1 found, 0 missing'), summary);
  }
  if (options.assets) {
    // A folder picked: every model in it listed, the first shown, its
    // texture found among the folder's files; the other one on choosing it.
    await page.evaluate(() => { document.body.dataset.state = 'opening'; });
    await (await page.$('#pick-folder')).uploadFile(options.assets);
    await settled(page);
    const listed = await page.$$eval('#model-choice option', (choices) => choices.map((choice) => choice.textContent));
    const summary = await page.$eval('#summary', (box) => box.textContent);
    const folder = path.basename(options.assets);
    check('a folder picked: its models listed, the first shown with its texture',
      JSON.stringify(listed) === JSON.stringify([`${folder}/miko.x`, `${folder}/squarepolygon.x`]) &&
      summary.includes('found "miko.png"'), `${listed}\n${summary}`);
    await page.evaluate(() => { document.body.dataset.state = 'opening'; });
    await page.select('#model-choice', '1');
    await settled(page);
    check('a folder picked: choosing its other model shows that one',
      (await page.$eval('#summary', (box) => box.textContent)).includes('squarepolygon.x'));
  }
  if (options.gltf) {
    const fox = path.join(options.gltf, 'Fox', 'Fox.glb');
    await openFiles(page, [fox]);
    const sets = await page.evaluate(() => Number(document.body.dataset.sets));
    const shot = await pixelsOf(await canvasShot(page));
    check('Fox.glb: shown as it is, every animation listed', sets === 3 && shot.count > 1000, `${sets} sets`);
    check('Fox.glb: only the conversion to .x is offered', await page.$eval('#get-glb', (button) => button.disabled) &&
      !(await page.$eval('#get-x-txt', (button) => button.disabled)));
    const modes = path.join(options.gltf, 'MeshPrimitiveModes');
    await openFiles(page, ['MeshPrimitiveModes.gltf', 'buffer.bin'].map((file) => path.join(modes, file)));
    check('MeshPrimitiveModes.gltf: shown with the buffer dropped beside it',
      (await page.evaluate(() => document.body.dataset.state)) === 'shown' &&
      (await pixelsOf(await canvasShot(page))).count > 1000);
    // Every sample to .x: the command line's files, zipped where there are
    // several (the .x and the images it names), and its messages.
    for (const folder of fs.readdirSync(options.gltf).sort().map((name) => path.join(options.gltf, name))) {
      if (!fs.statSync(folder).isDirectory()) continue;
      const files = fs.readdirSync(folder).filter((file) => !/\.md$/i.test(file)).map((file) => path.join(folder, file));
      const model = files.find((file) => /\.(glb|gltf)$/i.test(file));
      const name = path.basename(model), stem = name.replace(/\.[^.]*$/, '');
      await openFiles(page, files);
      const workspace = nativeWorkspace(files);
      for (const format of ['txt', 'bzip']) {
        const x = await download(page, `#get-x-${format}`);
        const native = runNative([name, '-o', `/out/${stem}.x`, '--format', format], workspace);
        const names = Object.keys(native.files);
        const entries = names.length > 1 && x.bytes ? storedZipEntries(x.bytes) : { [`${stem}.x`]: x.bytes };
        const same = native.status === 0 ? names.every((file) => entries[file]?.equals(native.files[file]))
                                         : x.bytes === null;
        check(`${name}: its .x (${format}) is the command line's (${names.join(', ') || 'none'}), with its messages`,
          x.run && messageText(x.run.lines) === native.stderr && same, `page: ${x.run?.lines}\nnative: ${native.stderr}`);
      }
    }
  }

  // --- Hostile files: a message, soon --------------------------------------

  {
    const hostile = path.join(scratch, 'hostile');
    fs.mkdirSync(hostile);
    const files = hostileModels(hostile);
    const crashers = options.fuzz ? fs.readdirSync(options.fuzz).filter((file) => /\.x$/i.test(file)) : [];
    files.push(...crashers.map((file) => path.join(options.fuzz, file)));
    for (const file of files) {
      await page.evaluate(() => { document.body.dataset.state = 'opening'; });
      await (await page.$('#pick-files')).uploadFile(file);
      const ended = await settled(page, 10000).then(() => true, () => false);
      const [run] = await runsOf(page);
      check(`${path.basename(file)}: ends in a message within 10 s`, ended && run && messageText(run.lines) !== '',
        run ? run.lines : 'no run listed');
    }
  }

  // --- The page's limit, and a browser without WebGL 2 ---------------------

  {
    const limited = await openPage('?limit=0.001');
    const test = path.join(options.models, 'test.x');
    await openFiles(limited, [test]);
    const [run] = await runsOf(limited);
    check('a conversion past the page\'s limit is stopped with a message', run && run.status === null &&
      /stopped after .* longer than the page allows/.test(run.lines), run?.lines);
    await limited.close();
    await page.bringToFront();
  }
  {
    const bare = await browser.newPage();
    bare.on('request', (request) => requests.push(request.url()));
    await bare.evaluateOnNewDocument(() => {
      const getContext = HTMLCanvasElement.prototype.getContext;
      HTMLCanvasElement.prototype.getContext = function (kind, ...rest) {
        return kind === 'webgl2' ? null : getContext.call(this, kind, ...rest);
      };
    });
    await bare.goto(`${origin}/`);
    await bare.waitForSelector('body[data-state=idle]');
    const text = await bare.$eval('#overlay', (overlay) => overlay.textContent);
    check('without WebGL 2 the page says so in one line', /no WebGL 2/.test(text) && !text.includes('\n'), text);
    await bare.close();
    await page.bringToFront();
  }
}

if (!options.bench) await checkPage();

// --- The large model: the page against the command line -------------------

if (options.big) {
  const name = path.basename(options.big), stem = name.replace(/\.[^.]*$/, '');
  const workspace = nativeWorkspace([options.big]);
  const nativeSeconds = [], pageSeconds = [], pageWall = [];
  let glb = null;
  for (let round = 0; round < 3; round++) {
    const native = runNative([name, '-o', `/out/${stem}.glb`], workspace);
    nativeSeconds.push(native.seconds);
    glb = native.files[`${stem}.glb`];
  }
  // Opened paused: drawn once. Half a million skinned triangles drawn by
  // a browser without a GPU take seconds a frame.
  if ((await page.$eval('#play', (button) => button.textContent)) === 'Pause') await page.click('#play');
  for (let round = 0; round < 3; round++) {
    const started = process.hrtime.bigint();
    await openFiles(page, [options.big]);
    pageWall.push(Number(process.hrtime.bigint() - started) / 1e9);
    pageSeconds.push((await runsOf(page))[0].seconds);
  }
  const got = (await download(page, '#get-glb', false)).bytes;
  check(`${name}: the .glb is the command line's`, got?.equals(glb), `${got?.length} bytes, native ${glb.length}`);
  await page.click('#play');
  const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
  const inPage = median(pageSeconds), native = median(nativeSeconds), shown = median(pageWall);
  console.log(`# ${name} (${(fs.statSync(options.big).size / 1e6).toFixed(1)} MB) to .glb, median of 3: ` +
    `in the page ${inPage.toFixed(3)} s (the worker's conversion), native xfileconvert ${native.toFixed(3)} s: ` +
    `${(inPage / native).toFixed(2)} x (target at most 3); opened and shown in the page ${shown.toFixed(3)} s`);
}

// --- Nothing left this machine --------------------------------------------

const foreign = requests.filter((url) => !url.startsWith(`${origin}/`) && !/^(blob|data):/.test(url));
check(`no request leaves ${origin} (${requests.length} requests seen)`, foreign.length === 0, foreign.join('\n'));
check('the server saw only the page\'s own files', server.unknown.length === 0, server.unknown.join('\n'));

await browser.close();
await server.stop();
console.log(`${passed} passed, ${failed} failed`);
process.exit(failed ? 1 : 0);
