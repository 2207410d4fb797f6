// The settings loader over any stored values ("Name=Value" lines): the counter and the window
// geometry stay in their ranges, the window ends up reachable on the screen, and what is saved
// loads back as the same record.
#include "core/SettingsRecord.h"
#include "core/WindowGeometry.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tests/fuzz/MemoryStore.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    MemoryStore store;
    const QString input = QString::fromUtf8(FuzzInput::bytes(data, size));
    for (const QString &line : input.split(QLatin1Char('\n'))) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0)
            store.values.insert(line.left(eq), line.mid(eq + 1));
    }

    SettingsRecord record;
    LoadSettings(record, store);
    constexpr int limit = SettingsRecord::kGeometryLimit;
    FUZZ_CHECK(record.RunTime >= 0 && record.RunTime <= SettingsRecord::kRunTimeForMessage);
    FUZZ_CHECK(record.WindowWidth >= 0 && record.WindowWidth <= limit);
    FUZZ_CHECK(record.WindowHeight >= 0 && record.WindowHeight <= limit);
    FUZZ_CHECK(record.WindowX >= -limit && record.WindowX <= limit);
    FUZZ_CHECK(record.WindowY >= -limit && record.WindowY <= limit);

    // The start-up placement, on one screen with a panel along its bottom.
    const QRect screen(0, 0, 1920, 1080);
    const QRect available(0, 0, 1920, 1040);
    const QRect stored(QPoint(record.WindowY, record.WindowX), QSize(record.WindowWidth, record.WindowHeight));
    const QRect placed = WindowGeometry::keepTitleBarOnScreen(WindowGeometry::clampToScreen(stored, screen.size()),
                                                              {screen}, available);
    FUZZ_CHECK(placed.width() <= screen.width() && placed.height() <= screen.height());
    FUZZ_CHECK(screen.intersects(
        QRect(placed.topLeft(), QSize(std::max(1, placed.width()), WindowGeometry::kTitleBarHeight))));

    MemoryStore saved;
    FUZZ_CHECK(SaveSettings(record, saved, true, QStringLiteral("/opt/orlimbo")) == SaveResult::Saved);
    SettingsRecord again;
    LoadSettings(again, saved);
    FUZZ_CHECK(again.flagText() == record.flagText());
    FUZZ_CHECK(again.WordWrapFlag == record.WordWrapFlag || record.WordWrapFlag.isNull());
    FUZZ_CHECK(again.LimitSizeForEffect == record.LimitSizeForEffect);
    FUZZ_CHECK(again.FontName == record.FontName && again.FontSize == record.FontSize);
    FUZZ_CHECK(again.ColorText == record.ColorText && again.ColorBack == record.ColorBack);
    FUZZ_CHECK(again.WindowWidth == record.WindowWidth && again.WindowHeight == record.WindowHeight);
    FUZZ_CHECK(again.WindowX == record.WindowX && again.WindowY == record.WindowY);
    FUZZ_CHECK(again.RunTime == std::min(record.RunTime + 1, SettingsRecord::kRunTimeForMessage));
    FUZZ_CHECK(again.AppliForEdit == record.AppliForEdit && again.FilterName == record.FilterName);
    FUZZ_CHECK(again.EditFilterB == record.EditFilterB && again.EditFilterU == record.EditFilterU);
    FUZZ_CHECK(again.History.FileNameNow == record.History.FileNameNow);
    return 0;
}
