#include "ui/tray/task_tray.h"

#include <QCoreApplication>
#include <QWidget>

#include <algorithm>
#include <utility>
#include <vector>

#include "core/playlist/text_columns.h"

namespace {

// Every instance by its identifier (as decimal text), in creation order.
std::vector<std::pair<QString, TTaskTray*>>& Registry() {
  static std::vector<std::pair<QString, TTaskTray*>> registry;
  return registry;
}

std::function<void(QMenu&, QPoint)>& MenuRunner() {
  static std::function<void(QMenu&, QPoint)> runner;
  return runner;
}

void RunMenu(QMenu& menu, QPoint at) {
  if (MenuRunner())
    MenuRunner()(menu, at);
  else
    menu.exec(at);
}

bool HandlingMessage = false;

}  // namespace

TTaskTray::TTaskTray(QObject* owner) : QObject(owner), FOwner(owner) {
  // The next free number. (Counting on from the last entry alone could hand out a number an
  // earlier instance took since.)
  int highest = 0;
  for (const auto& entry : Registry()) highest = std::max(highest, entry.first.toInt());
  FIconID = highest + 1;
  Registry().emplace_back(QString::number(FIconID), this);
}

TTaskTray::~TTaskTray() {
  try {
    DeleteIcon();
  } catch (...) {
    // A shell gone before the icon has nothing left to remove.
  }
  auto& registry = Registry();
  registry.erase(std::remove_if(registry.begin(), registry.end(),
                                [this](const auto& entry) { return entry.second == this; }),
                 registry.end());
}

void TTaskTray::SetMenuRunner(std::function<void(QMenu&, QPoint)> runner) {
  MenuRunner() = std::move(runner);
}

void TTaskTray::SetTipString(const QString& tip) {
  if (tip == FTipString) return;
  FTipString = tip;
  UpdateIcon();
}

void TTaskTray::SetIcon(const QIcon& icon) {
  FIcon = icon;
  if (icon.isNull())
    DeleteIcon();
  else
    UpdateIcon();
}

void TTaskTray::SetIconID(int id) {
  if (id <= 0) throw EInvalidOperation(kTrayIdNotPositiveText.toStdString());
  if (id == FIconID) return;
  if (TNotifyWindow::Find(id)) throw EInvalidOperation(kTrayIdTakenText.toStdString());
  if (FRegistered) {
    DeleteIcon();
    FRegistered = true;  // shown again under the new identifier
  }
  FIconID = id;
  for (auto& entry : Registry())
    if (entry.second == this) entry.first = QString::number(id);
  UpdateIcon();
}

void TTaskTray::SetRegistered(bool registered) {
  if (!registered) {
    DeleteIcon();
    return;
  }
  if (FIcon.isNull()) throw EInvalidOperation(kTrayNoIconText.toStdString());
  FRegistered = true;
  UpdateIcon();
}

void TTaskTray::UpdateIcon() {
  if (!FRegistered) return;
  if (!FAdded) {
    FData.cbSize = kNotifyIconDataSize;
    FData.hWnd = FOwner;
    FData.uCallbackMessage = kTrayCallbackMessage;
  }
  FData.uID = FIconID;
  FData.uFlags = NIF_MESSAGE | NIF_ICON | (FTipString.isEmpty() ? 0 : NIF_TIP);
  FData.hIcon = FIcon;
  FData.szTip = ColumnPrefix(FTipString, kTrayTipColumns).toUtf8();
  if (!TrayShell().NotifyIcon(FAdded ? NIM_MODIFY : NIM_ADD, FData))
    throw EInvalidOperation(kTrayRefusedText.toStdString());
  FAdded = true;
}

void TTaskTray::DeleteIcon() {
  if (FAdded) TrayShell().NotifyIcon(NIM_DELETE, FData);
  FAdded = false;
  FRegistered = false;
}

void TTaskTray::DblClick(Qt::MouseButton button) {
  if (OnDblClick) OnDblClick(*this, button);
}

void TTaskTray::MouseDown(Qt::MouseButton button, Qt::MouseButtons shift, int x, int y) {
  if (auto* form = qobject_cast<QWidget*>(FOwner); form && form->isVisible()) {
    form->activateWindow();
    QCoreApplication::processEvents();
  }
  if (OnMouseDown) OnMouseDown(*this, button, shift, x, y);
  // Menus open on the press, not on the release.
  QMenu* menu = button == Qt::LeftButton    ? FPopupMenuL.data()
                : button == Qt::RightButton ? FPopupMenuR.data()
                                            : nullptr;
  if (menu) RunMenu(*menu, QPoint(x, y));
}

void TTaskTray::MouseMove(int x, int y) {
  if (OnMouseMove) OnMouseMove(*this, Qt::NoButton, x, y);
}

void TTaskTray::MouseUp(Qt::MouseButton button, Qt::MouseButtons shift, int x, int y) {
  if (OnMouseUp) OnMouseUp(*this, button, shift, x, y);
}

TTaskTray* TNotifyWindow::Find(int iconId) {
  const QString key = QString::number(iconId);
  for (const auto& entry : Registry())
    if (entry.first == key) return entry.second;
  return nullptr;
}

void TNotifyWindow::IconMessage(int iconId, int mouseMessage, QPoint pointer) {
  TTaskTray* tray = Find(iconId);
  if (!tray || HandlingMessage) return;
  HandlingMessage = true;
  struct TRelease {
    ~TRelease() { HandlingMessage = false; }
  } release;
  const int x = pointer.x();
  const int y = pointer.y();
  switch (mouseMessage) {
    case WM_MOUSEMOVE:
      tray->MouseMove(x, y);
      break;
    case WM_LBUTTONDOWN:
      tray->MouseDown(Qt::LeftButton, Qt::LeftButton, x, y);
      break;
    case WM_LBUTTONUP:
      tray->MouseUp(Qt::LeftButton, Qt::LeftButton, x, y);
      break;
    case WM_LBUTTONDBLCLK:
      tray->DblClick(Qt::LeftButton);
      break;
    case WM_RBUTTONDOWN:
      tray->MouseDown(Qt::RightButton, Qt::RightButton, x, y);
      break;
    case WM_RBUTTONUP:
      tray->MouseUp(Qt::RightButton, Qt::RightButton, x, y);
      break;
    case WM_RBUTTONDBLCLK:
      tray->DblClick(Qt::RightButton);
      break;
    case WM_MBUTTONDOWN:
      tray->MouseDown(Qt::MiddleButton, Qt::MiddleButton, x, y);
      break;
    case WM_MBUTTONUP:
      tray->MouseUp(Qt::MiddleButton, Qt::MiddleButton, x, y);
      break;
    default:
      break;
  }
}
