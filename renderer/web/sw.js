// The installed page's service worker: every file of one version of the page in one cache named after
// that version (a hash of the files, written in by make_page.mjs), answered from there, also offline.
// A new version is a new worker (its version differs): it fetches all its files into its own cache
// before it takes over, then drops every other version's cache, so a page never mixes two versions.
'use strict';
const kVersion = 'vantorel-@VERSION@';
const kFiles = ['./', @FILES@];

self.addEventListener('install', function (event) {
  event.waitUntil(caches.open(kVersion).then(function (cache) {
    // Past the browser's HTTP cache: a file kept there from a visit before may be another version's.
    return cache.addAll(kFiles.map(function (file) { return new Request(file, { cache: 'reload' }); }));
  }).then(function () { return self.skipWaiting(); }));
});

self.addEventListener('activate', function (event) {
  event.waitUntil(caches.keys().then(function (names) {
    return Promise.all(names.filter(function (name) { return name.startsWith('vantorel-') && name !== kVersion; })
      .map(function (name) { return caches.delete(name); }));
  }).then(function () { return self.clients.claim(); }));
});

// The page's own files from this version's cache (the address's options, such as ?t, do not make
// another file); anything else from the network.
self.addEventListener('fetch', function (event) {
  if (event.request.method !== 'GET' || new URL(event.request.url).origin !== self.location.origin) return;
  event.respondWith(caches.open(kVersion).then(function (cache) {
    return cache.match(event.request, { ignoreSearch: true }).then(function (hit) { return hit || fetch(event.request); });
  }));
});
