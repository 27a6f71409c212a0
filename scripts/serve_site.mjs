// The page's folder served on a free port of 127.0.0.1, as the measuring scripts' browser loads it: only
// plain file names, each with its type, and 404 for anything else.
import { readFileSync } from "node:fs";
import http from "node:http";
import { extname, join } from "node:path";

const types = { ".html": "text/html", ".js": "text/javascript", ".wasm": "application/wasm" };

export async function serveSite(site) {
  const server = http.createServer((request, response) => {
    const name = new URL(request.url, "http://localhost").pathname.replace(/^\/$/, "/index.html").slice(1);
    if (!/^[\w.-]+$/.test(name)) return response.writeHead(404).end();
    try {
      response.writeHead(200, { "content-type": types[extname(name)] || "application/octet-stream" })
        .end(readFileSync(join(site, name)));
    } catch { response.writeHead(404).end(); }
  });
  await new Promise((resolve) => server.listen(0, "127.0.0.1", resolve));
  return server;
}
