# Fullscreen as the display mode. Headless Chromium grants it after the answer's click; a page framed without the
# permission is refused it. Refused: Yes asks "Quillo GL", whose Yes gives the window, and F1 in play asks again and
# titles the page "Brannoch". Granted: Yes gives fullscreen; F1 gives back a window titled "Brannoch" and F1 takes
# fullscreen again; when the browser leaves fullscreen by itself (the player's Escape), the game is told its window
# was minimised and stops drawing (the arrows turn nothing on screen), and the next Escape ends it.
import os

from browser import Browser, CAPTION, Site, SOURCE_DIR, fail, start_game, wait_for, Keys

REFUSED = 'The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed Mode Instead?'


def fullscreen(browser):
    return browser.run('return !!document.fullscreenElement')


def refused_path(browser, site):
    # The page framed by another site (localhost frames 127.0.0.1) that gives it no fullscreen permission.
    browser.driver.get(site.url.replace('127.0.0.1', 'localhost') + 'framed.html')
    browser.driver.switch_to.frame(0)
    wait_for(browser.box, 'the start question in the frame')
    browser.answer('Yes')
    caption, text, buttons = browser.wait_box('Quillo GL')
    if text != REFUSED or buttons != ['Yes', 'No']:
        fail('the refused mode is asked as "%s" with %s' % (text, buttons))
    browser.answer('Yes')
    wait_for(lambda: browser.run('return document.title') == CAPTION, 'the window after Yes')
    browser.hold('x', frames=2)
    browser.hold(Keys.F1, frames=1, until=browser.box)
    browser.wait_box('Quillo GL')
    browser.answer('Yes')
    wait_for(lambda: browser.run('return document.title') == 'Brannoch', 'the page titled "Brannoch" after F1')
    browser.frames_after(3)
    if fullscreen(browser):
        fail('the framed page went fullscreen')
    browser.driver.switch_to.default_content()
    print('refused: "Quillo GL" at the start and on F1, then the window "Brannoch"')


def granted_path(browser, site):
    start_game(browser, site)
    browser.answer('Yes')
    wait_for(lambda: fullscreen(browser) and browser.page('GorvanePage.frames') > 0, 'fullscreen and a frame')
    if browser.box():
        fail('a box after the granted fullscreen: %s' % browser.box())
    browser.hold('x', frames=2)
    browser.hold(Keys.F1, frames=1)
    wait_for(lambda: browser.driver.title == 'Brannoch' and not fullscreen(browser), 'a window after F1')
    browser.frames_after(3)
    browser.hold(Keys.F1, frames=1)
    wait_for(lambda: browser.driver.title == 'Brannoch' and fullscreen(browser), 'fullscreen again after F1')
    browser.frames_after(3)

    # The player's Escape: the browser leaves fullscreen, the page is not told the key.
    browser.escape()
    wait_for(lambda: browser.run("return !document.getElementById('paused').hidden"), 'the page to say it paused')
    # The arrows still turn the player, as on a minimised desktop window, but nothing new is drawn.
    still = browser.shot(site.dir + '/paused-1.png')
    browser.hold(Keys.LEFT, frames=5)
    browser.frames_after(3)
    if open(still, 'rb').read() != open(browser.shot(site.dir + '/paused-2.png'), 'rb').read():
        fail('the game went on drawing with its window minimised')
    if browser.page('GorvanePage.endedCode') is not None:
        fail('leaving fullscreen ended the game')
    browser.escape()
    wait_for(lambda: browser.page('GorvanePage.endedCode') is not None, 'the second Escape to end the game')
    print('granted: fullscreen, F1 to the window "Brannoch" and back; Escape paused, the next ended (code %s)'
          % browser.page('GorvanePage.endedCode'))


site = Site(data_dir=os.path.join(SOURCE_DIR, 'data'))
with open(os.path.join(site.dir, 'framed.html'), 'w') as framed:
    framed.write('<!doctype html><iframe src="%sindex.html" width="760" height="640"></iframe>' % site.url)
try:
    for path in (refused_path, granted_path):
        browser = Browser()
        try:
            path(browser, site)
        finally:
            browser.close()
    print('PASS')
finally:
    site.close()
