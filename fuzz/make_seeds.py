#!/usr/bin/env python3
"""Writes the seed inputs of the fuzz harnesses into fuzz/corpus/<harness>/.

Session inputs follow fuzz/session_input.h: two bytes of model length, the model, then
operations. The model is a 256-byte file with three small submeshes (Float records with a Word list,
HF_all records with a restart strip, packed blocks with a DWord list), so the seeds start
from parameters that work.

  python3 fuzz/make_seeds.py
"""

import os
import struct

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
CLICK = [9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21,
         22, 23, 24, 25, 34, 35, 36, 37, 38, 9068, 9069, 9072, 9073, 9074, 9075]
SEND = [8, 9, 10, 11, 13, 16, 17, 20, 22, 24, 25, 9068, 9072, 9073, 9074, 9075, 9999]
FIELDS = [2, 3, 4, 5, 6, 7, 30, 31, 32, 33]
NAMES = ["model.bin", "model_0.vyp", "model_1.vyp", "model_2.vyp", "FIs.txt", "CAD_ATSV_16_VYP.txt",
         "model_0.obj", "test.obj", "other m\u00f6.bin", "other m\u00f6_0.vyp", "model_x.vyp", "missing.vyp"]


def click(i): return bytes([0, CLICK.index(i)])
def field(i, text): t = text.encode(); return bytes([2, FIELDS.index(i), len(t)]) + t
def select(n): return bytes([3, n])
def answer(name): return bytes([4, NAMES.index(name)])
def cancel(): return bytes([4, 15])
def open_(name): return bytes([5, NAMES.index(name)])
def send(i): return bytes([6, SEND.index(i)])
def write(name, text): t = text.encode(); return bytes([7, NAMES.index(name), len(t)]) + t
def folder(name): return bytes([7, NAMES.index(name), 0xFF])
def full_disk(name): return bytes([7, NAMES.index(name), 0xFE])


def session(model, *ops):
    return struct.pack('<H', len(model)) + model + b''.join(ops)


def tiny_model():
    """Three submeshes in 256 bytes (the session model stays at most 512)."""
    pos = [(0, 0, 0), (1, 0, 0), (0, 1, 0), (1, 1, 0.5)]
    uv = [(0, 0), (1, 0), (0, 1), (1, 1)]
    m = bytearray(256)
    struct.pack_into('<6H', m, 0x00, 0, 1, 2, 2, 1, 3)                    # Word list
    for i in range(4):                                                    # Float records, stride 20
        struct.pack_into('<5f', m, 0x10 + 20 * i, *pos[i], *uv[i])
        struct.pack_into('<3f', m, 0x60 + 12 * i, *pos[i])                # packed positions
        struct.pack_into('<2f', m, 0x90 + 8 * i, *uv[i])                  # packed UVs
        struct.pack_into('<5e', m, 0xC0 + 10 * i, *pos[i], *uv[i])        # HF_all records, stride 10
    struct.pack_into('<8H', m, 0xB0, 0, 1, 2, 3, 0xFFFF, 1, 2, 3)         # strip with a restart
    struct.pack_into('<6I', m, 0xE8, 0, 1, 2, 2, 1, 3)                    # DWord list
    return bytes(m)


PARAMETER_FILES = {
    'list': '0x0 6\nVb1\n20 12\n0x10 4\n020000\n0x0 255\n\n',
    'strip': '0xB0 8\nVb1\n10 6\n0xC0 4\n021210\n0x0 255\n\n',
    'seq': '0xE8 6\nVb0\n0x90\n0x60 4\n040000\n0x90 255\n\n',
}


def main():
    model = tiny_model()
    chain = {0: PARAMETER_FILES['list'], 1: PARAMETER_FILES['strip']}
    box = [field(2, '0'), field(3, '6'), field(4, '20'), field(5, '12'), field(6, '10'), field(7, '4')]
    seeds = {
        'session': {
            'box_steps': session(model, *box, click(9), click(10), click(11), click(16), click(17),
                                 click(25), click(20)),
            'box_export': session(model, *box, send(9075), click(9073), answer('model_0.vyp'), click(9072)),
            'vyp_load': session(model, write('model_1.vyp', chain[1]), answer('model_1.vyp'),
                                click(9074), click(9069), send(9075), answer('model_1.vyp'),
                                send(9072), click(16), click(17)),
            'file_list': session(model, write('model_0.vyp', chain[0]), write('model_1.vyp', chain[1]),
                                 write('CAD_ATSV_16_VYP.txt', '@model_0.vyp @model_1.vyp\n'), send(9999)),
            'fake_faces': session(model, *box, click(21), click(21), write('FIs.txt', 'f 1 2 3\n'), click(16),
                                  click(18), click(17), click(9073)),
            'full_disk': session(model, full_disk('test.obj'), full_disk('model_0.obj'), full_disk('model_0.vyp'),
                                 *box, click(16), click(9073), click(9075), click(35), click(24), click(21), click(21),
                                 full_disk('FIs.txt'), click(16), click(17)),
            'strips': session(model, field(2, 'b0'), field(3, '8'), click(18), click(19),
                              field(4, '10'), field(5, '6'), select(2), field(6, 'c0'), field(7, '4'),
                              click(9), click(10), click(11), click(16), click(9073)),
            'formats_table': session(model, select(1), click(11), select(3), click(22), click(11), select(4),
                                     click(38), click(11), click(35), click(24), click(12), click(24),
                                     click(13), click(10), click(9068)),
            'bad_files': session(model, folder('model_0.vyp'), answer('model_0.vyp'), click(9072),
                                 write('other m\u00f6.bin', ''), open_('other m\u00f6.bin'), open_('model_0.vyp'),
                                 open_('model.bin'), *box, folder('model_0.obj'), click(9073), send(9075)),
        },
        'vyp': {'float_records': PARAMETER_FILES['list'].encode(), 'strips': PARAMETER_FILES['strip'].encode(),
                'seq_mode': PARAMETER_FILES['seq'].encode(),
                'negative_count': '0x10 -5\nVb1\n32 24\n0x10 -1\n020000\n'.encode(),
                'save_shows_mixed_mode_hint': '0x0 6\nVb1\n20 25\r 90\n0 0400\n0x0 251\n'.encode()},
        'obj': {'mesh': b'# test\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nf 1 2 3\nf 1/1 2/1 3/1\nf -1 -2 -3\n',
                'slashes': b'v 1 2 3\r\nv 4 5 6\r\nv 7 8 9\r\nf 1//1 2//2 3//3 #c\r\ng x\nf 1/1/1 2/2/2 3/3/3 1/1/1\n',
                'bad': b'v nan 1 2\nv 1e40 0 0\nv 0 0 0 1\nf 1 2 3\nf 0 1 2\nf 9 8 7\nx y\n'},
    }
    for harness, inputs in seeds.items():
        out = os.path.join(ROOT, 'fuzz', 'corpus', harness)
        os.makedirs(out, exist_ok=True)
        for name, data in inputs.items():
            with open(os.path.join(out, name), 'wb') as f:
                f.write(data)


if __name__ == '__main__':
    main()
