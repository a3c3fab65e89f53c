#include "editor/qt/Entrada.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <algorithm>

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
        MostrarNota(campo, m_Ultimo);
    });
    // Leaving the field ends the note.
    connect(&campo, &QLineEdit::editingFinished, this, [&campo] {
        if (QLabel* nota = Nota(*campo.window())) nota->hide();
    });
}

QLabel* ValidadorCampo::Nota(QWidget& ventana) {
    return ventana.findChild<QLabel*>(QStringLiteral("notaCampo"), Qt::FindDirectChildrenOnly);
}

// A note inside the window rather than a tooltip, which the next key release would close
// before it could be read; one for the whole window, under the field (over it when there
// is no room below), gone after a few seconds.
void ValidadorCampo::MostrarNota(QLineEdit& campo, const QString& texto) {
    QWidget& ventana = *campo.window();
    QLabel* nota = Nota(ventana);
    if (!nota) {
        nota = new QLabel(&ventana);
        nota->setObjectName(QStringLiteral("notaCampo"));
        nota->setWordWrap(true);
        nota->setMargin(3);
        nota->setFrameShape(QFrame::Box);
        nota->setForegroundRole(QPalette::ToolTipText);
        nota->setBackgroundRole(QPalette::ToolTipBase);
        nota->setAutoFillBackground(true);
        auto* reloj = new QTimer(nota);
        reloj->setObjectName(QStringLiteral("relojNota"));
        reloj->setSingleShot(true);
        reloj->setInterval(5000);
        connect(reloj, &QTimer::timeout, nota, &QWidget::hide);
    }
    nota->setText(texto);
    constexpr int kBorde = 4;
    const int ancho = ventana.width() - 2 * kBorde;
    const int alto = nota->heightForWidth(ancho);
    const QPoint arriba = campo.mapTo(&ventana, QPoint(0, 0));
    int y = arriba.y() + campo.height() + 2;
    if (y + alto > ventana.height()) y = std::max(0, arriba.y() - alto - 2);
    nota->setGeometry(kBorde, y, ancho, alto);
    nota->raise();
    nota->show();
    nota->findChild<QTimer*>(QStringLiteral("relojNota"))->start();
}

}  // namespace quelmar::editor
