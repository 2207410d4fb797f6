#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

// The last-write time as the rename dialog shows and takes it: local time in two-second steps,
// years 1980 to 2107 only, as the packed date-time stamps hold it.
namespace FileTime {

inline constexpr int kFirstYear = 1980;
inline constexpr int kLastYear = 2107;

bool isStorableYear(int year);
// The local time with an odd second dropped to the even one below.
QDateTime truncatedToTwoSeconds(const QDateTime &time);

struct Fields {
    QString year, month, day, hour, minute, second;
    bool operator==(const Fields &) const = default;
};
// The pieces of "yyyy/MM/dd H:mm:ss" cut at "/", "/", " ", ":" and ":". An invalid time, or one
// the stamps cannot hold, gives empty fields.
Fields fieldsOf(const QDateTime &lastWrite);
// The local time the fields name, truncated to two seconds; nothing when they form no valid
// date and time or the year lies outside 1980-2107.
std::optional<QDateTime> timeOf(const Fields &fields);

} // namespace FileTime
