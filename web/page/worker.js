// The page's converter, in a worker of its own so that the page never waits
// on it. It holds the WebAssembly build of xfileconvert (its main is the
// command line's own) and an in-memory file system: the page writes the
// dropped files into it, runs a command line on them, and gets back the
// files the command wrote under /out and the lines it printed. A command that
// runs too long is ended by the page, which terminates this worker.
'use strict';
importScripts('xfileconvert.js');

const kOutputFolder = '/out';
let converter = null;
let printed = null;  // the running command's lines: {stdout: [], stderr: []}

function makeFolders(FS, path) {
  let at = '';
  for (const part of path.split('/').filter(Boolean)) {
    at += '/' + part;
    if (!FS.analyzePath(at).exists) FS.mkdir(at);
  }
}

function clearFolder(FS, folder) {
  for (const name of FS.readdir(folder)) {
    if (name === '.' || name === '..') continue;
    const path = folder + '/' + name;
    if (FS.isDir(FS.stat(path).mode)) {
      clearFolder(FS, path);
      FS.rmdir(path);
    } else {
      FS.unlink(path);
    }
  }
}

// Every file the command wrote, by its path under the output folder.
function takeOutputs(FS, folder, prefix = '') {
  const files = [];
  for (const name of FS.readdir(folder).sort()) {
    if (name === '.' || name === '..') continue;
    const path = folder + '/' + name;
    if (FS.isDir(FS.stat(path).mode)) files.push(...takeOutputs(FS, path, prefix + name + '/'));
    else files.push({ name: prefix + name, bytes: FS.readFile(path) });
  }
  return files;
}

async function start(module) {
  converter = await createConverter({
    noInitialRun: true,
    print: (line) => printed && printed.stdout.push(line),
    printErr: (line) => printed && printed.stderr.push(line),
    // The page compiled the module once; each worker only instantiates it.
    instantiateWasm(imports, receive) {
      WebAssembly.instantiate(module, imports).then((instance) => receive(instance));
      return {};
    },
  });
  makeFolders(converter.FS, kOutputFolder);
}

function writeFiles(files) {
  const { FS } = converter;
  for (const { path, bytes } of files) {
    const slash = path.lastIndexOf('/');
    if (slash > 0) makeFolders(FS, path.slice(0, slash));
    FS.writeFile(path, new Uint8Array(bytes));
  }
}

// Runs `args` in `folder`: xfileconvert's command line, or, with program
// 'summary', the viewers' summary of the model args[0].
function run(program, args, folder) {
  const { FS } = converter;
  clearFolder(FS, kOutputFolder);
  FS.chdir(folder);
  printed = { stdout: [], stderr: [] };
  const started = performance.now();
  let status;
  try {
    status = program === 'summary' ? converter.ccall('xviewer_summary', 'number', ['string'], [args[0]])
                                   : converter.callMain(args);
  } finally {
    converter._fflush(0);
  }
  const seconds = (performance.now() - started) / 1000;
  const result = { status, seconds, ...printed, files: takeOutputs(FS, kOutputFolder) };
  printed = null;
  return result;
}

self.onmessage = async ({ data }) => {
  try {
    if (data.type === 'start') {
      await start(data.module);
      self.postMessage({ type: 'ready' });
    } else if (data.type === 'files') {
      writeFiles(data.files);
      self.postMessage({ type: 'written', id: data.id });
    } else if (data.type === 'run') {
      const result = run(data.program, data.args, data.folder);
      self.postMessage({ type: 'result', id: data.id, ...result }, result.files.map((file) => file.bytes.buffer));
    }
  } catch (error) {
    // A fault of the module itself (a trap, memory it cannot grow to): the
    // page says it and starts a fresh worker.
    const lines = printed ? printed.stderr : [];
    printed = null;
    self.postMessage({ type: 'failed', id: data.id, error: String(error && error.message || error), stderr: lines });
  }
};
