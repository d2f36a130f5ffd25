"""The guide's window programs in vestrun.exe: every example of docs/guide/
without a shown output (a window program) that waits for nobody (no key,
click, dialog, printer or device: tests/docs/check_docs.py decides) runs to
its end with exit code 0. They run in the order of the guide in one folder,
as a reader would run them (show.vsl draws the bitmap picture.vsl saved). A
program that stops with an error box shows it and does not end; the
screenshot of it stays in the work directory.

Collected by run_wine_tests.py through TESTS.
"""
import os
import subprocess
import sys
import time

from wine_harness import EXIT_TIMEOUT, TestFailure

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(HERE), 'docs'))
import check_docs  # noqa: E402


def test_guide_windows(ctx):
    programs = check_docs.window_programs(check_docs.ROOT)
    if not programs:
        raise TestFailure('the guide has no window program that ends by itself')
    vestcomp = ctx.need_vestcomp()
    failures = []
    folder = ctx.folder('guide', {})
    for k, (where, source) in enumerate(programs):
        name = 'guide%02d' % k
        vsl = os.path.join(folder, name + '.vsl')
        with open(vsl, 'w', encoding='utf-8') as f:
            f.write(source + '\n')
        p = subprocess.run([vestcomp, vsl], capture_output=True, stdin=subprocess.DEVNULL, timeout=60)
        if p.returncode != 0:
            failures.append('%s does not compile' % where)
            continue
        proc = ctx.session.start(ctx.vestrun, [name + '.VSC'], folder, name + '.log')
        deadline = time.monotonic() + EXIT_TIMEOUT
        while proc.poll() is None and time.monotonic() < deadline:
            time.sleep(0.25)
        if proc.poll() is None:
            ctx.session.save_screen('guide-' + name)
            ctx.session.kill_programs(proc)
            failures.append('%s did not end within %d s' % (where, EXIT_TIMEOUT))
        elif proc.returncode != 0:
            failures.append('%s: exit code %d' % (where, proc.returncode))
    if failures:
        raise TestFailure('; '.join(failures))


TESTS = [('docs_guide_windows', test_guide_windows, True)]
