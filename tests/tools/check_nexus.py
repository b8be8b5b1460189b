"""Reads the NeXus/HDF5 file of `quorvel acquire --hdf5` with numpy and h5py and
checks every event against photons.dat. Exits 77 (skipped) without h5py."""
import os
import subprocess
import sys
import tempfile

try:
    import h5py
    import numpy as np
except ImportError as missing:
    print(f"skipped: {missing}")
    sys.exit(77)

RECORD = np.dtype([("gm", "u1"), ("header_word", ">u2"), ("pixel", ">u2"), ("energy", ">u2"),
                   ("positive_energy", "u1"), ("time_detect", ">u2"), ("positive_time_detect", "u1")])


def main(tool):
    with tempfile.TemporaryDirectory() as folder:
        subprocess.run([tool, "acquire", "--seconds", "1", "--out", folder, "--hdf5", "--readout-options", "3",
                        "--mapping", "local"], check=True, stdout=subprocess.DEVNULL, timeout=60)
        records = np.fromfile(os.path.join(folder, "photons.dat"), dtype=RECORD)
        assert records.size > 0, "no photons collected"
        with h5py.File(os.path.join(folder, "photons.h5"), "r") as f:
            assert f["entry"].attrs["NX_class"] == b"NXentry"
            events = f["entry/events"]
            assert events.attrs["NX_class"] == b"NXevent_data"
            assert events.attrs["pixel_numbers"] == b"local"
            for field, column in (("pixel", "event_pixel"), ("energy", "event_energy"),
                                  ("positive_energy", "event_energy_positive"), ("time_detect", "event_time_detect"),
                                  ("positive_time_detect", "event_time_detect_positive")):
                np.testing.assert_array_equal(events[column][()], records[field], err_msg=column)
            index = events["event_index"][()].astype(np.int64)
            counts = np.diff(np.append(index, records.size))
            np.testing.assert_array_equal(np.repeat(events["packet_gm"][()], counts), records["gm"])
            np.testing.assert_array_equal(np.repeat(events["packet_header_word"][()], counts), records["header_word"])
            # Local GM pixels placed on the 22 x 22 camera: GM 1 top left, 2 top right, 3 bottom right, 4 bottom left.
            gm = records["gm"].astype(int)
            row = (records["pixel"].astype(int) - 1) // 11 + np.where(gm >= 3, 11, 0)
            column = (records["pixel"].astype(int) - 1) % 11 + np.where((gm == 2) | (gm == 3), 11, 0)
            np.testing.assert_array_equal(events["event_id"][()], row * 22 + column + 1)
            assert f["entry/configuration/pixel_mapping_mode"][()] == 2
            assert f["entry/data/event_energy"].id == events["event_energy"].id
    print(f"{records.size} events checked")


if __name__ == "__main__":
    main(sys.argv[1])
