#!/usr/bin/python3
"""Writes the spreadsheet sources of the real .xls test files (see README.md).

book.fods is a flat OpenDocument spreadsheet for LibreOffice; book.xml holds the same cells
as an Excel 2003 XML spreadsheet for gnumeric. Sheet "Org": column A names the case, column
B holds it. Sheet "読み": a text and a formula reading sheet Org.
"""
from xml.sax.saxutils import escape, quoteattr

LONG_LATIN = "".join("abcdefghij"[i % 10] for i in range(20000))  # 20,000 bytes: 3 records
LONG_KANA = "".join("あいうえおかきくけこ"[i % 10] for i in range(9000))  # 18,000 bytes

# (name, kind, value, ODF formula, R1C1 formula). Formulas refer to column B of rows 1-3, 14.
ROWS = [
    ("text", "s", "索引", None, None),
    ("integer", "n", "12", None, None),
    ("negative", "n", "-3.5", None, None),
    ("large", "n", "1000000000000", None, None),
    ("sum", "n", "3", "1+2", "1+2"),
    ("product", "n", "-42", "[.B2]*[.B3]", "R2C2*R3C2"),
    ("text result", "s", "索引です", '[.B1]&"です"', 'R1C2&"です"'),
    ("empty text result", "s", "", '""', '""'),
    ("true", "b", "true", "1=1", "1=1"),
    ("false", "b", "false", "1=2", "1=2"),
    ("div0", "e", "#DIV/0!", "1/0", "1/0"),
    ("na", "e", "#N/A", "NA()", "NA()"),
    ("long latin", "s", LONG_LATIN, None, None),
    ("long kana", "s", LONG_KANA, None, None),
    ("long text result", "s", LONG_KANA, "[.B14]", "R14C2"),
    ("rich", "rich", ("普通", "太字", "普通"), None, None),
    ("merged", "merge", "結合", None, None),
    ("date", "d", "2024-03-15", None, None),
    ("time", "t", "PT12H30M00S", None, None),
]


def fods_cell(kind, value, formula):
    f = ' table:formula=%s' % quoteattr("of:=" + formula) if formula else ""
    if kind == "s":
        return ('<table:table-cell%s office:value-type="string" office:string-value=%s>'
                '<text:p>%s</text:p></table:table-cell>' % (f, quoteattr(value), escape(value)))
    if kind == "n":
        return ('<table:table-cell%s office:value-type="float" office:value="%s">'
                '<text:p>%s</text:p></table:table-cell>' % (f, value, value))
    if kind == "b":
        return ('<table:table-cell%s office:value-type="boolean" office:boolean-value="%s">'
                '<text:p>%s</text:p></table:table-cell>' % (f, value, value.upper()))
    if kind == "e":
        return ('<table:table-cell%s office:value-type="string" office:string-value="">'
                '<text:p>%s</text:p></table:table-cell>' % (f, escape(value)))
    if kind == "rich":
        a, b, c = value
        return ('<table:table-cell office:value-type="string"><text:p>%s<text:span '
                'text:style-name="T1">%s</text:span>%s</text:p></table:table-cell>' % (a, b, c))
    if kind == "merge":
        return ('<table:table-cell table:number-columns-spanned="2" table:number-rows-spanned="1" '
                'office:value-type="string"><text:p>%s</text:p></table:table-cell>'
                '<table:covered-table-cell/>' % escape(value))
    if kind == "d":
        return ('<table:table-cell table:style-name="ce1" office:value-type="date" '
                'office:date-value="%s"><text:p>%s</text:p></table:table-cell>' % (value, value))
    if kind == "t":
        return ('<table:table-cell table:style-name="ce2" office:value-type="time" '
                'office:time-value="%s"><text:p>12:30</text:p></table:table-cell>' % value)
    raise ValueError(kind)


def write_fods(path):
    rows = []
    for name, kind, value, formula, _ in ROWS:
        rows.append('<table:table-row><table:table-cell office:value-type="string">'
                    '<text:p>%s</text:p></table:table-cell>%s</table:table-row>'
                    % (escape(name), fods_cell(kind, value, formula)))
    second = ('<table:table-row><table:table-cell office:value-type="string"><text:p>かな'
              '</text:p></table:table-cell></table:table-row><table:table-row><table:table-cell '
              'table:formula="of:=[$Org.B2]+1" office:value-type="float" office:value="13">'
              '<text:p>13</text:p></table:table-cell></table:table-row>')
    with open(path, "w", encoding="utf-8") as out:
        out.write('''<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" \
xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" \
xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" \
xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" \
xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0" \
xmlns:number="urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0" \
xmlns:of="urn:oasis:names:tc:opendocument:xmlns:of:1.2" office:version="1.2" \
office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
<office:automatic-styles>
<number:date-style style:name="N1"><number:year number:style="long"/><number:text>-</number:text>\
<number:month number:style="long"/><number:text>-</number:text><number:day number:style="long"/>\
</number:date-style>
<number:time-style style:name="N2"><number:hours number:style="long"/><number:text>:</number:text>\
<number:minutes number:style="long"/></number:time-style>
<style:style style:name="ce1" style:family="table-cell" style:data-style-name="N1"/>
<style:style style:name="ce2" style:family="table-cell" style:data-style-name="N2"/>
<style:style style:name="T1" style:family="text"><style:text-properties fo:font-weight="bold" \
fo:color="#ff0000"/></style:style>
</office:automatic-styles>
<office:body><office:spreadsheet>
<table:table table:name="Org">
''')
        out.write("\n".join(rows))
        out.write('\n</table:table>\n<table:table table:name="読み">\n')
        out.write(second)
        out.write("\n</table:table>\n</office:spreadsheet></office:body></office:document>\n")


def xml_cell(kind, value, formula):
    f = ' ss:Formula=%s' % quoteattr("=" + formula) if formula else ""
    types = {"s": "String", "n": "Number", "b": "Boolean", "e": "Error"}
    if kind in types:
        v = {"true": "1", "false": "0"}.get(value, value) if kind == "b" else value
        return '<Cell%s><Data ss:Type="%s">%s</Data></Cell>' % (f, types[kind], escape(v))
    if kind == "rich":
        a, b, c = value
        return ('<Cell><ss:Data ss:Type="String" xmlns="http://www.w3.org/TR/REC-html40">'
                '%s<B><Font html:Color="#FF0000">%s</Font></B>%s</ss:Data></Cell>' % (a, b, c))
    if kind == "merge":
        return '<Cell ss:MergeAcross="1"><Data ss:Type="String">%s</Data></Cell>' % escape(value)
    if kind == "d":
        return ('<Cell ss:StyleID="d"><Data ss:Type="DateTime">%sT00:00:00.000</Data></Cell>'
                % value)
    if kind == "t":
        return ('<Cell ss:StyleID="t"><Data ss:Type="DateTime">1899-12-31T12:30:00.000</Data>'
                '</Cell>')
    raise ValueError(kind)


def write_xml(path):
    with open(path, "w", encoding="utf-8") as out:
        out.write('''<?xml version="1.0" encoding="UTF-8"?>
<Workbook xmlns="urn:schemas-microsoft-com:office:spreadsheet" \
xmlns:ss="urn:schemas-microsoft-com:office:spreadsheet" xmlns:html="http://www.w3.org/TR/REC-html40">
<Styles><Style ss:ID="d"><NumberFormat ss:Format="yyyy\\-mm\\-dd"/></Style>
<Style ss:ID="t"><NumberFormat ss:Format="hh:mm"/></Style></Styles>
<Worksheet ss:Name="Org"><Table>
''')
        for name, kind, value, _, formula in ROWS:
            out.write('<Row><Cell><Data ss:Type="String">%s</Data></Cell>%s</Row>\n'
                      % (escape(name), xml_cell(kind, value, formula)))
        out.write('''</Table></Worksheet>
<Worksheet ss:Name="読み"><Table>
<Row><Cell><Data ss:Type="String">かな</Data></Cell></Row>
<Row><Cell ss:Formula="=Org!R2C2+1"><Data ss:Type="Number">13</Data></Cell></Row>
</Table></Worksheet>
</Workbook>
''')


if __name__ == "__main__":
    write_fods("book.fods")
    write_xml("book.xml")
