# A broken bitmap in the page's folder: the page shows the decoder's message for it (the one the asset tool
# prints), then "Initialization Failed." as the desktop game does, and nothing else runs: no frame is drawn, and
# the game ends with code 0.
import os
import struct
import subprocess

from browser import Browser, Site, SOURCE_DIR, fail, skip, start_game, wait_for

# A bitmap saved with a 108-byte header, which the game does not read.
header = struct.pack('<I', 108) + bytes(104)
broken = b'BM' + struct.pack('<IHHI', 14 + len(header) + 4, 0, 0, 14 + len(header)) + header + bytes(4)

site = Site(data_dir=os.path.join(SOURCE_DIR, 'data'), extra={'wall1.bmp': broken})
tool = os.environ.get('GORVANE_ASSETS')
if not tool:
    skip('GORVANE_ASSETS names no asset tool (run through ctest)')
message = subprocess.run([tool, 'bmp', os.path.join(site.dir, 'wall1.bmp')], capture_output=True,
                         text=True).stderr.strip()
browser = Browser()
try:
    start_game(browser, site)
    browser.answer('No')
    caption, text, buttons = browser.wait_box('Error')
    if text != message or buttons != ['OK']:
        fail('the box says "%s" with %s, not the decoder\'s "%s"' % (text, buttons, message))
    browser.answer('OK')
    caption, text, buttons = browser.wait_box('ERROR')
    if text != 'Initialization Failed.':
        fail('after the decoder\'s message the box says "%s"' % text)
    browser.answer('OK')
    wait_for(lambda: browser.page('GorvanePage.endedCode') is not None, 'the game to end')
    frames, code = browser.page('[GorvanePage.frames, GorvanePage.endedCode]')
    if frames != 0 or code != 0:
        fail('after the broken bitmap the game drew %d frames and ended with %s' % (frames, code))
    print('PASS: "%s", then "Initialization Failed.", no frame, exit code 0' % message)
finally:
    browser.close()
    site.close()
