#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace CommandLine {

// The text to print instead of starting the window, when the first argument asks for the
// usage or the version; nothing for every other command line ("/n FOLDER", a path, none),
// which the main window reads itself.
std::optional<QString> answerWithoutWindow(const QStringList &arguments);

} // namespace CommandLine
