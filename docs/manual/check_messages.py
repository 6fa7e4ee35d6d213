"""Checks that the messages the manual quotes are the program's own words.

    check_messages.py MANUAL.md SOURCE_FOLDER

Every bold quotation **「…」** of the manual is a message of the program, line breaks written
as "／", an omitted part as "…" and a number as " N ". Each piece between them must appear, as it is, in a string of
the program's sources (C++ files under SOURCE_FOLDER), so a reworded message shows up here
instead of in front of a user who searches the manual for the text on the screen.
"""

import pathlib
import re
import sys


def main(argv):
    if len(argv) != 3:
        sys.stderr.write("使い方: check_messages.py 説明書.md ソースのフォルダー\n")
        return 2
    manual = pathlib.Path(argv[1]).read_text(encoding="utf-8")
    sources = "\n".join(
        path.read_text(encoding="utf-8", errors="replace")
        for path in sorted(pathlib.Path(argv[2]).rglob("*"))
        if path.suffix in (".cc", ".h") and not path.name.endswith("_test.cc"))
    # The sources break long strings into adjacent literals; joined, they read as one text.
    sources = re.sub(r'"\s*\n\s*"', "", sources)
    missing = []
    quotes = re.findall(r"\*\*「(.+?)」\*\*", manual)
    for quote in quotes:
        for piece in re.split(r"／|…| N ", quote):
            piece = piece.strip()
            if piece and piece not in sources:
                missing.append(piece)
    if missing:
        sys.stderr.write("check_messages.py: 説明書が引用したメッセージがプログラムにありません:\n")
        for piece in missing:
            sys.stderr.write("  「" + piece + "」\n")
        return 1
    print("説明書のメッセージ %d 件はプログラムの文のとおりです" % len(quotes))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
