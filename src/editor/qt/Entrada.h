#pragma once

#include <QString>
#include <QValidator>

class QLabel;
class QLineEdit;
class QWidget;

namespace quelmar::editor {

// What a text field of Tarifas.Dat can take, checked as the user types, pastes or drops:
// no more characters than the record keeps, and only characters of its code page. A change
// that breaks either is refused whole, and the field tells why next to itself, so that
// nothing is cut or turned into "?" later without a word.
class ValidadorCampo : public QValidator {
  public:
    // `ancho`: the characters the record keeps; `que`: what the field holds, for the
    // message ("del nombre", "del importe").
    ValidadorCampo(int ancho, QString que, QObject* padre);

    State validate(QString& texto, int& posicion) const override;

    // Why `texto` cannot be kept, empty when it can.
    QString Motivo(const QString& texto) const;

    // Gives `campo` this check and the message beside it when a change is refused.
    void Vigilar(QLineEdit& campo);

    // The note that tells why, in `ventana`; nullptr before the first refusal.
    static QLabel* Nota(QWidget& ventana);

  private:
    static void MostrarNota(QLineEdit& campo, const QString& texto);

    int m_Ancho;
    QString m_Que;
    mutable QString m_Ultimo;  // why the last change was refused
};

}  // namespace quelmar::editor
