# The day's four sounds in a page: each requested on the frames of its tick (hello on the first five frames of play,
# the others 83, 155 and 215 frames later, six frames each; only the music loops) and each heard while it is the
# latest request: the page's output above silence, with the audio clock running.
import os

from browser import Browser, Site, SOURCE_DIR, fail, start_game, wait_for

SOUNDS = [('plokhello.wav', 0, 5, False), ('plokitsme.wav', 83, 6, False), ('plokstart.wav', 155, 6, False),
          ('track2.wav', 215, 6, True)]
SILENCE = 0.01

site = Site(data_dir=os.path.join(SOURCE_DIR, 'data'))
browser = Browser(sound=True)
try:
    start_game(browser, site)
    browser.answer('No')
    browser.frames_after(2)
    clock_at_start = browser.page('GorvanePage.sound.context ? GorvanePage.sound.context.currentTime : 0')
    browser.hold('x', frames=2)

    # Until the music has been heard: which request is the latest, and how loud the page is.
    heard = {}
    def listen():
        name, level = browser.run('var log = GorvanePage.sound.log;'
                                  'return [log.length ? log[log.length - 1].name : null, GorvanePage.sound.level()];')
        if name and level > SILENCE:
            heard[name] = max(level, heard.get(name, 0))
        return 'track2.wav' in heard and browser.page('GorvanePage.sound.log.length') >= 23
    wait_for(listen, 'the music to be heard', seconds=120)
    clock = browser.page('GorvanePage.sound.context.currentTime')

    log = browser.page('GorvanePage.sound.log')
    first = log[0]['frame']
    for name, offset, count, loop in SOUNDS:
        requests = [entry for entry in log if entry['name'] == name]
        frames = [entry['frame'] - first for entry in requests]
        if frames[:count] != list(range(offset, offset + count)) or len(frames) < count:
            fail('%s was requested on frames %s of play, not %d to %d' % (name, frames, offset, offset + count - 1))
        if any(entry['loop'] != loop for entry in requests):
            fail('%s was requested %s' % (name, 'without looping' if loop else 'looping'))
        if name not in heard:
            fail('%s was requested but not heard' % name)
        print('%s: requested from frame %d of play, heard at a level of %.3f' % (name, offset, heard[name]))
    if clock <= clock_at_start:
        fail('the audio clock stood still (%s to %s)' % (clock_at_start, clock))
    print('PASS: the audio clock ran from %.2f s to %.2f s' % (clock_at_start, clock))
finally:
    browser.close()
    site.close()
