#!/usr/bin/python3
"""The collected photons into numpy: quorvel.photons() on a collection of about
10 million photons from the virtual camera, against numpy copying the same
bytes, and the old way (eight queries per photon) on a sample of it.

    PYTHONPATH=build-bench/python bench/bench_python.py [--camsim PATH] [--photons N]
"""
import argparse
import os
import select
import subprocess
import sys
import time

import numpy as np
import quorvel

ADDRESS = "127.0.92.1"


def start_camera(camsim):
    process = subprocess.Popen([camsim, "--address", ADDRESS, "--rate", "63000"], stderr=subprocess.PIPE, text=True)
    line = ""
    deadline = time.monotonic() + 10
    while "listening on" not in line:
        ready, _, _ = select.select([process.stderr], [], [], max(deadline - time.monotonic(), 0))
        if not ready:
            process.kill()
            sys.exit("the virtual camera did not start")
        line = process.stderr.readline()
    return process


def main():
    parser = argparse.ArgumentParser()
    here = os.path.dirname(os.path.abspath(__file__))
    parser.add_argument("--camsim", default=os.path.join(here, "..", "build-bench", "camsim", "quorvel-camsim"))
    parser.add_argument("--photons", type=int, default=10_000_000)
    options = parser.parse_args()

    camera = start_camera(options.camsim)
    try:
        quorvel.set_host_ip_address(ADDRESS)
        quorvel.set_camera_ip_address(ADDRESS)
        quorvel.initialize()
        quorvel.start_sys()
        quorvel.wait_until(lambda: quorvel.get_no_of_gms() == 4, timeout=10)
        quorvel.set_packet_transfer_rate(63000)
        quorvel.start_photon_collection()
        quorvel.wait_until(lambda: quorvel.get_no_of_collected_packets() * 216 >= options.photons, timeout=30)
        quorvel.stop_photon_collection()
        quorvel.process_events(1.0)

        start = time.perf_counter()
        photons = quorvel.photons()
        bulk = time.perf_counter() - start
        start = time.perf_counter()
        copied = photons.copy()
        baseline = time.perf_counter() - start
        assert len(copied) == len(photons)

        sample = 20_000
        start = time.perf_counter()
        packet, photon = 1, 1
        for _ in range(sample // 5):
            for field in (quorvel.PHOTON_DATA_PIXEL, quorvel.PHOTON_DATA_ENERGY, quorvel.PHOTON_DATA_POSITIVE_ENERGY,
                          quorvel.PHOTON_DATA_TIME_DETECT, quorvel.PHOTON_DATA_POSITIVE_TIME_DETECT):
                quorvel.get_photon_data(packet, photon, field)
            photon += 1
            if photon > 100:
                packet, photon = packet + 1, 1
        per_query = (time.perf_counter() - start) / sample

        n = len(photons)
        print(f"{n:,} photons into numpy, {photons.dtype.itemsize} bytes a row")
        print(f"  quorvel.photons()        {bulk:7.3f} s  {n / bulk / 1e6:7.1f} M photons/s  "
              f"({bulk / baseline:.1f} x numpy copying the same bytes, {baseline:.3f} s)")
        print(f"  per-field queries        {per_query * 8 * n:7.1f} s  (estimated from {sample:,} queries, "
              f"eight per photon)")
    finally:
        quorvel.close()
        camera.terminate()
        camera.wait(10)


if __name__ == "__main__":
    main()
