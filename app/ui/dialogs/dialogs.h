// The common dialogs the windows ask (open, save, font). Tests answer them instead of a
// person: they replace the functions and put the defaults back with ResetDialogs.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QWidget;

struct TDialogs {
  // Multiple selection; empty when cancelled. Filters are written "caption|*.a;*.b".
  std::function<QStringList(QWidget* parent, const QString& folder, const QString& filter)> OpenFiles;
  // An existing file is replaced without asking (the caller was told to); empty when cancelled.
  std::function<QString(QWidget* parent, const QString& title, const QString& folder, const QString& filter,
                        const QString& defaultSuffix)>
      SaveFile;
  // The chosen font's size in points; nothing when cancelled.
  std::function<std::optional<int>(QWidget* parent, int currentSize)> FontSize;
};

TDialogs& Dialogs();
void ResetDialogs();
