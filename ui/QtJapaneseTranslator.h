#pragma once

#include <QTranslator>

// Qt's own texts (standard buttons, key names in menus) in Japanese, from the translation Qt
// ships, with the faults of that translation mended: its "Backspace" reads "Backspae".
class QtJapaneseTranslator : public QTranslator {
public:
    // Loads Qt's Japanese translation; false where the system has none.
    bool loadQtBase();

    QString translate(const char *context, const char *sourceText, const char *disambiguation = nullptr,
                      int n = -1) const override;
};
