#!/usr/bin/env python3
"""Notes through the engine and through Debian's independent DBF readers.

1. The engine writes notes (dBASE III memo, and dBASE IV memo with 512-byte
   blocks); python3-dbfread reads them, and python3-dbf the dBASE III ones.
   Then the table component reads each note into lines and writes it back
   from them, as the notes window does with a note nobody changed, and the
   readers find every note as it was.
2. python3-dbf writes a dBASE III table with notes (one with bare line
   feeds); the engine reads them as stored, reads and writes them back from
   their lines (line feeds keeping their line breaks, as CR LF), rewrites
   them with others, and both readers read those back.

Run with the interpreter that has python3-dbf and python3-dbfread (Debian's
/usr/bin/python3); the argument is the engine's memo_interop_tool.
Exit 0 when every note matched, 1 otherwise, 77 without the modules.
"""
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

TOOL = sys.argv[1]
CODEPAGE = "cp437"

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


def check(what, got, expected):
    if got != expected:
        failures.append("%s: expected %r, got %r" % (what, expected[:80], (got or "")[:80]))


def tool(*args, notes=None):
    stdin = None
    if notes is not None:
        stdin = "".join((n.encode(CODEPAGE).hex() or "-") + "\n" for n in notes)
    run = subprocess.run([TOOL, *args], input=stdin, capture_output=True, text=True)
    if run.returncode != 0:
        raise SystemExit("memo_interop_tool %s failed: %s" % (" ".join(args), run.stderr))
    return [bytes.fromhex(h).decode(CODEPAGE) if h != "-" else "" for h in run.stdout.split()]


def read_dbfread(path):
    return [r["NOTES"] or "" for r in dbfread.DBF(path, encoding=CODEPAGE)]


def read_dbf(path):
    # A record without a note must read as an empty note too: the engine
    # stores blanks for it, which python3-dbf understands (it fails on "0").
    notes = []
    table = dbf.Table(path, codepage=CODEPAGE)
    with table:
        for record in table:
            notes.append(record.notes)
    return notes


with tempfile.TemporaryDirectory(prefix="qp-interop-") as folder:
    # 1. Written by the engine.
    for version in ("83", "8b"):
        path = os.path.join(folder, "engine%s.dbf" % version)
        tool("create", path, version, "512", notes=NOTES)
        check("engine %s read back by the engine" % version, tool("read", path), NOTES)
        got = read_dbfread(path)
        if version == "8b":
            # dbfread reads `length` bytes after the 8-byte block header,
            # although the length counts the header: 8 bytes too many, which
            # are the zeros that end the note's last block.
            got = [g.rstrip("\0") for g in got]
        check("engine %s read by python3-dbfread" % version, got, NOTES)
        if version == "83":
            check("engine 83 read by python3-dbf", read_dbf(path), NOTES)
        tool("rewrite", path)
        check("engine %s rewritten from its lines, read by the engine" % version, tool("read", path), NOTES)
        got = read_dbfread(path)
        if version == "8b":
            got = [g.rstrip("\0") for g in got]
        check("engine %s rewritten from its lines, read by python3-dbfread" % version, got, NOTES)
        if version == "83":
            check("engine 83 rewritten from its lines, read by python3-dbf", read_dbf(path), NOTES)

    # 2. Written by python3-dbf, read and rewritten by the engine.
    path = os.path.join(folder, "python.dbf")
    table = dbf.Table(path, "title C(20); notes M", dbf_type="db3", codepage=CODEPAGE)
    with table:
        for i, note in enumerate(PYTHON_NOTES):
            table.append(("record %d" % (i + 1), note))
    check("python3-dbf read by the engine", tool("read", path), PYTHON_NOTES)
    tool("rewrite", path)
    kept = [n.replace("\r\n", "\n").replace("\n", "\r\n") for n in PYTHON_NOTES]
    check("python3-dbf rewritten from its lines, read by python3-dbf", read_dbf(path), kept)
    check("python3-dbf rewritten from its lines, read by python3-dbfread", read_dbfread(path), kept)
    tool("update", path, notes=LATER)
    check("engine update read by the engine", tool("read", path), LATER)
    check("engine update read by python3-dbf", read_dbf(path), LATER)
    check("engine update read by python3-dbfread", read_dbfread(path), LATER)

for failure in failures:
    print("FAIL", failure)
print("%d interop checks failed" % len(failures) if failures else "all notes matched")
sys.exit(1 if failures else 0)
