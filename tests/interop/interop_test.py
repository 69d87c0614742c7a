#!/usr/bin/env python3
"""Tables and notes through the engine and Debian's independent DBF readers:
records the engine writes (also into a shared table whose writer was killed
before it closed it) read by python3-dbf and python3-dbfread, and records
python3-dbf writes read by quilltable csv; notes the engine writes in both
memo flavours, as written and once the table component has read each into
lines and written it back (as the notes window does with a note nobody
changed), read by both readers (python3-dbf takes dBASE III memos only); and
notes python3-dbf writes, some with bare line feeds, read by the engine,
rewritten from their lines (a line feed keeps its line break, as CR LF) and
then with others, and read back by both.

    interop_test.py INTEROP_TOOL QUILLTABLE     (Debian's /usr/bin/python3)

Exit 0 when everything matched, 1 otherwise, 77 without the modules.
"""
import csv
import datetime
import io
import os
import subprocess
import sys
import tempfile

try:
    import dbf
    import dbfread
except ImportError:
    print("skipped: python3-dbf and python3-dbfread are not installed for", sys.executable)
    sys.exit(77)

TOOL, QUILLTABLE = sys.argv[1:3]
CP = "cp437"

# name, born, amount, count, ok, rate: the same values both ways.
RECORDS = [
    ("Jane Doe", datetime.date(1970, 1, 2), 1234.5, 42, True, 3.1416),
    ("M\u00fcller, \"Max\"", None, -0.01, -7, False, 0.0),
    ("Andr\u00e9 \u00c7a\u00f1\u00f3n", datetime.date(2000, 2, 29), 0.0, 0, True, -12.5),
    ("", datetime.date(2099, 12, 31), 9999999.99, 999999, False, 1234567.1234),
]
FIELDS = ["NAME", "BORN", "AMOUNT", "COUNT", "OK", "RATE"]

# Letters that share their byte with the soft return (0x8D is "ì"), other
# code-page letters, a note of several blocks, and a record without a note.
NOTES = [
    "Authorised by telephone on 05/17/26.",
    "così\r\nperché no?\r\nfinisce in ì",
    "\r\n".join("line %d of a longer note" % i for i in range(1, 70)),
    "ÇüéâäàåçêëèïîìÄÅ ÉæÆôöòûùÿÖÜ",
    "",
    "x" * 200,
    "y" * 600,
    "a note that ends with a line break\r\n",
]
# Other programs end lines with a line feed alone.
PYTHON_NOTES = NOTES + ["line 1\nline 2\n\nline 4", "ends with a line feed\n"]
LATER = ["rewritten " + n[:30] if n else "" for n in NOTES] + ["in place of line feeds", "", "a record added"]

failures = []


def check(what, got, want):
    if got != want:
        failures.append(f"{what}: got {str(got)[:300]}, want {str(want)[:300]}")


def run(*args, lines=None):
    stdin = None if lines is None else "".join(line + "\n" for line in lines)
    done = subprocess.run(args, input=stdin, capture_output=True, encoding="utf-8")
    if done.returncode != 0:
        raise SystemExit(f"{' '.join(args)} failed: {done.stderr}")
    return done.stdout


def tool(*args, notes=None):
    """The interop tool, notes travelling as hexadecimal bytes."""
    out = run(TOOL, *args, lines=None if notes is None else [n.encode(CP).hex() or "-" for n in notes])
    return [bytes.fromhex(h).decode(CP) if h != "-" else "" for h in out.split()]


def by_dbfread(path):
    table = dbfread.DBF(path, encoding=CP)
    return table.field_names, [tuple(record.values()) for record in table]


def by_dbf(path):
    table = dbf.Table(path)
    table.open(dbf.READ_ONLY)
    try:
        return table.codepage.name, [tuple(record) for record in table]
    finally:
        table.close()


# Each reader's notes, record by record.
NOTE_READERS = {
    "the engine": lambda path: tool("read", path),
    "python3-dbfread": lambda path: [n or "" for _, n in by_dbfread(path)[1]],
    # dbfread reads `length` bytes after the 8-byte block header, although
    # the length counts the header: 8 bytes too many, which are the zeros
    # that end the note's last block.
    "python3-dbfread, dBASE IV": lambda path: [n.rstrip("\0") for n in NOTE_READERS["python3-dbfread"](path)],
    # A record without a note must read as an empty note too: the engine
    # stores blanks for it, which python3-dbf understands (it fails on "0").
    "python3-dbf": lambda path: [n for _, n in by_dbf(path)[1]],
}


def notes_read(what, path, want, *readers):
    for reader in readers:
        check(f"{what}, read by {reader}", NOTE_READERS[reader](path), want)


with tempfile.TemporaryDirectory(prefix="qp-interop-") as folder:
    for name, options in (("ours", ()), ("killed", ("--shared-then-killed",))):
        path = os.path.join(folder, name + ".dbf")
        run(TOOL, "records", path, *options, lines=[
            "\t".join([n, b.strftime("%m/%d/%Y") if b else "", repr(a), str(c), "T" if ok else "F", repr(r)])
            for n, b, a, c, ok, r in RECORDS])
        check(f"{name}, read by python3-dbfread", by_dbfread(path), (FIELDS, RECORDS))
        codepage, rows = by_dbf(path)
        check(f"{name}, read by python3-dbf", (codepage, [(r[0].rstrip(),) + r[1:] for r in rows]), (CP, RECORDS))

    path = os.path.join(folder, "theirs.dbf")
    with dbf.Table(path, "name C(20); born D; amount N(10,2); count N(6,0); ok L; rate F(12,4)", codepage=CP,
                   dbf_type="db3") as table:
        for record in RECORDS:
            table.append(record)
    header, *rows = csv.reader(io.StringIO(run(QUILLTABLE, "csv", path), newline=""))
    check("python3-dbf, read by the engine", (header, [row[:5] + [float(row[5])] for row in rows]), (FIELDS, [
        [n, b.isoformat() if b else "", f"{a:.2f}", str(c), "T" if ok else "F", r] for n, b, a, c, ok, r in RECORDS]))

    for version, readers in (("83", ("the engine", "python3-dbfread", "python3-dbf")),
                             ("8b", ("the engine", "python3-dbfread, dBASE IV"))):
        path = os.path.join(folder, "engine%s.dbf" % version)
        tool("create", path, version, "512", notes=NOTES)
        notes_read("engine " + version, path, NOTES, *readers)
        tool("rewrite", path)
        notes_read("engine %s rewritten from its lines" % version, path, NOTES, *readers)

    path = os.path.join(folder, "python.dbf")
    with dbf.Table(path, "title C(20); notes M", dbf_type="db3", codepage=CP) as table:
        for i, note in enumerate(PYTHON_NOTES):
            table.append(("record %d" % (i + 1), note))
    notes_read("python3-dbf", path, PYTHON_NOTES, "the engine")
    tool("rewrite", path)
    kept = [n.replace("\r\n", "\n").replace("\n", "\r\n") for n in PYTHON_NOTES]
    notes_read("python3-dbf rewritten from its lines", path, kept, "python3-dbf", "python3-dbfread")
    tool("update", path, notes=LATER)
    notes_read("engine update", path, LATER, "the engine", "python3-dbf", "python3-dbfread")

for failure in failures:
    print("FAIL", failure)
print("%d interop checks failed" % len(failures) if failures else "all interop checks passed")
sys.exit(1 if failures else 0)
