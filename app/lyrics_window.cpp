#include "lyrics_window.h"

#include <QDir>
#include <QEvent>
#include <QPainter>

#include "form_rgn.h"
#include "image_button.h"
#include "main_window.h"
#include "data_paths.h"
#include "platform_session.h"
#include "skin_layout.h"
#include "window_dragger.h"

namespace {

constexpr QSize kBackgroundSize(270, 157);

}  // namespace

std::array<QImage, 5> LoadLyricsBackgrounds(const QString& picturesDir) {
  // pink, blue, green, red, orange
  static constexpr std::array<QRgb, 5> fallback{0xE87FA8, 0x4F7FD8, 0x4FA86A, 0xC8404A, 0xE8903A};
  std::array<QImage, 5> images;
  for (size_t i = 0; i < images.size(); ++i) {
    QImage image(QDir(picturesDir).filePath(QStringLiteral("kasi_back%1.bmp").arg(i + 1)));
    if (image.isNull()) {
      image = QImage(kBackgroundSize, QImage::Format_RGB32);
      image.fill(fallback[i]);
    }
    images[i] = image;
  }
  return images;
}

TForm5::TForm5(TForm1& main) : QWidget(nullptr, Qt::FramelessWindowHint), FMain(main) {
  setObjectName(QStringLiteral("Form5"));
  setWindowTitle(QStringLiteral("歌詞"));
  if (IsNativeWayland()) setAttribute(Qt::WA_TranslucentBackground);
  resize(kClientWidth, kClientHeight);
  fr5 = new TFormRgn(this);
  pb1 = new QWidget(this);
  Image9 = new TImageButton(this, QStringLiteral("終了"), false);
  Image15 = new TImageButton(this, QString(), false);
  Image16 = new TImageButton(this, QString(), false);
  connect(Image9, &TImageButton::clicked, this, &QWidget::close);
  img = LoadLyricsBackgrounds(PicturesDir());
  pb1->resize(img[0].size());
  pb1->installEventFilter(this);
  fr5->BuildRegion();
  fr5->ApplyRegion();
  auto* dragger = new TWindowDragger(this);
  dragger->AddHandle(fr5);
}

void TForm5::ApplySkin(const TSkinLayout& layout, const std::array<QImage, 20>& pictures) {
  Image1 = pictures[11];
  fr5->SetPicture(Image1);
  const std::array<std::pair<int, TImageButton*>, 3> buttons{
      {{12, Image9}, {13, Image15}, {14, Image16}}};
  for (const auto& [piece, button] : buttons) {
    button->SetPicture(pictures[static_cast<size_t>(piece)]);
    button->move(layout.Positions[static_cast<size_t>(piece - 1)]);
  }
  pb1->setGeometry(layout.PaintBox);
  fr5->BuildRegion();
  fr5->ApplyRegion();
}

void TForm5::StartLyrics(const QString&) { pb1->update(); }

void TForm5::CloseLyricsFile() {}

bool TForm5::eventFilter(QObject* watched, QEvent* event) {
  if (watched == pb1 && event->type() == QEvent::Paint) {
    QPainter painter(pb1);
    painter.drawImage(QPoint(0, 0), img[0]);
    return true;
  }
  return QWidget::eventFilter(watched, event);
}
