#include "editor/qt/Entrada.h"

#include <QApplication>
#include <QLineEdit>
#include <QToolTip>

#include "runtime/CodePage.h"

namespace quelmar::editor {

ValidadorCampo::ValidadorCampo(int ancho, QString que, QObject* padre)
    : QValidator(padre), m_Ancho(ancho), m_Que(std::move(que)) {}

QString ValidadorCampo::Motivo(const QString& texto) const {
    // Character by character, so that the message names the first one that cannot be kept.
    for (const char32_t c : texto.toUcs4()) {
        const QString uno = QString::fromUcs4(&c, 1);
        if (!Utf8ACp1252Exacto(uno.toStdString()))
            return QStringLiteral(
                       "Tarifas.Dat no guarda «%1»: solo letras y signos de Europa "
                       "occidental.")
                .arg(uno);
    }
    if (texto.size() > m_Ancho)
        return QStringLiteral("Tarifas.Dat guarda %1 caracteres %2.").arg(m_Ancho).arg(m_Que);
    return {};
}

QValidator::State ValidadorCampo::validate(QString& texto, int& /*posicion*/) const {
    m_Ultimo = Motivo(texto);
    return m_Ultimo.isEmpty() ? Acceptable : Invalid;
}

void ValidadorCampo::Vigilar(QLineEdit& campo) {
    campo.setValidator(this);
    connect(&campo, &QLineEdit::inputRejected, this, [this, &campo] {
        if (m_Ultimo.isEmpty()) return;
        QApplication::beep();
        QToolTip::showText(campo.mapToGlobal(QPoint(0, campo.height())), m_Ultimo, &campo);
    });
}

}  // namespace quelmar::editor
