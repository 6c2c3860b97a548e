"""Lists a .DBF table through python3-dbfread, an independent reader.

    dbfread_dump.py FILE
      FIELD <name>|<type>|<length>|<decimals>
      REC <value>|<value>|...     (NULL for an unset field)

Text is decoded as Windows-1252 and printed as UTF-8; "|", "\\" and line
breaks are escaped with a backslash.
"""
import sys

import dbfread


def show(value):
    if value is None:
        return "NULL"
    if isinstance(value, bool):
        return "T" if value else "F"
    if isinstance(value, (int, float)):
        return repr(value)
    text = str(value)
    for a, b in (("\\", "\\\\"), ("|", "\\|"), ("\n", "\\n"), ("\r", "\\r")):
        text = text.replace(a, b)
    return text


def main():
    sys.stdout.reconfigure(encoding="utf-8")
    table = dbfread.DBF(sys.argv[1], encoding="cp1252", char_decode_errors="strict")
    for f in table.fields:
        print("FIELD %s|%s|%d|%d" % (f.name, f.type, f.length, f.decimal_count))
    for record in table:
        print("REC " + "|".join(show(v) for v in record.values()))


main()
