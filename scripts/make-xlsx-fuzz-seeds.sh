#!/usr/bin/env bash
# Writes seeds of the XLSX fuzz target (fuzz/workbook/xlsx_fuzzer.cpp) into fuzz/corpus/xlsx/ from
# the XLSX files given (by default the office-made fixture): each as a whole archive, and its XML
# parts in the target's part form; both also in the form that saves the workbook again.
#   scripts/make-xlsx-fuzz-seeds.sh [file.xlsx ...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
[ $# -gt 0 ] || set -- "$root/tests/workbook/fixtures/libreoffice.xlsx"
python3 - "$root/fuzz/corpus/xlsx" "$@" <<'PY'
import os, sys, zipfile
out, files = sys.argv[1], sys.argv[2:]
os.makedirs(out, exist_ok=True)
order = ["xl/workbook.xml", "xl/_rels/workbook.xml.rels", "xl/sharedStrings.xml", "xl/styles.xml",
         "xl/worksheets/sheet1.xml"]
for path in files:
    stem = os.path.splitext(os.path.basename(path))[0]
    data = open(path, "rb").read()
    with zipfile.ZipFile(path) as z:
        names = set(z.namelist())
        parts = b"\n@@@@\n".join(z.read(n) if n in names else b"" for n in order)
        # A stored copy lets the fuzzer reach the XML through the archive form too.
        stored = path + ".stored"
        with zipfile.ZipFile(stored, "w", zipfile.ZIP_STORED) as s:
            for n in z.namelist():
                s.writestr(n, z.read(n))
    stored_data = open(stored, "rb").read()
    os.remove(stored)
    for mode, body, name in ((0, data, "zip"), (2, data, "zip-save"), (0, stored_data, "stored"),
                             (1, parts, "parts"), (3, parts, "parts-save")):
        open(os.path.join(out, "%s-%s" % (stem, name)), "wb").write(bytes([mode]) + body)
PY
ls -l "$root/fuzz/corpus/xlsx"
