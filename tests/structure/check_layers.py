#!/usr/bin/env python3
"""Fails when a source folder includes a folder above it: every folder of src/ may include only
itself and the folders before it in LAYERS, so that the program can be built and tested from the
bottom up, and never a folder that SEPARATE keeps from it (the shortcut model uses no window
code, so that it can be used and tested without windows)."""
import re
import sys
from pathlib import Path

LAYERS = ['foundation', 'graphics', 'framework', 'culture', 'os', 'settings', 'model', 'views', 'weblinks', 'forms',
          'app']
SEPARATE = {('model', 'framework')}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^/"]+)/', re.MULTILINE)


def upward_includes(src):
    found = []
    for path in sorted(src.rglob('*')):
        if path.suffix not in ('.h', '.cpp') or not path.is_file():
            continue
        folder = path.relative_to(src).parts[0]
        if folder not in LAYERS:
            found.append(f'{path}: the folder {folder} has no place in the layers')
            continue
        for included in INCLUDE.findall(path.read_text(encoding='utf-8')):
            if included in LAYERS and LAYERS.index(included) > LAYERS.index(folder):
                found.append(f'{path}: {folder} includes {included}, which lies above it')
            elif (folder, included) in SEPARATE:
                found.append(f'{path}: {folder} includes {included}, which it must not use')
    return found


if __name__ == '__main__':
    problems = upward_includes(Path(sys.argv[1]))
    for problem in problems:
        print(problem)
    sys.exit(1 if problems else 0)
