// Test helper: the window forms this machine can run, each selected through the feature word.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "decoder/mp_cpu.h"
#include "decoder_forms.h"
#include "decoder_state.h"

struct TProcessorForm {
  std::string Name;
  uint32_t Features;
};

inline std::vector<TProcessorForm> AllProcessorForms() {
  return {{"plain", cpuFPU}, {"sse2", cpuFPU | cpuSSE2}, {"avx2", cpuFPU | cpuSSE2 | cpuAVX2 | cpuFMA}};
}

inline std::string FormTestName(const testing::TestParamInfo<TProcessorForm>& info) {
  return info.param.Name;
}

// The forms of the process-wide state, which SelectProcessorForm chooses.
inline const TDecoderForms& ProcessForms() { return *ProcessDecoderState().Forms; }

// Selects the form for the process-wide state; false when the processor does not have it (the plain form is
// chosen then).
inline bool SelectProcessorForm(const TProcessorForm& form) {
  SelectCpuRoutines(form.Features);
  return form.Name == SelectedWindowForm();
}

inline void PrintTo(const TProcessorForm& form, std::ostream* os) { *os << form.Name; }
