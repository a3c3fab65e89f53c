#include "editor/qt/Borde.h"

#include <QKeyEvent>
#include <QLocale>

#include "runtime/CodePage.h"

namespace quelmar::editor::borde {

QString APantalla(const std::string& bytes) {
    const std::string_view hastaNul(bytes.data(), std::min(bytes.find('\0'), bytes.size()));
    return QString::fromStdString(Cp1252AUtf8(hastaNul));
}

std::string DePantalla(const QString& texto) {
    return Utf8ACp1252(texto.toStdString());
}

QString Mensaje(const std::string& utf8) {
    QString s = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

std::int16_t CodigoTecla(const QKeyEvent& e) {
    const int k = e.key();
    if (k >= Qt::Key_A && k <= Qt::Key_Z) return static_cast<std::int16_t>(k);
    if (k >= Qt::Key_0 && k <= Qt::Key_9) return static_cast<std::int16_t>(k);
    if (k >= Qt::Key_F1 && k <= Qt::Key_F24) return static_cast<std::int16_t>(112 + k - Qt::Key_F1);
    switch (k) {
        case Qt::Key_Backspace:
            return 8;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return 9;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return 13;
        case Qt::Key_Shift:
            return 16;
        case Qt::Key_Control:
            return 17;
        case Qt::Key_Alt:
            return 18;
        case Qt::Key_Pause:
            return 19;
        case Qt::Key_CapsLock:
            return 20;
        case Qt::Key_Escape:
            return 27;
        case Qt::Key_Space:
            return 32;
        case Qt::Key_PageUp:
            return 33;
        case Qt::Key_PageDown:
            return 34;
        case Qt::Key_End:
            return 35;
        case Qt::Key_Home:
            return 36;
        case Qt::Key_Left:
            return 37;
        case Qt::Key_Up:
            return 38;
        case Qt::Key_Right:
            return 39;
        case Qt::Key_Down:
            return 40;
        case Qt::Key_Insert:
            return 45;
        case Qt::Key_Delete:
            return 46;
        default:
            return 0;
    }
}

std::int16_t Mayusculas(const QKeyEvent& e) {
    const Qt::KeyboardModifiers m = e.modifiers();
    return static_cast<std::int16_t>((m & Qt::ShiftModifier ? 1 : 0) |
                                     (m & Qt::ControlModifier ? 2 : 0) |
                                     (m & Qt::AltModifier ? 4 : 0));
}

std::optional<std::int16_t> CaracterTecla(const QKeyEvent& e) {
    const int k = e.key();
    const Qt::KeyboardModifiers m = e.modifiers();
    if (m & Qt::AltModifier) return std::nullopt;
    switch (k) {
        case Qt::Key_Delete:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return std::nullopt;
        case Qt::Key_Backspace:
            return 8;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return 13;
        case Qt::Key_Escape:
            return 27;
        default:
            break;
    }
    if ((m & Qt::ControlModifier) && k >= Qt::Key_A && k <= Qt::Key_Z)
        return static_cast<std::int16_t>(k - Qt::Key_A + 1);
    const QString t = e.text();
    if (t.isEmpty() || t.at(0) == QChar(0x7F)) return std::nullopt;
    const std::string byte = DePantalla(t.left(t.at(0).isHighSurrogate() ? 2 : 1));
    if (byte.empty()) return std::nullopt;
    return static_cast<std::int16_t>(static_cast<unsigned char>(byte[0]));
}

Locale LocaleDesde(const QLocale& l) {
    Locale r;
    const QString f = l.dateFormat(QLocale::ShortFormat);
    const qsizetype d = f.indexOf(QLatin1Char('d'));
    const qsizetype m = f.indexOf(QLatin1Char('M'));
    const qsizetype y = f.indexOf(QLatin1Char('y'));
    if (y >= 0 && (d < 0 || y < d) && (m < 0 || y < m)) {
        r.orden = Locale::Orden::AnioMesDia;
    } else if (m >= 0 && d >= 0 && m < d) {
        r.orden = Locale::Orden::MesDiaAnio;
    } else {
        r.orden = Locale::Orden::DiaMesAnio;
    }
    // The separator is the first character between the fields that is no field letter.
    for (const QChar c : f) {
        if (c != QLatin1Char('d') && c != QLatin1Char('M') && c != QLatin1Char('y') &&
            !c.isSpace() && c.unicode() < 0x80) {
            r.separadorFecha = static_cast<char>(c.unicode());
            break;
        }
    }
    const QString dec = l.decimalPoint();
    if (dec.size() == 1 && dec.at(0).unicode() < 0x80)
        r.separadorDecimal = static_cast<char>(dec.at(0).unicode());
    return r;
}

}  // namespace quelmar::editor::borde
