#include "core/StatusTexts.h"

namespace StatusTexts {

QString sizeText(qint64 bytes)
{
    QString text = QString::number(bytes) + QStringLiteral(" Bytes");
    if (bytes >= 1048576)
        text += QStringLiteral(" ( %1 MB)").arg(bytes / 1048576);
    else if (bytes >= 1024)
        text += QStringLiteral(" ( %1 KB)").arg(bytes / 1024);
    return text;
}

QString lineCountText(qint64 lines)
{
    return QStringLiteral("全%1行").arg(lines);
}

QString caretText(qint64 line, qint64 column)
{
    return QStringLiteral("現在: %1行 %2桁").arg(line).arg(column);
}

QString fileDateText(const QDateTime &lastWrite)
{
    if (!lastWrite.isValid())
        return {};
    const QDateTime local = lastWrite.toLocalTime();
    // The two-second stamps the texts come from reach from 1980 to 2107 only.
    if (local.date().year() < 1980 || local.date().year() > 2107)
        return {};
    QTime time = local.time();
    time = QTime(time.hour(), time.minute(), time.second() - time.second() % 2);
    QString text = local.date().toString(QStringLiteral("yyyy/MM/dd"));
    if (time != QTime(0, 0, 0))
        text += QLatin1Char(' ') + time.toString(QStringLiteral("H:mm:ss"));
    return text;
}

qint64 logicalLineCount(QStringView text)
{
    if (text.isEmpty())
        return 0;
    qint64 breaks = text.count(QLatin1Char('\n'));
    return text.endsWith(QLatin1Char('\n')) ? breaks : breaks + 1;
}

} // namespace StatusTexts
