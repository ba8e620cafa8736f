#!/usr/bin/python3
# Writes the timetables the import tests read: CSV files in UTF-8 and GBK, and .fods sheets that
# LibreOffice turns into the .xlsx workbooks (as an office's spreadsheet program writes them).
# Usage: tests/data/make-timetables.py   (needs libreoffice-calc; commits the outputs)
import os
import subprocess
import sys

here = os.path.dirname(os.path.abspath(__file__))

CLEAN = [
    ("2026-01-12", "语文", "08:00", 150),
    ("2026-01-12", "物理", "10:50", 90),
    ("2026-01-12", "数学", "14:30", 120),
    ("2026-01-13", "英语", "08:00", 120),
    ("2026-01-13", "化学", "14:30", 90),
    ("2026-01-14", "生物", "09:00", 90),
    ("2026-01-14", "历史", "14:00", 90),
]


def end(start, minutes):
    h, m = map(int, start.split(":"))
    t = h * 60 + m + minutes
    return "%02d:%02d" % (t // 60, t % 60)


def write(name, text, encoding):
    with open(os.path.join(here, name), "wb") as f:
        f.write(text.encode(encoding))


# UTF-8, comma, a duration column; GBK, tab, an end-time column and a title line above.
write("timetable-clean-utf8.csv",
      "日期,科目,开始时间,时长\r\n" +
      "".join("%s,%s,%s,%d\r\n" % row for row in CLEAN), "utf-8")
write("timetable-clean-gbk.csv",
      "2026年期中考试安排\r\n考试日期\t考试科目\t开始\t结束时间\r\n" +
      "".join("%s\t%s\t%s\t%s\r\n" % (d, s, st, end(st, m)) for d, s, st, m in CLEAN), "gbk")

HEAD = """<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:number="urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0"
 xmlns:of="urn:oasis:names:tc:opendocument:xmlns:of:1.2"
 office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
<office:automatic-styles>
 <number:date-style style:name="N1"><number:year number:style="long"/><number:text>-</number:text><number:month number:style="long"/><number:text>-</number:text><number:day number:style="long"/></number:date-style>
 <number:time-style style:name="N2"><number:hours number:style="long"/><number:text>:</number:text><number:minutes number:style="long"/></number:time-style>
 <style:style style:name="cdate" style:family="table-cell" style:data-style-name="N1"/>
 <style:style style:name="ctime" style:family="table-cell" style:data-style-name="N2"/>
</office:automatic-styles>
<office:body><office:spreadsheet><table:table table:name="考试安排">
"""
TAIL = "</table:table></office:spreadsheet></office:body></office:document>\n"


def text(value, extra=""):
    return '<table:table-cell office:value-type="string"%s><text:p>%s</text:p></table:table-cell>' % (extra, value)


def date(value, extra=""):
    return ('<table:table-cell table:style-name="cdate" office:value-type="date" '
            'office:date-value="%s"%s><text:p>%s</text:p></table:table-cell>' % (value, extra, value))


def time(value):
    h, m = value.split(":")
    return ('<table:table-cell table:style-name="ctime" office:value-type="time" '
            'office:time-value="PT%sH%sM00S"><text:p>%s</text:p></table:table-cell>' % (h, m, value))


def number(value, formula=None):
    f = ' table:formula="of:%s"' % formula if formula else ""
    return ('<table:table-cell office:value-type="float" office:value="%s"%s><text:p>%s</text:p>'
            '</table:table-cell>' % (value, f, value))


COVERED = "<table:covered-table-cell/>"


def row(*cells):
    return "<table:table-row>" + "".join(cells) + "</table:table-row>\n"


TITLE = row(text("2026年期中考试安排", ' table:number-columns-spanned="4"'),
            '<table:covered-table-cell table:number-columns-repeated="3"/>')
HEADINGS = row(text("日期"), text("科目"), text("开始时间"), text("时长"))

# Clean: a title merged across, real dates and times, each day's date merged down its sittings.
rows = [TITLE, HEADINGS]
days = {}
for d, s, st, m in CLEAN:
    days.setdefault(d, []).append((s, st, m))
for d, sittings in days.items():
    for i, (s, st, m) in enumerate(sittings):
        first = date(d, ' table:number-rows-spanned="%d"' % len(sittings)) if i == 0 else COVERED
        rows.append(row(first, text(s), time(st), number(m)))
with open(os.path.join(here, "timetable-clean.fods"), "w", encoding="utf-8") as f:
    f.write(HEAD + "".join(rows) + TAIL)

# Bad rows (sheet rows 3 ..): each with one fault, between good ones.
rows = [TITLE, HEADINGS,
        row(date("2026-01-12"), text("语文"), time("08:00"), number(150)),    # 3 good
        row(date("2026-01-12"), text("物理"), text("25:00"), number(90)),     # 4 25:00
        row(text("2026-02-30"), text("化学"), time("09:00"), number(90)),     # 5 no such date
        row(date("2026-01-12"), text("语文"), time("08:00"), number(150)),    # 6 duplicate of 3
        row(date("2026-01-12"), text("政治"), time("10:00"), number(60)),     # 7 overlaps 3
        row(date("2026-01-13"), text("韩语한국어"), time("08:00"), number(90)),  # 8 not in GBK
        row(),                                                               # 9 empty
        row(date("2026-01-13"), text("英语"), time("14:30"), number(120, "=60*2")),  # 10 formula
        row(date("2026-01-14"), text("生物"), time("09:00"), number(90)),     # 11 good
        ]
with open(os.path.join(here, "timetable-bad.fods"), "w", encoding="utf-8") as f:
    f.write(HEAD + "".join(rows) + TAIL)

# 500 sittings, four a day over 125 days, for the import benchmark.
import datetime
big = []
subjects = ["语文", "数学", "英语", "物理"]
starts = [("08:00", 120), ("10:30", 90), ("14:00", 120), ("16:30", 90)]
day = datetime.date(2026, 1, 5)
while len(big) < 500:
    for k in range(4):
        big.append((day.isoformat(), subjects[k], starts[k][0], starts[k][1]))
    day += datetime.timedelta(days=1)
write("timetable-500.csv",
      "日期,科目,开始时间,时长\r\n" + "".join("%s,%s,%s,%d\r\n" % row for row in big), "gbk")
rows = [TITLE, HEADINGS] + [row(date(d), text(s), time(st), number(m)) for d, s, st, m in big]
with open(os.path.join(here, "timetable-500.fods"), "w", encoding="utf-8") as f:
    f.write(HEAD + "".join(rows) + TAIL)

profile = "file:///tmp/lo-profile-plans"
for name in ("timetable-clean.fods", "timetable-bad.fods", "timetable-500.fods"):
    subprocess.run(["soffice", "-env:UserInstallation=" + profile, "--headless", "--convert-to",
                    "xlsx", "--outdir", here, os.path.join(here, name)], check=True)
# The big sheet's source is only a step on the way.
os.remove(os.path.join(here, "timetable-500.fods"))
sys.exit(0)
