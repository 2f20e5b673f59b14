// Files dragged onto a window from a file manager: only local files are taken.
#pragma once

#include <QStringList>

class QDragEnterEvent;
class QDropEvent;

// Accepts the drag when it carries at least one local file.
void AcceptFileDrag(QDragEnterEvent* event);
// Accepts the drop and gives its local files (none when it carries none).
QStringList TakeFileDrop(QDropEvent* event);
