#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Checks, or adds, the licence line at the top of every source file.

  scripts/spdx.py [check]   lists the source files without the line; fails if there are any
                            (77, skipped, outside a git checkout)
  scripts/spdx.py add       writes the line into the files that lack it

Source files are the tracked C++, Designer, CMake, shell and Python files. The line goes
first, after a #! line or an XML declaration, as a comment of the file's kind.
"""
import subprocess
import sys
from pathlib import Path

TAG = 'SPDX-License-Identifier: GPL-3.0-or-later'
COMMENT = {
    '.cpp': '// {}', '.h': '// {}',
    '.ui': '<!-- {} -->',
    '.cmake': '# {}', '.sh': '# {}', '.py': '# {}',
}
# Test data and reviewed output, not source.
SKIP = ('tests/i18n/corpus/', '/golden/')


def comment_for(path):
    if path.name == 'CMakeLists.txt':
        return '# {}'
    return COMMENT.get(path.suffix)


def sources(root):
    listed = subprocess.run(['git', 'ls-files', '-z'], cwd=root, check=True,
                            capture_output=True).stdout.decode().split('\0')
    for name in sorted(filter(None, listed)):
        path = Path(name)
        if comment_for(path) and not any(s in name for s in SKIP):
            yield path


def has_tag(text):
    return any(TAG in line for line in text.splitlines()[:3])


def with_tag(path, text):
    line = comment_for(path).format(TAG)
    newline = '\r\n' if '\r\n' in text else '\n'
    lines = text.splitlines(keepends=True)
    # The #! line and the XML declaration have to stay first.
    keep = 1 if lines and (lines[0].startswith('#!') or lines[0].startswith('<?xml')) else 0
    return ''.join(lines[:keep]) + line + newline + ''.join(lines[keep:])


def main(argv):
    mode = argv[1] if len(argv) > 1 else 'check'
    if mode not in ('check', 'add'):
        print(__doc__.strip(), file=sys.stderr)
        return 2
    try:
        root = Path(subprocess.run(['git', 'rev-parse', '--show-toplevel'], check=True,
                                   capture_output=True).stdout.decode().strip())
    except (OSError, subprocess.CalledProcessError):
        print('not a git checkout: nothing to check', file=sys.stderr)
        return 77
    missing = []
    for path in sources(root):
        # Line ends as they are: a CRLF file stays one.
        with open(root / path, encoding='utf-8', newline='') as f:
            text = f.read()
        if has_tag(text):
            continue
        missing.append(path)
        if mode == 'add':
            (root / path).write_text(with_tag(path, text), encoding='utf-8', newline='')
    verb = 'given the licence line' if mode == 'add' else 'without the licence line'
    for path in missing:
        print(path)
    print('{} source file(s) {}'.format(len(missing), verb), file=sys.stderr)
    return 1 if missing and mode == 'check' else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
