#!/usr/bin/env python3
"""Prints the rows of a UTF-8 CSV file as a JSON list of lists of cells, read
by Python's csv module in strict mode: the details report's CSV must parse
with a reader that is not ours."""
import csv
import json
import sys

with open(sys.argv[1], encoding="utf-8", newline="") as f:
    print(json.dumps(list(csv.reader(f, strict=True))))
