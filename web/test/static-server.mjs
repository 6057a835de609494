// A static file server on 127.0.0.1 for the page's test: the site's files
// with the types a browser needs (application/wasm for the module), every
// request remembered, and those for files the site does not have listed.
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';

const kTypes = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript; charset=utf-8', '.wasm': 'application/wasm',
  '.css': 'text/css', '.png': 'image/png', '.json': 'application/json',
};

export class StaticServer {
  constructor(folder) {
    this.folder = path.resolve(folder);
    this.requests = [];
    this.unknown = [];
  }

  // Listens on a free port; resolves with the origin ("http://127.0.0.1:PORT").
  start() {
    this.server = http.createServer((request, response) => {
      const url = new URL(request.url, 'http://127.0.0.1');
      this.requests.push(url.pathname);
      const relative = decodeURIComponent(url.pathname).replace(/^\/+/, '') || 'index.html';
      const file = path.join(this.folder, relative);
      if (!file.startsWith(this.folder + path.sep) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
        this.unknown.push(url.pathname);
        response.writeHead(404).end();
        return;
      }
      response.writeHead(200, { 'Content-Type': kTypes[path.extname(file)] || 'application/octet-stream' });
      fs.createReadStream(file).pipe(response);
    });
    return new Promise((resolve) => this.server.listen(0, '127.0.0.1', () =>
      resolve(`http://127.0.0.1:${this.server.address().port}`)));
  }

  stop() {
    return new Promise((resolve) => this.server.close(resolve));
  }
}
