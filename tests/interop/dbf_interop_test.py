#!/usr/bin/python3
"""Tables written by the engine read back with identical values through
python3-dbfread and python3-dbf (also a shared table whose writer was
killed before it closed the table), and tables written by python3-dbf read
back with identical values through the engine (quilltable csv).

    dbf_interop_test.py WRITER QUILLTABLE
"""
import csv
import datetime
import io
import os
import subprocess
import sys
import tempfile

import dbf
import dbfread

# name, born, amount, count, ok, rate: the same values both ways.
RECORDS = [
    ("Jane Doe", datetime.date(1970, 1, 2), 1234.5, 42, True, 3.1416),
    ("M\u00fcller, \"Max\"", None, -0.01, -7, False, 0.0),
    ("Andr\u00e9 \u00c7a\u00f1\u00f3n", datetime.date(2000, 2, 29), 0.0, 0, True, -12.5),
    ("", datetime.date(2099, 12, 31), 9999999.99, 999999, False, 1234567.1234),
]
FIELDS = ["NAME", "BORN", "AMOUNT", "COUNT", "OK", "RATE"]

failures = []


def check(what, got, want):
    if got != want:
        failures.append(f"{what}: got {got!r}, want {want!r}")


def engine_writes(writer, path, *options):
    lines = []
    for name, born, amount, count, ok, rate in RECORDS:
        lines.append("\t".join([name, born.strftime("%Y%m%d") if born else "", repr(amount), str(count),
                                "T" if ok else "F", repr(rate)]))
    subprocess.run([writer, path, *options], input="\n".join(lines) + "\n", text=True, check=True)


def python_reads(path):
    table = dbfread.DBF(path, encoding="cp437")
    check("dbfread field names", table.field_names, FIELDS)
    rows = list(table)
    check("dbfread record count", len(rows), len(RECORDS))
    for i, (row, want) in enumerate(zip(rows, RECORDS)):
        check(f"dbfread record {i + 1}", tuple(row[f] for f in FIELDS), want)

    t = dbf.Table(path)
    t.open(dbf.READ_ONLY)
    try:
        check("dbf code page", t.codepage.name, "cp437")
        check("dbf record count", len(t), len(RECORDS))
        for i, (rec, want) in enumerate(zip(t, RECORDS)):
            got = tuple(rec[f.lower()] for f in FIELDS)
            got = (got[0].rstrip(),) + got[1:]
            check(f"dbf record {i + 1}", got, want)
    finally:
        t.close()


def python_writes(path):
    t = dbf.Table(path, "name C(20); born D; amount N(10,2); count N(6,0); ok L; rate F(12,4)",
                  codepage="cp437", dbf_type="db3")
    t.open(dbf.READ_WRITE)
    for rec in RECORDS:
        t.append(rec)
    t.close()


def engine_reads(quilltable, path):
    out = subprocess.run([quilltable, "csv", path], capture_output=True, check=True).stdout.decode("utf-8")
    rows = list(csv.reader(io.StringIO(out, newline="")))
    check("engine header", rows[0], FIELDS)
    check("engine record count", len(rows) - 1, len(RECORDS))
    for i, (row, want) in enumerate(zip(rows[1:], RECORDS)):
        name, born, amount, count, ok, rate = want
        expected = [name, born.isoformat() if born else "", f"{amount:.2f}", str(count), "T" if ok else "F"]
        check(f"engine record {i + 1}", row[:5], expected)
        check(f"engine record {i + 1} rate", float(row[5]), rate)


def main():
    writer, quilltable = sys.argv[1], sys.argv[2]
    with tempfile.TemporaryDirectory(prefix="qpinterop-") as folder:
        ours = os.path.join(folder, "ours.dbf")
        engine_writes(writer, ours)
        python_reads(ours)
        killed = os.path.join(folder, "killed.dbf")
        engine_writes(writer, killed, "--shared-then-killed")
        python_reads(killed)
        theirs = os.path.join(folder, "theirs.dbf")
        python_writes(theirs)
        engine_reads(quilltable, theirs)
    for f in failures:
        print(f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
