#!/usr/bin/env python3
"""The fault check: puts one small fault (a mutant) at a time into the given C++ sources, rebuilds, runs the tests
that can see that code and reports every mutant no test fails on. It works in a copy of the tracked files with a
build tree of its own (build/mutants/ by default), so the working tree is never touched.

  scripts/mutants.py [--seed S] [--sample N] [--only ID,...] [--tests NAME,...] [--list] PATH...

Mutants judged equivalent (no test could tell them apart) are listed in tests/mutants-equivalent.txt, one a line:
"ID | reason | where and what" (only the ID and the reason are read; the ID hashes the file, the line's text and
the change, so it survives lines moving).
"""
import argparse
import fcntl
import hashlib
import json
import os
import random
import re
import signal
import shutil
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
EQUIVALENTS = ROOT / 'tests/mutants-equivalent.txt'
# The tests that see each folder's code; the longest matching prefix wins. The end-to-end tests (label e2e) are
# left out: each starts its own X server and takes a minute.
TESTS_FOR = {
    'app/': ['app_tests', 'window_tests', 'scene_tests'],
    'window/': ['window_tests', 'app_tests', 'scene_tests'],
    'scene/': ['scene_tests', 'data_tests', 'replay_world'],
    'image/': ['image_tests', 'scene_tests', 'replay_dib'],
    'model/': ['model_tests', 'replay_ms3d'],
    'platform/': ['app_tests', 'window_tests', 'tools_tests'],
    'platform/sdl/': ['sdl_backend_tests', 'sdl_sound_tests', 'tools_tests'],
    'tools/': ['tools_tests', 'data_tests'],
}
SOURCE_SUFFIXES = ('.cpp', '.h')

# --- Reading C++: tokens outside comments, string and character literals and preprocessor lines. ---
TOKEN = re.compile(r'''
    (?P<skip> //[^\n]* | /\*.*?\*/ | ^[ \t]*\#(?:\\\n|[^\n])* )
  | (?P<raw> (?:u8|[uUL])?R"(?P<delim>[^(\s]*)\(.*?\)(?P=delim)" )
  | (?P<string> (?:u8|[uUL])?"(?:\\.|[^"\\\n])*" | (?:u8|[uUL])?'(?:\\.|[^'\\\n])+' )
  | (?P<number> (?:\d|\.\d)(?:[eEpP][+-]|[\w.'])* )
  | (?P<ident> [A-Za-z_]\w* )
  | (?P<op> <=>|<<=|>>=|->\*|\.\.\.|::|->|\+\+|--|<<|>>|<=|>=|==|!=|&&|\|\||[-+*/%&|^!=]=|\S )
''', re.S | re.M | re.X)
KEYWORDS = set('''return delete throw new case goto break continue sizeof static_assert using typedef namespace
template typename else do if while for switch co_await co_return co_yield operator const constexpr static auto
default public private protected class struct enum union friend virtual explicit inline extern'''.split())
COMPARISONS = {'<': ['<=', '>'], '<=': ['<', '>='], '>': ['>=', '<'], '>=': ['>', '<='], '==': ['!='],
               '!=': ['==']}
SWAPS = {'&&': '||', '||': '&&', 'true': 'false', 'false': 'true', '+=': '-=', '-=': '+=', '++': '--',
         '--': '++', 'min': 'max', 'max': 'min', 'fmin': 'fmax', 'fmax': 'fmin'}
CONDITION_STOPS = {',', ';', '{', '}', '?', ':', 'return', 'throw', 'co_return', '=', '+=', '-=', '*=', '/=',
                   '%=', '&=', '|=', '^=', '<<=', '>>='}
LOGIC_STOPS = CONDITION_STOPS | {'&&', '||'}


class Tok:
    def __init__(self, kind, text, start):
        self.kind, self.text, self.start, self.end = kind, text, start, start + len(text)


def Tokens(source):
    """The tokens that count, string literals included (they are never changed, but they close conditions)."""
    return [Tok('string' if m.lastgroup == 'raw' else m.lastgroup, m.group(), m.start())
            for m in TOKEN.finditer(source) if m.lastgroup != 'skip']


def Partners(toks):
    """The index of the matching bracket of each (, [ and {, and back."""
    partner, stack = {}, []
    for i, t in enumerate(toks):
        if t.text in '([{' and t.kind == 'op':
            stack.append(i)
        elif t.text in ')]}' and t.kind == 'op' and stack:
            j = stack.pop()
            partner[i], partner[j] = j, i
    return partner


def TemplateBrackets(toks):
    """Indices of < and > that open and close template arguments, so comparisons are not looked for there."""
    found = set()
    for i, t in enumerate(toks):
        if t.text != '<' or i == 0 or toks[i - 1].kind != 'ident':
            continue
        depth, parens, inner = 1, 0, [i]
        for j in range(i + 1, min(i + 40, len(toks))):
            u = toks[j].text
            if u == '<':
                depth += 1
            elif u in ('>', '>>'):
                depth -= len(u)
            elif u in '([':
                parens += 1
            elif u in ')]':
                parens -= 1
            elif toks[j].kind == 'op' and u not in ('::', ',', '*', '&', '.'):
                break
            if u in ('<', '>', '>>'):
                inner.append(j)
            if parens < 0:
                break
            if depth <= 0:
                found.update(inner)
                break
    return found


def Mutations(source):
    """Every mutant of one file as (kind, [(start, end, replacement)...]), in the order of the file."""
    toks = Tokens(source)
    partner = Partners(toks)
    template = TemplateBrackets(toks)
    frozen = set()
    for i, t in enumerate(toks):
        if t.text == 'static_assert' and i + 1 in partner:
            frozen.update(range(i, partner[i + 1] + 1))
    out = []
    for i, t in enumerate(toks):
        prev = toks[i - 1] if i else None
        nxt = toks[i + 1] if i + 1 < len(toks) else None
        if i in frozen or (prev and prev.text == 'operator'):
            continue
        edit = lambda text, a=t.start, b=t.end: [(a, b, text)]
        if t.kind == 'op' and t.text in COMPARISONS and i not in template:
            out += [('comparison', edit(r)) for r in COMPARISONS[t.text]]
        elif t.kind == 'number':
            out += [('constant', edit(r)) for r in Neighbours(t.text)]
        elif t.text in ('&&', '||') and not (prev and prev.text in ('auto', 'const', '>')):
            # In brackets of their own, so that a && among ||s is not refused by the warning about it.
            first, last = Reach(toks, partner, i, -1, LOGIC_STOPS), Reach(toks, partner, i, 1, LOGIC_STOPS)
            out.append(('swap', [(toks[first].start, toks[first].start, '('), (t.start, t.end, SWAPS[t.text]),
                                 (toks[last].end, toks[last].end, ')')]))
        elif t.text in SWAPS and (t.kind == 'op' or t.text in ('true', 'false') or (nxt and nxt.text == '(')):
            out.append(('swap', edit(SWAPS[t.text])))
        elif t.text in '+-' and t.kind == 'op' and prev and (
                prev.kind == 'number' or (prev.kind == 'ident' and prev.text not in KEYWORDS)
                or prev.text in (')', ']')):
            out.append(('swap', edit('-' if t.text == '+' else '+')))
        elif t.text == '!' and t.kind == 'op':
            out.append(('drop !', edit('')))
        elif t.text in ('if', 'while', 'for') and nxt:
            j = i + 2 if nxt.text == '(' else None
            if j is None or j - 1 not in partner:
                continue
            close, k, semis = partner[j - 1], j, []
            while k < close:  # the ;s of the brackets themselves, not of a lambda inside
                semis += [k] if toks[k].text == ';' else []
                k = partner[k] + 1 if toks[k].text in '([{' and k in partner else k + 1
            if t.text == 'for':
                if len(semis) != 2 or semis[1] == semis[0] + 1:
                    continue
                j, close = semis[0] + 1, semis[1]
            elif semis:
                j = semis[-1] + 1
            if any(toks[k].text == '=' for k in range(j, close)) or j >= close:
                continue
            out.append(('negate ' + t.text, [(toks[j].start, toks[j].start, '!('),
                                             (toks[close - 1].end, toks[close - 1].end, ')')]))
        elif t.text == '?' and t.kind == 'op':
            first = Reach(toks, partner, i, -1, CONDITION_STOPS)
            if first < i:
                out.append(('negate ?:', [(toks[first].start, toks[first].start, '!('),
                                          (toks[i - 1].end, toks[i - 1].end, ')')]))
        if t.kind == 'ident' and (t.text not in KEYWORDS or t.text == 'this') and StatementStart(toks, partner, i):
            end = CallStatementEnd(toks, partner, i)
            if end is not None:
                out.append(('drop call', [(t.start, toks[end].end, '{}')]))
    return out


def Reach(toks, partner, i, step, stops):
    """The last token of the operand on one side of operator i (step -1 left, 1 right): it ends at an open
    bracket or at anything that binds less tightly (stops)."""
    k, ends = i + step, '([{' if step < 0 else ')]}'
    while 0 <= k < len(toks) and toks[k].text not in stops and toks[k].text not in ends:
        k = partner[k] + step if toks[k].text in '()[]{}' and k in partner else k + step
    return k - step


def Neighbours(literal):
    """The literal moved by one either way, written the way it was."""
    body = literal.replace("'", '')
    m = re.fullmatch(r'(0[xX][0-9a-fA-F]+|\d+)([uUlL]*)', body)
    if m:
        digits = m.group(1)
        base = 16 if digits[:2] in ('0x', '0X') else 8 if digits[0] == '0' and len(digits) > 1 else 10
        value, write = int(digits, base), {16: hex, 8: lambda v: '0' + format(v, 'o'), 10: str}[base]
        # Not below 0: where an integer 0 may go negative, the comparisons' mutants find it.
        values = [value + 1] + ([value - 1] if value > 0 else [])
    else:
        m = re.fullmatch(r'([\d.]+(?:[eE][+-]?\d+)?)([fFlL]?)', body)
        if not m:
            return []
        value = float(m.group(1))
        write = lambda v: repr(float(v))
        # A large number does not move by one in a double: ten times and a tenth of it instead.
        values = [v for v in (value + 1, value - 1) if v != value] or [value * 10, value / 10]
    return [write(v) + m.group(2) if v >= 0 else '(-' + write(-v) + m.group(2) + ')' for v in values]


def StatementStart(toks, partner, i):
    """Whether token i begins a statement."""
    if i == 0:
        return True
    p = toks[i - 1].text
    if p in (';', '{', '}', 'else', 'do'):
        return True
    # The statement under if (...), while (...) or for (...).
    return p == ')' and partner.get(i - 1, 0) > 0 and toks[partner[i - 1] - 1].text in ('if', 'while', 'for')


def CallStatementEnd(toks, partner, i):
    """Where a statement that is only a call (f(x); a.b(x); p->q[1].r(x);) ends, or None."""
    k, called = i + 1, False
    while k < len(toks):
        u = toks[k].text
        if u in ('::', '.', '->') and k + 1 < len(toks) and toks[k + 1].kind == 'ident':
            k += 2
        elif u in '([' and k in partner:
            called, k = u == '(', partner[k] + 1
        elif u == ';' and called:
            return k
        else:
            return None
    return None


# --- The mutants of the chosen files, each with an ID that outlives lines moving. ---
class Mutant:
    def __init__(self, path, source, kind, edits, seen):
        self.path, self.kind, self.edits = path, kind, edits
        first = source.rfind('\n', 0, edits[0][0]) + 1
        last = source.find('\n', edits[-1][1])
        last = len(source) if last < 0 else last
        self.line = source.count('\n', 0, first) + 1
        self.before = source[first:last]
        self.after = Apply(self.before, [(a - first, b - first, r) for a, b, r in edits])
        key = ' '.join(self.before.split()) + '\n' + ' '.join(self.after.split())
        seen[key] = seen.get(key, 0) + 1
        self.id = hashlib.sha1(f'{path}\n{key}\n{seen[key]}'.encode()).hexdigest()[:8]
        self.outcome, self.detail = None, ''

    def Describe(self):
        before = '\n'.join('    - ' + line.strip() for line in self.before.splitlines())
        after = '\n'.join('    + ' + line.strip() for line in self.after.splitlines())
        return f'{self.id} {self.path}:{self.line} ({self.kind})\n{before}\n{after}'


def Apply(text, edits):
    """The text with the edits made, last first so that the earlier offsets hold."""
    for a, b, r in sorted(edits, reverse=True):
        text = text[:a] + r + text[b:]
    return text


def TrackedFiles():
    """What git tracks, as it is in the working tree now (uncommitted changes included)."""
    out = subprocess.run(['git', 'ls-files', '-z'], cwd=ROOT, capture_output=True, check=True).stdout
    return [f for f in out.decode().split('\0') if f and (ROOT / f).is_file()]


def ChosenSources(paths, tracked):
    """The tracked C++ sources at or under the paths given."""
    chosen = set()
    for p in paths:
        rel = os.path.relpath(Path(p).resolve(), ROOT)
        matches = [f for f in tracked if (f == rel or f.startswith(rel.rstrip('/') + '/') or rel == '.')
                   and f.endswith(SOURCE_SUFFIXES)]
        if not matches:
            sys.exit(f'mutants: no tracked C++ source under {p}')
        chosen.update(matches)
    return sorted(chosen)


def AllMutants(sources):
    """Every mutant of the sources, in a fixed order, so that a seed always draws the same ones."""
    mutants = []
    for path in sources:
        source, seen = (ROOT / path).read_text(encoding='utf-8'), {}
        mutants += [Mutant(path, source, kind, edits, seen) for kind, edits in Mutations(source)]
    return mutants


def Equivalents():
    """The reason given for each mutant judged equivalent, by ID."""
    reasons = {}
    if EQUIVALENTS.exists():
        for line in EQUIVALENTS.read_text().splitlines():
            if line.strip() and not line.startswith('#'):
                fields = [f.strip() for f in line.split('|')]
                reasons[fields[0]] = fields[1] if len(fields) > 1 else ''
    return reasons


# --- The copy, its build and its tests. ---
def Sync(tree, tracked):
    """Makes the copy hold exactly the tracked files as they are now. A file is rewritten only when it differs,
    with a new time, so the build sees every change (a mutant left behind by a killed run included)."""
    wanted = set(tracked)
    for f in tracked:
        src, dst = ROOT / f, tree / f
        data = src.read_bytes()
        if not dst.is_file() or dst.read_bytes() != data:
            dst.parent.mkdir(parents=True, exist_ok=True)
            dst.write_bytes(data)
            shutil.copymode(src, dst)
    for dirpath, dirnames, filenames in os.walk(tree):
        if Path(dirpath) == tree:
            dirnames[:] = [d for d in dirnames if d != 'build']
        for name in filenames:
            if os.path.relpath(Path(dirpath) / name, tree) not in wanted:
                os.remove(Path(dirpath) / name)


def Run(command, cwd, timeout):
    """Runs a command in a process group of its own, killed whole when it runs too long or we are stopped.
    Returns (exit status or None on timeout, output)."""
    proc = subprocess.Popen(command, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                            errors='replace', start_new_session=True)
    try:
        out, _ = proc.communicate(timeout=timeout)
        return proc.returncode, out
    except subprocess.TimeoutExpired:
        Kill(proc)
        return None, proc.communicate()[0]
    finally:
        Kill(proc)  # and whatever a test left running behind it


def Kill(proc):
    """Ends the command's process group, what it started included."""
    try:
        os.killpg(proc.pid, signal.SIGKILL)
    except ProcessLookupError:
        pass
    proc.wait()


def TestsFor(path, override):
    """The ctest tests run on a mutant of path."""
    if override:
        return override
    prefix = max((p for p in TESTS_FOR if path.startswith(p)), key=len, default=None)
    if prefix is None:
        sys.exit(f'mutants: no tests known for {path}; name them with --tests')
    return TESTS_FOR[prefix]


def BuildTargets(build, tests):
    """The tests' own programs and the programs their environment names (the asset tool for its tests)."""
    listing = json.loads(subprocess.run(['ctest', '--show-only=json-v1'], cwd=build, capture_output=True,
                                        text=True, check=True).stdout)
    known = {t['name']: t for t in listing['tests']}
    targets = set()
    for name in tests:
        if name not in known:
            sys.exit(f'mutants: no test named {name} in this build')
        command = known[name].get('command') or [str(build)]
        if command[0].startswith(str(build)):
            targets.add(name)
        for prop in known[name].get('properties', []):
            for value in prop['value'] if prop['name'] == 'ENVIRONMENT' else []:
                program = value.split('=', 1)[1]
                if program.startswith(str(build) + '/'):
                    targets.add(os.path.relpath(program, build))
    return sorted(targets)


def Build(build, targets, timeout=1800):
    status, out = Run(['cmake', '--build', str(build), '-j2', '--target', *targets], build, timeout)
    return status == 0, out


def Test(tree, preset, tests, timeout):
    """Runs the tests through their preset (which gives them their environment), stopping at the first that
    fails; returns ({test: (status, seconds)}, output)."""
    regex = '^(' + '|'.join(re.escape(t) for t in tests) + ')$'
    status, out = Run(['ctest', '--preset', preset, '--timeout', str(timeout), '--stop-on-failure', '-R', regex],
                      tree, timeout * len(tests) + 60)
    results = {m.group(1): (m.group(2).strip('* '), float(m.group(3)))
               for m in re.finditer(r'Test +#\d+: (\S+) \.+ *([^\d]+?) +([\d.]+) sec', out)}
    if status is None:
        results['(ctest)'] = ('Timeout', float(timeout))
    return results, out


def Main():
    """Draws the mutants, checks the unmutated copy, then builds and tests each mutant in turn."""
    parser = argparse.ArgumentParser(description=__doc__.split('\n\n')[0])
    parser.add_argument('paths', nargs='+', help='C++ sources or folders of them')
    parser.add_argument('--seed', type=int, default=1)
    parser.add_argument('--sample', type=int, default=20, help='how many mutants to draw (0: every one)')
    parser.add_argument('--only', help='run just these mutants (IDs, comma-separated), drawn or not')
    parser.add_argument('--tests', help='ctest tests to run for every mutant, comma-separated, instead of the '
                        'ones the folder map names')
    parser.add_argument('--timeout', type=float, help='seconds a test may take on a mutant '
                        '(default: five times the unmutated run, and 30 more)')
    parser.add_argument('--preset', default='dev', help='the preset the copy is configured, built and tested '
                        'with (default dev)')
    parser.add_argument('--work', default=str(ROOT / 'build/mutants'), help='where the copy and its build live')
    parser.add_argument('--list', action='store_true', help='list the drawn mutants without running them')
    args = parser.parse_args()

    tracked = TrackedFiles()
    mutants = AllMutants(ChosenSources(args.paths, tracked))
    if args.only:
        wanted = set(args.only.split(','))
        drawn = [m for m in mutants if m.id in wanted]
        if len(drawn) != len(wanted):
            sys.exit('mutants: no such mutant: ' + ', '.join(sorted(wanted - {m.id for m in drawn})))
    elif 0 < args.sample < len(mutants):
        drawn = random.Random(args.seed).sample(mutants, args.sample)
    else:
        drawn = list(mutants)
    drawn.sort(key=lambda m: (m.path, m.edits[0][0]))
    print(f'mutants: {len(drawn)} drawn of {len(mutants)} (seed {args.seed})', flush=True)
    if args.list:
        print('\n'.join(m.Describe() for m in drawn))
        return 0

    override = args.tests.split(',') if args.tests else None
    reasons = Equivalents()
    for m in drawn:
        m.tests = TestsFor(m.path, override)
        if m.id in reasons:
            m.outcome, m.detail = 'equivalent', reasons[m.id]

    work = Path(args.work).resolve()
    work.mkdir(parents=True, exist_ok=True)
    lock = open(work / 'lock', 'w')
    try:
        fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
    except OSError:
        sys.exit(f'mutants: another run is using {work}')
    tree = work / 'tree'
    build = tree / 'build' / args.preset
    Sync(tree, tracked)
    if not (build / 'CMakeCache.txt').exists():
        status, out = Run(['cmake', '--preset', args.preset], tree, 600)
        if status != 0:
            sys.exit(out + '\nmutants: the copy does not configure')

    to_run = [m for m in drawn if m.outcome is None]
    all_tests = sorted({t for m in to_run for t in m.tests})
    targets = {}
    for m in to_run:
        key = tuple(m.tests)
        targets.setdefault(key, BuildTargets(build, m.tests))
        m.targets = targets[key]
    timeout = args.timeout
    if to_run:
        print(f'mutants: building and checking the unmutated copy ({", ".join(all_tests)})', flush=True)
        built, out = Build(build, sorted({t for ts in targets.values() for t in ts}))
        if not built:
            sys.exit(out + '\nmutants: the unmutated copy does not build')
        results, out = Test(tree, args.preset, all_tests, 3600)
        if any(status != 'Passed' for status, _ in results.values()) or set(results) != set(all_tests):
            sys.exit(out + '\nmutants: the tests fail on the unmutated copy')
        if timeout is None:
            timeout = 5 * max(seconds for _, seconds in results.values()) + 30

    started = time.time()
    for n, m in enumerate(drawn, 1):
        print(f'[{n}/{len(drawn)}] {m.id} {m.path}:{m.line} {m.kind} ... ', end='', flush=True)
        if m.outcome == 'equivalent':
            print(f'equivalent: {m.detail}', flush=True)
            continue
        target, began = tree / m.path, time.time()
        original = target.read_bytes()
        try:
            target.write_bytes(Apply(original.decode('utf-8'), m.edits).encode('utf-8'))
            built, out = Build(build, m.targets)
            if not built:
                m.outcome = 'did not compile'
            elif 'ninja: no work to do' in out:
                m.outcome, m.detail = 'not built', 'no chosen test program uses this code in this build'
            else:
                results, out = Test(tree, args.preset, m.tests, timeout)
                failed = {name: status for name, (status, _) in results.items() if status != 'Passed'}
                if any(status == 'Timeout' for status in failed.values()):
                    m.outcome, m.detail = 'killed by timeout', ', '.join(failed)
                elif failed:
                    m.outcome, m.detail = 'killed', ', '.join(f'{k} ({v})' for k, v in failed.items())
                else:
                    m.outcome = 'survived'
        finally:
            target.write_bytes(original)
        (work / 'logs').mkdir(exist_ok=True)
        (work / 'logs' / f'{m.id}.log').write_text(out)
        print(m.outcome + (f': {m.detail}' if m.detail else '') + f' ({time.time() - began:.0f} s)', flush=True)

    survivors = [m for m in drawn if m.outcome == 'survived']
    for m in survivors:
        print('\nSURVIVED ' + m.Describe())
    if survivors:
        print(f'\nTo list one as equivalent, add a line to {os.path.relpath(EQUIVALENTS, ROOT)}: '
              '"ID | why no test can tell it apart | file:line"')
    count = lambda outcome: sum(m.outcome == outcome for m in drawn)
    counts = {'drawn': len(drawn), 'killed': count('killed') + count('killed by timeout'),
              'killed_by_failure': count('killed'), 'killed_by_timeout': count('killed by timeout'),
              'did_not_compile': count('did not compile'), 'not_built': count('not built'),
              'equivalent': count('equivalent'), 'survived': count('survived')}
    print(f'\nmutants: {counts["drawn"]} drawn, {counts["killed"]} killed ({counts["killed_by_failure"]} by a '
          f'failing test, {counts["killed_by_timeout"]} by timeout), {counts["did_not_compile"]} did not compile, '
          f'{counts["not_built"]} not built, {counts["equivalent"]} equivalent, {counts["survived"]} survived '
          f'in {time.time() - started:.0f} s')
    summary = dict(counts, seed=args.seed, sample=args.sample, paths=args.paths, mutants=[
        {'id': m.id, 'file': m.path, 'line': m.line, 'kind': m.kind, 'outcome': m.outcome, 'detail': m.detail,
         'before': m.before, 'after': m.after} for m in drawn])
    (work / 'last-run.json').write_text(json.dumps(summary, indent=1))
    print('MUTANTS ' + json.dumps(counts))
    return 0


if __name__ == '__main__':
    # Stopped from outside, the mutated file in the copy is still put back (the next run would do it anyway).
    for stop in (signal.SIGTERM, signal.SIGHUP):
        signal.signal(stop, lambda number, _: sys.exit(128 + number))
    try:
        sys.exit(Main())
    except KeyboardInterrupt:
        print('mutants: stopped; the mutated file in the copy is put back', file=sys.stderr)
        sys.exit(130)
