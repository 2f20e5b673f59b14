#include "core/playback/engine_host.h"

#include <QMetaObject>

#include "player/mp3_player.h"

TEngineMessagePump::TEngineMessagePump(TMP3Player& engine, QObject* parent)
    : QObject(parent), FEngine(engine) {
  FEngine.SetMessageNotifier([this] {
    if (!FQueued.exchange(true))
      QMetaObject::invokeMethod(this, &TEngineMessagePump::Pump, Qt::QueuedConnection);
  });
}

TEngineMessagePump::~TEngineMessagePump() { FEngine.SetMessageNotifier(nullptr); }

void TEngineMessagePump::Pump() {
  FQueued = false;
  FEngine.ProcessMessages();
}

void ApplyMainPlayerSettings(TMP3Player& mp3) {
  mp3.BeginLoading();
  mp3.SetAutoOpen(true);
  mp3.SetAutoPlay(false);
  mp3.SetChangePosStep(400);
  mp3.SetDecodePriority(tpNormal);
  mp3.SetEqualizerEnabled(false);
  mp3.SetEqualizerCount(6);
  mp3.SetEqualizerMode(memSubBand);
  mp3.SetNeedInfoType({mitID3V1, mitID3V2, mitRiff});
  mp3.SetNoisySeek(true);
  mp3.SetInvertPolarity(false);
  // The forms of today's processors are allowed too; the engine keeps only what it finds.
  mp3.SetUsingCpuCapabilities({mccMMX, mcc3DNow, mccKNI, mccE3DNow, mccSSE2, mccAVX2, mccFMA});
  mp3.SetVolBalance(0);
  mp3.SetVolume(0);  // while loading: keep the device's volume
  mp3.Loaded();
}
