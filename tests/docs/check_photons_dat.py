"""Reads photons.dat with the numpy dtype shown in docs/formats.md (taken from
the page itself, so the page and this check cannot drift apart) and compares
every photon with the CSV file the library wrote of the same collection.

    check_photons_dat.py <formats.md> <photons.dat> <photons.csv>
"""
import re
import sys

import numpy as np

formats, dat, csv = sys.argv[1:4]
text = open(formats, encoding="utf-8").read()
block = re.search(r"```python\n(.*?)```", text, re.S).group(1)
# Only the dtype's definition is run, not the lines that read a file.
definition = re.search(r"PHOTON_DTYPE = np\.dtype\(\[.*?\]\)", block, re.S).group(0)
namespace = {"np": np}
exec(definition, namespace)
dtype = namespace["PHOTON_DTYPE"]
assert dtype.itemsize == 11, dtype.itemsize

photons = np.fromfile(dat, dtype=dtype)
table = np.loadtxt(csv, delimiter=",", dtype=np.int64, ndmin=2)
assert len(photons) > 0, "no photons"
assert len(photons) == len(table), (len(photons), len(table))
columns = {"gm_id": 0, "header_word": 1, "pixel": 3, "energy": 4, "positive_energy": 5,
           "time_detect": 6, "positive_time_detect": 7}
for field, column in columns.items():
    mismatches = np.count_nonzero(photons[field].astype(np.int64) != table[:, column])
    assert mismatches == 0, f"{field}: {mismatches} photons differ from the CSV"
assert set(np.unique(photons["gm_id"])) <= {1, 2, 3, 4}, np.unique(photons["gm_id"])
assert photons["pixel"].min() >= 1 and photons["pixel"].max() <= 484
print(f"{len(photons)} photons agree")
