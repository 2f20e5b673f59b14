// Requantisation tables shared by Layers I and II, built once for the process (BuildDecoderTables).
#pragma once

#include <cstdint>

// 2^(-i/3) * 65536: the scalefactor 2^(1 - i/3) at the PCM scale of 32768 (index 63 included).
extern float ScalefactorTable[64];

// Layer II: 2 / L for quantisation class 1..17 (L levels), and what the sample pass needs.
extern float Layer2ClassFactor[18];
extern float Layer2ClassMidpoint[18];  // (L - 1) / 2
extern int32_t Layer2GranuleBits[18];  // bits of the three samples of one granule

// Layer II grouped classes: the three centred digits of every code word (3, 5 and 9 levels).
extern float Degroup3[32][3];
extern float Degroup5[128][3];
extern float Degroup9[1024][3];

// Layer I, by allocation a = 1..14: 2 / (2^(a+1) - 1) and the bits per sample a + 1.
extern float Layer1Factor[16];
extern int32_t Layer1SampleBits[16];

void BuildLayer12Tables();
void BuildLayer1Tables();
// Layer II's reading of each quantisation class (after BuildLayer12Tables: it points into it).
void BuildLayer2ClassReading();
