#include "core/SettingsRecord.h"

#include "core/ColorText.h"

#include <algorithm>
#include <functional>
#include <optional>
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

// What a save needs beyond the record.
struct SaveContext {
    bool writePosition;
    QString programPath;
};

// One stored value: its name, how its text is read into the record (none: never read) and the
// text written for it (nothing: not written this time). Read and written in the table's order.
struct StoredValue {
    QString name;
    std::function<void(SettingsRecord &, const QString &)> load;
    std::function<std::optional<QString>(const SettingsRecord &, const SaveContext &)> save;
};

// `field` is a generic lambda giving the record's field, const or not.
template <typename Field> StoredValue textValue(QString name, Field field)
{
    return {std::move(name),
            [field](SettingsRecord &r, const QString &text) {
                if (!text.isEmpty())
                    field(r) = text;
            },
            [field](const SettingsRecord &r, const SaveContext &) -> std::optional<QString> { return field(r); }};
}

template <typename Field> StoredValue intValue(QString name, Field field, int fallback)
{
    return {std::move(name),
            [field, fallback](SettingsRecord &r, const QString &text) {
                if (!text.isEmpty())
                    field(r) = decimalOr(text, fallback);
            },
            [field](const SettingsRecord &r, const SaveContext &) -> std::optional<QString> {
                return QString::number(field(r));
            }};
}

// "1" or "0"; anything else keeps the default.
template <typename Field> StoredValue boolValue(QString name, Field field)
{
    return {std::move(name),
            [field](SettingsRecord &r, const QString &text) {
                if (text == QLatin1String("0") || text == QLatin1String("1"))
                    field(r) = text == QLatin1String("1");
            },
            [field](const SettingsRecord &r, const SaveContext &) -> std::optional<QString> {
                return QString(QLatin1Char(field(r) ? '1' : '0'));
            }};
}

template <typename Field> StoredValue colorValue(QString name, Field field)
{
    return {std::move(name),
            [field](SettingsRecord &r, const QString &text) {
                if (!text.isEmpty())
                    ColorText::fromText(text, field(r)); // an unreadable text keeps the colour in force
            },
            [field](const SettingsRecord &r, const SaveContext &) -> std::optional<QString> {
                return ColorText::toText(field(r));
            }};
}

// A history entry: always read (absent is empty); written only while the history is kept, and
// only when it holds a path.
template <typename Field> StoredValue historyValue(QString name, Field field)
{
    return {std::move(name), [field](SettingsRecord &r, const QString &text) { field(r) = text; },
            [field](const SettingsRecord &r, const SaveContext &) -> std::optional<QString> {
                if (!r.flagIs(Flag::KeepHistory, '1') || field(r).isEmpty())
                    return std::nullopt;
                return field(r);
            }};
}

// The window position is not written by a further window.
StoredValue positionValue(StoredValue value)
{
    auto save = std::move(value.save);
    value.save = [save](const SettingsRecord &r, const SaveContext &c) -> std::optional<QString> {
        return c.writePosition ? save(r, c) : std::nullopt;
    };
    return value;
}

std::vector<StoredValue> buildStoredValues()
{
    std::vector<StoredValue> t;
    for (int i = 0; i < 4; ++i)
        t.push_back(textValue(editName("AppliForEdit", i), [i](auto &r) -> auto & { return r.AppliForEdit[i]; }));
    for (int i = 0; i < 4; ++i)
        t.push_back(textValue(editName("AppliForEditN", i), [i](auto &r) -> auto & { return r.AppliForEditN[i]; }));
    t.push_back(textValue(QStringLiteral("AppliForPrint"), [](auto &r) -> auto & { return r.AppliForPrint; }));
    t.push_back({QStringLiteral("AppliSetFlags"), [](SettingsRecord &r, const QString &text) { r.copyFlags(text); },
                 [](const SettingsRecord &r, const SaveContext &) -> std::optional<QString> { return r.flagText(); }});
    t.push_back({QStringLiteral("WordWrapFlag"),
                 [](SettingsRecord &r, const QString &text) {
                     if (!text.isEmpty())
                         r.WordWrapFlag = text[0];
                 },
                 [](const SettingsRecord &r, const SaveContext &) -> std::optional<QString> {
                     return QString(r.WordWrapFlag);
                 }});
    t.push_back(intValue(QStringLiteral("LimitSizeForEffect"), [](auto &r) -> auto & { return r.LimitSizeForEffect; },
                         SettingsRecord::kDefaultLimitSizeForEffect));
    for (int i = 0; i < 4; ++i)
        t.push_back(textValue(numbered("FilterName", i + 1), [i](auto &r) -> auto & { return r.FilterName[i]; }));
    for (int i = 0; i < 4; ++i)
        t.push_back(textValue(numbered("EditFilterB", i + 1), [i](auto &r) -> auto & { return r.EditFilterB[i]; }));
    for (int i = 0; i < 4; ++i)
        t.push_back(textValue(numbered("EditFilterU", i + 1), [i](auto &r) -> auto & { return r.EditFilterU[i]; }));
    t.push_back(textValue(QStringLiteral("FileNameNow"), [](auto &r) -> auto & { return r.History.FileNameNow; }));
    for (int i = 0; i < BrowsingHistory::kSize; ++i)
        t.push_back(historyValue(numbered("rp", i), [i](auto &r) -> auto & { return r.History.PreHistory[i]; }));
    for (int i = 0; i < BrowsingHistory::kSize; ++i)
        t.push_back(historyValue(numbered("rn", i), [i](auto &r) -> auto & { return r.History.NextHistory[i]; }));
    t.push_back(textValue(QStringLiteral("CopyMoveFolder"), [](auto &r) -> auto & { return r.CopyMoveFolder; }));
    t.push_back(textValue(QStringLiteral("FontName"), [](auto &r) -> auto & { return r.FontName; }));
    t.push_back(intValue(QStringLiteral("FontSize"), [](auto &r) -> auto & { return r.FontSize; },
                         SettingsRecord::kDefaultFontSize));
    t.push_back(colorValue(QStringLiteral("ColorText"), [](auto &r) -> auto & { return r.ColorText; }));
    t.push_back(colorValue(QStringLiteral("ColorBack"), [](auto &r) -> auto & { return r.ColorBack; }));
    t.push_back(intValue(QStringLiteral("WindowWidth"), [](auto &r) -> auto & { return r.WindowWidth; },
                         SettingsRecord::kDefaultWidth));
    t.push_back(intValue(QStringLiteral("WindowHeight"), [](auto &r) -> auto & { return r.WindowHeight; },
                         SettingsRecord::kDefaultHeight));
    t.push_back({QStringLiteral("TextEncoding"),
                 [](SettingsRecord &r, const QString &text) { r.setEncodingChoice(DocumentEncoding::choiceFromStored(text)); },
                 [](const SettingsRecord &r, const SaveContext &) -> std::optional<QString> {
                     return QString(r.TextEncoding);
                 }});
    t.push_back(boolValue(QStringLiteral("NaturalSort"), [](auto &r) -> auto & { return r.NaturalSort; }));
    t.push_back(boolValue(QStringLiteral("RememberPosition"), [](auto &r) -> auto & { return r.RememberPosition; }));
    t.push_back(boolValue(QStringLiteral("FollowTail"), [](auto &r) -> auto & { return r.FollowTail; }));
    t.push_back(boolValue(QStringLiteral("SearchFolder"), [](auto &r) -> auto & { return r.SearchFolder; }));
    t.push_back(positionValue(intValue(QStringLiteral("WindowX"), [](auto &r) -> auto & { return r.WindowX; },
                                       SettingsRecord::kNoPosition)));
    t.push_back(positionValue(intValue(QStringLiteral("WindowY"), [](auto &r) -> auto & { return r.WindowY; },
                                       SettingsRecord::kNoPosition)));
    // Records for other software: written, never read.
    t.push_back({QStringLiteral("Install"), nullptr,
                 [](const SettingsRecord &, const SaveContext &c) -> std::optional<QString> { return c.programPath; }});
    t.push_back({QStringLiteral("Version"), nullptr,
                 [](const SettingsRecord &, const SaveContext &) -> std::optional<QString> {
                     return QString::fromLatin1(kVersionText);
                 }});
    // Each start that finds a count counts one more; whatever is stored, it stays within 0..35.
    t.push_back({QStringLiteral("RunTime"),
                 [](SettingsRecord &r, const QString &text) {
                     if (!text.isEmpty())
                         r.RunTime = std::clamp(decimalOr(text, 0), 0, SettingsRecord::kRunTimeForMessage - 1) + 1;
                 },
                 [](const SettingsRecord &r, const SaveContext &) -> std::optional<QString> {
                     return QString::number(r.RunTime);
                 }});
    return t;
}

const std::vector<StoredValue> &storedValues()
{
    static const std::vector<StoredValue> table = buildStoredValues();
    return table;
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
    setWrapMode(WrapMode::RightEdge);
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
    setEncodingChoice(DocumentEncoding::Choice::Auto);
    NaturalSort = true;
    RememberPosition = true;
    FollowTail = false;
    SearchFolder = false;
}

void LoadSettings(SettingsRecord &r, SettingsStore &store)
{
    r.resetToDefaults();
    std::unique_ptr<SettingsKey> key = store.open();
    if (!key) {
        r.SettingsKeyMissing = true;
        return;
    }
    for (const StoredValue &value : storedValues())
        if (value.load)
            value.load(r, key->read(value.name));
    // Stored numbers are bounded before anything computes with them.
    constexpr int pixels = SettingsRecord::kGeometryLimit;
    r.WindowWidth = std::clamp(r.WindowWidth, 0, pixels);
    r.WindowHeight = std::clamp(r.WindowHeight, 0, pixels);
    r.WindowX = std::clamp(r.WindowX, -pixels, pixels);
    r.WindowY = std::clamp(r.WindowY, -pixels, pixels);
    key->close();
}

SaveResult SaveSettings(const SettingsRecord &r, SettingsStore &store, bool writePosition,
                        const QString &programPath)
{
    std::unique_ptr<SettingsKey> key = store.openOrCreate();
    if (!key)
        return SaveResult::KeyUnavailable;
    const SaveContext context{writePosition, programPath};
    for (const StoredValue &value : storedValues()) {
        const std::optional<QString> text = value.save(r, context);
        if (text && !key->write(value.name, *text)) {
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
