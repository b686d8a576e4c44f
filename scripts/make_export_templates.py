#!/usr/bin/env python3
"""Writes the voucher workbook template data/M8/Templates/Export/银行端缴税凭证.xlsx.

The layout is the one plugin/payment/payment_export.cpp fills: row 1 the title, rows 2-4 the
block of one voucher (issue date, tax office, voucher number, deadline, line captions). Run it
from the source tree when the layout changes; the result is committed.
"""
import os
import sys
import zipfile
from xml.sax.saxutils import escape

CELLS = {
    "A1": "银行端缴税凭证",
    "A2": "开具日期", "C2": "税务机关",
    "A3": "电子税票号码", "C3": "缴款期限",
    "A4": "征收项目", "B4": "征收品目", "C4": "金额（元）",
}


def sheet_xml():
    rows = {}
    for ref, text in CELLS.items():
        rows.setdefault(int(ref[1:]), []).append((ref, text))
    out = ['<?xml version="1.0" encoding="UTF-8" standalone="yes"?>',
           '<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">',
           '<cols><col min="1" max="1" width="16" customWidth="1"/><col min="2" max="2" width="40" customWidth="1"/>'
           '<col min="3" max="3" width="16" customWidth="1"/><col min="4" max="4" width="24" customWidth="1"/></cols>',
           '<sheetData>']
    for r in sorted(rows):
        out.append('<row r="%d">' % r)
        for ref, text in sorted(rows[r]):
            out.append('<c r="%s" t="inlineStr"><is><t>%s</t></is></c>' % (ref, escape(text)))
        out.append('</row>')
    out.append('</sheetData><mergeCells count="1"><mergeCell ref="A1:D1"/></mergeCells></worksheet>')
    return "".join(out)


PARTS = {
    "[Content_Types].xml":
        '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'
        '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
        '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
        '<Default Extension="xml" ContentType="application/xml"/>'
        '<Override PartName="/xl/workbook.xml" '
        'ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>'
        '<Override PartName="/xl/worksheets/sheet1.xml" '
        'ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>'
        '</Types>',
    "_rels/.rels":
        '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'
        '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
        '<Relationship Id="rId1" '
        'Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" '
        'Target="xl/workbook.xml"/></Relationships>',
    "xl/workbook.xml":
        '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'
        '<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" '
        'xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">'
        '<sheets><sheet name="银行端缴税凭证" sheetId="1" r:id="rId1"/></sheets></workbook>',
    "xl/_rels/workbook.xml.rels":
        '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'
        '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
        '<Relationship Id="rId1" '
        'Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" '
        'Target="worksheets/sheet1.xml"/></Relationships>',
    "xl/worksheets/sheet1.xml": sheet_xml(),
}


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    path = os.path.join(root, "data", "M8", "Templates", "Export", "银行端缴税凭证.xlsx")
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        for name, text in PARTS.items():
            info = zipfile.ZipInfo(name, date_time=(2026, 1, 1, 0, 0, 0))  # reproducible bytes
            info.compress_type = zipfile.ZIP_DEFLATED
            z.writestr(info, text.encode("utf-8"))
    print(path)
    return 0


if __name__ == "__main__":
    sys.exit(main())
