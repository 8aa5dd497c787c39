#!/usr/bin/env python3
"""Checks the shipped syntax (.stx) and auto-completion (.acp) files.

Reads each file the way the editor does (FF FE selects UTF-16 LE, anything
else must be ASCII here, since other bytes would be read in the user's code
page) and reports: keywords repeated inside a group (compared ignoring case,
as lookups do), more than ten groups, directive values with trailing blanks
(values are taken verbatim), keyword lines that store nothing by accident,
.acp files with bare LF line breaks, empty .acp entries and repeated keys.
With --htmlbar it also checks that the HTML toolbar files hold every key.
Prints one line per file with its counts; exits 1 on any problem.
"""
import os
import sys

TOOLBAR_KEYS = ('A APPLET BLOCKQUOTE B BR CENTER CHECKBOX <! DL FONT FORM FRAME H1 H2 H3 H4 '
                'H5 H6 HIDDEN HR FORMIMAGE BUTTON IMG MAP I SELECT nb OL P PASSWORD PRE RADIO '
                'RESET SCRIPT SUBMIT TEXTAREA TEXT U UL DIV SPAN STYLE TABLE TABLE2 TR TR2 TD '
                'TD2').split()


def decode(path, problems):
    data = open(path, 'rb').read()
    if data[:2] == b'\xff\xfe':
        return data[2:].decode('utf-16-le')
    try:
        return data.decode('ascii')
    except UnicodeDecodeError as e:
        problems.append('non-ASCII byte at offset %d in a file without FF FE' % e.start)
        return data.decode('latin-1')


def check_stx(path, problems):
    text = decode(path, problems).split('\0')[0]
    lines = text.split('\n')
    groups = []
    current = None
    for n, raw in enumerate(lines, 1):
        line = raw.rstrip('\r')
        if line.startswith('#'):
            current = None
            key, eq, value = line[1:].partition('=')
            if key.upper() == 'KEYWORD':
                if len(groups) == 10:
                    problems.append('line %d: an eleventh group is ignored' % n)
                else:
                    current = {'name': value, 'words': {}}
                    groups.append(current)
                continue
            if eq and value != value.rstrip():
                problems.append('line %d: value of %s ends in a blank' % (n, key))
            continue
        if current is None:
            continue
        if not line or line[0] == ';':
            continue
        if line[0].isspace():
            problems.append('line %d: keyword line starts with a blank' % n)
            continue
        if line[0] == '^':
            line = line[1:]
        word = line.split()[0] if line.split() else ''
        if not word:
            continue
        if word != line:
            problems.append('line %d: text after the keyword %r' % (n, word))
        up = word.upper()
        if up in current['words']:
            problems.append('line %d: %r repeats %r in group %r'
                            % (n, word, current['words'][up], current['name']))
        current['words'][up] = word
    return ', '.join('%s %d' % (g['name'] or '(unnamed)', len(g['words'])) for g in groups)


def check_acp(path, problems, toolbar):
    raw = open(path, 'rb').read()
    body = raw[2:] if raw[:2] == b'\xff\xfe' else raw
    if raw[:2] != b'\xff\xfe':
        if body.replace(b'\r\n', b'').find(b'\n') >= 0:
            problems.append('bare LF line break (only CR LF separates lines)')
    text = decode(path, problems)
    lines = text.split('\r\n')
    keys = {}
    key = None
    expansion = []

    def finish():
        if key is not None:
            if not key or not '\r\n'.join(expansion):
                problems.append('empty entry %r' % key)
            keys.setdefault(key.upper(), 0)
            keys[key.upper()] += 1

    for line in lines:
        if line.startswith('#'):
            finish()
            key = None
            k, eq, value = line[1:].partition('=')
            if k.upper() == 'T':
                key = value.split()[0] if value.split() else ''
                expansion = []
        elif key is not None:
            expansion.append(line)
    finish()
    for k, c in keys.items():
        if c > 1:
            problems.append('key %r appears %d times' % (k, c))
    if toolbar:
        missing = [k for k in TOOLBAR_KEYS if k.upper() not in keys]
        if missing:
            problems.append('toolbar keys missing: %s' % ' '.join(missing))
    return '%d entries' % len(keys)


def main():
    paths = [a for a in sys.argv[1:] if not a.startswith('--')]
    if not paths:
        here = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'data')
        paths = sorted(os.path.join(here, f) for f in os.listdir(here)
                       if f.endswith(('.stx', '.acp')))
    bad = False
    for path in paths:
        problems = []
        name = os.path.basename(path)
        if name.endswith('.stx'):
            summary = check_stx(path, problems)
        else:
            summary = check_acp(path, problems, name in ('htmlbar.acp', 'xhtmlbar.acp'))
        print('%-16s %s' % (name, summary))
        for p in problems:
            print('  %s: %s' % (name, p))
        bad = bad or bool(problems)
    return 1 if bad else 0


if __name__ == '__main__':
    sys.exit(main())
