#!/usr/bin/env bash
# Rebuilds the workbook fixtures of tests/workbook/fixtures/ from source.fods with LibreOffice:
#   libreoffice.xlsx, libreoffice.xls   the source workbook as the office program saves it
#   encrypted.xlsx, encrypted.xls       the same, saved with the password "velmor"
#   libreoffice.ods                     the office program's own format (a zip without a workbook part)
# and the receipt imports of tests/receipts/fixtures/: receipts.xlsx and receipts_again.xls from
# their .fods sources (the same receipts; the ID number's check character "x" in lower case, then "X"),
# and the roster imports of tests/roster/fixtures/: wbry.xlsx, wbry_again.xls and phones.xlsx.
# Needs libreoffice-calc and python3-uno (for the passwords):
#   apt-get install -y --no-install-recommends libreoffice-calc python3-uno
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir="$root/tests/workbook/fixtures"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
profile="file://$work/profile"

convert() {  # format source
  soffice -env:UserInstallation="$profile" --headless --convert-to "$1" --outdir "$work" "$2" >/dev/null
}

convert xlsx "$dir/source.fods"
convert 'xls:MS Excel 97' "$dir/source.fods"
convert ods "$dir/source.fods"
for ext in xlsx xls ods; do
  [ -s "$work/source.$ext" ] || { echo "make-workbook-fixtures: conversion to $ext failed" >&2; exit 1; }
  cp "$work/source.$ext" "$dir/libreoffice.$ext"
done

# Password-protected copies go through the office program's API: the command line cannot set one.
cat > "$work/encrypt.py" <<'PY'
import sys, time, uno
from com.sun.star.beans import PropertyValue, NamedValue

def prop(name, value):
    p = PropertyValue(); p.Name = name; p.Value = value; return p

source, out_dir, pipe = sys.argv[1], sys.argv[2], sys.argv[3]
local = uno.getComponentContext()
resolver = local.ServiceManager.createInstanceWithContext("com.sun.star.bridge.UnoUrlResolver", local)
for _ in range(100):
    try:
        ctx = resolver.resolve("uno:pipe,name=%s;urp;StarOffice.ComponentContext" % pipe)
        break
    except Exception:
        time.sleep(0.2)
else:
    sys.exit("office did not start")
desktop = ctx.ServiceManager.createInstanceWithContext("com.sun.star.frame.Desktop", ctx)
try:
    def load():
        return desktop.loadComponentFromURL(uno.systemPathToFileUrl(source), "_blank", 0, (prop("Hidden", True),))
    # XLSX: an encrypted OOXML package (ECMA-376 standard encryption) inside a compound file.
    doc = load()
    key = uno.Any("[]com.sun.star.beans.NamedValue",
                  (NamedValue("OOXPassword", "velmor"), NamedValue("CryptoType", "Standard")))
    args = uno.Any("[]com.sun.star.beans.PropertyValue",
                   (prop("FilterName", "Calc MS Excel 2007 XML"), prop("EncryptionData", key), prop("Overwrite", True)))
    uno.invoke(doc, "storeAsURL", (uno.systemPathToFileUrl(out_dir + "/encrypted.xlsx"), args))
    doc.close(True)
    # XLS: a workbook stream with a FILEPASS record.
    doc = load()
    doc.storeToURL(uno.systemPathToFileUrl(out_dir + "/encrypted.xls"),
                   (prop("FilterName", "MS Excel 97"), prop("Password", "velmor"), prop("Overwrite", True)))
    doc.close(True)
finally:
    try:
        desktop.terminate()
    except Exception:
        pass
PY
pipe="velmor-fixtures-$$"
soffice -env:UserInstallation="$profile" --headless --invisible --norestore \
  --accept="pipe,name=$pipe;urp;" >/dev/null 2>&1 &
office=$!
/usr/bin/python3 "$work/encrypt.py" "$dir/source.fods" "$dir" "$pipe"
wait "$office" || true
ls -l "$dir"

receipts="$root/tests/receipts/fixtures"
convert xlsx "$receipts/receipts.fods"
convert 'xls:MS Excel 97' "$receipts/receipts_again.fods"
cp "$work/receipts.xlsx" "$work/receipts_again.xls" "$receipts/"
ls -l "$receipts"

roster="$root/tests/roster/fixtures"
convert xlsx "$roster/wbry.fods"
convert 'xls:MS Excel 97' "$roster/wbry_again.fods"
convert xlsx "$roster/phones.fods"
cp "$work/wbry.xlsx" "$work/wbry_again.xls" "$work/phones.xlsx" "$roster/"
ls -l "$roster"
