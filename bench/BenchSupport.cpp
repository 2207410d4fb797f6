#include "bench/BenchSupport.h"

#include "bench/MixedText.h"
#include "core/Cp932.h"
#include "ui/widgets/TextView.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QWindow>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace bench {

QByteArray generateText(qsizetype bytes, quint32 seed)
{
    // ～ ① ソ 表 are the characters whose CP932 forms trip converters (0x5C trail bytes,
    // NEC extensions), so they stay in the mix.
    static const QString japanese = QStringLiteral("吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。～①ソ表");
    // Each character is encoded once up front; the 100 MB files would take far too long
    // to build line by line through QString.
    static const std::vector<QByteArray> encoded = [] {
        std::vector<QByteArray> out;
        for (QChar c : japanese)
            out.push_back(Cp932::encode(QStringView(&c, 1)));
        return out;
    }();
    QRandomGenerator random(seed);
    QByteArray out;
    out.reserve(bytes + 512);
    while (out.size() < bytes) {
        const int length = 10 + int(random.bounded(111));
        const bool ascii = random.bounded(2) == 0;
        for (int i = 0; i < length; ++i) {
            if (ascii)
                out += char('a' + random.bounded(26));
            else
                out += encoded[random.bounded(japanese.size())];
        }
        out += "\r\n";
    }
    out.truncate(bytes);
    return out;
}

QByteArray generateMixedText(qsizetype bytes, quint32 seed)
{
    QByteArray out;
    out.reserve(bytes);
    mixed::generate(bytes, seed, [&](const char *data, size_t size) { out.append(data, qsizetype(size)); });
    return out;
}

QByteArray cachedText(qsizetype bytes, bool mixed)
{
    static QByteArray last;
    static bool lastMixed = false;
    if (last.size() != bytes || lastMixed != mixed) {
        last.clear(); // the old text goes first, so two 100 MB texts are never held at once
        last = mixed ? generateMixedText(bytes) : generateText(bytes);
        lastMixed = mixed;
    }
    return last;
}

QString writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()
        || !file.flush()) {
        std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(path), qPrintable(file.errorString()));
        std::abort();
    }
    return path;
}

QString sizeName(qint64 bytes)
{
    if (bytes >= kMB && bytes % kMB == 0)
        return QStringLiteral("%1MB").arg(bytes / kMB);
    if (bytes >= kKB && bytes % kKB == 0)
        return QStringLiteral("%1KB").arg(bytes / kKB);
    return QStringLiteral("%1B").arg(bytes);
}

bool hugeEnabled()
{
    return qgetenv("ORLIMBO_BENCH_HUGE") == "1";
}

void settle()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void loadDocument(MainWindow &form, const QString &path)
{
    form.session().LoadDocument(path, LoadMode::New, 0);
    const QAction *running = named<QAction>(form, "ActionCancelLoad");
    while (running->isEnabled())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
}

qint64 procStatusBytes(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(prefix)) {
            const QByteArray value = line.mid(prefix.size()).trimmed(); // "123456 kB"
            return value.left(value.indexOf(' ')).toLongLong() * 1024;
        }
    }
    return -1;
}

qint64 digitsIn(const QString &text)
{
    QString digits;
    for (QChar c : text)
        if (c.isDigit())
            digits += c;
    return digits.isEmpty() ? -1 : digits.toLongLong();
}

Window::Window(const QString &settingsPath)
    : store_(settingsPath.isEmpty() ? configDir_.filePath(QStringLiteral("Skimlet.conf")) : settingsPath)
{
}

Window::~Window()
{
    if (form_)
        form_->close();
    form_.reset();
    settle();
}

bool Window::start()
{
    form_ = std::make_unique<MainWindow>(AppServices{dialogs_, shell_, store_}, QStringList{});
    form_->show();
    // The stored size is the default one; a resize makes sure of it whatever the store says.
    form_->resize(696, 480);
    const Stopwatch waited;
    while (!(form_->windowHandle() && form_->windowHandle()->isExposed()) && waited.seconds() < 10)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    settle();
    return form_->windowHandle() && form_->windowHandle()->isExposed();
}

void setWrap(MainWindow &form, WrapMode wrap)
{
    named<QAction>(form, wrap == WrapMode::None ? "ActionWrapNone" : "ActionWrapSide")->trigger();
    settle();
}

bool loadInto(benchmark::State &state, MainWindow &form, const QString &path, WrapMode wrap)
{
    setWrap(form, wrap);
    // LoadDocument ends in RefreshViewState, which fills the status bar with the line count.
    loadDocument(form, path);
    settle();
    if (named<TextView>(form, "RichEdit")->isEmpty() || form.session().status().text(StatusPanel::Lines).isEmpty() || form.FileNameNow() != path) {
        state.SkipWithError("the view or the status bar stayed empty after the load");
        return false;
    }
    return true;
}

bool startWith(benchmark::State &state, Window &window, const QString &path, WrapMode wrap)
{
    if (!window.start()) {
        state.SkipWithError("the window was not shown");
        return false;
    }
    return loadInto(state, window.form(), path, wrap);
}

} // namespace bench
