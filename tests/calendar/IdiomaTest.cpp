#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <gtest/gtest.h>

#include "qtcomun/Idioma.h"

namespace {

// The programs speak Spanish: the C locale (no LANG) falls back to Spain's formats, any
// other locale is kept; Qt's own buttons read in Spanish once the translation is loaded.
TEST(Idioma, CLocaleFallsBackToSpainAndQtButtonsSpeakSpanish) {
    using quelmar::qtcomun::LocaleDeUsuario;
    EXPECT_EQ(LocaleDeUsuario(QLocale::c()).name(), QStringLiteral("es_ES"));
    EXPECT_EQ(LocaleDeUsuario(QLocale(QLocale::English, QLocale::UnitedStates)).name(),
              QStringLiteral("en_US"));

    quelmar::qtcomun::PonerEnEspanol(*qApp);
    QMessageBox caja(QMessageBox::Critical, QStringLiteral("Atencion"), QStringLiteral("x"),
                     QMessageBox::Ok);
    EXPECT_EQ(caja.button(QMessageBox::Ok)->text().remove(QLatin1Char('&')),
              QStringLiteral("Aceptar"));
}

}  // namespace
