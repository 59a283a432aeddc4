# A level made in Blender, on the web in one step: the Blender test's level script, the asset tool's import into a
# folder of the shipped bitmaps and sounds, then `gorvane-assets web` into a site folder of its own. Served from
# there, the page plays that level: its play frame at the start point is what `gorvane-assets view` draws there.
import os
import shutil
import subprocess
import tempfile

from browser import Browser, PAGE_DIR, Site, SOURCE_DIR, fail, same_as, skip, start_game

tool = os.environ.get('GORVANE_ASSETS')
if not tool:
    skip('GORVANE_ASSETS names no asset tool (run through ctest)')
if not shutil.which('blender'):
    skip('no Blender (scripts/setup.sh test installs it)')


def run(command, what):
    done = subprocess.run(command, capture_output=True, text=True)
    if done.returncode != 0:
        fail('%s failed (%d): %s%s' % (what, done.returncode, done.stdout[-2000:], done.stderr[-2000:]))
    return done


work = tempfile.mkdtemp(prefix='gorvane-level-')
level, published = os.path.join(work, 'level'), os.path.join(work, 'site')
os.mkdir(level)
for name in os.listdir(os.path.join(SOURCE_DIR, 'data')):
    if name != 'world.dat':
        shutil.copy(os.path.join(SOURCE_DIR, 'data', name), level)
probe = subprocess.run(['blender', '-b', '--factory-startup', '--python-exit-code', '1', '--python-expr',
                        'import numpy'], capture_output=True, text=True)
if probe.returncode != 0:
    skip('no Blender with numpy here')
run(['blender', '-b', '--factory-startup', '--python-exit-code', '1', '-P',
     os.path.join(SOURCE_DIR, 'tests', 'tools', 'blender', 'make_level.py'), '--', level], 'Blender')
os.chdir(level)
run([tool, 'import', 'level.gltf', '--out', 'world.dat'], 'import')
print(run([tool, 'web', level, '--out', published, '--page', PAGE_DIR], 'web').stdout.strip())
run([tool, 'view', level, '--at', '0,0,0', '--tick', '3', '--png', os.path.join(work, 'view.png')], 'view')

site = Site(data_dir=published, page=False)
browser = Browser()
try:
    start_game(browser, site)
    browser.answer('No')
    browser.frames_after(2)
    # The second frame of play on, the sky has the day's colour, as the view draws it.
    browser.keep_play_frame(3)
    browser.hold('x', frames=2)
    same_as(browser.kept_play_frame(os.path.join(work, 'play.png'))[0], os.path.join(work, 'view.png'),
            'the published Blender level at the start point')
    print('PASS')
finally:
    browser.close()
    site.close()
    shutil.rmtree(work, ignore_errors=True)
