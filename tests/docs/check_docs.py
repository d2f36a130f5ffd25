#!/usr/bin/env python3
"""The manual's checks (docs/**/*.md).

  coverage   every keyword of src/base/tokens.def (statements, functions with
             their "@", system variables) has exactly one entry heading
             (## `KEYWORD`) under docs/reference/, and every entry heading
             names a real keyword; every [text](ref:KEYWORD) link of the
             manual names a documented keyword
  examples   every ```vestil block compiles with vestcomp (a ```vestil-nocheck
             block with its checks off, `vestcomp --no-check`: a program that
             shows a runtime error the compiler would report); one followed by an
             ```output block (an optional ```stdin block between them) runs
             in the console runner in a fresh empty folder, standard output
             and standard error in one pipe, and must write exactly the
             output block's text and a final newline

usage: check_docs.py coverage [--root DIR]
       check_docs.py examples --vestcomp VESTCOMP --vestrun VESTRUN [--root DIR]
           [--update] [FILE.md ...]
       (--update writes what each example printed into its output block
       instead of comparing: run it after writing an example, then read
       the output it wrote)
       check_docs.py list-windows [--root DIR]   (the guide's window programs that end by themselves)

The exit code is 0 when nothing failed; every failure is named with its file
and line.
"""
import argparse
import glob
import os
import re
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))

FENCE = re.compile(r'^(```+|~~~+)\s*([\w-]*)\s*$')
ENTRY = re.compile(r'^## (`[^`]+`(?:, `[^`]+`)*)\s*$')
KEYWORD = re.compile(r'`([^`]+)`')
REF_LINK = re.compile(r'\]\(ref:([^)\s]+)\)')
TOKEN = re.compile(r'^VESTIL_(COMMAND|COMMAND_KEYWORD|FUNCTION|SYSVAR)\((?:[^,]+, )?"([^"]*)"')

# A window program that waits for the user, a dialog or a device does not end
# by itself; the Wine test runs only the others. A pause (SETTIMER, WAITINPUT,
# KILLTIMER on three lines) ends by itself.
WAITING = re.compile(r'\b(WAITINPUT|WAITKEY|WAITCHAR|WAITMOUSE|INPUT|MESSAGEBOX|STARTPRINT|'
                     r'SCREENCOPY|WINCOPY|SHOWPOPUP|HELP|EXITWINDOWS|LINKCONNECT)\b|'
                     r'@(WAITKEY\$|INPUT\$|LISTBOX\$|EDITBOX|FILEOPEN\$|FILESAVE\$|CHOOSEDIR\$|'
                     r'MESSAGEBOX|SQLINIT|COMOPEN|EXECWAIT|WINEXEC|LOADLIB)\b', re.I)

PAUSE = re.compile(r'^\s*SETTIMER[^\n]*\n\s*WAITINPUT\s*\n\s*KILLTIMER\s*$', re.I | re.M)


def markdown_files(root):
    return sorted(glob.glob(os.path.join(root, 'docs', '**', '*.md'), recursive=True))


def closes(line, fence):
    t = line.strip()
    return len(t) >= len(fence) and set(t) == {fence[0]}


def blocks(path):
    """The fenced blocks of a Markdown file: (language, first line number, text)."""
    out = []
    with open(path, encoding='utf-8') as f:
        lines = f.read().split('\n')
    i = 0
    while i < len(lines):
        m = FENCE.match(lines[i])
        if not m:
            out.append((None, i + 1, lines[i]))
            i += 1
            continue
        fence, lang, start = m.group(1), m.group(2), i + 1
        body = []
        i += 1
        while i < len(lines) and not closes(lines[i], fence):
            body.append(lines[i])
            i += 1
        i += 1
        out.append((lang, start, '\n'.join(body)))
    return out


def examples(path):
    """(line, program, stdin or None, output or None, line of the output
    block's fence or None, compiled with the checks) of every vestil block."""
    found = []
    items = [b for b in blocks(path) if not (b[0] is None and b[2].strip() == '')]
    for k, (lang, line, text) in enumerate(items):
        if lang not in ('vestil', 'vestil-nocheck'):
            continue
        stdin = output = out_line = None
        nxt = items[k + 1] if k + 1 < len(items) else None
        if nxt and nxt[0] == 'stdin':
            stdin = nxt[2]
            nxt = items[k + 2] if k + 2 < len(items) else None
            if not (nxt and nxt[0] == 'output'):
                raise SystemExit('%s:%d: a stdin block without its output block' % (path, line))
        if nxt and nxt[0] == 'output':
            output, out_line = nxt[2], nxt[1]
        found.append((line, text, stdin, output, out_line, lang == 'vestil'))
    return found


def token_keywords(root):
    keywords = []
    with open(os.path.join(root, 'src', 'base', 'tokens.def'), encoding='utf-8') as f:
        for line in f:
            m = TOKEN.match(line)
            if m and m.group(2):
                keywords.append(('@' if m.group(1) == 'FUNCTION' else '') + m.group(2))
    return keywords


def check_coverage(root):
    failures = []
    keywords = set(token_keywords(root))
    seen = {}
    for path in sorted(glob.glob(os.path.join(root, 'docs', 'reference', '*.md'))):
        rel = os.path.relpath(path, root)
        for lang, line, text in blocks(path):
            if lang is not None:
                continue
            m = ENTRY.match(text)
            if not m:
                if text.startswith('## `'):
                    failures.append('%s:%d: not an entry heading: %s' % (rel, line, text))
                continue
            for kw in KEYWORD.findall(m.group(1)):
                if kw not in keywords:
                    failures.append('%s:%d: `%s` is no keyword of tokens.def' % (rel, line, kw))
                elif kw in seen:
                    failures.append('%s:%d: `%s` has a second entry (the first: %s)' % (rel, line, kw, seen[kw]))
                else:
                    seen[kw] = '%s:%d' % (rel, line)
    missing = sorted(keywords - set(seen))
    failures += ['no entry for `%s`' % kw for kw in missing]
    for path in markdown_files(root):
        rel = os.path.relpath(path, root)
        for lang, line, text in blocks(path):
            if lang is None:
                for kw in REF_LINK.findall(text):
                    if kw not in seen:
                        failures.append('%s:%d: link to `%s`, which has no entry' % (rel, line, kw))
    print('coverage: %d keywords, %d documented, %d missing' % (len(keywords), len(seen), len(missing)))
    return failures


def clean_env():
    return dict({k: v for k, v in os.environ.items() if not k.startswith(('VESTIL_', 'VESTRUN_', 'LC_'))},
                LANG='C.UTF-8')


def replace_outputs(path, written):
    """Writes each output block anew: {fence line: text}."""
    with open(path, encoding='utf-8') as f:
        lines = f.read().split('\n')
    for start in sorted(written, reverse=True):
        fence = FENCE.match(lines[start - 1]).group(1)
        end = start
        while not closes(lines[end], fence):
            end += 1
        text = written[start]
        lines[start:end] = text[:-1].split('\n') if text.endswith('\n') else text.split('\n')
    with open(path, 'w', encoding='utf-8') as f:
        f.write('\n'.join(lines))


def check_examples(root, vestcomp, vestrun, files, update=False):
    failures = []
    count = run = 0
    env = clean_env()
    for path in files or markdown_files(root):
        rel = os.path.relpath(path, root)
        written = {}
        for line, program, stdin, output, out_line, checked in examples(path):
            count += 1
            where = '%s:%d' % (rel, line)
            with tempfile.TemporaryDirectory() as tmp:
                src_dir, run_dir = os.path.join(tmp, 'src'), os.path.join(tmp, 'run')
                os.makedirs(src_dir)
                os.makedirs(run_dir)
                vsc = os.path.join(src_dir, 'EXAMPLE.VSC')
                with open(os.path.join(src_dir, 'example.vsl'), 'w', encoding='utf-8') as f:
                    f.write(program + '\n')
                # Compiled where it lies, so that the line map names "example.vsl".
                p = subprocess.run([vestcomp] + ([] if checked else ['--no-check']) + ['example.vsl', '-o', vsc],
                                   cwd=src_dir, capture_output=True,
                                   stdin=subprocess.DEVNULL, timeout=60, env=env)
                if p.returncode != 0:
                    failures.append('%s: does not compile:\n%s' % (where, p.stderr.decode(errors='replace')))
                    continue
                if output is None:
                    continue
                run += 1
                try:
                    p = subprocess.run([vestrun, vsc], cwd=run_dir, env=env, timeout=60,
                                       input=(stdin + '\n').encode() if stdin is not None else None,
                                       stdin=None if stdin is not None else subprocess.DEVNULL,
                                       stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
                except subprocess.TimeoutExpired:
                    failures.append('%s: did not end within 60 s' % where)
                    continue
                want = (output + '\n').encode()
                if update and p.stdout.endswith(b'\n') and p.stdout != b'\n':
                    written[out_line] = p.stdout.decode('utf-8', errors='replace')
                elif update:
                    failures.append('%s: the output does not end with a line end (or is empty)' % where)
                elif p.stdout != want:
                    failures.append('%s: the output differs (exit code %d)\n--- shown\n%s--- written\n%s'
                                    % (where, p.returncode, want.decode(), p.stdout.decode(errors='replace')))
        if written:
            replace_outputs(path, written)
    print('examples: %d compiled, %d run' % (count, run))
    return failures


def window_programs(root):
    """(where, program) of the guide's window examples that end by themselves."""
    out = []
    for path in sorted(glob.glob(os.path.join(root, 'docs', 'guide', '*.md'))):
        for line, program, stdin, output, _, _ in examples(path):
            code = '\n'.join(l for l in program.split('\n') if not l.lstrip().startswith("'"))
            code = PAUSE.sub('', code)
            if output is None and not WAITING.search(code):
                out.append(('%s:%d' % (os.path.relpath(path, root), line), program))
    return out


def main():
    ap = argparse.ArgumentParser(description=__doc__.strip().splitlines()[0])
    ap.add_argument('check', choices=['coverage', 'examples', 'list-windows'])
    ap.add_argument('--root', default=ROOT)
    ap.add_argument('--vestcomp')
    ap.add_argument('--vestrun')
    ap.add_argument('--update', action='store_true',
                    help='write what each example printed into its output block')
    ap.add_argument('files', nargs='*')
    args = ap.parse_intermixed_args()
    if args.check == 'coverage':
        failures = check_coverage(args.root)
    elif args.check == 'list-windows':
        for where, program in window_programs(args.root):
            print(where)
        return 0
    else:
        if not (args.vestcomp and args.vestrun):
            ap.error('examples needs --vestcomp and --vestrun')
        failures = check_examples(args.root, os.path.abspath(args.vestcomp),
                                  os.path.abspath(args.vestrun), [os.path.abspath(f) for f in args.files],
                                  args.update)
    for f in failures:
        print('FAIL ' + f)
    print('%s: %d failures' % (args.check, len(failures)))
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
