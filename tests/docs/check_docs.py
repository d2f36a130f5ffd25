#!/usr/bin/env python3
"""The manual's checks (docs/**/*.md).
  coverage   every keyword of src/base/tokens.def has exactly one entry
             (## `KEYWORD`) under docs/reference/, every entry and every
             [text](ref:KEYWORD) link names a documented keyword
  examples   every ```vestil block compiles (```vestil-nocheck: --no-check);
             one followed by an ```output block (a ```stdin block between
             them) runs in an empty folder and writes exactly that text
             (stdout and stderr in one pipe) and a final newline
"""
import argparse
import glob
import os
import re
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))

FENCE = re.compile(r'^(```+|~~~+)\s*([\w-]*)\s*$')
ENTRY = re.compile(r'^## (`[^`]+`(?:, `[^`]+`)*)\s*$')
REF_LINK = re.compile(r'\]\(ref:([^)\s]+)\)')
TOKEN = re.compile(r'^VESTIL_(COMMAND|COMMAND_KEYWORD|FUNCTION|SYSVAR)\((?:[^,]+, )?"([^"]*)"')

# Window programs waiting for the user, a dialog or a device; the Wine test
# runs the others. A pause (SETTIMER, WAITINPUT, KILLTIMER) ends by itself.
WAITING = re.compile(r'\b(WAITINPUT|WAITKEY|WAITCHAR|WAITMOUSE|INPUT|MESSAGEBOX|STARTPRINT|'
                     r'SCREENCOPY|WINCOPY|SHOWPOPUP|HELP|EXITWINDOWS|LINKCONNECT)\b|'
                     r'@(WAITKEY\$|INPUT\$|LISTBOX\$|EDITBOX|FILEOPEN\$|FILESAVE\$|CHOOSEDIR\$|'
                     r'MESSAGEBOX|SQLINIT|COMOPEN|EXECWAIT|WINEXEC|LOADLIB)\b', re.I)
PAUSE = re.compile(r'^\s*SETTIMER[^\n]*\n\s*WAITINPUT\s*\n\s*KILLTIMER\s*$', re.I | re.M)


def markdown_files(root, under='**'):
    return sorted(glob.glob(os.path.join(root, 'docs', under, '*.md'), recursive=True))


def blocks(path):
    """(language or None, first line number, text) of the fenced blocks and
    the other non-blank lines of a Markdown file."""
    lines = open(path, encoding='utf-8').read().split('\n')
    out = []
    i = 0
    while i < len(lines):
        m = FENCE.match(lines[i])
        start, i = i + 1, i + 1
        if not m:
            if lines[start - 1].strip():
                out.append((None, start, lines[start - 1]))
            continue
        fence, body = m.group(1), []
        while i < len(lines) and not (len(lines[i].strip()) >= len(fence) and set(lines[i].strip()) == {fence[0]}):
            body.append(lines[i])
            i += 1
        i += 1
        out.append((m.group(2), start, '\n'.join(body)))
    return out


def examples(path):
    """(line, program, stdin, output, checked) of every vestil block."""
    items = blocks(path) + [(None, 0, '')] * 2
    found = []
    for k, (lang, line, text) in enumerate(items):
        if lang not in ('vestil', 'vestil-nocheck'):
            continue
        stdin = items[k + 1][2] if items[k + 1][0] == 'stdin' else None
        after = items[k + 2 if stdin is not None else k + 1]
        if stdin is not None and after[0] != 'output':
            raise SystemExit('%s:%d: a stdin block without its output block' % (path, line))
        found.append((line, text, stdin, after[2] if after[0] == 'output' else None, lang == 'vestil'))
    return found


def check_coverage(root):
    failures = []
    tokens = open(os.path.join(root, 'src', 'base', 'tokens.def'), encoding='utf-8')
    keywords = {('@' if m.group(1) == 'FUNCTION' else '') + m.group(2) for m in map(TOKEN.match, tokens) if m and m.group(2)}
    seen = {}
    for path in markdown_files(root, 'reference'):
        where = os.path.relpath(path, root) + ':%d'
        for lang, line, text in blocks(path):
            m = ENTRY.match(text) if lang is None else None
            if lang is None and not m and text.startswith('## `'):
                failures.append(where % line + ': not an entry heading: ' + text)
            for kw in re.findall(r'`([^`]+)`', m.group(1)) if m else []:
                if kw not in keywords:
                    failures.append(where % line + ': `%s` is no keyword of tokens.def' % kw)
                elif kw in seen:
                    failures.append(where % line + ': `%s` has a second entry (the first: %s)' % (kw, seen[kw]))
                else:
                    seen[kw] = where % line
    missing = sorted(keywords - set(seen))
    failures += ['no entry for `%s`' % kw for kw in missing]
    for path in markdown_files(root):
        for lang, line, text in blocks(path):
            failures += ['%s:%d: link to `%s`, which has no entry' % (os.path.relpath(path, root), line, kw)
                         for kw in (REF_LINK.findall(text) if lang is None else []) if kw not in seen]
    print('coverage: %d keywords, %d documented, %d missing' % (len(keywords), len(seen), len(missing)))
    return failures


def check_examples(root, vestcomp, vestrun):
    failures = []
    count = ran = 0
    env = dict({k: v for k, v in os.environ.items() if not k.startswith(('VESTIL_', 'VESTRUN_', 'LC_'))},
               LANG='C.UTF-8')
    for path in markdown_files(root):
        for line, program, stdin, output, checked in examples(path):
            count += 1
            where = '%s:%d' % (os.path.relpath(path, root), line)
            with tempfile.TemporaryDirectory() as tmp:
                vsc = os.path.join(tmp, 'EXAMPLE.VSC')
                open(os.path.join(tmp, 'example.vsl'), 'w', encoding='utf-8').write(program + '\n')
                p = subprocess.run([vestcomp] + ([] if checked else ['--no-check']) + ['example.vsl', '-o', vsc],
                                   cwd=tmp, capture_output=True, stdin=subprocess.DEVNULL, timeout=60, env=env)
                if p.returncode != 0:
                    failures.append('%s: does not compile:\n%s' % (where, p.stderr.decode(errors='replace')))
                if p.returncode != 0 or output is None:
                    continue
                ran += 1
                run_dir = os.path.join(tmp, 'run')
                os.mkdir(run_dir)
                try:
                    p = subprocess.run([vestrun, vsc], cwd=run_dir, env=env, timeout=60,
                                       input=(stdin + '\n').encode() if stdin is not None else b'',
                                       stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
                except subprocess.TimeoutExpired:
                    failures.append('%s: did not end within 60 s' % where)
                    continue
                if p.stdout != (output + '\n').encode():
                    failures.append('%s: the output differs (exit code %d)\n--- shown\n%s\n--- written\n%s'
                                    % (where, p.returncode, output, p.stdout.decode(errors='replace')))
    print('examples: %d compiled, %d run' % (count, ran))
    return failures


def window_programs(root):
    """(where, program) of the guide's window examples that end by themselves."""
    out = []
    for path in markdown_files(root, 'guide'):
        for line, program, stdin, output, _ in examples(path):
            code = PAUSE.sub('', '\n'.join(x for x in program.split('\n') if not x.lstrip().startswith("'")))
            if output is None and not WAITING.search(code):
                out.append(('%s:%d' % (os.path.relpath(path, root), line), program))
    return out


def main():
    ap = argparse.ArgumentParser(description=__doc__.strip().splitlines()[0])
    ap.add_argument('check', choices=['coverage', 'examples'])
    ap.add_argument('--vestcomp')
    ap.add_argument('--vestrun')
    args = ap.parse_args()
    if args.check == 'coverage':
        failures = check_coverage(ROOT)
    else:
        failures = check_examples(ROOT, os.path.abspath(args.vestcomp), os.path.abspath(args.vestrun))
    for f in failures:
        print('FAIL ' + f)
    print('%s: %d failures' % (args.check, len(failures)))
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
