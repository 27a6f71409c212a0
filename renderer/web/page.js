// The page around the scene: its options from the address (?t=SECONDS for a still), full screen on a
// click or F (Escape leaves), the pointer hidden after two seconds at rest, the screen kept awake while
// full screen, and the message for a browser without WebGL 2. window.vantorel tells what was drawn:
// when the backdrop shown during the set-up came, and the scene's frames (count, size, scene time).
'use strict';
(function () {
  const canvas = document.getElementById('scene');
  const status = { frames: 0, width: 0, height: 0, sceneSeconds: 0, backdropMs: null, firstFrameMs: null, noWebGl: false };
  window.vantorel = status;

  function showMessage() {
    status.noWebGl = true;
    document.body.classList.add('no-webgl');
  }

  const args = [];
  const still = new URLSearchParams(window.location.search).get('t');
  if (still !== null && /^\s*\d+(\.\d+)?\s*$/.test(still)) args.push('--time', still.trim());

  window.Module = {
    canvas: canvas,
    arguments: args,
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
  if (typeof WebAssembly !== 'object') showMessage();

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
