#include <QKeyEvent>
#include <QLocale>
#include <gtest/gtest.h>
#include <optional>

#include "editor/qt/Borde.h"

namespace quelmar::editor::borde {
namespace {

std::optional<std::int16_t> Caracter(int tecla, Qt::KeyboardModifiers m, const QString& texto) {
    return CaracterTecla(QKeyEvent(QEvent::KeyPress, tecla, m, texto));
}

TEST(BordeTest, KeysTypeTheCharactersTheHandlersExpect) {
    EXPECT_EQ(Caracter(Qt::Key_X, Qt::NoModifier, "x"), 'x');
    EXPECT_EQ(Caracter(Qt::Key_Ntilde, Qt::NoModifier, QStringLiteral("ñ")), 0xF1);
    EXPECT_EQ(Caracter(Qt::Key_V, Qt::ControlModifier, ""), 22);  // paste
    EXPECT_EQ(Caracter(Qt::Key_Backspace, Qt::NoModifier, "\b"), 8);
    EXPECT_EQ(Caracter(Qt::Key_Return, Qt::NoModifier, "\r"), 13);
    EXPECT_EQ(Caracter(Qt::Key_unknown, Qt::NoModifier, QStringLiteral("ł")), '?');
    EXPECT_EQ(Caracter(Qt::Key_Delete, Qt::NoModifier, QString(QChar(0x7F))), std::nullopt);
    EXPECT_EQ(Caracter(Qt::Key_Left, Qt::NoModifier, ""), std::nullopt);
    EXPECT_EQ(Caracter(Qt::Key_Tab, Qt::NoModifier, "\t"), std::nullopt);
    EXPECT_EQ(Caracter(Qt::Key_A, Qt::AltModifier, "a"), std::nullopt);

    const QKeyEvent supr(QEvent::KeyPress, Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(CodigoTecla(supr), 46);
    EXPECT_EQ(Mayusculas(supr), 1);
    EXPECT_EQ(CodigoTecla(QKeyEvent(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier)), 40);
    EXPECT_EQ(CodigoTecla(QKeyEvent(QEvent::KeyPress, Qt::Key_F5, Qt::NoModifier)), 116);
}

TEST(BordeTest, TextsCrossTheCodePageAndStopAtNul) {
    EXPECT_EQ(APantalla("A\xF1o \x80"), QStringLiteral("Año €"));
    EXPECT_EQ(APantalla(std::string("Ab\0\0cd", 6)), QStringLiteral("Ab"));
    EXPECT_EQ(APantalla(std::string(15, '\0')), QString());
    EXPECT_EQ(DePantalla(QStringLiteral("Łódź €")),
              "?\xF3"
              "d? \x80");
    EXPECT_EQ(Mensaje("Uno\rDos\r\nTres"), QStringLiteral("Uno\nDos\nTres"));
}

TEST(BordeTest, LocaleFollowsTheDateOrderAndSeparators) {
    struct Caso {
        QLocale qt;
        Locale::Orden orden;
        char fecha, decimal;
    };
    for (const Caso& c :
         {Caso{QLocale(QLocale::German, QLocale::Germany), Locale::Orden::DiaMesAnio, '.', ','},
          Caso{QLocale(QLocale::English, QLocale::UnitedStates), Locale::Orden::MesDiaAnio, '/',
               '.'},
          Caso{QLocale(QLocale::Swedish, QLocale::Sweden), Locale::Orden::AnioMesDia, '-', ','},
          Caso{QLocale(QLocale::Spanish, QLocale::Spain), Locale::Orden::DiaMesAnio, '/', ','}}) {
        const Locale l = LocaleDesde(c.qt);
        EXPECT_EQ(l.orden, c.orden) << c.qt.name().toStdString();
        EXPECT_EQ(l.separadorFecha, c.fecha) << c.qt.name().toStdString();
        EXPECT_EQ(l.separadorDecimal, c.decimal) << c.qt.name().toStdString();
    }
}

}  // namespace
}  // namespace quelmar::editor::borde
