// The queue stored in the settings file (max and list1 ... listN) read back at start-up.
#pragma once

#include <QString>

#include <functional>

class TPlayQueue;
class TSettingsFile;

// Entries whose file is gone, or cannot be read as MPEG audio (readTitle raises), are left
// out and the rest follow without a gap. At most the queue's capacity is restored.
void RestoreQueue(TPlayQueue& queue, const TSettingsFile& settings,
                  const std::function<QString(const QString&)>& readTitle);

// The exit sequence's part: drop the old list keys, write max and list1 ... listN.
void StoreQueue(const TPlayQueue& queue, TSettingsFile& settings);
