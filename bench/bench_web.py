# The web page's figures, on this machine's headless Chromium (software rendering): the program files' sizes,
# the time from navigation to the start question, the frame interval in play with the shipped level (median and
# 95th percentile) and the CPU the browser's processes take while playing. Measure on a quiet machine:
#   /usr/bin/python3 bench/bench_web.py [SECONDS]        (the page from build/web/page: cmake --workflow --preset web)
import gzip
import os
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'tests', 'web'))
from browser import Browser, Keys, PAGE_DIR, PAGE_FILES, SOURCE_DIR, Site, start_game, wait_for  # noqa: E402

SECONDS = float(sys.argv[1]) if len(sys.argv) > 1 else 10.0
TICKS = os.sysconf('SC_CLK_TCK')


def browser_cpu_seconds(root_pid):
    """User and system time of a process and all its descendants (Chromium's browser, renderer, GPU, audio)."""
    children = {}
    for pid in filter(str.isdigit, os.listdir('/proc')):
        try:
            fields = open('/proc/%s/stat' % pid).read().rsplit(')', 1)[1].split()
        except OSError:
            continue
        children.setdefault(int(fields[1]), []).append((int(pid), int(fields[11]) + int(fields[12])))
    total, stack = 0, [root_pid]
    while stack:
        for pid, ticks in children.get(stack.pop(), []):
            total += ticks
            stack.append(pid)
    return total / TICKS


print('program files (bytes, gzip -9):')
total = total_gzip = 0
for name in PAGE_FILES:
    data = open(os.path.join(PAGE_DIR, name), 'rb').read()
    packed = len(gzip.compress(data, 9))
    total, total_gzip = total + len(data), total_gzip + packed
    print('  %-13s %7d %7d' % (name, len(data), packed))
print('  %-13s %7d %7d' % ('together', total, total_gzip))

site = Site(data_dir=os.path.join(SOURCE_DIR, 'data'))
browser = Browser()
try:
    # When the start question opens, by the page's own clock, which starts at navigation.
    browser.driver.execute_cdp_cmd('Page.addScriptToEvaluateOnNewDocument', {'source': """
        new MutationObserver(function(changes, observer) {
          if (document.querySelector('dialog[open]')) {
            window.questionAt = performance.now();
            observer.disconnect();
          }
        }).observe(document, {subtree: true, childList: true, attributes: true});"""})
    loads = []
    for _ in range(5):
        start_game(browser, site)
        loads.append(wait_for(lambda: browser.page('window.questionAt'), 'the question time'))
    print('navigation to the start question: median %.0f ms (of %s ms)' %
          (statistics.median(loads), ', '.join('%.0f' % t for t in loads)))

    browser.answer('No')
    browser.frames_after(5)
    browser.hold('x', frames=2)
    browser.run('window.frameTimes = []; var done = GorvanePage.frameDone;'
                'GorvanePage.frameDone = function(n) { frameTimes.push(performance.now()); done.call(this, n); };')
    root = browser.driver.service.process.pid
    cpu_before, wall_before = browser_cpu_seconds(root), time.monotonic()
    # Half the time standing at the start, half turning: the views of the hut and the yard beyond its door.
    time.sleep(SECONDS / 2)
    from selenium.webdriver.common.action_chains import ActionChains
    ActionChains(browser.driver).key_down(Keys.LEFT).perform()
    time.sleep(SECONDS / 2)
    ActionChains(browser.driver).key_up(Keys.LEFT).perform()
    cpu = (browser_cpu_seconds(root) - cpu_before) / (time.monotonic() - wall_before)
    times = browser.page('frameTimes')
    intervals = sorted(b - a for a, b in zip(times, times[1:]))
    p95 = intervals[int(len(intervals) * 0.95)]
    print('frame interval in play: median %.2f ms, 95th percentile %.2f ms, over %d frames (%.1f to %.1f ms)' %
          (statistics.median(intervals), p95, len(intervals), intervals[0], intervals[-1]))
    print("the browser's processes while playing: %.2f of a core" % cpu)
finally:
    browser.close()
    site.close()
