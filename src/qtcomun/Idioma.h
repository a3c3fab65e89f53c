#pragma once

#include <QLocale>

class QApplication;

namespace quelmar::qtcomun {

// The locale whose formats the programs follow: the user's, except the C locale (no LANG
// set), where the programs, which speak Spanish, write dates and numbers as in Spain.
QLocale LocaleDeUsuario(const QLocale& sistema = QLocale::system());

// Makes that locale Qt's default and loads Qt's own Spanish texts, so that its standard
// buttons read "Aceptar", "Sí" and "No". Answers the locale. Without the translation
// files installed, Qt's texts stay as they are and nothing fails.
QLocale PonerEnEspanol(QApplication& app);

}  // namespace quelmar::qtcomun
