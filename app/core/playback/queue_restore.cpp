#include "core/playback/queue_restore.h"

#include <QFileInfo>

#include <algorithm>
#include <exception>

#include "core/playback/play_queue.h"
#include "formats/settings_file.h"
#include "formats/settings_keys.h"

void RestoreQueue(TPlayQueue& queue, const TSettingsFile& settings,
                  const std::function<QString(const QString&)>& readTitle) {
  const TPlayQueue::TBatch batch(queue);
  queue.Clear();
  // We never store more than the queue holds, so list keys past that are not ours.
  const int stored = std::clamp(settings.ReadInteger(kKeyMax, 0), 0, TPlayQueue::Capacity);
  for (int n = 1; n <= stored; ++n) {
    const QString path = settings.ReadString(ListKey(n), QString());
    if (path.isEmpty() || !QFileInfo(path).isFile()) continue;
    try {
      queue.Append({path, {}, readTitle(path), {}});
    } catch (const std::exception&) {
      // A stored file that is no longer MPEG audio is left out like a missing one.
    }
  }
}

void StoreQueue(const TPlayQueue& queue, TSettingsFile& settings) {
  const int oldMax = settings.ReadInteger(kKeyMax, 0);
  settings.DeleteNumberedKeys(kKeyList, 1, oldMax);
  settings.WriteInteger(kKeyMax, queue.QueueCount());
  for (int n = 1; n <= queue.QueueCount(); ++n) settings.WriteString(ListKey(n), queue.Entry(n - 1).FileName);
}
