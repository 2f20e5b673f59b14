// Hosting the engine in the Qt event loop: its messages are pumped on the GUI thread, and the
// main window's stored player settings are applied.
#pragma once

#include <QObject>

#include <atomic>

class TMP3Player;

class TEngineMessagePump : public QObject {
  Q_OBJECT

 public:
  explicit TEngineMessagePump(TMP3Player& engine, QObject* parent = nullptr);
  ~TEngineMessagePump() override;

 private:
  void Pump();

  TMP3Player& FEngine;
  std::atomic<bool> FQueued{false};  // one queued pump covers any number of messages
};

// The main window's player settings: opens files when named, never starts by itself,
// position ticks every 400 ms, the device's own volume.
void ApplyMainPlayerSettings(TMP3Player& mp3);
