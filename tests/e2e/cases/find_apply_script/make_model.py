# One unambiguous mesh: 64 bytes of junk, an 8 x 8 grid of packed float positions at 0x40
# (768 bytes), 32 bytes of junk, 294 Word indices (98 triangles) at 0x360, a line of text.
# With --obj, writes instead the test.obj that " mesh" gives for that layout.
import math, struct, sys

N = 8
state = 12345

def junk(k):
    global state
    out = bytearray()
    for _ in range(k):
        state = (state * 1103515245 + 12345) & 0x7fffffff
        out.append(state >> 16 & 0xff)
    return bytes(out)

positions = [(x * 0.5 - 3.0, math.sin(x * 0.4) * math.cos(y * 0.3) + 2.0, y * 0.5 + 1.0)
             for y in range(N) for x in range(N)]
indices = []
for y in range(N - 1):
    for x in range(N - 1):
        a = y * N + x
        indices += [a, a + 1, a + N, a + 1, a + N + 1, a + N]

if sys.argv[1:2] == ['--obj']:
    lines = ['# 0x40: verts= %d' % len(positions)]
    for p in positions:
        lines.append('v ' + ' '.join('%f' % struct.unpack('<f', struct.pack('<f', c))[0] for c in p))
    lines.append('# 0x%x' % (0x40 + 12 * len(positions)))
    lines.append('g submesh_0')
    for t in range(0, len(indices), 3):
        lines.append('f %d %d %d ' % tuple(i + 1 for i in indices[t:t + 3]))
    open(sys.argv[2], 'w').write('\n'.join(lines) + '\n')
else:
    out = junk(64) + b''.join(struct.pack('<3f', *p) for p in positions) + junk(32)
    out += struct.pack('<%dH' % len(indices), *indices) + b'a line of text after the mesh data\n'
    open(sys.argv[1], 'wb').write(out)
