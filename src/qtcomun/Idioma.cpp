#include "qtcomun/Idioma.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace quelmar::qtcomun {

QLocale LocaleDeUsuario(const QLocale& sistema) {
    if (sistema.language() == QLocale::C) return QLocale(QLocale::Spanish, QLocale::Spain);
    return sistema;
}

QLocale PonerEnEspanol(QApplication& app) {
    const QLocale l = LocaleDeUsuario();
    QLocale::setDefault(l);
    auto* qt = new QTranslator(&app);
    if (qt->load(QLocale(QLocale::Spanish, QLocale::Spain), QStringLiteral("qtbase"),
                 QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(qt);
    return l;
}

}  // namespace quelmar::qtcomun
