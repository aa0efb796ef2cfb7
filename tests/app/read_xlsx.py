#!/usr/bin/env python3
"""Prints what an outside reader finds in a workbook file, as JSON."""
import json
import sys

import openpyxl
from openpyxl.utils import get_column_letter


def colour(c):
    return None if c is None or c.rgb is None else str(c.rgb)


def main(path):
    wb = openpyxl.load_workbook(path)
    ws = wb.active
    cells = {}
    for row in ws.iter_rows():
        for c in row:
            cells[c.coordinate] = {
                "value": c.value,
                "fill": colour(c.fill.fgColor) if c.fill.fill_type == "solid" else None,
                "font": [c.font.name, c.font.sz, colour(c.font.color), bool(c.font.b), bool(c.font.i),
                         c.font.u, bool(c.font.strike)],
                "border": c.border.left.style,
                "borderColour": colour(c.border.left.color),
            }
    widths = {}
    for i in range(1, ws.max_column + 1):
        d = ws.column_dimensions.get(get_column_letter(i))
        widths[get_column_letter(i)] = d.width if d is not None and d.customWidth else None
    out = {
        "sheets": wb.sheetnames,
        "cells": cells,
        "widths": widths,
        "header": ws.oddHeader.center.text,
        "orientation": ws.page_setup.orientation,
        "selection": ws.sheet_view.selection[0].sqref if ws.sheet_view.selection else None,
    }
    json.dump(out, sys.stdout)


if __name__ == "__main__":
    main(sys.argv[1])
