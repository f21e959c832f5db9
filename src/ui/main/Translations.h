#pragma once
// The windows' texts in the user's language: the program's own translation for the locale, built
// into the program, and Qt's translation of its standard buttons and dialogs when the system has
// one. English, the source language, needs none.
#include <QLocale>
#include <memory>
#include <vector>

class QTranslator;

namespace Ui {

class Translations {
  public:
    // Installs the translations for `locale` into the application, for as long as this lives.
    explicit Translations(const QLocale& locale);
    ~Translations();
    Translations(const Translations&) = delete;
    Translations& operator=(const Translations&) = delete;

    // True when the program has its own translation for the locale.
    bool loaded() const { return own; }

  private:
    std::vector<std::unique_ptr<QTranslator>> installed;
    bool own = false;
};

} // namespace Ui
