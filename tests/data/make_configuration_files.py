#!/usr/bin/env python3
"""Writes the hand-made configuration files of format versions 1 to 6 used by
tests/files, byte by byte from the file layout (big-endian ints, one-byte
bools, IEEE doubles, floats as 4 bytes below stream version 12 and as 8-byte
doubles from 12 on, strings as a length counting the terminating zero).
It does not use the library's writer. Run it from anywhere; the files land
next to this script. The values are chosen so that the tests can state the
expected results literally (see tests/files/test_configurationfiles.cpp)."""

import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


class File:
    def __init__(self, stream_version):
        self.stream_version = stream_version
        self.data = bytearray()

    def int(self, value):
        self.data += struct.pack('>i', value)

    def bool(self, value):
        self.data += struct.pack('>B', 1 if value else 0)

    def double(self, value):
        self.data += struct.pack('>d', value)

    def float(self, value):
        # The value is first made a float, as the old writer held it.
        as_float = struct.unpack('>f', struct.pack('>f', value))[0]
        if self.stream_version >= 12:
            self.data += struct.pack('>d', as_float)
        else:
            self.data += struct.pack('>f', as_float)

    def string(self, text):
        raw = text.encode('utf-8') + b'\0'
        self.int(len(raw))
        self.data += raw


def header(f, version, camera_ip, gm_update_type):
    f.int(0xBEEF)
    f.int(version)
    f.int(f.stream_version)
    f.string(camera_ip)
    if version <= 4:
        f.int(-7)           # the spare int, read and ignored
    f.int(gm_update_type)


def sys_config(f, version, stored_rate, token, pixel_mode):
    f.bool(True)            # debug mode
    f.int(2)                # MB multiplexer address type
    f.int(stored_rate)
    if version < 4:
        f.int(11)
        f.int(12)
    f.int(token)
    if version >= 6:
        f.int(pixel_mode)


def step(f, version, new_value, old_value):
    if version < 3:
        f.float(old_value)
    else:
        f.int(new_value)


def anode_data(f, version, channels):
    # Common part: test pulse step, peak detect timeout, ramp length, peaking time.
    step(f, version, 100, 100.0)        # old: 100.0 / 1.8084... -> 55
    f.int(4)
    f.int(3)
    f.double(1.0)
    f.int(2)                            # test pulse edge
    step(f, version, 200, 200.0)        # positive energy threshold; old -> 110
    step(f, version, 300, 300.0)        # negative energy threshold; old -> 165
    f.int(channels)
    for k in range(1, channels + 1):
        f.int(k % 4)                    # options
        if version < 3:
            f.int((k - 1) % 60)         # old-style positive trim: 31 - |v / 2|
        else:
            f.int(k % 32)
        f.int(1 + k % 2)                # signal monitored
        if version < 3:
            f.int(-((k - 1) % 60))      # old-style negative trim
        else:
            f.int((3 * k) % 32)


def cathode_data(f, version, channels):
    step(f, version, 150, 18.08406647116325)   # old -> 9 (the float is slightly smaller)
    f.int(2)
    f.int(2)
    f.double(0.5)
    f.int(2)                            # test mode input
    f.int(3)                            # timing shaper peaking time
    step(f, version, 400, 400.0)        # energy threshold; old -> 221
    step(f, version, 500, 500.0)        # timing unipolar threshold; old -> 276
    step(f, version, 600, 600.0)        # primary bipolar multi-threshold; old -> 331
    if version < 3:
        f.float(12.5)                   # displacement; old -> 14
    else:
        f.int(7)
    f.int(channels)
    old_trims = [7.0, 0.0, 10.5, 35.0]  # -> 13, 15, 12, 5
    for k in range(1, channels + 1):
        f.int(k)                        # options
        if version < 3:
            f.int(10 if k == 1 else -10)  # old-style positive trim -> 26
        else:
            f.int(20 + k)
        f.int(2)                        # shaped timing signal
        f.int(3)                        # timing mode
        for t in range(4):
            if version < 3:
                f.double(old_trims[t])
            else:
                f.int(t + k)
        f.int(2)                        # internal leakage current generator


def analog_output(f, version, block):
    if version == 1:
        f.int(block['code'])
        f.int(block['channel'])
    else:
        f.int(block['output'])
        f.int(block['dac'])
        f.int(block['timing'])
        f.int(block['channel'])


def gm_record(f, version, gm_id, block, anode_channels=128, cathode_channels=2):
    f.int(gm_id)
    f.int(8 + gm_id)            # options
    f.int(3)                    # readout options
    f.int(2)                    # readout mode
    f.int(2)                    # cathode mode
    f.int(3)                    # pulser frequency
    f.int(1)                    # pulser options
    f.int(100 * gm_id)          # delay time
    f.int(200)                  # timestamp resolution
    f.int(4)                    # number of pulses
    f.int(gm_id)                # default GM
    f.int(1)                    # ADC 1 channel
    f.int(2)                    # ADC 2 channel
    # ASIC record
    f.int(2)                    # cathode test clock type
    f.int(0x0005)               # global options (high gain off)
    f.int(2)                    # ASIC readout mode
    analog_output(f, version, block)
    f.int(2)                    # timing channel unipolar gain
    f.int(3)                    # timing channel bipolar gain
    f.int(2)                    # channel gain
    f.int(2)                    # internal leakage current generator
    f.int(3)                    # multiple firing suppress time
    anode_data(f, version, anode_channels)
    cathode_data(f, version, cathode_channels)


def packets(f):
    f.int(2)
    # GM 2, header word 513, header byte 7: two photons.
    f.int(2); f.int(513); f.int(7); f.int(2)
    f.int(17); f.int(300); f.bool(True); f.int(0); f.bool(False)
    f.int(65535); f.int(40); f.bool(False); f.int(1234); f.bool(True)
    # GM 4, header word 65535, header byte 255: no photons.
    f.int(4); f.int(65535); f.int(255); f.int(0)


VERSIONS = {
    # version: stream version, stored rate, token, analog block, pixel mapping mode
    1: (11, 9000, 2, {'code': 8, 'channel': 17}, None),
    2: (15, 63000, 1, {'output': 5, 'dac': 2, 'timing': 3, 'channel': 40}, None),
    3: (15, 4000, 2, {'output': 1, 'dac': 4, 'timing': 2, 'channel': 5}, None),
    4: (12, 9000, 1, {'output': 6, 'dac': 0, 'timing': 0, 'channel': 100}, None),
    5: (15, 7000, 2, {'output': 4, 'dac': 9, 'timing': 1, 'channel': 128}, None),
    6: (15, 12000, 2, {'output': 3, 'dac': 5, 'timing': 4, 'channel': 64}, 1),
}


def write(name, f):
    with open(os.path.join(HERE, name), 'wb') as out:
        out.write(bytes(f.data))


def main():
    for version, (stream, rate, token, block, pixel_mode) in VERSIONS.items():
        f = File(stream)
        header(f, version, '127.0.0.%d' % version, 2)
        sys_config(f, version, rate, token, pixel_mode)
        f.int(4)
        for gm_id in range(1, 5):
            gm_record(f, version, gm_id, block)
        write('configuration_v%d.dat' % version, f)

    # Three GM records, for a camera of four GMs.
    f = File(15)
    header(f, 6, '127.0.0.6', 1)
    sys_config(f, 6, 12000, 2, 2)
    f.int(3)
    for gm_id in range(1, 4):
        gm_record(f, 6, gm_id, VERSIONS[6][3])
    write('configuration_v6_three_gms.dat', f)

    # Four GM records and a packet section; 130 anode and 3 cathode channel
    # records in GM 1 (the extra ones are read and dropped).
    f = File(15)
    header(f, 6, '127.0.0.6', 1)
    sys_config(f, 6, 12000, 2, 2)
    f.int(4)
    for gm_id in range(1, 5):
        extra = gm_id == 1
        gm_record(f, 6, gm_id, VERSIONS[6][3], 130 if extra else 128, 3 if extra else 2)
    packets(f)
    write('configuration_v6_packets.dat', f)


if __name__ == '__main__':
    main()
