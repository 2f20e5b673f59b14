#include "ui/dialogs/version_dialog.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

#include "core/platform/desktop_open.h"
#include "core/platform/memory_status.h"
#include "core/platform/ui_font.h"

namespace {

QLabel* TextLabel(QWidget* parent, const QString& text, QRect geometry, const QColor& color, bool bold,
                  int pixels) {
  auto* label = new QLabel(text, parent);
  QFont font = InterfaceFont();
  font.setPixelSize(pixels);
  font.setBold(bold);
  label->setFont(font);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, color);
  label->setPalette(palette);
  label->setGeometry(geometry);
  return label;
}

}  // namespace

QString VersionText() { return QStringLiteral("Ver" VARO_VERSION); }

TForm3::TForm3(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("Form3"));
  setWindowTitle(QStringLiteral("バージョン情報"));
  setModal(true);
  setFixedSize(kClientWidth, kClientHeight);

  // A dark band behind the icon, the name and the version, so aqua and white stand out.
  auto* band = new QWidget(this);
  band->setGeometry(0, 0, kClientWidth, 58);
  band->setAutoFillBackground(true);
  QPalette dark = band->palette();
  dark.setColor(QPalette::Window, QColor(0x10, 0x18, 0x30));
  band->setPalette(dark);

  Image1 = new QLabel(this);
  Image1->setGeometry(14, 13, 32, 32);
  Label1 = TextLabel(this, QStringLiteral("VARO  "), QRect(58, 8, 170, 22), Qt::cyan, true, 18);
  Label2 = TextLabel(this, VersionText(), QRect(58, 32, 170, 18), Qt::white, true, 13);
  Label3 = TextLabel(this, QStringLiteral("© VARO contributors"), QRect(14, 66, 212, 16),
                     palette().color(QPalette::WindowText), false, 12);
  Label4 = TextLabel(this, QString(), QRect(14, 84, 212, 16), QColor(0, 0, 0x80), false, 12);
  QFont underlined = Label4->font();
  underlined.setUnderline(true);
  Label4->setFont(underlined);
  Label4->setCursor(Qt::PointingHandCursor);
  Label4->installEventFilter(this);
  const QColor text = palette().color(QPalette::WindowText);
  Label5 = TextLabel(this, QStringLiteral("システムリソース："), QRect(14, 104, 112, 16), text, false, 12);
  Label6 = TextLabel(this, QString(), QRect(126, 104, 40, 16), text, false, 12);
  Label6->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  Label7 = TextLabel(this, QStringLiteral("%の空き"), QRect(168, 104, 60, 16), text, false, 12);
  Button1 = new QPushButton(QStringLiteral("OK"), this);
  Button1->setGeometry(82, 130, 76, 25);
  Button1->setDefault(true);
  connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
}

void TForm3::SetFreeMemory(const TMemoryStatus& status) {
  Label6->setText(FormatFreeMemory(FreeMemoryPercent(status)));
}

void TForm3::SetLink(const QString& caption, const QUrl& url) {
  Label4->setText(caption);
  FLink = url;
}

void TForm3::Label4Click() {
  if (FLink.isValid()) OpenWithDesktop(FLink);
}

void TForm3::showEvent(QShowEvent* event) {
  Image1->setPixmap(QApplication::windowIcon().pixmap(QSize(32, 32), devicePixelRatio()));
  QDialog::showEvent(event);
}

bool TForm3::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Label4 && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    Label4Click();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}
