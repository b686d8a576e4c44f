#!/usr/bin/env python3
"""Writes the export workbook templates under data/M8/Templates/Export/.

银行端缴税凭证.xlsx: the layout plugin/payment/payment_export.cpp fills: row 1 the title, rows 2-4
the block of one voucher (issue date, tax office, voucher number, deadline, line captions).
通用导出模板.xlsx: the general export template: one empty sheet with wide columns; the exports
(plugin/residents/cxjmxnhzjqkcx_export.cpp) write their own header rows into it.
Run it from the source tree when a layout changes; the results are committed.
"""
import os
import sys
import zipfile
from xml.sax.saxutils import escape

VOUCHER_CELLS = {
    "A1": "银行端缴税凭证",
    "A2": "开具日期", "C2": "税务机关",
    "A3": "电子税票号码", "C3": "缴款期限",
    "A4": "征收项目", "B4": "征收品目", "C4": "金额（元）",
}


def sheet_xml(cells, cols, merges):
    rows = {}
    for ref, text in cells.items():
        rows.setdefault(int(ref[1:]), []).append((ref, text))
    out = ['<?xml version="1.0" encoding="UTF-8" standalone="yes"?>',
           '<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">',
           '<cols>' + "".join('<col min="%d" max="%d" width="%d" customWidth="1"/>' % (i + 1, i + 1, w)
                              for i, w in enumerate(cols)) + '</cols>',
           '<sheetData>']
    for r in sorted(rows):
        out.append('<row r="%d">' % r)
        for ref, text in sorted(rows[r]):
            out.append('<c r="%s" t="inlineStr"><is><t>%s</t></is></c>' % (ref, escape(text)))
        out.append('</row>')
    out.append('</sheetData>')
    if merges:
        out.append('<mergeCells count="%d">%s</mergeCells>'
                   % (len(merges), "".join('<mergeCell ref="%s"/>' % m for m in merges)))
    out.append('</worksheet>')
    return "".join(out)


def parts(sheet_name, sheet):
    return {
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
            '<sheets><sheet name="%s" sheetId="1" r:id="rId1"/></sheets></workbook>' % escape(sheet_name),
        "xl/_rels/workbook.xml.rels":
            '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'
            '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
            '<Relationship Id="rId1" '
            'Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" '
            'Target="worksheets/sheet1.xml"/></Relationships>',
        "xl/worksheets/sheet1.xml": sheet,
    }


TEMPLATES = {
    "银行端缴税凭证.xlsx": ("银行端缴税凭证", sheet_xml(VOUCHER_CELLS, [16, 40, 16, 24], ["A1:D1"])),
    "通用导出模板.xlsx": ("Sheet1", sheet_xml({}, [18] * 24, [])),
}


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    for file_name, (sheet_name, sheet) in TEMPLATES.items():
        path = os.path.join(root, "data", "M8", "Templates", "Export", file_name)
        with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
            for name, text in parts(sheet_name, sheet).items():
                info = zipfile.ZipInfo(name, date_time=(2026, 1, 1, 0, 0, 0))  # reproducible bytes
                info.compress_type = zipfile.ZIP_DEFLATED
                z.writestr(info, text.encode("utf-8"))
        print(path)
    return 0


if __name__ == "__main__":
    sys.exit(main())
