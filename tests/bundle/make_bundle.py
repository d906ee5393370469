#!/usr/bin/env python3
"""Lays out the Windows test bundle in a staging folder and packs it into a
zip with reproducible bytes (sample/make_zip.py, which the distribution's
zip is made with).

Each file comes as MODE NAME SOURCE, in the order of the zip:
  copy   SOURCE goes in as it is (the distribution, the setup program);
  strip  a program without its symbols, made by the STRIP tool, which stamps
         the PE header with SOURCE_DATE_EPOCH (here the zip's own default
         time when the environment has none), so that two builds agree;
  crlf   a text with CRLF line ends, as cmd.exe reads a batch file.
NAME may lie in a subfolder ("canary/version.dll").

Usage: make_bundle.py OUTPUT.zip TOP_FOLDER STAGE_DIR STRIP {MODE NAME SOURCE}...
"""

import calendar
import os
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'sample'))
import make_zip  # noqa: E402  (found through the path above)


def stage_file(mode, source, target, strip):
    os.makedirs(os.path.dirname(target), exist_ok=True)
    if mode == 'copy':
        shutil.copyfile(source, target)
    elif mode == 'strip':
        environment = dict(os.environ)
        if not environment.get('SOURCE_DATE_EPOCH', '').strip():
            environment['SOURCE_DATE_EPOCH'] = str(
                calendar.timegm(make_zip.DEFAULT_DATE_TIME + (0, 0, 0)))
        subprocess.run([strip, '--strip-all', '-o', target, source], check=True, env=environment)
    elif mode == 'crlf':
        with open(source, 'rb') as text:
            lines = text.read().replace(b'\r\n', b'\n').split(b'\n')
        with open(target, 'wb') as out:
            out.write(b'\r\n'.join(lines))
    else:
        raise ValueError('unknown mode ' + mode)


def main():
    arguments = sys.argv[1:]
    if len(arguments) < 7 or (len(arguments) - 4) % 3:
        sys.stderr.write('usage: make_bundle.py OUTPUT.zip TOP_FOLDER STAGE_DIR STRIP '
                         '{copy|strip|crlf NAME SOURCE}...\n')
        return 2
    output, top, stage, strip = arguments[:4]
    files = [arguments[i:i + 3] for i in range(4, len(arguments), 3)]
    # A fresh staging folder: nothing of an earlier layout stays in it.
    shutil.rmtree(stage, ignore_errors=True)
    names = []
    for mode, name, source in files:
        stage_file(mode, source, os.path.join(stage, name), strip)
        names.append(name)
    make_zip.write_if_changed(output, make_zip.build_zip(top, stage, names))
    return 0


if __name__ == '__main__':
    sys.exit(main())
