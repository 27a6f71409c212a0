// The installed page's service worker: every file of one version of the page in one cache named after
// that version (a hash of the files, written in by make_page.mjs) and after the scope it was
// registered for, answered from there, also offline.
// A new version is a new worker (its version differs): it fetches all its files, each checked against
// the SHA-256 the build wrote in, before it takes over. One file that is not this version's (a release
// still being uploaded, a stale copy on a content network) fails the install: the version before stays
// and is served, and the next visit tries again. Once in, it drops its own scope's other versions'
// caches, never those of another copy of the page on the same origin.
'use strict';
const kVersion = '@VERSION@';
// Each file's path and the hex SHA-256 of its bytes ('./' is index.html).
const kFiles = @FILES@;
const kCachePrefix = 'vantorel ' + self.registration.scope + ' ';
const kCache = kCachePrefix + kVersion;

function hex(buffer) {
  return Array.from(new Uint8Array(buffer), function (byte) { return byte.toString(16).padStart(2, '0'); }).join('');
}

// The file from the network, past the browser's HTTP cache (a file kept there from a visit before may
// be another version's), as long as its bytes are this version's.
function fetchChecked(path) {
  const request = new Request(path, { cache: 'reload' });
  return fetch(request).then(function (response) {
    if (!response.ok) throw new Error(path + ': HTTP ' + response.status);
    return response.clone().arrayBuffer().then(function (bytes) { return crypto.subtle.digest('SHA-256', bytes); })
      .then(function (digest) {
        if (hex(digest) !== kFiles[path]) throw new Error(path + ' is not the bytes of version ' + kVersion);
        return [request, response];
      });
  });
}

self.addEventListener('install', function (event) {
  // Every file checked before the cache is written, so a failed install leaves no half a version.
  event.waitUntil(Promise.all(Object.keys(kFiles).map(fetchChecked)).then(function (entries) {
    return caches.open(kCache).then(function (cache) {
      return Promise.all(entries.map(function (entry) { return cache.put(entry[0], entry[1]); }));
    }).catch(function (error) {
      return caches.delete(kCache).then(function () { throw error; });
    });
  }).then(function () { return self.skipWaiting(); }));
});

self.addEventListener('activate', function (event) {
  event.waitUntil(caches.keys().then(function (names) {
    return Promise.all(names.filter(function (name) { return name.startsWith(kCachePrefix) && name !== kCache; })
      .map(function (name) { return caches.delete(name); }));
  }).then(function () { return self.clients.claim(); }));
});

// The page's own files from this version's cache (the address's options, such as ?t, do not make
// another file); anything else from the network.
self.addEventListener('fetch', function (event) {
  if (event.request.method !== 'GET' || new URL(event.request.url).origin !== self.location.origin) return;
  event.respondWith(caches.open(kCache).then(function (cache) {
    return cache.match(event.request, { ignoreSearch: true }).then(function (hit) { return hit || fetch(event.request); });
  }));
});
