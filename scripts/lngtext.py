#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Reads and writes texts of the language files (Windows-1252, CR LF) without breaking them.

  scripts/lngtext.py get  <File.lng> <Section> <Key>
  scripts/lngtext.py set  <File.lng> <Section> <Key> <Text>
  scripts/lngtext.py del  <File.lng> <Section> <Key>

<Text> is the plain text; the two-character sequences \\n and \\r in it stand for a line feed
and a carriage return. The value is stored quoted, with control characters as #codes, as the
program writes it. A missing section is added at the end of the file; an existing key keeps
its place.
"""
import re
import sys


def encode(value):
    quoted = '"' + value.replace('"', '""') + '"'
    out, prev_ctrl = [], False
    for ch in quoted:
        if ord(ch) < 32:
            if not prev_ctrl:
                out.append('"')
            out.append('#%d' % ord(ch))
            prev_ctrl = True
        else:
            if prev_ctrl:
                out.append('"')
            out.append(ch)
            prev_ctrl = False
    return ''.join(out)


def decode(raw):
    result, rest = [], raw
    while '"#' in rest:
        before, rest = rest.split('"#', 1)
        result.append(before)
        end = rest.find('"')
        run, rest = (rest[:end], rest[end + 1:]) if end >= 0 else ('', rest)
        for piece in run.split('#'):
            if piece.isdigit():
                result.append(chr(int(piece) & 0xFF))
    result.append(rest)
    text = ''.join(result)
    if len(text) > 1 and text[0] == '"':
        out, i = [], 1
        while i < len(text):
            if text[i] == '"':
                if i + 1 < len(text) and text[i + 1] == '"':
                    out.append('"')
                    i += 2
                    continue
                break
            out.append(text[i])
            i += 1
        return ''.join(out)
    return text


def load(path):
    with open(path, 'rb') as f:
        return f.read().decode('cp1252').replace('\r\n', '\n').split('\n')


def save(path, lines):
    while lines and lines[-1] == '':
        lines.pop()
    with open(path, 'wb') as f:
        f.write(('\r\n'.join(lines) + '\r\n').encode('cp1252'))


def find(lines, section, key):
    """(index of the section header or -1, index of the key line or -1, end of the section)"""
    head, line_at, end = -1, -1, len(lines)
    for i, line in enumerate(lines):
        s = line.strip()
        m = re.fullmatch(r'\[(.*)\]', s)
        if m:
            if head >= 0 and end == len(lines):
                end = i
            if m.group(1).strip().lower() == section.lower():
                head, line_at, end = i, -1, len(lines)
            continue
        if head >= 0 and end == len(lines) and '=' in s:
            if s.split('=', 1)[0].strip().lower() == key.lower():
                line_at = i
    return head, line_at, end


def main(argv):
    if len(argv) < 5 or argv[1] not in ('get', 'set', 'del'):
        sys.exit(__doc__)
    cmd, path, section, key = argv[1:5]
    lines = load(path)
    head, at, end = find(lines, section, key)
    if cmd == 'get':
        if at < 0:
            sys.exit(1)
        print(decode(lines[at].split('=', 1)[1].strip()))
        return
    if cmd == 'del':
        if at >= 0:
            del lines[at]
            save(path, lines)
        return
    value = argv[5].replace('\\n', '\n').replace('\\r', '\r')
    entry = key + '=' + encode(value)
    if at >= 0:
        lines[at] = entry
    elif head >= 0:
        # After the section's last non-empty line.
        pos = end
        while pos > head + 1 and lines[pos - 1].strip() == '':
            pos -= 1
        lines.insert(pos, entry)
    else:
        while lines and lines[-1] == '':
            lines.pop()
        lines += ['', '[' + section + ']', entry]
    save(path, lines)


if __name__ == '__main__':
    main(sys.argv)
