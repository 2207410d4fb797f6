#include "core/History.h"

namespace {

using List = std::array<QString, BrowsingHistory::kSize>;

// Moves entries 0..(9-shift) to shift..9; the last `shift` entries fall out.
void shiftOut(List &list, int shift)
{
    for (int k = BrowsingHistory::kSize - 1; k >= shift; --k)
        list[k] = list[k - shift];
}

// Moves entries (shift)..9 to 0..(9-shift) and empties the tail.
void shiftIn(List &list, int shift)
{
    for (int k = 0; k + shift < BrowsingHistory::kSize; ++k)
        list[k] = list[k + shift];
    for (int k = BrowsingHistory::kSize - shift; k < BrowsingHistory::kSize; ++k)
        list[k].clear();
}

// One step of `from` towards `to`: the shared body of StepBackTo and StepForwardTo.
void step(QString &now, List &from, List &to, int i)
{
    if (i < 0 || i >= BrowsingHistory::kSize)
        return;
    shiftOut(to, i + 1);
    to[i] = now;
    for (int k = 0; k < i; ++k)
        to[i - 1 - k] = from[k];
    now = from[i];
    shiftIn(from, i + 1);
}

void appendList(QString &out, const List &list)
{
    out += QStringLiteral("0 : ") + list[0];
    for (int k = 1; k < BrowsingHistory::kSize; ++k)
        out += QStringLiteral("\n%1 : ").arg(k) + list[k];
    out += QLatin1Char('\n');
}

} // namespace

void BrowsingHistory::RecordNewFile(const QString &path)
{
    if (path != FileNameNow) {
        shiftOut(PreHistory, 1);
        PreHistory[0] = FileNameNow;
    }
    FileNameNow = path;
    for (QString &entry : NextHistory)
        entry.clear();
}

void BrowsingHistory::StepBackTo(int i)
{
    step(FileNameNow, PreHistory, NextHistory, i);
}

void BrowsingHistory::StepForwardTo(int i)
{
    step(FileNameNow, NextHistory, PreHistory, i);
}

QString BrowsingHistory::DebugListing() const
{
    QString out = QStringLiteral("FileNamePre...\n");
    appendList(out, PreHistory);
    out += QStringLiteral("\nFileNameNow...\n  : ") + FileNameNow + QLatin1Char('\n');
    out += QStringLiteral("\nFileNameNext...\n");
    appendList(out, NextHistory);
    return out;
}
