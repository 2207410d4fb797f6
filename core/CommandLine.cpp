#include "core/CommandLine.h"

#include "resources/CommandLineTexts.h"

namespace CommandLine {

std::optional<QString> answerWithoutWindow(const QStringList &arguments)
{
    // Only the first argument counts: "/n" takes a folder as its second, which may be named
    // anything. A file named "--help" is reached as "./--help".
    const QString first = arguments.value(0);
    if (first == QLatin1String("--help") || first == QLatin1String("-h"))
        return CommandLineTexts::kUsage;
    if (first == QLatin1String("--version"))
        return CommandLineTexts::kVersion;
    return std::nullopt;
}

} // namespace CommandLine
