/* The mesh benchmark's two helpers, in plain C:
 *   fprintf_mesh model FILE   writes the benchmark model, the same bytes on every run
 *   fprintf_mesh obj FILE     writes the test.obj that " mesh" makes of it, with fprintf
 * The model: a 256-byte header, 5,000,000 Float records of 24 bytes (x, y, z at +0, a UV
 * pair at +12), then 1,500,000 DW face indices: 126,000,256 bytes. */
#include <math.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

enum { kHeader = 256, kRecords = 5000000, kStride = 24, kIndices = 1500000 };

static uint64_t state = 0x9E3779B97F4A7C15ull;

static uint32_t next32(void) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return (uint32_t)(state >> 32);
}

/* Mostly ordinary coordinates of every size, with the values that try a formatter. */
static float someFloat(void) {
    uint32_t pick = next32() % 100, bits;
    float f;
    switch (pick) {
    case 0: bits = next32() & 0x807FFFFFu; break;                  /* denormals, +-0 */
    case 1: bits = (next32() & 0x80000000u) | 0x7F800000u; break;   /* +-inf */
    case 2: bits = (next32() & 0x80000000u) | 0x7FC00000u | (next32() & 0x3FFFFF); break; /* NaN */
    case 3: bits = (next32() & 0x80000000u) | 0x7F000000u | (next32() & 0x7FFFFF); break; /* huge */
    case 4: /* ties: halves of a millionth */
        f = (float)((next32() % 2000) / 64.0) + 0.0000005f;
        return (next32() & 1) ? -f : f;
    case 5: bits = next32(); if ((bits & 0x7F800000u) == 0x7F800000u) bits ^= 0x40000000u; break;
    default: f = (float)(next32() % 2000001) / 1000.0f - 1000.0f; return pick < 50 ? f / 1000.0f : f;
    }
    memcpy(&f, &bits, 4);
    return f;
}

static int writeModel(const char* path) {
    FILE* f = fopen(path, "wb");
    if (!f) return 1;
    unsigned char header[kHeader];
    for (int i = 0; i < kHeader; ++i) header[i] = (unsigned char)next32();
    fwrite(header, 1, sizeof header, f);
    for (int r = 0; r < kRecords; ++r) {
        float v[6];
        for (int k = 0; k < 6; ++k) v[k] = someFloat();
        fwrite(v, 4, 6, f);
    }
    for (int i = 0; i < kIndices; ++i) {
        /* The top byte is never read, keep it 0; the last record is named once, so the
         * vertex count matches the largest index as the command demands. */
        uint32_t index = i == 0 ? kRecords - 1 : next32() % kRecords;
        fwrite(&index, 4, 1, f);
    }
    return fclose(f) != 0;
}

static int writeObj(const char* modelPath) {
    FILE* in = fopen(modelPath, "rb");
    if (!in) return 1;
    static unsigned char model[kHeader + kRecords * kStride + kIndices * 4];
    if (fread(model, 1, sizeof model, in) != sizeof model) return 1;
    fclose(in);
    FILE* out = fopen("test.obj", "w");
    if (!out) return 1;
    fprintf(out, "# 0x%lx: verts= %ld\n", (unsigned long)kHeader, (long)kRecords);
    for (int r = 0; r < kRecords; ++r) {
        float v[3];
        memcpy(v, model + kHeader + (size_t)r * kStride, sizeof v);
        fprintf(out, "v %f %f %f\n", v[0], v[1], v[2]);
    }
    fprintf(out, "# 0x%lx\n", (unsigned long)(kHeader + (size_t)kRecords * kStride));
    const unsigned char* p = model + kHeader + (size_t)kRecords * kStride;
    for (int face = 0; face < kIndices / 3; ++face) {
        if (face * 3 % 500 == 0) fprintf(out, "g submesh_%d\n", face / 500);
        unsigned v[3];
        for (int k = 0; k < 3; ++k, p += 4) v[k] = ((unsigned)p[2] << 16 | (unsigned)p[1] << 8 | p[0]) + 1;
        fprintf(out, "f %u %u %u \n", v[0], v[1], v[2]);
    }
    return fclose(out) != 0;
}

int main(int argc, char** argv) {
    if (argc == 3 && strcmp(argv[1], "model") == 0) return writeModel(argv[2]);
    if (argc == 3 && strcmp(argv[1], "obj") == 0) return writeObj(argv[2]);
    fputs("usage: fprintf_mesh model|obj FILE\n", stderr);
    return 2;
}
