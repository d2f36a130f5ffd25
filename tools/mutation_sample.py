#!/usr/bin/env python3
"""A reproducible mutation sample: how many seeded faults the native tests catch.

Picks COUNT mutation sites (default 60) with a fixed seed, spread evenly over
src/values, src/core, src/data, src/gui and src/dialogs, from the sources of
the tree it is given. A site is one of:
  compare   a comparison flipped or moved by one (< <=, > >=, == !=)
  constant  an integer constant off by one (N -> N+1)
  drop      a simple statement (a call or an assignment) removed
For each mutant the file is changed in a copy of the tree, the native build is
brought up to date (a mutant that does not compile is replaced by the next
site of its folder, so the sample keeps its size), and ctest runs until the
first failure. A mutant is killed when a test fails or times out.

The sites depend only on the sources under src/ and the seed, so a run before
and a run after a change to the tests measure the same mutants.

usage: tools/mutation_sample.py [--tree DIR] [--count N] [--seed S] [--list]
                                [--work DIR] [--only FILE:LINE:KIND ...]
  --tree   the source tree to copy (default: this repository's work tree)
  --list   print the chosen sites and stop
  --only   run these mutants alone (as a result line names them)
The last line is "mutants: K killed of N (P%)". A log of every mutant goes to
mutation-sample.log in the work copy (build-mutation/ beside the copy).
"""
import argparse
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile

FOLDERS = ['src/values', 'src/core', 'src/data', 'src/gui', 'src/dialogs']

COMPARE = [(' < ', ' <= '), (' <= ', ' < '), (' > ', ' >= '), (' >= ', ' > '),
           (' == ', ' != '), (' != ', ' == ')]
CONSTANT = re.compile(r'(?<![\w.\'"])(\d{1,4})(?![\w.\'"x])')
DROP = re.compile(r'^\s+[A-Za-z_][\w:.\->\[\]()]*(\s*[-+*/|&]?=\s*[^=].*|\(.*\));\s*$')


def code_part(line):
    """The line without a trailing // comment; None for lines not to touch."""
    s = line.strip()
    if not s or s.startswith(('//', '#', '*', '/*')) or 'static_assert' in s:
        return None
    if '"' in s or "'" in s:  # literals stay as they are
        return None
    return line.split('//')[0]


def sites_of(tree, folder):
    out = []
    for root, _, files in os.walk(os.path.join(tree, folder)):
        for name in sorted(files):
            if not name.endswith('.cpp'):
                continue
            rel = os.path.relpath(os.path.join(root, name), tree)
            with open(os.path.join(tree, rel), encoding='utf-8') as f:
                lines = f.read().split('\n')
            for i, line in enumerate(lines):
                code = code_part(line)
                if code is None:
                    continue
                for a, b in COMPARE:
                    if a in code:
                        out.append((rel, i, 'compare', a, b))
                for m in CONSTANT.finditer(code):
                    n = m.group(1)
                    out.append((rel, i, 'constant', m.start(1), str(int(n) + 1)))
                if DROP.match(code) and not code.rstrip().endswith('{') and 'return' not in code:
                    out.append((rel, i, 'drop', None, None))
    out.sort()
    return out


def apply(tree, site):
    rel, i, kind, a, b = site
    path = os.path.join(tree, rel)
    with open(path, encoding='utf-8') as f:
        lines = f.read().split('\n')
    line = lines[i]
    if kind == 'compare':
        lines[i] = line.replace(a, b, 1)
    elif kind == 'constant':
        m = CONSTANT.match(line, a)
        lines[i] = line[:a] + b + line[m.end(1):]
    else:
        lines[i] = ''
    with open(path, 'w', encoding='utf-8') as f:
        f.write('\n'.join(lines))
    return line, lines[i]


def choose(tree, count, seed):
    rng = random.Random(seed)
    per = count // len(FOLDERS)
    chosen = {}
    for k, folder in enumerate(FOLDERS):
        sites = sites_of(tree, folder)
        rng.shuffle(sites)
        chosen[folder] = sites
    return chosen, per


def run(cmd, cwd, log, timeout=None):
    with open(log, 'a') as f:
        f.write('$ %s\n' % ' '.join(cmd))
        f.flush()
        try:
            return subprocess.run(cmd, cwd=cwd, stdout=f, stderr=subprocess.STDOUT, timeout=timeout).returncode
        except subprocess.TimeoutExpired:
            return -1


def main():
    here = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    ap = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    ap.add_argument('--tree', default=here)
    ap.add_argument('--count', type=int, default=60)
    ap.add_argument('--seed', type=int, default=2026)
    ap.add_argument('--list', action='store_true')
    ap.add_argument('--work', default=None, help='work folder (default: a new temporary one)')
    ap.add_argument('--only', nargs='+', metavar='FILE:LINE:KIND',
                    help='run just these mutants of the sample (as the result lines name them), '
                         'for instance to run again one whose test failed for another reason')
    args = ap.parse_args()

    chosen, per = choose(args.tree, args.count, args.seed)
    if args.list:
        for folder in FOLDERS:
            for site in chosen[folder][:per]:
                print(folder, site)
        return 0

    work = args.work or tempfile.mkdtemp(prefix='vestil-mutation-')
    copy = os.path.join(work, 'tree')
    if not os.path.exists(copy):
        def skipped(folder, names):
            # Build trees sit at the top only; cmake/build_version.h.in is a source.
            top = os.path.abspath(folder) == os.path.abspath(args.tree)
            return [n for n in names if n in ('.git', '__pycache__') or n.endswith('.pyc')
                    or (top and n.startswith('build'))]
        shutil.copytree(args.tree, copy, ignore=skipped)
    build = os.path.join(work, 'build-mutation')
    log = os.path.join(work, 'mutation-sample.log')
    jobs = os.environ.get('VESTIL_JOBS', '2')
    if run(['cmake', '-S', copy, '-B', build, '-DCMAKE_BUILD_TYPE=Release'], work, log) != 0 or \
            run(['cmake', '--build', build, '-j', jobs], work, log) != 0:
        print('mutation sample: the unmutated tree does not build (see %s)' % log)
        return 1
    if run(['ctest', '-j', jobs, '--timeout', '300'], build, log) != 0:
        print('mutation sample: the unmutated tree fails its tests (see %s)' % log)
        return 1

    killed = total = 0
    for folder in FOLDERS:
        taken = 0
        for site in chosen[folder]:
            if taken == per:
                break
            if args.only and '%s:%d:%s' % (site[0], site[1] + 1, site[2]) not in args.only:
                continue
            path = os.path.join(copy, site[0])
            with open(path, encoding='utf-8') as f:
                original = f.read()
            before, after = apply(copy, site)
            try:
                with open(log, 'a') as f:
                    f.write('=== mutant %s:%d %s: %r -> %r\n' % (site[0], site[1] + 1, site[2], before.strip(),
                                                                after.strip()))
                if run(['cmake', '--build', build, '-j', jobs], work, log) != 0:
                    continue  # stillborn: the next site of this folder stands in
                taken += 1
                total += 1
                rc = run(['ctest', '-j', jobs, '--timeout', '120', '--stop-on-failure'], build, log, timeout=1800)
                dead = rc != 0
                killed += dead
                print('%s %s:%d %s' % ('killed  ' if dead else 'SURVIVED', site[0], site[1] + 1, site[2]),
                      flush=True)
            finally:
                with open(path, 'w', encoding='utf-8') as f:
                    f.write(original)
    run(['cmake', '--build', build, '-j', jobs], work, log)
    print('mutants: %d killed of %d (%.0f%%)' % (killed, total, 100.0 * killed / max(total, 1)))
    return 0


if __name__ == '__main__':
    sys.exit(main())
