#include "costes/qt/ModeloLlamadas.h"

#include <QBrush>
#include <QColor>
#include <QDateTime>
#include <QRegularExpression>

#include "costes/Motor.h"
#include "runtime/OleDate.h"

namespace quelmar::costes {

QString TextoDuracion(std::int64_t segundos) {
    return QString::fromStdString(DuracionLegible(segundos));
}

QString FormatoFecha(const QLocale& l) {
    // The locale's short date with two-digit days and months and four-digit years, as
    // every date of the suite.
    QString f = l.dateFormat(QLocale::ShortFormat);
    f.replace(QRegularExpression(QStringLiteral("d+")), QStringLiteral("dd"));
    f.replace(QRegularExpression(QStringLiteral("M+")), QStringLiteral("MM"));
    f.replace(QRegularExpression(QStringLiteral("y+")), QStringLiteral("yyyy"));
    return f + QLatin1String(" HH:mm:ss");
}

QString TextoFecha(double ole, const QLocale& l, const QString& formato) {
    const fecha::Partes p = fecha::Descomponer(ole);
    return l.toString(QDateTime(QDate(p.anio, p.mes, p.dia), QTime(p.hora, p.minuto, p.segundo)),
                      formato);
}

ModeloLlamadas::ModeloLlamadas(QObject* padre)
    : QAbstractTableModel(padre), m_Formato(FormatoFecha(m_Locale)) {}

void ModeloLlamadas::Mostrar(std::shared_ptr<const Resultado> r) {
    beginResetModel();
    m_Resultado = std::move(r);
    endResetModel();
}

int ModeloLlamadas::rowCount(const QModelIndex& padre) const {
    return padre.isValid() || !m_Resultado ? 0 : static_cast<int>(m_Resultado->filas.size());
}

int ModeloLlamadas::columnCount(const QModelIndex& padre) const {
    if (padre.isValid()) return 0;
    return m_Resultado && m_Resultado->columnaCobrado ? kColumnas : Cobrado;
}

QString ModeloLlamadas::Texto(const FilaLlamada& f, int columna) const {
    const Resultado& r = *m_Resultado;
    switch (columna) {
        case Inicio:
            return TextoFecha(f.ini, m_Locale, m_Formato);
        case Fin:
            return TextoFecha(f.fin, m_Locale, m_Formato);
        case Tarifa:
            return QString::fromStdString(r.Texto(f.tarifa));
        case Numero:
            return QString::fromStdString(r.Texto(f.numero));
        case Extension:
            return QString::fromStdString(r.Texto(f.origen));
        case Cuenta:
            return QString::fromStdString(r.Texto(f.cuenta));
        case Duracion:
            return TextoDuracion(f.segundos);
        case Importe:
            return m_Locale.toString(static_cast<double>(f.importe), 'f', 2);
        case Banda:
            return f.tipo == 0 ? QStringLiteral("normal") : QStringLiteral("reducida");
        case BonoDia:
            return TextoDuracion(f.bonoDia);
        case BonoNoche:
            return TextoDuracion(f.bonoNoche);
        case Cobrado:
            return TieneCobrado(f) ? m_Locale.toString(f.cobrado, 'f', 2) : QString();
        case Diferencia:
            return TieneCobrado(f) ? m_Locale.toString(costes::Diferencia(f), 'f', 2) : QString();
    }
    return {};
}

QVariant ModeloLlamadas::data(const QModelIndex& i, int rol) const {
    if (!m_Resultado || !i.isValid()) return {};
    const FilaLlamada& f = m_Resultado->Fila(static_cast<std::size_t>(i.row()));
    const bool deMas = TieneCobrado(f) && costes::Diferencia(f) > 0;
    switch (rol) {
        case Qt::DisplayRole:
            return Texto(f, i.column());
        case Qt::UserRole:
            switch (i.column()) {
                case Inicio:
                    return f.ini;
                case Fin:
                    return f.fin;
                case Duracion:
                    return f.segundos;
                case Importe:
                    return static_cast<double>(f.importe);
                case Banda:
                    return f.tipo;
                case BonoDia:
                    return f.bonoDia;
                case BonoNoche:
                    return f.bonoNoche;
                case Cobrado:
                    return TieneCobrado(f) ? f.cobrado : -1e300;
                case Diferencia:
                    return costes::Diferencia(f);
                default:
                    return Texto(f, i.column());
            }
        case Qt::TextAlignmentRole:
            return i.column() >= Duracion && i.column() != Banda
                       ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                       : QVariant();
        case Qt::BackgroundRole:
            return deMas ? QVariant(QBrush(QColor(0xf8, 0xd7, 0xd3))) : QVariant();
        case Qt::ToolTipRole:
            return deMas ? QStringLiteral("Cobrada de más") : QVariant();
        case Qt::AccessibleDescriptionRole:
            return deMas ? QStringLiteral("cobrada de más") : QVariant();
        default:
            return {};
    }
}

QVariant ModeloLlamadas::headerData(int seccion, Qt::Orientation o, int rol) const {
    if (o != Qt::Horizontal || rol != Qt::DisplayRole)
        return QAbstractTableModel::headerData(seccion, o, rol);
    static const char* const kTitulos[] = {
        "Inicio",  "Fin",   "Tarifa",   "Número",     "Extensión", "Cuenta",    "Duración",
        "Importe", "Banda", "Bono día", "Bono noche", "Cobrado",   "Diferencia"};
    return seccion >= 0 && seccion < kColumnas ? QString::fromUtf8(kTitulos[seccion]) : QVariant();
}

}  // namespace quelmar::costes
