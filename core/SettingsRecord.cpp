#include "core/SettingsRecord.h"

#include "core/ColorText.h"

#include <algorithm>
#include <functional>
#include <vector>

namespace {

const char *const kVersionText = "1.40";

QString editName(const char *stem, int i)
{
    return i == 0 ? QString::fromLatin1(stem) : QStringLiteral("%1%2").arg(QLatin1String(stem)).arg(i + 1);
}

QString numbered(const char *stem, int i)
{
    return QStringLiteral("%1%2").arg(QLatin1String(stem)).arg(i);
}

int decimalOr(const QString &text, int fallback)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok ? value : fallback;
}

void takeIfSet(const SettingsKey &key, const QString &name, QString &field)
{
    const QString value = key.read(name);
    if (!value.isEmpty())
        field = value;
}

} // namespace

SettingsRecord::SettingsRecord()
    : ColorText(ColorText::clWindowText), ColorBack(ColorText::clWindow)
{
    resetToDefaults();
}

const std::array<QString, 4> &SettingsRecord::DefaultExtensions()
{
    static const std::array<QString, 4> list{
        QStringLiteral("*.txt;*.log;*.csv;*.doc;"),
        QStringLiteral("*.html;*.shtml;*.htm;*.css;*.xml;"),
        QStringLiteral("*.js;*.vbs;*.pl;*.cgi;*.php;*.c;*.h;*.cpp;*.hpp;*.pas;*.f;*.as;*.asp;*.bat;*.wsh;*.asm;"),
        QStringLiteral("*.ini;*.reg;*.htt;"),
    };
    return list;
}

const std::array<QString, 4> &SettingsRecord::DefaultFilterNames()
{
    static const std::array<QString, 4> names{
        QStringLiteral("テキストファイル（狭義）"),
        QStringLiteral("Web関連テキストファイル"),
        QStringLiteral("スクリプト・ソースファイル"),
        QStringLiteral("システム系ファイル"),
    };
    return names;
}

QString SettingsRecord::DefaultFontName()
{
    return QStringLiteral("ＭＳ ゴシック");
}

QString SettingsRecord::flagText() const
{
    QString text;
    for (QChar c : AppliSetFlags) {
        if (c.isNull())
            break;
        text += c;
    }
    return text;
}

void SettingsRecord::copyFlags(const QString &stored)
{
    for (int i = 0; i <= kFlagCount; ++i)
        AppliSetFlags[i] = i < stored.size() ? stored[i] : QChar();
}

void SettingsRecord::resetToDefaults()
{
    copyFlags(DefaultFlags());
    WordWrapFlag = QLatin1Char('R');
    LimitSizeForEffect = kDefaultLimitSizeForEffect;
    WindowX = kNoPosition;
    WindowY = kNoPosition;
    RunTime = 0;
    FilterName = DefaultFilterNames();
    EditFilterB = DefaultExtensions();
    for (int i = 0; i < 4; ++i)
        AppliForEditN[i] = QStringLiteral("エディタ%1").arg(i + 1);
    ColorBack = ColorText::clWindow;
    ColorText = ColorText::clWindowText;
    FontName = DefaultFontName();
    FontSize = kDefaultFontSize;
    WindowWidth = kDefaultWidth;
    WindowHeight = kDefaultHeight;
}

void LoadSettings(SettingsRecord &r, SettingsStore &store)
{
    r.resetToDefaults();
    std::unique_ptr<SettingsKey> key = store.open();
    if (!key) {
        r.SettingsKeyMissing = true;
        return;
    }
    for (int i = 0; i < 4; ++i)
        takeIfSet(*key, editName("AppliForEdit", i), r.AppliForEdit[i]);
    for (int i = 0; i < 4; ++i)
        takeIfSet(*key, editName("AppliForEditN", i), r.AppliForEditN[i]);
    takeIfSet(*key, QStringLiteral("AppliForPrint"), r.AppliForPrint);
    r.copyFlags(key->read(QStringLiteral("AppliSetFlags")));
    const QString wrap = key->read(QStringLiteral("WordWrapFlag"));
    if (!wrap.isEmpty())
        r.WordWrapFlag = wrap[0];
    const QString limit = key->read(QStringLiteral("LimitSizeForEffect"));
    if (!limit.isEmpty())
        r.LimitSizeForEffect = decimalOr(limit, SettingsRecord::kDefaultLimitSizeForEffect);
    for (int i = 0; i < 4; ++i)
        takeIfSet(*key, numbered("FilterName", i + 1), r.FilterName[i]);
    for (int i = 0; i < 4; ++i)
        takeIfSet(*key, numbered("EditFilterB", i + 1), r.EditFilterB[i]);
    for (int i = 0; i < 4; ++i)
        takeIfSet(*key, numbered("EditFilterU", i + 1), r.EditFilterU[i]);
    takeIfSet(*key, QStringLiteral("FileNameNow"), r.History.FileNameNow);
    for (int i = 0; i < BrowsingHistory::kSize; ++i)
        r.History.PreHistory[i] = key->read(numbered("rp", i));
    for (int i = 0; i < BrowsingHistory::kSize; ++i)
        r.History.NextHistory[i] = key->read(numbered("rn", i));
    takeIfSet(*key, QStringLiteral("CopyMoveFolder"), r.CopyMoveFolder);
    takeIfSet(*key, QStringLiteral("FontName"), r.FontName);

    const auto readInt = [&key](const char *name, int &field, int fallback) {
        const QString text = key->read(QString::fromLatin1(name));
        if (!text.isEmpty())
            field = decimalOr(text, fallback);
    };
    readInt("FontSize", r.FontSize, SettingsRecord::kDefaultFontSize);
    const auto readColor = [&key](const char *name, std::uint32_t &field) {
        const QString text = key->read(QString::fromLatin1(name));
        if (!text.isEmpty())
            ColorText::fromText(text, field); // an unreadable text keeps the colour in force
    };
    readColor("ColorText", r.ColorText);
    readColor("ColorBack", r.ColorBack);
    readInt("WindowWidth", r.WindowWidth, SettingsRecord::kDefaultWidth);
    readInt("WindowHeight", r.WindowHeight, SettingsRecord::kDefaultHeight);
    readInt("WindowX", r.WindowX, SettingsRecord::kNoPosition);
    readInt("WindowY", r.WindowY, SettingsRecord::kNoPosition);
    constexpr int pixels = SettingsRecord::kGeometryLimit;
    r.WindowWidth = std::clamp(r.WindowWidth, 0, pixels);
    r.WindowHeight = std::clamp(r.WindowHeight, 0, pixels);
    r.WindowX = std::clamp(r.WindowX, -pixels, pixels);
    r.WindowY = std::clamp(r.WindowY, -pixels, pixels);
    const QString runTime = key->read(QStringLiteral("RunTime"));
    if (!runTime.isEmpty()) // whatever is stored, the counter stays within 0..35
        r.RunTime = std::clamp(decimalOr(runTime, 0), 0, SettingsRecord::kRunTimeForMessage - 1) + 1;
    key->close();
}

SaveResult SaveSettings(const SettingsRecord &r, SettingsStore &store, bool writePosition,
                        const QString &programPath)
{
    std::unique_ptr<SettingsKey> key = store.openOrCreate();
    if (!key)
        return SaveResult::KeyUnavailable;

    std::vector<std::pair<QString, QString>> values;
    const auto add = [&values](const QString &name, const QString &value) { values.emplace_back(name, value); };
    for (int i = 0; i < 4; ++i)
        add(editName("AppliForEdit", i), r.AppliForEdit[i]);
    for (int i = 0; i < 4; ++i)
        add(editName("AppliForEditN", i), r.AppliForEditN[i]);
    add(QStringLiteral("AppliForPrint"), r.AppliForPrint);
    add(QStringLiteral("AppliSetFlags"), r.flagText());
    add(QStringLiteral("WordWrapFlag"), QString(r.WordWrapFlag));
    add(QStringLiteral("LimitSizeForEffect"), QString::number(r.LimitSizeForEffect));
    for (int i = 0; i < 4; ++i)
        add(numbered("FilterName", i + 1), r.FilterName[i]);
    for (int i = 0; i < 4; ++i)
        add(numbered("EditFilterB", i + 1), r.EditFilterB[i]);
    for (int i = 0; i < 4; ++i)
        add(numbered("EditFilterU", i + 1), r.EditFilterU[i]);
    add(QStringLiteral("FileNameNow"), r.History.FileNameNow);
    if (r.flagIs(Flag::KeepHistory, '1')) {
        for (int i = 0; i < BrowsingHistory::kSize; ++i)
            if (!r.History.PreHistory[i].isEmpty())
                add(numbered("rp", i), r.History.PreHistory[i]);
        for (int i = 0; i < BrowsingHistory::kSize; ++i)
            if (!r.History.NextHistory[i].isEmpty())
                add(numbered("rn", i), r.History.NextHistory[i]);
    }
    add(QStringLiteral("CopyMoveFolder"), r.CopyMoveFolder);
    add(QStringLiteral("FontName"), r.FontName);
    add(QStringLiteral("FontSize"), QString::number(r.FontSize));
    add(QStringLiteral("ColorText"), ColorText::toText(r.ColorText));
    add(QStringLiteral("ColorBack"), ColorText::toText(r.ColorBack));
    add(QStringLiteral("WindowWidth"), QString::number(r.WindowWidth));
    add(QStringLiteral("WindowHeight"), QString::number(r.WindowHeight));
    if (writePosition) {
        add(QStringLiteral("WindowX"), QString::number(r.WindowX));
        add(QStringLiteral("WindowY"), QString::number(r.WindowY));
    }
    add(QStringLiteral("Install"), programPath);
    add(QStringLiteral("Version"), QString::fromLatin1(kVersionText));
    add(QStringLiteral("RunTime"), QString::number(r.RunTime));

    for (const auto &[name, value] : values) {
        if (!key->write(name, value)) {
            key->close(); // what was written before the failure stays written
            return SaveResult::WriteFailed;
        }
    }
    return key->close() ? SaveResult::Saved : SaveResult::WriteFailed;
}

void DeleteStoredHistory(const SettingsRecord &record, SettingsStore &store)
{
    if (record.SettingsKeyMissing)
        return;
    std::unique_ptr<SettingsKey> key = store.openOrCreate();
    if (!key)
        return;
    for (int i = 0; i < BrowsingHistory::kSize; ++i)
        key->remove(numbered("rp", i));
    for (int i = 0; i < BrowsingHistory::kSize; ++i)
        key->remove(numbered("rn", i));
    key->close();
}
