// Serves a static folder on 127.0.0.1: node tools/serve.js FOLDER PORT [EXTRA_FOLDER]
// Files not in FOLDER are looked for in EXTRA_FOLDER (the browser test's scripts).
'use strict';
const http = require('http');
const fs = require('fs');
const path = require('path');

const types = {
  '.html': 'text/html; charset=utf-8', '.htm': 'text/html; charset=utf-8', '.js': 'text/javascript',
  '.wasm': 'application/wasm', '.png': 'image/png', '.webmanifest': 'application/manifest+json',
  '.json': 'application/json', '.wav': 'audio/wav', '.fzs': 'text/plain; charset=utf-8',
};

// `cacheSeconds`: how long browsers may keep a file without asking again, as many static
// hosts allow; by default they always ask.
function serve(folders, port, {host = '127.0.0.1', cacheSeconds = 0} = {}) {
  const cacheControl = cacheSeconds > 0 ? `max-age=${cacheSeconds}` : 'no-cache';
  const server = http.createServer((req, res) => {
    let name = decodeURIComponent(new URL(req.url, 'http://x').pathname);
    if (name.endsWith('/')) name += 'index.html';
    for (const folder of folders) {
      const file = path.join(folder, path.normalize(name).replace(/^(\.\.[/\\])+/, ''));
      if (!file.startsWith(path.resolve(folder))) continue;
      let body;
      try { body = fs.readFileSync(file); } catch (e) { continue; }  // missing, or a folder
      // Whole, with its length: the browser compiles the program as it arrives and is not
      // held up by many small pieces.
      res.writeHead(200, {'Content-Type': types[path.extname(file)] || 'application/octet-stream',
                          'Content-Length': body.length, 'Cache-Control': cacheControl});
      res.end(req.method === 'HEAD' ? undefined : body);
      return;
    }
    res.writeHead(404, {'Content-Type': 'text/plain'});
    res.end('not found\n');
  });
  return new Promise((resolve, reject) => {
    server.once('error', reject);
    server.listen(port, host, () => resolve(server));
  });
}

module.exports = {serve};

if (require.main === module) {
  const [folder, port = '8000', extra] = process.argv.slice(2);
  if (!folder || !fs.existsSync(folder)) {
    console.error('usage: node tools/serve.js FOLDER [PORT]  (build the site first: make web)');
    process.exit(2);
  }
  serve([path.resolve(folder), ...(extra ? [path.resolve(extra)] : [])], Number(port)).then(() => {
    console.log(`Serving ${folder} on http://localhost:${port} (Ctrl-C stops)`);
  }, (e) => {
    console.error(`cannot serve on port ${port}: ${e.message}`);
    process.exit(1);
  });
}
