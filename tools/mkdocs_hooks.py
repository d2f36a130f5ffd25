"""mkdocs hooks of the manual (named in mkdocs.yml).

- The manual pages (docs/*.1) and the Windows read-me stay out of the site;
  they are installed as they are.
- docs/reference/index.md gets the keyword index appended: every entry
  heading (## `KEYWORD`) of the reference pages, linked to its entry. The
  list is made from the pages present, so the index never names a page that
  is not there.
- Page titles lose their backticks (the navigation shows them plain).
- Outside the reference, an inline code span that is exactly a documented
  keyword (`DECLARE`, `@ADD`, `%TIMER`) links to its entry.
- A link written [text](ref:KEYWORD) points to the keyword's entry; a keyword
  without an entry points to the reference's start page (tests/docs/
  check_docs.py reports such links).
"""
import os
import re

from markdown.extensions.toc import slugify, unique

ENTRY = re.compile(r'^## (`[^`]+`(?:, `[^`]+`)*)\s*$')
KEYWORD = re.compile(r'`([^`]+)`')
HEADING = re.compile(r'^(#{1,6}) (.*?)\s*#*\s*$')
FENCE = re.compile(r'^\s*(```|~~~)')
REF_LINK = re.compile(r'\]\(ref:([^)\s]+)\)')
CODE_SPAN = re.compile(r'(?<![\[`])`([^`\s]+)`(?![`\]])')


def _headings(text):
    """(level, text) of every ATX heading outside fenced blocks."""
    fenced = False
    for line in text.splitlines():
        if FENCE.match(line):
            fenced = not fenced
            continue
        if not fenced:
            m = HEADING.match(line)
            if m:
                yield len(m.group(1)), m.group(2)


def reference_entries(docs_dir):
    """{keyword: (page path relative to docs/reference, anchor)} and the pages
    in order, each as (file name, title, [keywords])."""
    folder = os.path.join(docs_dir, 'reference')
    entries, pages = {}, []
    if not os.path.isdir(folder):
        return entries, pages
    for name in sorted(os.listdir(folder)):
        if not name.endswith('.md') or name == 'index.md':
            continue
        with open(os.path.join(folder, name), encoding='utf-8') as f:
            text = f.read()
        title, keywords, ids = name[:-3], [], set()
        for level, heading in _headings(text):
            plain = heading.replace('`', '')
            anchor = unique(slugify(plain, '-'), ids)
            if level == 1 and title == name[:-3]:
                title = plain
            m = ENTRY.match('#' * level + ' ' + heading)
            if level == 2 and m:
                for kw in KEYWORD.findall(m.group(1)):
                    entries.setdefault(kw, (name, anchor))
                    keywords.append(kw)
        pages.append((name, title, keywords))
    return entries, pages


def _link_keywords(markdown, entries, prefix):
    def code(m):
        kw = m.group(1)
        if kw not in entries:
            return m.group(0)
        name, anchor = entries[kw]
        return '[`%s`](%sreference/%s#%s)' % (kw, prefix, name, anchor)

    out, fenced = [], False
    for line in markdown.split('\n'):
        if FENCE.match(line):
            fenced = not fenced
        elif not fenced and not line.startswith('#') and not line.startswith('    '):
            line = CODE_SPAN.sub(code, line)
        out.append(line)
    return '\n'.join(out)


def on_files(files, config):
    for f in list(files):
        if f.src_path.endswith('.1') or f.src_path == 'windows-readme.txt':
            files.remove(f)
    return files


def on_page_markdown(markdown, page, config, files):
    # A title such as "The source language and `vestcomp`" reads plain in the
    # navigation.
    if page.title:
        page.title = page.title.replace('`', '')
    docs_dir = config['docs_dir']
    src = page.file.src_path.replace(os.sep, '/')
    entries, pages = reference_entries(docs_dir)
    prefix = '../' * src.count('/')
    if not src.startswith('reference/') and entries:
        markdown = _link_keywords(markdown, entries, prefix)

    def link(m):
        kw = m.group(1)
        if kw in entries:
            name, anchor = entries[kw]
            return '](%sreference/%s#%s)' % (prefix, name, anchor)
        return '](%sreference/index.md)' % prefix

    markdown = REF_LINK.sub(link, markdown)
    if src == 'reference/index.md':
        out = ['', '## Keyword index', '']
        if not pages:
            out.append('(No reference pages yet.)')
        for name, title, keywords in pages:
            out.append('### [%s](%s)' % (title, name))
            out.append('')
            out.append(' · '.join('[`%s`](%s#%s)' % (kw, name, entries[kw][1])
                                   for kw in keywords if entries[kw][0] == name) or '(none)')
            out.append('')
        markdown = markdown.rstrip('\n') + '\n' + '\n'.join(out) + '\n'
    return markdown
