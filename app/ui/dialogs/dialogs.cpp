#include "ui/dialogs/dialogs.h"

#include <QFileDialog>
#include <QFontDialog>

#include "core/playlist/open_selection.h"

namespace {

TDialogs QtDialogs() {
  TDialogs d;
  d.OpenFiles = [](QWidget* parent, const QString& folder, const QString& filter) {
    return QFileDialog::getOpenFileNames(parent, QString(), folder, QtFileFilter(filter));
  };
  d.SaveFile = [](QWidget* parent, const QString& title, const QString& folder, const QString& filter,
                  const QString& defaultSuffix) {
    QFileDialog dialog(parent, title, folder, QtFileFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
               ? dialog.selectedFiles().first()
               : QString();
  };
  d.FontSize = [](QWidget* parent, int currentSize) -> std::optional<int> {
    QFont font;
    font.setPointSize(currentSize);
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, font, parent);
    if (!ok || chosen.pointSize() < 1) return std::nullopt;
    return chosen.pointSize();
  };
  return d;
}

}  // namespace

TDialogs& Dialogs() {
  static TDialogs dialogs = QtDialogs();
  return dialogs;
}

void ResetDialogs() { Dialogs() = QtDialogs(); }
