#!/usr/bin/env python3
"""A pandas read-and-compare of two whitespace-separated tables, as a peer for the figures."""
import sys

import pandas as pd

first = pd.read_csv(sys.argv[1], sep=r"\s+", header=None, engine="c")
second = pd.read_csv(sys.argv[2], sep=r"\s+", header=None, engine="c")
rows = min(len(first), len(second))
cols = min(first.shape[1], second.shape[1])
differing = (first.iloc[:rows, :cols].values != second.iloc[:rows, :cols].values).sum()
print(f"pandas: differing {differing}")
