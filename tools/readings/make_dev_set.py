#!/usr/bin/python3
"""Makes the development sets of readings from the Juman dictionary (mecab-jumandic).

    /usr/bin/python3 tools/readings/make_dev_set.py JUMANDIC_SOURCE_FOLDER [OUT_FOLDER]

JUMANDIC_SOURCE_FOLDER is the unpacked source package (tools/readings/fetch_source.sh prints
it); OUT_FOLDER defaults to tests/data/readings beside this script's repository. Writes

  dev_nouns.tsv  5,000 common nouns (普通名詞, サ変名詞, 時相名詞)
  dev_names.tsv  1,000 proper nouns (人名, 地名, 組織名, 固有名詞)

one term a line: term<TAB>reading[<TAB>reading...], the readings in hiragana, every reading
the dictionary lists for the term in its class (common or proper), in the dictionary's order.

Terms hold at least one kanji and are written in kanji and kana only. A spelling with
hiragana is taken only when it is the entry's representative spelling (代表表記), so Juman's
part-kana variants (あい育, 一り一がい) stay out. The sample is fixed by a hash of each term:
candidates are ordered by SHA-1 of "mirune-dev-set:" + term and taken from the front: of the
nouns 3,000 of 2 characters, 1,250 of 3, 500 of 4, 150 of 5-8 and 100 of one;
of the names 450 人名, 400 地名 and 150 組織名 or 固有名詞.
The same source gives the same files, byte for byte.
"""

import hashlib
import os
import sys

# The curated parts of the dictionary. Auto.csv and Wikipedia.csv were gathered by machine
# (readings missing or in katakana, "読み不明") and are left out.
CURATED_FILES = [
    "ContentW.csv",
    "Noun.koyuu.csv",
    "Noun.hukusi.csv",
    "Noun.keishiki.csv",
    "Noun.suusi.csv",
    "Rengo.csv",
]
COMMON_CLASSES = {"普通名詞", "サ変名詞", "時相名詞"}
PROPER_CLASSES = {"人名", "地名", "組織名", "固有名詞"}
# By length in characters: mostly 2-4 like the terms of a book index (more of 3 and 4 than
# the dictionary's own share), the few longer compounds it has, and some single kanji (whose
# readings are the most ambiguous).
NOUN_QUOTAS = [((2, 2), 3000), ((3, 3), 1250), ((4, 4), 500), ((5, 8), 150), ((1, 1), 100)]
# Names by class, in proportion to what the dictionary holds; 組織名 and 固有名詞 together.
NAME_QUOTAS = [({"人名"}, 450), ({"地名"}, 400), ({"組織名", "固有名詞"}, 150)]


def is_kanji(c):
    o = ord(c)
    return (0x4E00 <= o <= 0x9FFF or 0x3400 <= o <= 0x4DBF or 0xF900 <= o <= 0xFAFF
            or 0x20000 <= o <= 0x2FFFF or c in "々〆〇")


def is_hiragana(c):
    return 0x3041 <= ord(c) <= 0x3096 or c in "ゝゞ"


def is_katakana(c):
    return 0x30A1 <= ord(c) <= 0x30FA or c in "ーヽヾ"


def to_hiragana(text):
    out = []
    for c in text:
        o = ord(c)
        if 0x30A1 <= o <= 0x30F6:
            out.append(chr(o - 0x60))
        elif c in "ヽヾ":
            out.append(chr(ord(c) - 0x60))
        else:
            out.append(c)
    return "".join(out)


def read_rows(path):
    data = open(path, "rb").read()
    # The Debian package ships the CSV files in UTF-8; upstream's are EUC-JP.
    try:
        text = data.decode("utf-8")
    except UnicodeDecodeError:
        text = data.decode("euc_jp")
    for line in text.splitlines():
        fields = line.split(",")
        if len(fields) < 10:
            continue
        yield fields


def representative(fields):
    for item in ",".join(fields[10:]).split(" "):
        if item.startswith("代表表記:"):
            return item[len("代表表記:"):].split("/")[0]
    return None


def in_code_page_932(text):
    # The program's readings work on what the Japanese Windows code page can hold.
    try:
        text.encode("cp932")
        return True
    except UnicodeEncodeError:
        return False


def acceptable_term(term, rep):
    if not any(is_kanji(c) for c in term) or not in_code_page_932(term):
        return False
    if not all(is_kanji(c) or is_hiragana(c) or is_katakana(c) for c in term):
        return False
    if any(is_hiragana(c) for c in term) and rep is not None and rep != term:
        return False
    return True


def acceptable_reading(reading):
    # No Japanese word begins with a small kana or a long-vowel mark: such a reading is a
    # slip of the dictionary (seen: 門司 ゅうしもじ).
    return (reading != "" and reading[0] not in "ぁぃぅぇぉっゃゅょゎゕゖー"
            and all(is_hiragana(c) or c == "ー" for c in reading) and in_code_page_932(reading))


def order_key(term):
    return hashlib.sha1(("mirune-dev-set:" + term).encode("utf-8")).hexdigest()


def collect(source):
    """Readings by (is_proper, term) in dictionary order, and the candidate class of a term."""
    readings = {}
    classes = {}
    for name in CURATED_FILES:
        path = os.path.join(source, name)
        if not os.path.exists(path):
            sys.exit("辞書のファイルがありません: " + path)
        for f in read_rows(path):
            if f[4] != "名詞" or (f[5] not in COMMON_CLASSES and f[5] not in PROPER_CLASSES):
                continue
            term, reading = f[0], to_hiragana(f[9])
            proper = f[5] in PROPER_CLASSES
            if not acceptable_term(term, representative(f)) or not acceptable_reading(reading):
                continue
            listed = readings.setdefault((proper, term), [])
            if reading not in listed:
                listed.append(reading)
            classes.setdefault((proper, term), f[5])
    return readings, classes


def write_set(path, terms, readings, proper):
    with open(path, "w", encoding="utf-8", newline="\n") as out:
        for term in sorted(terms, key=order_key):
            out.write(term + "\t" + "\t".join(readings[(proper, term)]) + "\n")


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    source = sys.argv[1]
    out_dir = sys.argv[2] if len(sys.argv) == 3 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "data", "readings")
    readings, classes = collect(source)

    nouns = sorted((t for (p, t) in readings if not p), key=order_key)
    noun_set = []
    for (low, high), quota in NOUN_QUOTAS:
        noun_set += [t for t in nouns if low <= len(t) <= high][:quota]

    names = sorted((t for (p, t) in readings if p), key=order_key)
    name_set = []
    for wanted, quota in NAME_QUOTAS:
        name_set += [t for t in names if classes[(True, t)] in wanted][:quota]

    if len(noun_set) != sum(q for _, q in NOUN_QUOTAS) or len(name_set) != sum(q for _, q in NAME_QUOTAS):
        sys.exit("辞書の語が足りません: 普通名詞 %d 語、固有名詞 %d 語" % (len(noun_set), len(name_set)))
    write_set(os.path.join(out_dir, "dev_nouns.tsv"), noun_set, readings, False)
    write_set(os.path.join(out_dir, "dev_names.tsv"), name_set, readings, True)


if __name__ == "__main__":
    main()
