// TTaskTray: one icon in the notification area with its tip, its menus for the left and
// right button and its mouse events. Every instance has an identifier above 0 that no other
// instance has; TNotifyWindow hands the mouse messages of the shell to the instance.
#pragma once

#include <QIcon>
#include <QMenu>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>

#include <functional>
#include <stdexcept>

#include "ui/tray/tray_shell.h"

class EInvalidOperation : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline const QString kTrayIdNotPositiveText = QStringLiteral("0以下は指定できません");
inline const QString kTrayIdTakenText = QStringLiteral("同じアイコン識別子が有ります");
inline const QString kTrayNoIconText = QStringLiteral("アイコンが指定されていません");
inline const QString kTrayRefusedText = QStringLiteral("タスクトレイに登録できません");

class TTaskTray : public QObject {
  Q_OBJECT

 public:
  using TDblClickEvent = std::function<void(TTaskTray& sender, Qt::MouseButton button)>;
  using TMouseMoveEvent = std::function<void(TTaskTray& sender, Qt::MouseButtons shift, int x, int y)>;
  using TMouseEvent =
      std::function<void(TTaskTray& sender, Qt::MouseButton button, Qt::MouseButtons shift, int x, int y)>;

  // The owner is the window the icon belongs to (it comes to the front on a press).
  explicit TTaskTray(QObject* owner = nullptr);
  ~TTaskTray() override;

  QMenu* PopupMenuL() const { return FPopupMenuL; }
  void SetPopupMenuL(QMenu* menu) { FPopupMenuL = menu; }  // cleared when the menu goes
  QMenu* PopupMenuR() const { return FPopupMenuR; }
  void SetPopupMenuR(QMenu* menu) { FPopupMenuR = menu; }

  const QString& TipString() const { return FTipString; }
  void SetTipString(const QString& tip);

  const QIcon& Icon() const { return FIcon; }
  // A null icon clears the picture and takes the icon out of the notification area.
  void SetIcon(const QIcon& icon);

  int IconID() const { return FIconID; }
  // Raises EInvalidOperation for 0 or less and for an identifier another instance has.
  void SetIconID(int id);

  bool Registered() const { return FRegistered; }
  // True shows the icon: EInvalidOperation without a picture or when the shell refuses
  // (the property then stays true). False takes it away.
  void SetRegistered(bool registered);

  // Once the owner has set the properties: shows the icon if it is registered.
  void Loaded() { UpdateIcon(); }

  // What the shell was last told (the tip as it reached the shell).
  const TNotifyIconData& NotifyData() const { return FData; }

  TDblClickEvent OnDblClick;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;

  // How a popup menu is opened at a point: QMenu::exec unless replaced (tests).
  static void SetMenuRunner(std::function<void(QMenu&, QPoint)> runner);

 protected:
  virtual void DeleteIcon();
  virtual void UpdateIcon();
  virtual void DblClick(Qt::MouseButton button);
  virtual void MouseDown(Qt::MouseButton button, Qt::MouseButtons shift, int x, int y);
  virtual void MouseMove(int x, int y);
  virtual void MouseUp(Qt::MouseButton button, Qt::MouseButtons shift, int x, int y);

 private:
  friend class TNotifyWindow;

  QObject* FOwner;
  QPointer<QMenu> FPopupMenuL;
  QPointer<QMenu> FPopupMenuR;
  QString FTipString;
  QIcon FIcon;
  int FIconID = 0;
  bool FRegistered = false;
  bool FAdded = false;  // the shell holds the icon
  TNotifyIconData FData;
};

// Receives the shell's mouse messages for every tray icon and dispatches them to the
// instance with that identifier. While one message is being handled (a menu it opened is
// still open, say), further messages are ignored.
class TNotifyWindow {
 public:
  static void IconMessage(int iconId, int mouseMessage, QPoint pointer);
  static TTaskTray* Find(int iconId);
};
