"""Packs a folder into a zip archive under a top folder name, the same bytes on every run.

    make_zip.py FOLDER TOP_NAME ARCHIVE.zip

Entries are sorted and carry one fixed time, so two builds of the same files give the same
archive. Names are stored as UTF-8 with the zip's UTF-8 flag set (zipfile does that for every
name that is not ASCII), which Windows' own extraction reads.
"""

import os
import sys
import zipfile

FIXED_TIME = (2026, 1, 1, 0, 0, 0)


def main(argv):
    if len(argv) != 4:
        sys.stderr.write("使い方: make_zip.py フォルダー 最上位の名前 出力.zip\n")
        return 2
    folder, top, archive = argv[1], argv[2], argv[3]
    paths = []
    for directory, subdirs, files in os.walk(folder):
        subdirs.sort()
        for name in files:
            paths.append(os.path.join(directory, name))
    paths.sort()
    with zipfile.ZipFile(archive, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as out:
        for path in paths:
            relative = os.path.relpath(path, folder).replace(os.sep, "/")
            info = zipfile.ZipInfo(top + "/" + relative, FIXED_TIME)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.external_attr = 0o644 << 16
            with open(path, "rb") as source:
                out.writestr(info, source.read())
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
