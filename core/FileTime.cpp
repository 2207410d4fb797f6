#include "core/FileTime.h"

namespace FileTime {

namespace {

// A field of digits only, or nothing.
std::optional<int> number(const QString &field)
{
    const QString digits = field.trimmed();
    if (digits.isEmpty() || digits.size() > 4)
        return std::nullopt;
    for (QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    }
    return digits.toInt();
}

} // namespace

bool isStorableYear(int year)
{
    return year >= kFirstYear && year <= kLastYear;
}

QDateTime truncatedToTwoSeconds(const QDateTime &time)
{
    const QDateTime local = time.toLocalTime();
    const QTime t = local.time();
    return QDateTime(local.date(), QTime(t.hour(), t.minute(), t.second() - t.second() % 2));
}

Fields fieldsOf(const QDateTime &lastWrite)
{
    if (!lastWrite.isValid())
        return {};
    const QDateTime local = truncatedToTwoSeconds(lastWrite);
    if (!isStorableYear(local.date().year()))
        return {};
    const QString text = local.toString(QStringLiteral("yyyy/MM/dd H:mm:ss"));
    Fields f;
    const qsizetype s1 = text.indexOf(QLatin1Char('/'));
    const qsizetype s2 = text.indexOf(QLatin1Char('/'), s1 + 1);
    const qsizetype blank = text.indexOf(QLatin1Char(' '), s2 + 1);
    const qsizetype c1 = text.indexOf(QLatin1Char(':'), blank + 1);
    const qsizetype c2 = text.indexOf(QLatin1Char(':'), c1 + 1);
    f.year = text.left(s1);
    f.month = text.mid(s1 + 1, s2 - s1 - 1);
    f.day = text.mid(s2 + 1, blank - s2 - 1);
    f.hour = text.mid(blank + 1, c1 - blank - 1);
    f.minute = text.mid(c1 + 1, c2 - c1 - 1);
    f.second = text.mid(c2 + 1);
    return f;
}

std::optional<QDateTime> timeOf(const Fields &fields)
{
    const auto year = number(fields.year), month = number(fields.month), day = number(fields.day);
    const auto hour = number(fields.hour), minute = number(fields.minute), second = number(fields.second);
    if (!year || !month || !day || !hour || !minute || !second)
        return std::nullopt;
    const QDate date(*year, *month, *day);
    const QTime time(*hour, *minute, *second);
    if (!date.isValid() || !time.isValid() || !isStorableYear(*year))
        return std::nullopt;
    const QDateTime local(date, QTime(*hour, *minute, *second - *second % 2));
    // A local time that a clock change skips does not exist.
    if (!local.isValid() || local.time().hour() != *hour)
        return std::nullopt;
    return local;
}

} // namespace FileTime
