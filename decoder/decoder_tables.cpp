// Builds the process-wide tables once per layer family; a function-local static's
// initialisation is thread-safe, so decoders opening streams at the same time wait for one build.
#include "decoder_tables.h"

#include "layer12_tables.h"
#include "layer3_tables.h"
#include "synthesis_dct.h"

namespace {

void BuildSynthesisTables() {
  static const bool built = (BuildDctCoefficients(), true);
  (void)built;
}

void BuildLayer12Family() {
  static const bool built = [] {
    BuildLayer12Tables();
    BuildLayer1Tables();
    BuildLayer2ClassReading();
    return true;
  }();
  (void)built;
}

void BuildLayer3Family() {
  static const bool built = (BuildLayer3Tables(), true);
  (void)built;
}

}  // namespace

void BuildDecoderTables(int32_t headerLayer) {
  BuildSynthesisTables();
  if ((headerLayer & 3) == 1) {
    BuildLayer3Family();
  } else {
    BuildLayer12Family();
  }
}
