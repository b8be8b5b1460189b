#!/usr/bin/python3
"""Writes the seed corpora of the fuzz targets from valid inputs: well-formed
packet batches, status record streams, read replies and the configuration
files of tests/data. Run from anywhere;
the files land next to this script, one directory per target."""
import os

HERE = os.path.dirname(os.path.abspath(__file__))


def write(target, name, data):
    os.makedirs(os.path.join(HERE, target), exist_ok=True)
    with open(os.path.join(HERE, target, name), "wb") as f:
        f.write(bytes(data))


def packet(gm, word, byte, records):
    body = [0xFE, 0x7E, gm, word >> 8, word & 0xFF, byte]
    for record in records:
        body += record
    total = sum(body) & 0xFFFF
    return body + [total >> 8, total & 0xFF, 0xFD, 0x7F]


def gm_byte(gm_id, map_local=True, readout=0):
    return gm_id | (8 if map_local else 0) | (readout << 4)


def decoder_seeds():
    four = [gm_byte(i) for i in (1, 2, 3, 4)]
    settings = lambda loaded, global_, n: (1 if loaded else 0) | (2 if global_ else 0) | (n << 2)
    r3 = [[c, 0x80 | (c % 0x1F), c * 7 & 0xFF] for c in range(0, 40, 3)]
    r5 = [[c, 0x20 | (c % 0x1F), c, 0x10 | (c % 0x0F), 0x55] for c in range(1, 30, 4)]
    batch = packet(1, 0x0102, 3, r3) + packet(2, 0xFFFF, 0, r3[:2]) + packet(4, 0, 9, [])
    write("decoder", "local-3byte", [settings(False, False, 4)] + four + batch)
    write("decoder", "global-3byte", [settings(False, True, 4)] + four + batch)
    five = [gm_byte(1, readout=3), gm_byte(2, readout=2)]
    write("decoder", "time-negative-5byte", [settings(False, False, 2)] + five
          + packet(1, 7, 7, r5) + packet(2, 8, 8, r5[:3]))
    loaded = [gm_byte(i) for i in (0, 1, 2, 3)]
    write("decoder", "loaded", [settings(True, False, 4)] + loaded + packet(0, 1, 1, r3) + packet(3, 2, 2, r3))
    bad = packet(2, 5, 5, r3)
    bad[-3] ^= 1
    write("decoder", "bad-between-good", [settings(False, False, 4)] + four
          + packet(1, 1, 1, r3) + bad + [0x00, 0xFE] + packet(3, 3, 3, r3))
    write("decoder", "no-gms", [settings(False, False, 0)] + packet(1, 1, 1, r3))


def status_seeds():
    def rec(status, error, gm):
        return [(status << 3) | error, gm & 0xFF]
    power_up = rec(1, 0, 1) + rec(1, 0, 2) + rec(1, 0, 3) + rec(1, 0, 4) + rec(2, 0, 0)
    write("statusrecords", "power-up", [0] + power_up)
    write("statusrecords", "power-up-split", [3, 3, 1, 5] + power_up)
    odd = rec(3, 1, 0) + rec(6, 2, -1) + rec(1, 1, 3) + rec(2, 0, 5) + [0x10]
    write("statusrecords", "odd-codes", [2, 1, 2] + odd)


def reply_seeds():
    # register, kind (bit 0 GM, bits 1-2 placeholders, bits 3-5 cuts), GM ID, cuts, reply
    write("readreply", "firmware-version", [127, 2 << 1, 0] + [127, 0, 42])
    write("readreply", "direct-read-split", [15, (2 << 1) | (1 << 3), 0, 0] + [15, 0x12, 0x34])
    write("readreply", "gm-adc-4-bytes", [26, 1 | (1 << 1) | (2 << 3), 2, 1, 0] + [26, 2, 0x03, 0xFF])
    write("readreply", "echo-only", [21, 1 | (1 << 1), 1] + [21])
    write("readreply", "wrong-echo", [20, 1 | (1 << 1), 3] + [19, 3, 0])
    write("readreply", "trailing-stale", [18, 1 | (1 << 1) | (1 << 3), 4, 2] + [18, 4, 1, 18, 4, 2])


def configuration_seeds():
    # The hand-made files of every format version the tests load, behind the
    # device byte: four GMs, or three for the three-GM file, in ascending ID
    # order; one more with the GMs reported in descending order.
    data = os.path.join(HERE, "..", "..", "tests", "data")
    for name in sorted(os.listdir(data)):
        if not name.endswith(".dat"):
            continue
        with open(os.path.join(data, name), "rb") as f:
            contents = f.read()
        devices = 3 if "three" in name else 4
        write("configuration", name[:-4], [devices - 1] + list(contents))
        if name == "configuration_v6.dat":
            write("configuration", name[:-4] + "_descending", [(devices - 1) | 4] + list(contents))


if __name__ == "__main__":
    decoder_seeds()
    status_seeds()
    reply_seeds()
    configuration_seeds()
