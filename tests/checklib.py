"""What the Python checkers share: the --vestcomp/--vestrun arguments, a
scratch folder, compiling and running a program, failures."""
import argparse
import contextlib
import os
import shutil
import subprocess
import tempfile


class Failure(Exception):
    pass


def expect(cond, what):
    if not cond:
        raise Failure(what)


def arguments(doc, *more):
    """--vestcomp, --vestrun (made absolute) and more (flags, keywords)."""
    ap = argparse.ArgumentParser(description=doc.strip().splitlines()[0])
    ap.add_argument("--vestcomp", required=True)
    ap.add_argument("--vestrun", required=True)
    for flags, kw in more:
        ap.add_argument(*flags, **kw)
    a = ap.parse_args()
    a.vestcomp, a.vestrun = os.path.abspath(a.vestcomp), os.path.abspath(a.vestrun)
    return a


@contextlib.contextmanager
def scratch(a, prefix):
    work = tempfile.mkdtemp(prefix=prefix)
    try:
        yield work
    finally:
        shutil.rmtree(work, ignore_errors=True)


def compile_program(a, work, name, source):
    """NAME.vsl of source (a text or lines) compiled to NAME.VSC in work; returns its path."""
    with open(os.path.join(work, name + ".vsl"), "w", encoding="utf-8", newline="\n") as f:
        f.write(source if isinstance(source, str) else "\n".join(source) + "\n")
    vsc = os.path.join(work, name + ".VSC")
    r = subprocess.run([a.vestcomp, name + ".vsl", "-o", vsc, "--no-map"], cwd=work, capture_output=True)
    expect(r.returncode == 0, "vestcomp %s: %s%s" % (name, r.stdout.decode(), r.stderr.decode()))
    return vsc


def run_program(a, work, name, source, env=None, stderr="", exit_code=0, encoding="utf-8"):
    """Compiles and runs source in work; the run must end with exit_code and
    write stderr. Returns its output lines (the text after the last line end last)."""
    vsc = compile_program(a, work, name, source)
    r = subprocess.run([a.vestrun, vsc], cwd=work, capture_output=True, timeout=120,
                       env=dict(os.environ, **(env or {})))
    err = r.stderr.decode("utf-8", "replace")
    expect(r.returncode == exit_code and err == stderr, "%s: vestrun ended with %d: %s" % (name, r.returncode, err))
    return r.stdout.decode(encoding).split("\n")


def check(what, got, want):
    expect(got == want, "%s:\n  got  %r\n  want %r" % (what, got, want))
