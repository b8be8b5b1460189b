#!/usr/bin/python3
"""Acquire photons for five seconds and plot their energy spectrum."""
import argparse

import numpy as np
import quorvel

parser = argparse.ArgumentParser(description=__doc__)
parser.add_argument("camera", help="camera IP address")
parser.add_argument("--host", help="this machine's address on the camera's network (default: the camera's)")
parser.add_argument("--seconds", type=float, default=5.0)
args = parser.parse_args()

texts = []  # system status texts, delivered while quorvel waits or runs a call
quorvel.set_sys_status_function(texts.append)


def seen(prefix):
    return sum(text.startswith(prefix) for text in texts)


quorvel.set_host_ip_address(args.host or args.camera)
quorvel.set_camera_ip_address(args.camera)
quorvel.initialize()  # raises quorvel.QuorvelError with the library's message on failure
quorvel.start_sys()
quorvel.wait_until(lambda: seen("Status:Idle") > 0, timeout=10)  # the GMs have powered up

quorvel.start_photon_collection()
quorvel.process_events(args.seconds)
batches = seen("Packets decoded")
quorvel.stop_photon_collection()
quorvel.wait_until(lambda: seen("Packets decoded") > batches, timeout=5)  # the last batch is decoded
photons = quorvel.photons()  # one numpy structured array, a row per photon
print(f"{len(photons)} photons from {quorvel.get_no_of_gms()} GMs")
quorvel.disconnect()

counts, edges = np.histogram(photons["energy"], bins=40)
for count, low in zip(counts, edges):
    print(f"{low:7.0f} {count:8d} {'#' * round(60 * count / max(counts.max(), 1))}")
