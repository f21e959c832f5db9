#include "ui/main/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace Ui {

Translations::Translations(const QLocale& locale) {
    auto install = [this, &locale](const QString& name, const QString& folder) {
        auto translator = std::make_unique<QTranslator>();
        if (!translator->load(locale, name, QStringLiteral("_"), folder)) return false;
        QCoreApplication::installTranslator(translator.get());
        installed.push_back(std::move(translator));
        return true;
    };
    own = install(QStringLiteral("stretchwerk"), QStringLiteral(":/i18n"));
    // Qt's own only beside ours: a German "Cancel" under English menus would be odd.
    if (own) install(QStringLiteral("qtbase"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

Translations::~Translations() {
    for (const auto& t : installed)
        QCoreApplication::removeTranslator(t.get());
}

} // namespace Ui
