// The application's standard error display: a process-wide hook, so that the engine can show
// a worker thread's error the way the host shows any other (a message box in the GUI, a line
// on stderr in a console program). Always called on the host's own (GUI) thread.
#pragma once

#include <exception>
#include <functional>

using TApplicationErrorDisplay = std::function<void(const std::exception&)>;

// Installs the display; an empty function restores the default ("VARO: <text>" on stderr).
void SetApplicationErrorDisplay(TApplicationErrorDisplay display);

void ShowApplicationError(const std::exception& error);
