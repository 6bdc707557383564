#!/usr/bin/env python3
"""Validate the table of localised strings (ui/resources/strings.tsv).

Usage:
    strings_table_check.py [TABLE]     check TABLE (default: the suite's table)
    strings_table_check.py --self-test prove that every rule rejects a broken table

The table is UTF-8 text, one row per English string identifier, tab-separated:

    id  en  de  es  fr  it  ru  note

A language's string has the identifier of the English string plus the language index
(0 en, 1 de, 2 es, 3 fr, 4 it, 5 ru), so the identifiers of two rows must lie at least
six apart.  Inside a cell the only escapes are \\\\ (backslash), \\n (newline) and \\t (tab).
A list string holds its entries separated by backslashes and ends with "\\." or with a
trailing backslash; the position in a list is a stored value, so every translation of a
list has the same number of entries and the same ending.  Spanish is carried only by
some strings and may be empty; every other cell must be filled.

The check stops at the first problem, names it and exits with status 1.
"""

import os
import re
import sys

HEADER = ["id", "en", "de", "es", "fr", "it", "ru", "note"]
LANGUAGES = ["en", "de", "es", "fr", "it", "ru"]
OPTIONAL = {"es"}
LANGUAGE_COUNT = 6
DEFAULT_TABLE = os.path.join(os.path.dirname(os.path.abspath(__file__)),
                             "..", "..", "ui", "resources", "strings.tsv")

ESCAPES = {"\\": "\\", "n": "\n", "t": "\t"}
EDGE_SPACE = " \t\n"
# Closing punctuation that a translation must keep, longest first.
CLOSERS = ("...", ":", "?", ".", "!")


class TableError(Exception):
    pass


def unescape(cell):
    out = []
    i = 0
    while i < len(cell):
        ch = cell[i]
        if ch == "\\":
            if i + 1 >= len(cell):
                raise TableError("cell ends in a lone backslash (write a backslash as \\\\)")
            code = cell[i + 1]
            if code not in ESCAPES:
                raise TableError("unknown escape \\%s (only \\\\, \\n and \\t are allowed)" % code)
            out.append(ESCAPES[code])
            i += 2
            continue
        if ch == "\r":
            raise TableError("carriage return inside a cell")
        out.append(ch)
        i += 1
    return "".join(out)


def split_list(text):
    """Return (entries, ending) of a list string; ending is '\\.' or '\\'."""
    if text.endswith("\\."):
        body, ending = text[:-2], "\\."
    elif text.endswith("\\"):
        body, ending = text[:-1], "\\"
    else:
        raise TableError("list string does not end with \"\\.\" or a trailing backslash")
    return body.split("\\"), ending


def leading(s):
    return s[:len(s) - len(s.lstrip(EDGE_SPACE))]


def trailing(s):
    return s[len(s.rstrip(EDGE_SPACE)):]


def closer(s):
    core = s.rstrip(EDGE_SPACE)
    for c in CLOSERS:
        if core.endswith(c):
            return c
    return None


def compare_piece(english, other, what):
    if leading(english) != leading(other):
        raise TableError("%s: leading spaces %r differ from English %r"
                         % (what, leading(other), leading(english)))
    if trailing(english) != trailing(other):
        raise TableError("%s: trailing spaces %r differ from English %r"
                         % (what, trailing(other), trailing(english)))
    want = closer(english)
    if want is not None and not other.rstrip(EDGE_SPACE).endswith(want):
        raise TableError("%s: must end with %r like the English text" % (what, want))
    if english.strip(EDGE_SPACE) and not other.strip(EDGE_SPACE):
        raise TableError("%s: empty where the English text is not" % what)


def compare(english, other, lang):
    if english.count("\n") != other.count("\n"):
        raise TableError("%s: %d line breaks, English has %d"
                         % (lang, other.count("\n"), english.count("\n")))
    if english.count("&&") != other.count("&&"):
        raise TableError("%s: the number of \"&&\" differs from English" % lang)
    if "\\" in english:
        en_entries, en_end = split_list(english)
        try:
            entries, end = split_list(other)
        except TableError as e:
            raise TableError("%s: %s (English ends with \"%s\")" % (lang, e, en_end))
        if end != en_end:
            raise TableError("%s: list ends with \"%s\", English with \"%s\"" % (lang, end, en_end))
        if len(entries) != len(en_entries):
            raise TableError("%s: list has %d entries, English has %d"
                             % (lang, len(entries), len(en_entries)))
        for n, (e, o) in enumerate(zip(en_entries, entries), 1):
            compare_piece(e, o, "%s entry %d" % (lang, n))
    else:
        if "\\" in other:
            raise TableError("%s: backslash in a string that is not a list" % lang)
        compare_piece(english, other, lang)


def check_lines(lines):
    """Check the table given as a list of text lines (without line ends); return row count."""
    if not lines:
        raise TableError("line 1: table is empty")
    if lines[0].split("\t") != HEADER:
        raise TableError("line 1: header must be %r" % "\t".join(HEADER))
    previous = None
    rows = 0
    for number, line in enumerate(lines[1:], 2):
        try:
            cells = line.split("\t")
            if len(cells) != len(HEADER):
                raise TableError("%d columns, expected %d" % (len(cells), len(HEADER)))
            row = dict(zip(HEADER, cells))
            if not re.fullmatch(r"[1-9][0-9]*", row["id"]):
                raise TableError("identifier %r is not a positive decimal number" % row["id"])
            ident = int(row["id"])
            if previous is not None:
                if ident <= previous:
                    raise TableError("identifier %d is not greater than the one before (%d): "
                                     "rows must be unique and sorted" % (ident, previous))
                if ident < previous + LANGUAGE_COUNT:
                    raise TableError("identifier %d overlaps the language identifiers %d..%d"
                                     % (ident, previous, previous + LANGUAGE_COUNT - 1))
            previous = ident
            if not row["note"].strip():
                raise TableError("note is empty")
            texts = {}
            for lang in LANGUAGES:
                cell = row[lang]
                if cell == "":
                    if lang in OPTIONAL:
                        continue
                    raise TableError("%s is empty" % lang)
                try:
                    texts[lang] = unescape(cell)
                except TableError as e:
                    raise TableError("%s: %s" % (lang, e))
            english = texts["en"]
            if "\\" in english:
                split_list(english)
            for lang, text in texts.items():
                if lang != "en":
                    compare(english, text, lang)
        except TableError as e:
            ident = line.split("\t", 1)[0]
            raise TableError("line %d (id %s): %s" % (number, ident, e))
        rows += 1
    return rows


def read_table(path):
    with open(path, "rb") as f:
        data = f.read()
    if data.startswith(b"\xef\xbb\xbf"):
        raise TableError("line 1: byte-order mark at the start of the file")
    try:
        text = data.decode("utf-8")
    except UnicodeDecodeError as e:
        raise TableError("not UTF-8 (byte %d)" % e.start)
    if not text.endswith("\n"):
        raise TableError("the last line has no line end")
    return text[:-1].split("\n")


def self_test():
    good = [
        "\t".join(HEADER),
        "\t".join(["1", "Name", "Name", "", "Nom", "Nome", "Имя", "product name"]),
        "\t".join(["40055", "Hours\\\\Days\\\\.", "Stunden\\\\Tage\\\\.", "Horas\\\\Días\\\\.",
                   "Heures\\\\Jours\\\\.", "Ore\\\\Giorni\\\\.", "Часы\\\\Дни\\\\.", "units"]),
        "\t".join(["40065", "Show ", "Zeige ", "", "Afficher ", "Mostra ", "Показать ", "prefix"]),
        "\t".join(["40075", "Date:", "Datum:", "", "Date\u00a0:", "Data:", "Дата:", "label"]),
        "\t".join(["40085", "One. \\nTwo.", "Eins. \\nZwei.", "", "Un. \\nDeux.", "Uno. \\nDue.",
                   "Один. \\nДва.", "message"]),
    ]
    assert check_lines(good) == 5, "the sample table must pass"

    def broken(row, column, value):
        lines = list(good)
        cells = lines[row].split("\t")
        cells[HEADER.index(column)] = value
        lines[row] = "\t".join(cells)
        return lines

    cases = {
        "wrong header": [good[0].replace("note", "notes")] + good[1:],
        "missing column": good[:2] + [good[2].rsplit("\t", 1)[0]] + good[3:],
        "duplicate id": good[:3] + [good[2]] + good[3:],
        "unsorted ids": [good[0], good[2], good[1]] + good[3:],
        "overlapping ids": broken(3, "id", "40058"),
        "empty German": broken(1, "de", ""),
        "empty Russian": broken(4, "ru", ""),
        "empty note": broken(1, "note", " "),
        "bad escape": broken(1, "fr", "No\\m"),
        "lone backslash": broken(1, "it", "Nome\\"),
        "list entry missing": broken(2, "de", "Stunden\\\\."),
        "list entry added in Spanish": broken(2, "es", "Horas\\\\Días\\\\Semanas\\\\."),
        "list ending changed": broken(2, "it", "Ore\\\\Giorni\\\\"),
        "list without ending": broken(2, "ru", "Часы\\\\Дни"),
        "backslash in plain string": broken(1, "de", "Na\\\\me"),
        "trailing space lost": broken(3, "fr", "Afficher"),
        "colon lost": broken(4, "it", "Data"),
        "line break lost": broken(5, "de", "Eins. Zwei."),
        "not an identifier": broken(1, "id", "x1"),
    }
    failed = 0
    for name, lines in cases.items():
        try:
            check_lines(lines)
        except TableError:
            continue
        print("self-test: broken table accepted: %s" % name, file=sys.stderr)
        failed += 1
    print("self-test: %d passed, %d failed" % (len(cases) - failed, failed))
    return 1 if failed else 0


def main(argv):
    if argv[1:] == ["--self-test"]:
        return self_test()
    if len(argv) > 2:
        print("\n".join(__doc__.strip().splitlines()[2:5]), file=sys.stderr)
        return 2
    path = argv[1] if len(argv) == 2 else DEFAULT_TABLE
    try:
        rows = check_lines(read_table(path))
    except OSError as e:
        print("strings: cannot read %s: %s" % (path, e.strerror), file=sys.stderr)
        return 1
    except TableError as e:
        print("strings: %s: %s" % (os.path.basename(path), e), file=sys.stderr)
        return 1
    print("strings: %d rows checked, 0 failed" % rows)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
