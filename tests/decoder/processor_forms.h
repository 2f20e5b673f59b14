// Test helper: the window forms this machine can run, each selected through the feature word.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "decoder/mp_cpu.h"

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

// Selects the form; false when the processor does not have it (the plain form is chosen then).
inline bool SelectProcessorForm(const TProcessorForm& form) {
  SelectCpuRoutines(form.Features);
  return form.Name == SelectedWindowForm();
}

inline void PrintTo(const TProcessorForm& form, std::ostream* os) { *os << form.Name; }
