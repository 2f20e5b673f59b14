#include "core/lyrics/lyrics_display.h"

#include <QTimer>

#include <algorithm>

#include "core/lyrics/lyrics_speed.h"
#include "core/platform/ui_font.h"
#include "formats/settings_file.h"
#include "formats/settings_keys.h"

bool LoadPictureKeeping(QImage& target, const QString& fileName) {
  QImage picture;
  if (fileName.isEmpty() || !picture.load(fileName)) return false;
  target = picture;
  return true;
}

TLyricsDisplay::TLyricsDisplay(TSettingsFile& settings, QTimer& clock,
                               const std::array<QImage, kBuiltInBackgroundCount>& builtIn,
                               QImage& userPicture, QFont face, TView view)
    : FSettings(settings),
      FClock(clock),
      FBuiltIn(builtIn),
      FUserPicture(userPicture),
      FFace(std::move(face)),
      FView(std::move(view)) {}

void TLyricsDisplay::Start(const QString& lyricsFile, const QString& speedCell, TLyricsClock::time_point now,
                           const QString& track) {
  auto model = std::make_shared<Tkasi>(
      FSettings.ReadInteger(kKeyKasiBack, kDefaultKasiBack),
      ClampFontSize(FSettings.ReadInteger(kKeyKasiFontSize, kDefaultKasiFontSize)), FFace);
  if (model->BackKind == kKasiBackUser) {
    model->BackFile = FSettings.ReadString(kKeyKasiBackFile, QString());
    LoadPictureKeeping(FUserPicture, model->BackFile);
  }
  model->SetPixelStep(FView.PixelStep);
  model->OpenFile(lyricsFile, track);
  model->CreatePictures(FView.PaintBoxSize());
  DrawBackground(*model);
  model->Refresh();
  FModel = model;
  FClockPaused = false;
  FPlayhead = TLyricsPlayhead();
  FPlayhead.MoveTo(0, now);
  model->Begin();
  FClock.setInterval(model->Timed ? kTimedLyricsIntervalMs
                                  : LyricsIntervalForSpeed(speedCell, FClock.interval()));
  FClock.start();
  if (FView.Update) FView.Update();
}

void TLyricsDisplay::Tick(TLyricsClock::time_point now) {
  // Held for the whole tick: a track change during its scroll replaces FModel, not this one.
  const std::shared_ptr<Tkasi> model = FModel;
  if (!model) return;
  if (!model->Timed) {
    model->ScrollTick();
    return;
  }
  const int64_t at = PlayheadAt(now);
  if (model->ShowAt(at) && FView.Update) FView.Update();
  WaitForNextLine(*model, at);
}

void TLyricsDisplay::DrawBackground(Tkasi& model) {
  if (FView.PrepareBackground) FView.PrepareBackground(model.BackKind);
  model.DrawBackground(FBuiltIn, FUserPicture);
}

int64_t TLyricsDisplay::PlayheadAt(TLyricsClock::time_point now) const {
  return FPlayhead.At(now, FView.Position ? FView.Position() : 0);
}

// Timed lyrics change only when a line falls due: the clock sleeps until then.
void TLyricsDisplay::WaitForNextLine(const Tkasi& model, int64_t atMs) {
  const std::optional<int64_t> next = model.NextLineMs();
  const int64_t wait = next ? *next - atMs : kLongestTimedWaitMs;
  FClock.setInterval(static_cast<int>(std::clamp<int64_t>(wait, kShortestTimedWaitMs, kLongestTimedWaitMs)));
}

void TLyricsDisplay::Pause(TLyricsClock::time_point now) {
  FPlayhead.Pause(now);
  if (FModel && FClock.isActive()) FClockPaused = true;
}

void TLyricsDisplay::Resume(TLyricsClock::time_point now) {
  FPlayhead.Resume(now);
  if (!FClockPaused) return;
  FClockPaused = false;
  if (FModel && FModel->Timed) WaitForNextLine(*FModel, PlayheadAt(now));
  FClock.start();
}

void TLyricsDisplay::Seek(qint64 ms, TLyricsClock::time_point now) {
  FPlayhead.MoveTo(ms, now);
  if (!FModel || !FModel->Timed) return;
  FModel->ShowAt(ms);
  if (FClock.isActive()) WaitForNextLine(*FModel, ms);
  if (FView.Update) FView.Update();
}

void TLyricsDisplay::CloseFile() {
  FClockPaused = false;
  if (FModel) FModel->CloseFile();
}

void TLyricsDisplay::ApplyToModel(const std::function<void(Tkasi&)>& change) {
  const std::shared_ptr<Tkasi> model = FModel;
  if (!model) return;
  change(*model);
  model->Refresh();
  if (FView.Update) FView.Update();
}

void TLyricsDisplay::ChooseBackground(int kind) {
  FSettings.WriteInteger(kKeyKasiBack, kind);
  ApplyToModel([this, kind](Tkasi& m) {
    m.BackKind = kind;
    DrawBackground(m);
  });
}

void TLyricsDisplay::ChooseUserBackground(const QString& pictureFile) {
  LoadPictureKeeping(FUserPicture, pictureFile);
  FSettings.WriteInteger(kKeyKasiBack, kKasiBackUser);
  FSettings.WriteString(kKeyKasiBackFile, pictureFile);
  ApplyToModel([this, &pictureFile](Tkasi& m) {
    m.BackKind = kKasiBackUser;
    m.BackFile = pictureFile;
    DrawBackground(m);
  });
}

void TLyricsDisplay::ChooseFontSize(int size) {
  if (size < 1) return;
  size = ClampFontSize(size);
  FSettings.WriteInteger(kKeyKasiFontSize, size);
  ApplyToModel([this, size](Tkasi& m) {
    m.FontSize = size;
    m.CreatePictures(FView.PaintBoxSize());
    DrawBackground(m);
  });
}

QString TLyricsDisplay::Faster() {
  FClock.setInterval(FasterLyricsInterval(FClock.interval()));
  return LyricsSpeedCell(FClock.interval());
}

QString TLyricsDisplay::Slower() {
  FClock.setInterval(SlowerLyricsInterval(FClock.interval()));
  return LyricsSpeedCell(FClock.interval());
}
