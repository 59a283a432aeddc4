# What the browser tests share: a folder served over http on localhost holding the page and a level, a headless
# Chromium driven through chromedriver, and the steps a player takes (answer a box, hold a key, press Escape).
# Every wait is for a condition, with a generous deadline. Exit codes: 0 pass, 1 fail, 77 skip (nothing to test
# with: no page built, no Chromium).
import base64
import functools
import http.server
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time

SOURCE_DIR = os.environ.get('GORVANE_SOURCE_DIR', os.path.join(os.path.dirname(__file__), '..', '..'))
PAGE_DIR = os.environ.get('GORVANE_WEB_PAGE', os.path.join(SOURCE_DIR, 'build', 'web', 'page'))
PAGE_FILES = ('index.html', 'gorvane.js', 'gorvane.wasm')
# The game's caption, from the build.
CAPTION = os.environ.get('GORVANE_CAPTION', '')
DEADLINE = 60


def skip(why):
    print('SKIP: ' + why)
    sys.exit(77)


def fail(why):
    print('FAIL: ' + why)
    sys.exit(1)


try:
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.action_chains import ActionChains
    from selenium.webdriver.common.by import By
    from selenium.webdriver.common.keys import Keys
except ImportError:
    skip('no python3-selenium (scripts/setup.sh test installs it)')
if not all(os.path.exists(os.path.join(PAGE_DIR, name)) for name in PAGE_FILES):
    skip('no page built in %s (cmake --workflow --preset web builds it)' % PAGE_DIR)
if not (shutil.which('chromium') and shutil.which('chromedriver')):
    skip('no chromium and chromedriver (scripts/setup.sh test installs them)')


def wait_for(condition, what, seconds=DEADLINE):
    """Polls condition until it gives something true, and returns that; fails after seconds."""
    end = time.monotonic() + seconds
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > end:
            fail('waited %d s for %s' % (seconds, what))
        time.sleep(0.05)


class Site:
    """A folder of the page's program files and a level's data files, served over http on localhost."""

    def __init__(self, data_dir=None, extra=None, page=True):
        self.dir = tempfile.mkdtemp(prefix='gorvane-web-')
        if page:
            for name in PAGE_FILES:
                shutil.copy(os.path.join(PAGE_DIR, name), self.dir)
        if data_dir:
            for name in os.listdir(data_dir):
                shutil.copy(os.path.join(data_dir, name), self.dir)
        for name, content in (extra or {}).items():
            with open(os.path.join(self.dir, name), 'wb') as file:
                file.write(content)
        handler = functools.partial(Quiet, directory=self.dir)
        self.server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), handler)
        threading.Thread(target=self.server.serve_forever, daemon=True).start()
        self.url = 'http://127.0.0.1:%d/' % self.server.server_address[1]

    def close(self):
        self.server.shutdown()
        shutil.rmtree(self.dir, ignore_errors=True)


class Quiet(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


class Browser:
    """Headless Chromium on the software renderer, with a profile of its own."""

    def __init__(self, sound=False):
        self.profile = tempfile.mkdtemp(prefix='gorvane-chromium-')
        options = webdriver.ChromeOptions()
        options.binary_location = shutil.which('chromium')
        flags = ['--headless=new', '--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
                 '--disable-background-networking', '--disable-component-update', '--disable-sync',
                 '--no-first-run', '--window-size=800,700', '--user-data-dir=' + self.profile]
        if sound:
            # Sound starts at once, as it does in a browser after the player's first click.
            flags.append('--autoplay-policy=no-user-gesture-required')
        for flag in flags:
            options.add_argument(flag)
        self.driver = webdriver.Chrome(service=Service(shutil.which('chromedriver')), options=options)
        self.driver.set_script_timeout(DEADLINE)

    def close(self):
        self.driver.quit()
        shutil.rmtree(self.profile, ignore_errors=True)

    def run(self, script, *arguments):
        return self.driver.execute_script(script, *arguments)

    def page(self, name):
        """A value of the page's state, e.g. 'GorvanePage.frames'."""
        return self.run('return ' + name)

    def box(self):
        """The open message box as (caption, text, [buttons]), or None."""
        return self.run("""
            var box = document.querySelector('dialog[open]');
            if (!box) return null;
            return [box.querySelector('.caption').textContent, box.querySelector('.text').textContent,
                    Array.from(box.querySelectorAll('button')).map(function(b) { return b.textContent; })];""")

    def wait_box(self, caption):
        box = wait_for(lambda: self.box(), 'the box "%s"' % caption)
        if box[0] != caption:
            fail('the box shown is "%s" (%s), not "%s"' % (box[0], box[1], caption))
        return box

    def answer(self, button):
        """Clicks the button of the open box, as a player does, and waits until that box has gone."""
        self.run("document.querySelector('dialog[open]').dataset.answered = 'yes'")
        chosen = [b for b in self.driver.find_elements(By.CSS_SELECTOR, 'dialog[open] .buttons button')
                  if b.text == button]
        if not chosen:
            fail('the box has no button %s' % button)
        chosen[0].click()
        wait_for(lambda: not self.run("return document.querySelector('dialog[data-answered]')"), 'the box to go')

    def frames_after(self, count):
        """Waits until the game has shown count more frames."""
        start = self.page('GorvanePage.frames')
        wait_for(lambda: self.page('GorvanePage.frames') >= start + count, '%d more frames' % count)

    def key_down_counted(self, key):
        """Presses key and returns a function that tells how many frames the game has drawn since the page had
        it (None before): on a busy machine a key can reach the page frames after it was sent."""
        self.run("window.keyDownAt = null; window.addEventListener('keydown', function seen() {"
                 "  window.keyDownAt = GorvanePage.frames; window.removeEventListener('keydown', seen, true);"
                 "}, true);")
        ActionChains(self.driver).key_down(key).perform()
        def frames_since():
            at = self.page('window.keyDownAt')
            return None if at is None else self.page('GorvanePage.frames') - at
        return frames_since

    def hold(self, key, frames=5, until=None):
        """Holds a key down while the game draws frames frames after the page has it, or until the condition
        holds (the key may stop the frames: a box asks), then lets it go. One frame more is counted than asked:
        the key may come in the middle of a frame, which the game ends without having seen it."""
        frames_since = self.key_down_counted(key)
        wait_for(lambda: (frames_since() or 0) > frames or (until and until()), '%d frames with a key down' % frames)
        ActionChains(self.driver).key_up(key).perform()

    def escape(self):
        """Escape as a player presses it. While the browser holds fullscreen or the pointer, Chromium takes the key
        for itself: it gives them back and the page never sees the key. Keys sent through the DevTools protocol
        skip that handling, so here it is played as the browser plays it."""
        held = self.run('return !!(document.fullscreenElement || document.pointerLockElement)')
        if held:
            self.run('if (document.fullscreenElement) document.exitFullscreen();'
                     'if (document.pointerLockElement) document.exitPointerLock();')
            wait_for(lambda: not self.run('return !!(document.fullscreenElement || document.pointerLockElement)'),
                     'the browser to give back fullscreen and the pointer')
            return
        # Held while the game shows two frames, or until it ends: a press and release between two frames
        # would never be seen down.
        frames_since = self.key_down_counted(Keys.ESCAPE)
        wait_for(lambda: self.page('GorvanePage.endedCode') is not None or (frames_since() or 0) >= 2,
                 'two frames with Escape down')
        ActionChains(self.driver).key_up(Keys.ESCAPE).perform()

    def keep_play_frame(self, frame=None):
        """From now on keeps one frame of play as the game draws it, before the browser shows it (on a busy
        machine a screenshot can still show an earlier frame): the given frame, counted from the hello's request
        on play's first frame, or with none the next frame drawn in the middle of a tick of the day cycle, whose
        sky and tint are its tick's own (see cycle_tick)."""
        self.run('''
            window.keptFrame = null;
            window.keepFrame = function(played) { return %s; };
            if (window.keepHooked) return;
            window.keepHooked = true;
            var done = GorvanePage.frameDone;
            GorvanePage.frameDone = function(frames) {
              done.call(this, frames);
              var log = GorvanePage.sound.log;
              if (!window.keptFrame && log.length && window.keepFrame(frames - log[0].frame)) {
                window.keptFrame = document.querySelector('#stage canvas').toDataURL('image/png');
                window.keptAt = frames - log[0].frame;
              }
            };''' % ('played === %d' % frame if frame is not None else '(played + 1) % 6 === 3'))

    def kept_play_frame(self, path):
        """The frame keep_play_frame asked for, as a PNG file, once it has been drawn, and its frame of play."""
        data = wait_for(lambda: self.page('window.keptFrame'), 'the frame of play kept')
        with open(path, 'wb') as file:
            file.write(base64.b64decode(data.split(',', 1)[1]))
        return path, self.page('window.keptAt')

    def shot(self, path):
        """The canvas as the page shows it, 640x480 pixels, as a PNG file."""
        rect = self.run("var r = document.querySelector('#stage canvas').getBoundingClientRect();"
                        "return [r.left, r.top, r.width, r.height];")
        png = self.driver.execute_cdp_cmd('Page.captureScreenshot', {
            'format': 'png', 'clip': {'x': rect[0], 'y': rect[1], 'width': rect[2], 'height': rect[3], 'scale': 1}})
        with open(path, 'wb') as file:
            file.write(base64.b64decode(png['data']))
        return path


def look(*arguments):
    """Runs the end-to-end tests' look program (tests/e2e/look.cpp) and returns what it did."""
    program = os.environ.get('GORVANE_LOOK')
    if not program:
        skip('GORVANE_LOOK names no look program (run through ctest)')
    return subprocess.run([program, *arguments], capture_output=True, text=True)


def same_as(picture, kept, what):
    """Fails unless picture shows the view kept within the bound for the browser against the kept views
    (tests/support/picture_compare.h)."""
    done = look('compare', 'browser', picture, kept)
    print('%s: %s' % (what, (done.stdout + done.stderr).strip()))
    if done.returncode != 0:
        fail('%s differs from %s: %s' % (what, kept, (done.stdout + done.stderr).strip()))


def kept_view(name):
    return os.path.join(SOURCE_DIR, 'tests', 'data', 'views', name + '.png')


def cycle_tick(played):
    """The tick of the day cycle in which the game draws the given frame of play: the hello's tick 1 lasts five
    frames, every later tick six, and tick 119 is followed by tick 1."""
    return 1 + (played + 1) // 6 % 119


def heading_shown(picture, data_dir, around=0, tick=3, most=180):
    """The heading, a multiple of the arrows' 5 degrees, from which the asset tool draws at the start point and
    the tick the view the picture shows, searched outwards from `around`: a turn told by the view it reaches,
    however many frames the key was held, not estimated from how far the picture moved."""
    tool = os.environ.get('GORVANE_ASSETS')
    if not tool:
        skip('GORVANE_ASSETS names no asset tool (run through ctest)')
    drawn = os.path.join(os.path.dirname(picture), 'heading.png')
    for step in range(most // 5 + 1):
        for heading in sorted({around + 5 * step, around - 5 * step}):
            subprocess.run([tool, 'view', data_dir, '--at', '0,0,%d' % heading, '--tick', str(tick), '--png', drawn],
                           check=True, capture_output=True)
            if look('compare', 'browser', picture, drawn).returncode == 0:
                return heading
    fail('the picture shows no view from the start point at tick %d within %d degrees of %d' % (tick, most, around))


def start_game(browser, site, page='index.html'):
    browser.driver.get(site.url + page)
    return browser.wait_box('Start FullScreen?')
