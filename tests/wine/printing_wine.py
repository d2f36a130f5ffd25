"""Printing from vestrun.exe to a real printer: the CUPS queue "PDF" of
cups-pdf (tools/setup_printer.sh), which Wine reports as the default printer
and which writes each job as a PDF named after its document. One program
prints a job of two pages (a diagonal across the first, a text in a font of
its own on both, a bitmap on the second), a hard copy of its window's client
area and one of the whole window, and meets the refusals on the way;
poppler's pdfinfo, pdftotext and pdftoppm read the files back. A second run,
with a "device" entry that has no two commas, finds no printer
(tests/programs/printing.cases).

Collected by run_wine_tests.py through TESTS.
"""
import glob
import os
import pwd
import re
import shutil
import subprocess
import time

from wine_harness import TestFailure, read_results, x_regex

PDF_TIMEOUT = 90

RED = 31  # 15-bit colour


def result_program(steps, before=(), after=()):
    """Each step: statements, then the value of an expression stored as qN."""
    lines = ["' printing and hard copies; each result into ERGEBNIS.INI",
             'DECLARE N&, K%, D$', 'ERRORMODE -1'] + list(before)
    for n, (statements, expression) in enumerate(steps):
        lines.extend(statements)
        lines.append('N& = %s' % expression)
        lines.append('WRITEINI ".\\ERGEBNIS.INI", "R", "q%d" = N&' % n)
    return '\n'.join(lines + list(after)) + '\nEND\n'


# %ERRORKIND is 2 after a fatal error and reads back as 0.
PRINTING_STEPS = [
    (['ENDPRINT'], '&ERRORNUMBER'),                              # 120 without a job
    (['K% = %ERRORKIND', 'WINDOW 0, 0 - 400, 300', 'CLS %d' % RED, 'PRINT "Hallo"',
      'SAVEBMP "ROT.BMP", 100, 100 - 40, 40', 'STARTPRINT', 'USEPEN 0, 3, 0', 'LINE 0, 0 - 640, 960',
      'USEFONT "Arial", 40, 0, 1, 0, 0', 'DRAWTEXT 100, 100, "SEITEEINS"'], '%ERRORKIND'),  # 0
    (['PRINT "x"'], '&ERRORNUMBER'),                              # 221
    (['K% = %ERRORKIND', 'SCREENCOPY'], '%ERRORKIND'),            # 2 (221 again)
    (['WINCOPY %HWND'], '%ERRORKIND'),                            # 2
    (['STARTPRINT'], '%ERRORKIND'),                               # 2: one job at a time
    (['NEWPAGE', 'DRAWTEXT 100, 100, "SEITEZWEI"', 'DRAWSIZEDBMP "ROT.BMP", 320, 480 - 160, 240',
      'ENDPRINT'], '%ERRORKIND'),  # 0
    (['WINCOPY 12345'], '&ERRORNUMBER'),                          # 242
    (['K% = %ERRORKIND', 'SCREENCOPY'], '%ERRORKIND'),            # 0
    (['WINCOPY %HWND'], '%ERRORKIND'),                            # 0
    (['ENDPRINT'], '&ERRORNUMBER'),                               # 120: the hard copies left no job
]
PRINTING_EXPECTED = ['120', '0', '221', '2', '2', '2', '0', '242', '0', '0', '120']

def pdf_folder():
    """Where cups-pdf writes: its Out setting, ${HOME} the printing user's home."""
    out = '${HOME}/PDF'
    try:
        with open('/etc/cups/cups-pdf.conf', encoding='utf-8', errors='replace') as f:
            for line in f:
                m = re.match(r'\s*Out\s+(\S+)', line)
                if m:
                    out = m.group(1)
    except OSError:
        pass
    return out.replace('${HOME}', pwd.getpwuid(os.getuid()).pw_dir)


def printer_missing():
    """Why printing cannot be tested here, or None."""
    for tool in ('lpstat', 'pdfinfo', 'pdftotext', 'pdftoppm'):
        if not shutil.which(tool):
            return '%s is not installed (tools/install_deps.sh)' % tool
    p = subprocess.run(['lpstat', '-d'], stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=30)
    if b'PDF' not in p.stdout:
        return 'no CUPS default printer PDF (tools/setup_printer.sh): %s' % p.stdout.decode(errors='replace').strip()
    return None


def remove_old(folder, names):
    for name in names:
        for path in glob.glob(os.path.join(folder, '*')):
            if name.lower() in os.path.basename(path).lower():
                os.remove(path)


def wait_pdf(folder, name):
    """The PDF of the document `name` once cups-pdf has finished it."""
    deadline = time.monotonic() + PDF_TIMEOUT
    while time.monotonic() < deadline:
        found = [p for p in glob.glob(os.path.join(folder, '*.pdf')) if name.lower() in os.path.basename(p).lower()]
        for path in found:
            p = subprocess.run(['pdfinfo', path], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=30)
            if p.returncode == 0:
                return path, p.stdout.decode(errors='replace')
        time.sleep(1)
    raise TestFailure('no PDF of %s appeared in %s within %d s' % (name, folder, PDF_TIMEOUT))


def pages(info):
    m = re.search(r'^Pages:\s+(\d+)', info, re.M)
    return int(m.group(1)) if m else 0


def raster(path, page, colour=False):
    """Page `page` at 50 pixels per inch: (width, height, bytes per pixel, data)."""
    args = ['pdftoppm', '-r', '50', '-f', str(page), '-l', str(page)] + ([] if colour else ['-gray'])
    data = subprocess.run(args + [path], stdout=subprocess.PIPE, check=True, timeout=60).stdout
    m = re.match(rb'P([56])\s+(\d+)\s+(\d+)\s+(\d+)\s', data)
    if not m:
        raise TestFailure('pdftoppm gave no picture of %s' % path)
    depth = 1 if m.group(1) == b'5' else 3
    return int(m.group(2)), int(m.group(3)), depth, data[m.end():]


def check_diagonal(path):
    """Rows at 30, 50 and 70 % of the page are dark at one place each, which
    moves right by 22/3 in for every 11 in down."""
    w, h, _, data = raster(path, 1)
    centres = []
    for fraction in (0.3, 0.5, 0.7):
        y = int(h * fraction)
        dark = [x for x in range(w) if data[y * w + x] < 128]
        if not dark or dark[-1] - dark[0] > 6:
            raise TestFailure('page 1, row %d of %d: dark pixels at %s, expected one stroke' % (y, h, dark[:20]))
        centres.append((y, (dark[0] + dark[-1]) / 2))
    (y0, x0), (y1, x1) = centres[0], centres[-1]
    slope = (x1 - x0) / (y1 - y0)
    if not 0.6 <= slope <= 0.74:
        raise TestFailure('the diagonal runs %.2f across per pixel down, expected 2/3' % slope)


def word_heights(path):
    """The height in points of each word pdftotext finds, by page."""
    p = subprocess.run(['pdftotext', '-bbox', path, '-'], stdout=subprocess.PIPE, check=True, timeout=60)
    found, page = {}, 0
    for line in p.stdout.decode(errors='replace').splitlines():
        if '<page ' in line:
            page += 1
        m = re.search(r'yMin="([\d.]+)" xMax="[\d.]+" yMax="([\d.]+)">(\w+)<', line)
        if m:
            found[(page, m.group(3))] = float(m.group(2)) - float(m.group(1))
    return found


def red_share(path, page=1):
    """The share of clearly red pixels on a page."""
    w, h, _, data = raster(path, page, colour=True)
    red = sum(1 for i in range(0, w * h * 3, 3) if data[i] > 200 and data[i + 1] < 80 and data[i + 2] < 80)
    return red / float(w * h)


def test_printing(ctx):
    """A job of two pages, the hard copies and the refusals."""
    why = printer_missing()
    if why:
        print('SKIP printing: %s' % why, flush=True)
        return
    s = ctx.session
    out = pdf_folder()
    names = ('DruckSeite', 'ScreenCopy', 'WindowCopy')
    if os.path.isdir(out):
        remove_old(out, names)
    folder = ctx.folder('printing', {})
    # Its first step is an ENDPRINT without a job (120), which vestcomp reports.
    ctx.compile(folder, 'druck', result_program(PRINTING_STEPS), check=False)
    proc = s.start(ctx.vestrun, ['druck.vsc'], folder, 'printing.log')
    ctx.expect_exit(s.wait_exit(proc, 'printing'), 0, 'printing')
    got = read_results(folder, len(PRINTING_EXPECTED))
    if got != PRINTING_EXPECTED:
        raise TestFailure('results %s, expected %s' % (got, PRINTING_EXPECTED))

    job, info = wait_pdf(out, 'DruckSeite')
    if pages(info) != 2:
        raise TestFailure('%s has %d pages, expected 2' % (job, pages(info)))
    check_diagonal(job)
    words = word_heights(job)
    one, two = words.get((1, 'SEITEEINS')), words.get((2, 'SEITEZWEI'))
    if not one or not two:
        raise TestFailure('pdftotext finds %s, expected SEITEEINS on page 1 and SEITEZWEI on page 2'
                          % sorted(words))
    # 40 units of a 960-unit, 11-inch page are 33 points; the default font
    # of the device would be a few points.
    if not (20 < one < 50 and abs(one - two) < 2):
        raise TestFailure('the texts are %.1f and %.1f points high, expected the same font of about 33'
                          % (one, two))
    # The window's red square, drawn on page 2 at x10 through StretchDIBits:
    # a quarter of the page's width and height.
    share = red_share(job, 2)
    if not 0.04 < share < 0.09:
        raise TestFailure('page 2 of %s is %.1f %% red, expected the bitmap on 6 %%' % (job, share * 100))
    for name in names[1:]:
        path, info = wait_pdf(out, name)
        if pages(info) != 1:
            raise TestFailure('%s has %d pages, expected 1' % (path, pages(info)))
        share = red_share(path)
        # The red client area: most of the page's width, 270 of 600 rows
        # of the screen copy, less of the whole window's fitted page.
        if not 0.15 < share < 0.6:
            raise TestFailure('%s is %.0f %% red' % (path, share * 100))


FATAL_PROGRAM = """' a fatal error while printing: the job is still finished
WINDOW 0, 0 - 300, 200
PRINT "a"
STARTPRINT
USEPEN 0, 3, 0
LINE 0, 0 - 640, 960
PRINT "x"
LINE 0, 960 - 640, 0
"""
FATAL_CAPTION = b'W\xe4hrend der Druckausgabe verboten: PRINT'


def test_fatal_error(ctx):
    """A fatal error inside a job: after its box the page is printed as drawn."""
    why = printer_missing()
    if why:
        print('SKIP printing-fatal: %s' % why, flush=True)
        return
    s = ctx.session
    out = pdf_folder()
    if os.path.isdir(out):
        remove_old(out, ['DruckSeite'])
    folder = ctx.folder('printing-fatal', {})
    ctx.compile(folder, 'abbruch', FATAL_PROGRAM)
    proc = s.start(ctx.vestrun, ['abbruch.vsc'], folder, 'printing-fatal.log')
    box = s.wait_window(x_regex(FATAL_CAPTION), proc, 'the box of message 221')
    s.answer(box, 'Return')
    ctx.expect_exit(s.wait_exit(proc, 'printing-fatal'), 2, 'fatal error while printing')
    job, info = wait_pdf(out, 'DruckSeite')
    if pages(info) != 1:
        raise TestFailure('%s has %d pages, expected 1' % (job, pages(info)))
    check_diagonal(job)


TESTS = [
    ('printing', test_printing, True),
    ('printing-fatal', test_fatal_error, True),
]
