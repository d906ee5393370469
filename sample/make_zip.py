#!/usr/bin/env python3
"""Packs the sample distribution into a zip file with reproducible bytes.

The files go into one top-level folder, in the order given on the command
line, deflated, each with the same time stamp and the same attributes and
no extra fields; a name may lie in a subfolder ("canary/version.dll"),
whose entry comes before its first file. The time stamp is SOURCE_DATE_EPOCH when that is set, else
2026-01-01 00:00:00. The zip is built in memory and written only when its
bytes differ from the file already there, so an unchanged distribution
leaves the file (and its modification time) alone.

Usage: make_zip.py OUTPUT.zip TOP_FOLDER SOURCE_DIR NAME...
"""

import io
import os
import sys
import time
import zipfile

DEFAULT_DATE_TIME = (2026, 1, 1, 0, 0, 0)
UNIX_SYSTEM = 3  # "made by" host: the Unix permission bits below are meaningful
FILE_ATTRIBUTES = 0o100644 << 16
FOLDER_ATTRIBUTES = (0o040755 << 16) | 0x10  # 0x10: the MS-DOS directory bit


def archive_date_time():
    epoch = os.environ.get('SOURCE_DATE_EPOCH', '').strip()
    if not epoch:
        return DEFAULT_DATE_TIME
    stamp = time.gmtime(int(epoch))
    # Zip time stamps start at 1980 and have a two-second resolution.
    if stamp.tm_year < 1980:
        return (1980, 1, 1, 0, 0, 0)
    return (min(stamp.tm_year, 2107), stamp.tm_mon, stamp.tm_mday,
            stamp.tm_hour, stamp.tm_min, stamp.tm_sec - stamp.tm_sec % 2)


def entry(name, date_time, attributes):
    info = zipfile.ZipInfo(name, date_time)
    info.create_system = UNIX_SYSTEM
    info.external_attr = attributes
    return info


def build_zip(top, source_dir, names):
    date_time = archive_date_time()
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, 'w') as archive:
        folder = entry(top + '/', date_time, FOLDER_ATTRIBUTES)
        folder.compress_type = zipfile.ZIP_STORED
        archive.writestr(folder, b'')
        folders = set()
        for name in names:
            parts = name.split('/')[:-1]
            for depth in range(1, len(parts) + 1):
                subfolder = '/'.join(parts[:depth])
                if subfolder not in folders:
                    folders.add(subfolder)
                    entry_info = entry(top + '/' + subfolder + '/', date_time, FOLDER_ATTRIBUTES)
                    entry_info.compress_type = zipfile.ZIP_STORED
                    archive.writestr(entry_info, b'')
            with open(os.path.join(source_dir, name), 'rb') as source:
                data = source.read()
            info = entry(top + '/' + name, date_time, FILE_ATTRIBUTES)
            archive.writestr(info, data, compress_type=zipfile.ZIP_DEFLATED, compresslevel=9)
    return buffer.getvalue()


def write_if_changed(output, data):
    try:
        with open(output, 'rb') as existing:
            if existing.read() == data:
                return
    except FileNotFoundError:
        pass
    partial = output + '.part'
    with open(partial, 'wb') as out:
        out.write(data)
    os.replace(partial, output)


def main():
    if len(sys.argv) < 5:
        sys.stderr.write('usage: make_zip.py OUTPUT.zip TOP_FOLDER SOURCE_DIR NAME...\n')
        return 2
    output, top, source_dir, names = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4:]
    write_if_changed(output, build_zip(top, source_dir, names))
    return 0


if __name__ == '__main__':
    sys.exit(main())
