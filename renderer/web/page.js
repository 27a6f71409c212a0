// The page around the scene: its options from the address (?t=SECONDS for a still, ?fps=N for a frame
// cap, ?scale=F for the drawing buffer's fraction of the device pixels, ?host=NAME or ?wallpaper when
// a live-wallpaper host shows it, ?layers=precomputed for the glass layers' 512 precomputed frames), full screen on a click or F (Escape leaves), the pointer hidden
// after two seconds at rest, the screen kept awake while full screen, the message for a browser
// without WebGL 2, and the service worker that lets the installed page run offline.
// In a wallpaper host (Lively Wallpaper, Wallpaper Engine, the address options, or the host the
// release's page was made for) the page asks for no wake lock, leaves full screen and the pointer to
// the host, takes the frame cap and scale from the host's settings and pauses when the host says so.
// A hidden page is paused too: no frame is drawn, no timer runs.
// window.vantorel tells what was drawn: when the backdrop shown during the set-up came, and the
// scene's frames (count, size, scene time), and the host, settings and pause the page goes by.
'use strict';
(function () {
  const canvas = document.getElementById('scene');
  const status = {
    frames: 0, width: 0, height: 0, sceneSeconds: 0, backdropMs: null, firstFrameMs: null, noWebGl: false,
    host: null, fps: 0, scale: 1, paused: false,
  };
  window.vantorel = status;

  function showMessage() {
    status.noWebGl = true;
    document.body.classList.add('no-webgl');
  }

  const query = new URLSearchParams(window.location.search);
  const args = [];
  const still = query.get('t');
  if (still !== null && /^\s*\d+(\.\d+)?\s*$/.test(still)) args.push('--time', still.trim());
  // ?layers=precomputed: all 256 frames of each glass layer as textures, as the Windows renderer has
  // them, instead of one texture a layer (for measuring the two; the pictures are the same).
  status.layers = query.get('layers') === 'precomputed' ? 'precomputed' : 'shifted';
  args.push('--layers', status.layers);

  // The host: named in the address, by the page the release made for it, or by Wallpaper Engine's own
  // functions in the page.
  const hostMeta = document.querySelector('meta[name="vantorel-host"]');
  if (query.has('host')) status.host = query.get('host').replace(/[^a-z0-9-]/gi, '').toLowerCase() || 'wallpaper';
  else if (query.has('wallpaper')) status.host = 'wallpaper';
  else if (hostMeta) status.host = hostMeta.content;
  else if (typeof window.wallpaperRegisterAudioListener === 'function') status.host = 'wallpaperengine';
  const inHost = status.host !== null;

  // Settings, each from the address first and then from the host. A value out of range or not a number
  // is left out: the setting keeps what it had.
  function number(value, min, max) {
    const n = typeof value === 'number' ? value : Number(String(value).trim());
    return String(value).trim() !== '' && Number.isFinite(n) && n >= min && n <= max ? n : null;
  }
  // A frame cap: 0 for none, else 1 to 1000 frames a second; anything else is left out, as above.
  function frameCap(value) {
    const n = number(value, 0, 1000);
    return n === 0 || n >= 1 ? n : null;
  }
  let userFps = frameCap(query.get('fps') ?? '') ?? 0;  // 0: no cap of the page's own
  let hostFps = 0;  // Wallpaper Engine's frame limit for all its wallpapers
  let scale = number(query.get('scale') ?? '', 0.1, 1) ?? 1;
  let hostPaused = false;
  let engine = null;  // the WebAssembly's exports, once it runs

  function apply() {
    const caps = [userFps, hostFps].filter(function (fps) { return fps > 0; });
    status.fps = caps.length ? Math.min.apply(null, caps) : 0;
    status.scale = scale;
    status.paused = hostPaused || document.visibilityState === 'hidden';
    if (!engine) return;
    engine._VantorelSetFrameCap(status.fps);
    engine._VantorelSetRenderScale(status.scale);
    engine._VantorelSetPaused(status.paused ? 1 : 0);
  }
  document.addEventListener('visibilitychange', apply);

  // Lively Wallpaper: each saved property once after load, then each change; the pause event (its
  // "--pause-event true" argument) as JSON.
  window.livelyPropertyListener = function (name, value) {
    if (name === 'fps') userFps = frameCap(value) ?? userFps;
    else if (name === 'scale') scale = number(value, 0.1, 1) ?? scale;
    apply();
  };
  window.livelyWallpaperPlaybackChanged = function (data) {
    let state = null;
    try { state = JSON.parse(data); } catch (error) { return; }
    if (state && typeof state.IsPaused === 'boolean') {
      hostPaused = state.IsPaused;
      apply();
    }
  };
  // Wallpaper Engine: its general properties carry the user's frame limit, the user properties this
  // wallpaper's own settings (project.json), setPaused its pause.
  window.wallpaperPropertyListener = {
    applyGeneralProperties: function (properties) {
      if (properties && 'fps' in properties) hostFps = frameCap(properties.fps) ?? hostFps;
      apply();
    },
    applyUserProperties: function (properties) {
      if (properties && properties.fps) userFps = frameCap(properties.fps.value) ?? userFps;
      if (properties && properties.scale) scale = number(properties.scale.value, 0.1, 1) ?? scale;
      apply();
    },
    setPaused: function (paused) {
      hostPaused = paused === true;
      apply();
    },
  };

  window.Module = {
    canvas: canvas,
    arguments: args,
    onRuntimeInitialized: function () {
      engine = window.Module;
      apply();
    },
    onNoWebGl: showMessage,
    onBackdrop: function () { status.backdropMs = performance.now(); },
    onFrame: function (width, height, sceneSeconds) {
      status.frames += 1;
      status.width = width;
      status.height = height;
      status.sceneSeconds = sceneSeconds;
      if (status.firstFrameMs === null) status.firstFrameMs = performance.now();
    },
  };
  apply();
  if (typeof WebAssembly !== 'object') showMessage();

  // The installed page: every file from the service worker's cache of this version, also offline.
  // When a new version takes over, the page loads again to run it.
  if (!inHost && document.querySelector('link[rel="manifest"]') && 'serviceWorker' in navigator &&
      /^https?:$/.test(window.location.protocol)) {
    const controlled = navigator.serviceWorker.controller !== null;
    navigator.serviceWorker.addEventListener('controllerchange', function () {
      if (controlled) window.location.reload();
    });
    navigator.serviceWorker.register('sw.js').catch(function () {});
  }

  // What follows is the page's own when it stands alone; a host has its own full screen, pointer and
  // power rules, and a wallpaper must never keep the machine awake or hold off the screen saver.
  if (inHost) return;

  function toggleFullscreen() {
    if (document.fullscreenElement) {
      document.exitFullscreen().catch(function () {});
    } else if (document.documentElement.requestFullscreen) {
      document.documentElement.requestFullscreen().catch(function () {});
    }
  }
  canvas.addEventListener('click', toggleFullscreen);
  document.addEventListener('keydown', function (event) {
    if (event.key === 'f' || event.key === 'F') toggleFullscreen();
    else if (event.key === 'Escape' && document.fullscreenElement) document.exitFullscreen().catch(function () {});
  });

  // The screen stays on while the scene fills it, where the browser offers a wake lock. The browser
  // drops the lock when the page is hidden; it is asked for again when the page shows.
  let wakeLock = null;
  function keepAwake() {
    if (document.fullscreenElement && document.visibilityState === 'visible') {
      if (wakeLock === null && navigator.wakeLock) {
        navigator.wakeLock.request('screen').then(function (lock) {
          wakeLock = lock;
          lock.addEventListener('release', function () { if (wakeLock === lock) wakeLock = null; });
        }).catch(function () {});
      }
    } else if (wakeLock !== null) {
      wakeLock.release().catch(function () {});
      wakeLock = null;
    }
  }
  document.addEventListener('fullscreenchange', keepAwake);
  document.addEventListener('visibilitychange', keepAwake);

  let idleTimer = 0;
  function pointerMoved() {
    document.body.classList.remove('idle');
    window.clearTimeout(idleTimer);
    idleTimer = window.setTimeout(function () { document.body.classList.add('idle'); }, 2000);
  }
  document.addEventListener('mousemove', pointerMoved);
  pointerMoved();
})();
