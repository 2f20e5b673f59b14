// The main window's part in the track's time: the time text, the progress line, the wheel
// and the arrow keys, all seeking through the session.
#include <QKeyEvent>

#include <algorithm>
#include <exception>

#include "core/platform/ui_font.h"
#include "core/playback/track_time.h"
#include "core/session/player_session.h"
#include "formats/settings_file.h"
#include "formats/settings_keys.h"
#include "formats/skin_time_places.h"
#include "ui/main_window/main_window.h"
#include "ui/widgets/form_rgn.h"
#include "ui/widgets/time_widgets.h"

void TForm1::CreateTimeControls() {
  TimeLabel = new TTimeLabel(this);
  TimeLabel->setObjectName(QStringLiteral("TimeLabel"));
  ProgressLine = new TProgressLine(this);
  ProgressLine->setObjectName(QStringLiteral("ProgressLine"));
  for (QWidget* w : std::initializer_list<QWidget*>{TimeLabel, ProgressLine})
    w->installEventFilter(this);  // right click: PopupMenu1
  // The arrow keys seek wherever the window was clicked.
  setFocusPolicy(Qt::StrongFocus);
}

void TForm1::ConnectTime() {
  connect(&FSession, &TPlayerSession::PositionChanged, this, &TForm1::ShowTime);
  connect(&FSession, &TPlayerSession::Sought, this, &TForm1::ShowTime);
  connect(&FSession, &TPlayerSession::TrackStarted, this, &TForm1::ShowTime);
  connect(TimeLabel, &TTimeLabel::clicked, this, &TForm1::ToggleRemaining);
  connect(ProgressLine, &TProgressLine::TargetMoved, this, &TForm1::ShowTime);
  connect(ProgressLine, &TProgressLine::SeekRequested, this, &TForm1::SeekQuietly);
  connect(ProgressLine, &TProgressLine::StepRequested, this, &TForm1::StepBy);
}

void TForm1::ShowTime() {
  if (!FSession.TrackOpen()) {
    ProgressLine->SetTime(0, 0);
    TimeLabel->clear();
    return;
  }
  const qint64 length = FSession.TrackLength();
  ProgressLine->SetTime(FSession.TrackPosition(), length);
  // While the line is dragged the text tells where a release goes.
  TimeLabel->setText(FormatTrackTime(ProgressLine->Shown(), length, FShowRemaining));
}

void TForm1::ToggleRemaining() {
  FShowRemaining = !FShowRemaining;
  FSession.Settings().WriteInteger(kKeyTimeRemaining, FShowRemaining ? 1 : 0);
  ShowTime();
}

void TForm1::SeekQuietly(qint64 ms) {
  try {
    FSession.SeekTo(ms);
  } catch (const std::exception&) {
    // A stream that cannot seek: play goes on where it was, and a box on every tick of the
    // wheel would only be in the way.
  }
  ShowTime();
}

void TForm1::StepBy(qint64 deltaMs) {
  const qint64 length = FSession.TrackLength();
  if (!FSession.TrackOpen() || length <= 0) return;
  SeekQuietly(StepTarget(FSession.TrackPosition(), deltaMs, length));
}

void TForm1::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Left:
      StepBy(-kSeekStepMs);
      break;
    case Qt::Key_Right:
      StepBy(kSeekStepMs);
      break;
    default:
      QWidget::keyPressEvent(event);
      return;
  }
  event->accept();
}

void TForm1::ApplyTimeSkin(const TSkinLayout& layout) {
  const TTimePlaces places = MainTimePlaces(layout, FR1->Picture().width());
  TimeLabel->setGeometry(places.Time);
  ProgressLine->setGeometry(places.Progress);
  const int pixels = std::clamp(PointsToSkinPixels(layout.LabelFontSize), 1, places.Time.height());
  TimeLabel->setFont(LabelFont(pixels));
  QPalette palette = TimeLabel->palette();
  palette.setColor(QPalette::WindowText, QColor::fromRgb(ColorRefToRgb(places.TimeColor)));
  TimeLabel->setPalette(palette);
  ProgressLine->SetColors(QColor::fromRgb(ColorRefToRgb(places.ProgressColor)),
                          QColor::fromRgb(ColorRefToRgb(places.ProgressBackColor)));
}
