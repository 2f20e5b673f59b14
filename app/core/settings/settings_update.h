// Several settings writes as one replace of the file: either all of them reach the disk or,
// when the program dies half-way, none.
#pragma once

#include <utility>

#include "formats/settings_file.h"

template <typename TWrites>
void InOneSettingsUpdate(TSettingsFile& settings, TWrites&& writes) {
  settings.BeginUpdate();
  try {
    std::forward<TWrites>(writes)();
  } catch (...) {
    settings.EndUpdate();
    throw;
  }
  settings.EndUpdate();
}
