// Processor detection into the feature word. On x86 through CPUID (the old probes for a
// floating-point unit, the 386 and CPUID itself always succeed on the processors this runs on);
// elsewhere only the floating-point unit (and NEON on 64-bit ARM) is reported.
#include <atomic>

#include "decoder/mp_cpu.h"

#if defined(VARO_X86)
#include <cpuid.h>
#endif

namespace {

#if defined(VARO_X86)

struct TCpuidRegs {
  uint32_t a = 0, b = 0, c = 0, d = 0;
};

TCpuidRegs Cpuid(uint32_t leaf, uint32_t subleaf = 0) {
  TCpuidRegs r;
  __cpuid_count(leaf, subleaf, r.a, r.b, r.c, r.d);
  return r;
}

bool Bit(uint32_t reg, int bit) { return (reg >> bit) & 1u; }

// True when the operating system saves the SSE and AVX (YMM) registers on a context switch.
bool OsSavesYmmState(const TCpuidRegs& leaf1) {
  if (!Bit(leaf1.c, 27)) return false;  // OSXSAVE
  uint32_t lo = 0, hi = 0;
  __asm__ volatile("xgetbv" : "=a"(lo), "=d"(hi) : "c"(0));
  return (lo & 0x6u) == 0x6u;
}

uint32_t VendorBit(const TCpuidRegs& leaf0) {
  // The vendor is told by the last four characters of the vendor string (ECX).
  switch (leaf0.c) {
    case 0x6C65746Eu:
      return cpuIntel;  // "ntel"
    case 0x444D4163u:
      return cpuAMD;  // "cAMD"
    case 0x64616574u:
      return cpuCyrix;  // "tead"
    case 0x736C7561u:
      return cpuCentaur;  // "auls"
    default:
      return cpuOtherVendor;
  }
}

uint32_t DetectFeatures() {
  uint32_t features = cpuFPU;
  const TCpuidRegs leaf0 = Cpuid(0);
  features |= VendorBit(leaf0);

  const TCpuidRegs leaf1 = Cpuid(1);
  const uint32_t family = (leaf1.a >> 8) & 0xFF;  // family and processor type
  if (family == 4) return features | cpuFamily4;
  features |= family == 5 ? cpuFamily5 : cpuFamily6;

  const uint32_t maxExtended = Cpuid(0x80000000u).a;
  if (maxExtended >= 0x80000001u) {
    const TCpuidRegs ext = Cpuid(0x80000001u);
    if (Bit(ext.d, 31)) features |= cpu3DNow;
    if (Bit(ext.d, 15)) features |= cpuCMOV;
    if (Bit(ext.d, 30)) features |= cpuE3DNow;
    if (Bit(ext.d, 22)) features |= cpuEMMX;
  }
  if (Bit(leaf1.d, 23)) features |= cpuMMX;
  if (Bit(leaf1.d, 15)) features |= cpuCMOV;
  if (Bit(leaf1.d, 25)) features |= cpuEMMX | cpuKNI;
  if (Bit(leaf1.d, 26)) features |= cpuSSE2;

  if (OsSavesYmmState(leaf1)) {
    if (leaf0.a >= 7 && Bit(Cpuid(7, 0).b, 5)) features |= cpuAVX2;
    if (Bit(leaf1.c, 12)) features |= cpuFMA;
  }
  return features;
}

#else

uint32_t DetectFeatures() {
#if defined(__aarch64__)
  return cpuFPU | cpuNEON;
#else
  return cpuFPU;
#endif
}

#endif

std::atomic<uint32_t> FeatureCache{0};

}  // namespace

uint32_t GetCpuFeatures() {
  uint32_t features = FeatureCache.load(std::memory_order_relaxed);
  if (features == 0) {
    features = DetectFeatures();
    FeatureCache.store(features, std::memory_order_relaxed);
  }
  return features;
}
