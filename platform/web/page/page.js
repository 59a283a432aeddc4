// The page around the game: its windows (canvases in the stage), message boxes as dialogs, fullscreen as the
// display mode, the pointer, the data files, the sounds and the end. The C++ backend (platform/web/
// web_platform.cpp) calls in here; the page calls back when the browser takes fullscreen away or gives it back.
var GorvanePage = {
  windows: new Map(),
  nextWindow: 1,
  cursorShown: true,
  wantsPointer: false,
  holdsFullscreen: false,
  frames: 0,
  endedCode: null,

  element: function(id) { return document.getElementById(id); },

  // A message box: the game's caption, text and buttons (Yes then No, or OK), answered only with its buttons
  // when it asks Yes or No. Resolves to the answer's Windows code (Yes 6, No 7, OK 1).
  ask: function(text, caption, style) {
    var yesNo = (style & 0x0F) === 4;
    var icons = {0x10: ['stop', '\u00d7'], 0x20: ['question', '?'], 0x30: ['exclamation', '!'],
                 0x40: ['information', 'i']};
    var icon = icons[style & 0xF0];
    var dialog = document.createElement('dialog');
    dialog.className = 'box';
    var heading = dialog.appendChild(document.createElement('h1'));
    heading.className = 'caption';
    heading.textContent = caption;
    var body = dialog.appendChild(document.createElement('div'));
    body.className = 'body';
    if (icon) {
      var mark = body.appendChild(document.createElement('span'));
      mark.className = 'icon ' + icon[0];
      mark.textContent = icon[1];
    }
    var words = body.appendChild(document.createElement('p'));
    words.className = 'text';
    words.textContent = text;
    var row = dialog.appendChild(document.createElement('div'));
    row.className = 'buttons';
    document.body.appendChild(dialog);
    return new Promise(function(resolve) {
      var answered = false;
      function answer(code) {
        answered = true;
        // The click that answers is what lets the page make sound.
        GorvanePage.sound.unlock();
        dialog.close();
        dialog.remove();
        resolve(code);
      }
      (yesNo ? [['Yes', 6], ['No', 7]] : [['OK', 1]]).forEach(function(button) {
        var element = row.appendChild(document.createElement('button'));
        element.textContent = button[0];
        element.addEventListener('click', function() { answer(button[1]); });
      });
      dialog.addEventListener('cancel', function(event) {
        event.preventDefault();
        if (!yesNo) answer(1);
      });
      // A browser may close a dialog on Escape whatever the page says: a question is asked again.
      dialog.addEventListener('close', function() {
        if (!answered) dialog.showModal();
      });
      dialog.showModal();
      row.firstChild.focus();
    });
  },

  createWindow: function(title, width, height) {
    var canvas = document.createElement('canvas');
    canvas.width = width;
    canvas.height = height;
    canvas.style.visibility = 'hidden';
    canvas.style.cursor = this.cursorShown ? '' : 'none';
    canvas.addEventListener('click', function() { GorvanePage.lockPointer(); });
    this.element('stage').appendChild(canvas);
    document.title = title;
    var id = this.nextWindow++;
    this.windows.set(id, canvas);
    return id;
  },

  showWindow: function(id) {
    var canvas = this.windows.get(id);
    if (canvas) canvas.style.visibility = 'visible';
  },

  destroyWindow: function(id) {
    var canvas = this.windows.get(id);
    if (!canvas) return;
    if (document.pointerLockElement === canvas) document.exitPointerLock();
    canvas.remove();
    this.windows.delete(id);
  },

  canvasOf: function(id) { return this.windows.get(id) || null; },

  topCanvas: function() {
    var last = null;
    this.windows.forEach(function(canvas) { last = canvas; });
    return last;
  },

  showCursor: function(shown) {
    this.cursorShown = !!shown;
    this.windows.forEach(function(canvas) { canvas.style.cursor = shown ? '' : 'none'; });
  },

  // Mouse look wants the pointer: the page holds it (pointer lock) now if a click or key has just let it, else
  // at the next click on the picture.
  wantPointer: function(wanted) {
    this.wantsPointer = !!wanted;
    if (!wanted) {
      if (document.pointerLockElement) document.exitPointerLock();
      return;
    }
    if (navigator.userActivation && navigator.userActivation.isActive) this.lockPointer();
  },

  lockPointer: function() {
    var canvas = this.topCanvas();
    if (!this.wantsPointer || !canvas || document.pointerLockElement === canvas) return;
    try {
      var request = canvas.requestPointerLock();
      if (request && request.catch) request.catch(function() {});
    } catch (error) {
      // Refused without a click: the next click on the picture asks again.
    }
  },

  // Asks the browser for fullscreen on the stage, where the canvas is scaled to the screen. Resolves to 1 when
  // granted, 0 when refused (no recent click or key, a frame without the permission, no fullscreen at all).
  enterFullscreen: function() {
    var stage = this.element('stage');
    if (!document.fullscreenEnabled || !stage.requestFullscreen) return Promise.resolve(0);
    var page = this;
    var request = stage.requestFullscreen({navigationUI: 'hide'}).then(function() {
      page.holdsFullscreen = true;
      return 1;
    }, function() { return 0; });
    // A browser that neither grants nor refuses within seconds has refused.
    var patience = new Promise(function(resolve) { setTimeout(function() { resolve(0); }, 5000); });
    return Promise.race([request, patience]);
  },

  leaveFullscreen: function() {
    this.holdsFullscreen = false;
    this.element('paused').hidden = true;
    if (document.fullscreenElement) document.exitFullscreen().catch(function() {});
  },

  // The browser left fullscreen by itself (Escape, or the player switched away): the game is told its window
  // was minimised, and the page offers the way back.
  fullscreenChanged: function() {
    if (document.fullscreenElement || !this.holdsFullscreen) return;
    this.element('paused').hidden = false;
    _WebPageModeLost();
  },

  resumeFullscreen: function() {
    var page = this;
    this.element('stage').requestFullscreen({navigationUI: 'hide'}).then(function() {
      page.element('paused').hidden = true;
      _WebPageModeRegained();
    }, function() {});
  },

  // Sleeps ms milliseconds. The timer is started from a message, not from the timer that woke the program last,
  // so browsers do not stretch it to their 4 ms minimum for timers set from timers.
  sleep: function(ms) {
    var page = this;
    if (!page.channel) {
      page.channel = new MessageChannel();
      page.channel.port1.onmessage = function() { setTimeout(page.wake, page.sleepMs); };
    }
    return new Promise(function(resolve) {
      page.wake = resolve;
      page.sleepMs = ms;
      page.channel.port2.postMessage(0);
    });
  },

  // The data files from the page's own folder into the working directory; one the folder lacks stays missing.
  // The browser checks each with the server, so a replaced file replaces the level.
  fetchFiles: function(names) {
    if (location.protocol === 'file:') this.element('served').hidden = false;
    return Promise.all(names.map(function(name) {
      return fetch(name, {cache: 'no-cache'}).then(function(response) {
        return response.ok ? response.arrayBuffer() : null;
      }).catch(function() { return null; }).then(function(bytes) {
        if (bytes) FS.writeFile(name, new Uint8Array(bytes));
      });
    }));
  },

  // A frame is drawn and waits out its time; the browser has not shown it yet.
  frameDone: function(frames) { this.frames = frames; },

  ended: function(code) {
    this.endedCode = code;
    this.sound.stop();
    this.leaveFullscreen();
    if (document.pointerLockElement) document.exitPointerLock();
    this.element('exit-code').textContent = String(code);
    this.element('ended').hidden = false;
  },

  // One sound at a time: a request stops what plays and starts its file from the beginning, looping when asked.
  // A file that cannot be played sounds a short chime instead, as a desktop sounds its default sound.
  sound: {
    context: null,
    analyser: null,
    buffers: new Map(),
    source: null,
    request: 0,
    log: [],

    ensure: function() {
      if (this.context) return this.context;
      var AudioContextType = window.AudioContext || window.webkitAudioContext;
      if (!AudioContextType) return null;
      try {
        this.context = new AudioContextType();
      } catch (error) {
        return null;
      }
      // Everything passes an analyser on its way out, which tells how loud the page is.
      this.analyser = this.context.createAnalyser();
      this.analyser.fftSize = 2048;
      this.analyser.connect(this.context.destination);
      return this.context;
    },

    // Browsers start sound only after a click or a key: called from the answer to a question.
    unlock: function() {
      var context = this.ensure();
      if (context && context.state === 'suspended') context.resume().catch(function() {});
    },

    decoded: function(name) {
      if (!this.buffers.has(name)) {
        var decoding;
        try {
          var bytes = FS.readFile(name);
          decoding = this.context.decodeAudioData(bytes.slice().buffer).catch(function() { return null; });
        } catch (error) {
          decoding = Promise.resolve(null);
        }
        this.buffers.set(name, decoding);
      }
      return this.buffers.get(name);
    },

    chime: function() {
      if (this.chimeBuffer) return this.chimeBuffer;
      var rate = this.context.sampleRate, length = Math.floor(rate * 0.4);
      var buffer = this.context.createBuffer(1, length, rate), samples = buffer.getChannelData(0);
      for (var i = 0; i < length; i++) {
        var t = i / rate, second = t >= 0.15;
        var frequency = second ? 660 : 880, start = second ? 0.15 : 0;
        samples[i] = 0.25 * Math.sin(2 * Math.PI * frequency * t) * Math.exp(-8 * (t - start));
      }
      this.chimeBuffer = buffer;
      return buffer;
    },

    play: function(name, loop, frame) {
      this.log.push({name: name, loop: !!loop, frame: frame});
      var context = this.ensure();
      if (!context) return;
      this.stop();
      var request = ++this.request, sound = this;
      this.decoded(name).then(function(buffer) {
        if (request !== sound.request) return;
        var source = context.createBufferSource();
        source.buffer = buffer || sound.chime();
        source.loop = !!loop && !!buffer;
        source.connect(sound.analyser);
        source.start();
        sound.source = source;
      });
    },

    stop: function() {
      this.request++;
      if (!this.source) return;
      try {
        this.source.stop();
      } catch (error) {
        // Never started: nothing to stop.
      }
      this.source.disconnect();
      this.source = null;
    },

    // How loud the page is now: the root mean square of the last samples out, 0 for silence.
    level: function() {
      if (!this.analyser) return 0;
      var samples = new Float32Array(this.analyser.fftSize);
      this.analyser.getFloatTimeDomainData(samples);
      var sum = 0;
      for (var i = 0; i < samples.length; i++) sum += samples[i] * samples[i];
      return Math.sqrt(sum / samples.length);
    },
  },
};

document.addEventListener('fullscreenchange', function() { GorvanePage.fullscreenChanged(); });
