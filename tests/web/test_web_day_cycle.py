# The day cycle in a page. The four sounds: each requested on the frames of its tick (hello on the first five
# frames of play, the others 83, 155 and 215 frames later, six frames each; only the music loops), each started by
# the page while it is the latest request, and the music heard: the page's output above silence, with the audio
# clock running. Both are looked at by the page on every frame it draws: a test polling from outside can miss a
# sound under a second long on a busy machine, where the audio thread can also starve a short sound of its
# output; the music plays for long enough to be heard all the same. The tint: at dusk
# (frame 400 of play, tick 67, tint 0.64) the world at the start point is drawn darker than by day, by about the
# tint; the frames are read from the canvas at their swap.
import os

from browser import Browser, Site, SOURCE_DIR, fail, start_game, wait_for

SOUNDS = [('plokhello.wav', 0, 5, False), ('plokitsme.wav', 83, 6, False), ('plokstart.wav', 155, 6, False),
          ('track2.wav', 215, 6, True)]

site = Site(data_dir=os.path.join(SOURCE_DIR, 'data'))
browser = Browser(sound=True)
try:
    start_game(browser, site)
    browser.answer('No')
    browser.frames_after(2)
    clock_at_start = browser.page('GorvanePage.sound.context ? GorvanePage.sound.context.currentTime : 0')
    # The loudest the page was while each sound was the latest request; the mean level of the 10th and the 400th
    # frame of play (counted from the first request of the hello), read when it is drawn, before the browser
    # shows it.
    browser.run('''
        var sampleAt = {10: 'day', 400: 'dusk'}, done = GorvanePage.frameDone;
        window.brightness = {};
        window.heard = {};
        window.started = {};
        var lastSource = null;
        GorvanePage.frameDone = function(frames) {
          done.call(this, frames);
          var log = GorvanePage.sound.log, level = GorvanePage.sound.level(), source = GorvanePage.sound.source;
          if (source && source !== lastSource) {
            lastSource = source;
            started[log[log.length - 1].name] = true;
          }
          if (log.length && level > 0.01) {  // above silence
            var latest = log[log.length - 1].name;
            heard[latest] = Math.max(level, heard[latest] || 0);
          }
          var name = log.length && sampleAt[frames - log[0].frame];
          if (!name) return;
          var canvas = document.querySelector('#stage canvas');
          var gl = canvas.getContext('webgl2') || canvas.getContext('webgl');
          var pixels = new Uint8Array(640 * 480 * 4), sum = 0;
          gl.readPixels(0, 0, 640, 480, gl.RGBA, gl.UNSIGNED_BYTE, pixels);
          for (var i = 0; i < pixels.length; i += 4) sum += pixels[i] + pixels[i + 1] + pixels[i + 2];
          brightness[name] = sum / (640 * 480 * 3);
        };''')
    browser.hold('x', frames=2)

    # Until the music has been heard.
    wait_for(lambda: 'track2.wav' in browser.page('window.heard') and
             browser.page('GorvanePage.sound.log.length') >= 23, 'the music to be heard', seconds=120)
    heard, started = browser.page('window.heard'), browser.page('window.started')
    clock = browser.page('GorvanePage.sound.context.currentTime')

    dusk = wait_for(lambda: browser.page('window.brightness.dusk'), 'frame 400 of play', seconds=120)
    day = browser.page('window.brightness.day')
    print('the world at the start point: %.1f by day, %.1f at dusk (%.2f of it)' % (day, dusk, dusk / day))
    if not 0.5 < dusk / day < 0.8:
        fail('at dusk the world is %.2f as bright as by day, not about the tint of 0.64' % (dusk / day))

    log = browser.page('GorvanePage.sound.log')
    first = log[0]['frame']
    for name, offset, count, loop in SOUNDS:
        requests = [entry for entry in log if entry['name'] == name]
        frames = [entry['frame'] - first for entry in requests]
        if frames[:count] != list(range(offset, offset + count)) or len(frames) < count:
            fail('%s was requested on frames %s of play, not %d to %d' % (name, frames, offset, offset + count - 1))
        if any(entry['loop'] != loop for entry in requests):
            fail('%s was requested %s' % (name, 'without looping' if loop else 'looping'))
        if name not in started:
            fail('%s was requested but never played' % name)
        print('%s: requested from frame %d of play, played%s' %
              (name, offset, ', heard at a level of %.3f' % heard[name] if name in heard else ''))
    if clock <= clock_at_start:
        fail('the audio clock stood still (%s to %s)' % (clock_at_start, clock))
    print('PASS: the audio clock ran from %.2f s to %.2f s' % (clock_at_start, clock))
finally:
    browser.close()
    site.close()
