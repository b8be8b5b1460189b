#!/usr/bin/python3
"""Collect photons for a few seconds and draw the flood image (22 x 22 camera
pixels) and the energy spectrum into one PNG file."""
import argparse

import matplotlib

matplotlib.use("Agg")  # files only, no display needed
import matplotlib.pyplot as plt
import numpy as np
import quorvel

parser = argparse.ArgumentParser(description=__doc__)
parser.add_argument("camera", help="camera IP address")
parser.add_argument("--host", help="this machine's address on the camera's network (default: the camera's)")
parser.add_argument("--seconds", type=float, default=5.0)
parser.add_argument("--output", default="flood_and_spectrum.png")
args = parser.parse_args()

texts = []  # system status texts
quorvel.set_sys_status_function(texts.append)
quorvel.set_host_ip_address(args.host or args.camera)
quorvel.set_camera_ip_address(args.camera)
quorvel.initialize()
quorvel.start_sys()
quorvel.wait_until(lambda: any(text.startswith("Status:Idle") for text in texts), timeout=10)

# stream() starts the collection, stops it after the time and yields the photons as they arrive.
with quorvel.stream(seconds=args.seconds) as batches:
    photons = np.concatenate([np.empty(0, quorvel.photon_dtype), *batches])
local = quorvel.get_pixel_mapping_mode() == quorvel.PIXEL_MAPPING_MODE_LOCAL
gms = quorvel.get_no_of_gms()
quorvel.disconnect()

# Camera pixels 1..484, row by row from the top left; local pixels are placed by their GM.
side = quorvel.CAMERA_SIDE
if local:
    per_gm = quorvel.GM_SIDE ** 2
    table = np.zeros((5, per_gm + 1), dtype=np.int64)  # [gm_id, local pixel] -> camera pixel
    for gm in range(1, 5):
        table[gm, 1:] = [quorvel.camera_pixel(pixel, gm) for pixel in range(1, per_gm + 1)]
    pixel, gm = photons["pixel"].astype(np.int64), photons["gm_id"].astype(np.int64)
    valid = (pixel >= 1) & (pixel <= per_gm) & (gm >= 1) & (gm <= 4)
    camera_pixels = table[gm[valid], pixel[valid]]
else:
    camera_pixels = photons["pixel"][(photons["pixel"] >= 1) & (photons["pixel"] <= side * side)]
flood = np.bincount(camera_pixels - 1, minlength=side * side).reshape(side, side)
energies = photons["energy"][photons["positive_energy"]]

figure, (left, right) = plt.subplots(1, 2, figsize=(11, 4.5), layout="constrained")
image = left.imshow(flood, cmap="viridis", extent=(0.5, side + 0.5, side + 0.5, 0.5))
left.set_title(f"Flood: {len(camera_pixels)} photons")
left.set_xlabel("column")
left.set_ylabel("row")
ticks = [1, 6, 11, 17, 22]
left.set_xticks(ticks)
left.set_yticks(ticks)
for border in (left.axhline, left.axvline):  # between the GMs' quadrants
    border(quorvel.GM_SIDE + 0.5, color="white", linewidth=0.8)
for gm in range(1, 5):  # each GM's name beside its pixel 1
    row, column = divmod(quorvel.camera_pixel(1, gm) - 1, side)
    left.text(column + 0.6, row + 0.6, f"GM {gm}", color="white", fontsize=8, ha="left", va="top")
figure.colorbar(image, ax=left, label="counts")
right.hist(energies, bins=np.arange(0, energies.max(initial=0) + 64, 32), histtype="stepfilled")
right.set_title(f"Energy spectrum, {args.seconds:g} s from {gms} GMs")
right.set_xlabel("energy (ADC units)")
right.set_ylabel("counts per 32 ADC units")
figure.savefig(args.output, dpi=100)
print(f"{len(photons)} photons drawn into {args.output}")
