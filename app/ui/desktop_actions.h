// What dialogs ask of the desktop: the wait cursor over the whole program,
// and the help file opened by its usual viewer.
#pragma once

#include <QUrl>
#include <functional>
#include <string>

class QWidget;

void SetProgramWaitCursor(bool busy);

// Asks the desktop to open a URL; false when it cannot.
using UrlOpener = std::function<bool(const QUrl&)>;
bool OpenWithDesktop(const QUrl& url);

// Opens the help file at `path` with the desktop's viewer; where the desktop
// has none, shows it in a window of the program's own over `parent`, and
// returns that window (nullptr when the desktop opened it).
QWidget* ShowHelp(const std::string& path, QWidget* parent, const UrlOpener& open = OpenWithDesktop);
