#pragma once

#include <QAbstractTableModel>
#include <QLocale>
#include <memory>

#include "costes/Resultado.h"

namespace quelmar::costes {

// The calls of the period as a table: texts in the user's locale to read, the values
// themselves (Qt::UserRole) to sort by; the calls charged more marked.
class ModeloLlamadas : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Columna {
        Inicio,
        Fin,
        Tarifa,
        Numero,
        Extension,
        Cuenta,
        Duracion,
        Importe,
        Banda,
        BonoDia,
        BonoNoche,
        Cobrado,
        Diferencia,
        kColumnas
    };

    explicit ModeloLlamadas(QObject* padre = nullptr);
    void Mostrar(std::shared_ptr<const Resultado> r);

    int rowCount(const QModelIndex& padre = {}) const override;
    int columnCount(const QModelIndex& padre = {}) const override;
    QVariant data(const QModelIndex& i, int rol) const override;
    QVariant headerData(int seccion, Qt::Orientation o, int rol) const override;

    // The text of a cell as the table shows it.
    QString Texto(const FilaLlamada& f, int columna) const;

  private:
    std::shared_ptr<const Resultado> m_Resultado;
    QLocale m_Locale;
    QString m_Formato;
};

// A duration H:MM:SS, as costear writes it.
QString TextoDuracion(std::int64_t segundos);
// How the window writes an instant: the locale's short date with four-digit years, and
// the time to the second.
QString FormatoFecha(const QLocale& l);
QString TextoFecha(double ole, const QLocale& l, const QString& formato);

}  // namespace quelmar::costes
