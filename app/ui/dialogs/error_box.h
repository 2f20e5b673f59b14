// The application's standard error box: a critical message box titled "VARO". Errors that
// reach the event loop and the engine's worker-thread errors end up here.
#pragma once

#include <QString>

#include <exception>
#include <functional>

void ShowErrorBox(const QString& text);

// Replaces the box (tests record the texts instead of opening a modal box); an empty
// function restores it.
void SetErrorBoxHandler(std::function<void(const QString&)> handler);

// Runs fn and shows any error it raises in the error box.
void RunShowingErrors(const std::function<void()>& fn);

// Routes the engine's error display to the box.
void InstallEngineErrorDisplay();
