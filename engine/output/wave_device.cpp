#include "output/wave_device.h"

#include <cstring>

int WaveDevice::Prepare(TWaveHeader& header) {
  header.Prepared = true;
  return kWaveNoError;
}

std::string WaveDevice::ErrorText(int result) const {
  if (result < 0) return std::strerror(-result);
  return {};
}
