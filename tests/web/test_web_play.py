# The game in a page, as a player meets it: the start question with the game's texts and its two buttons; No
# gives a 640x480 canvas under the game's caption showing the kept title view; X gives play, whose frame at the
# start point is the kept start view; the arrows turn the view the way they say; Escape ends the game and the
# page says so, with the exit code.
import os

from browser import (Browser, CAPTION, Site, SOURCE_DIR, fail, cycle_tick, heading_shown, kept_view, same_as,
                     start_game, wait_for, Keys)

site = Site(data_dir=os.path.join(SOURCE_DIR, 'data'))
browser = Browser()
try:
    caption, text, buttons = start_game(browser, site)
    if text != 'Would You Like To Run In Fullscreen Mode?' or buttons != ['Yes', 'No']:
        fail('the start question reads "%s" with the buttons %s' % (text, buttons))
    browser.answer('No')

    wait_for(lambda: browser.driver.title == CAPTION, 'the caption as the page title')
    size = browser.run("var c = document.querySelector('#stage canvas'); var r = c.getBoundingClientRect();"
                       "return [c.width, c.height, r.width, r.height];")
    if size != [640, 480, 640, 480]:
        fail('the canvas is %s, not 640x480' % size)
    browser.frames_after(3)
    same_as(browser.shot(site.dir + '/title.png'), kept_view('title'), 'the title frame')

    # The third frame of play, whose sky is the day's, as the kept view shows it.
    browser.keep_play_frame(3)
    browser.hold('x', frames=2)
    same_as(browser.kept_play_frame(site.dir + '/start.png')[0], kept_view('start'),
            'the play frame at the start point')

    # The left arrow raises the heading, the right lowers it: the view each reaches is found among the asset
    # tool's views from the start point, drawn at the tick of the frame kept (the game's day goes on meanwhile).
    heading = 0
    for key, sign in ((Keys.LEFT, 1), (Keys.RIGHT, -1)):
        browser.hold(key, frames=2)
        browser.frames_after(2)
        browser.keep_play_frame()
        picture, played = browser.kept_play_frame(site.dir + '/turned.png')
        turned = heading_shown(picture, site.dir, around=heading, tick=cycle_tick(played))
        print('%s: the view turned from heading %d to %d (frame %d of play, tick %d)'
              % ('left' if sign > 0 else 'right', heading, turned, played, cycle_tick(played)))
        if (turned - heading) * sign <= 0:
            fail('the %s arrow did not turn the view that way' % ('left' if sign > 0 else 'right'))
        heading = turned

    # Mouse look holds the pointer after the answer's click: the first Escape gives it back, the next ends the game.
    held = browser.run('return !!document.pointerLockElement')
    browser.escape()
    if held:
        browser.frames_after(3)
        if browser.page('GorvanePage.endedCode') is not None:
            fail('the Escape that gave back the pointer ended the game')
        browser.escape()
    wait_for(lambda: browser.page('GorvanePage.endedCode') is not None, 'the game to end on Escape')
    ended = browser.run("return [document.getElementById('ended').hidden, document.getElementById('ended').textContent,"
                        "String(GorvanePage.endedCode), document.querySelectorAll('#stage canvas').length]")
    if ended[0] or 'exit code %s' % ended[2] not in ended[1] or ended[3] != 0:
        fail('the page does not show the ended game: %s' % ended)
    print('PASS: the game ended with exit code %s (pointer held before: %s)' % (ended[2], held))
finally:
    browser.close()
    site.close()
