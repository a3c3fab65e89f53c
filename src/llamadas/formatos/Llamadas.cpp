// The plain log: "inicio,fin[,tarifa[,numero]]" a line (or ";"), or the columns a header
// names.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "llamadas/Cobrado.h"
#include "llamadas/Csv.h"
#include "llamadas/Error.h"
#include "llamadas/Instantes.h"
#include "llamadas/Sugerencia.h"
#include "llamadas/Textos.h"
#include "llamadas/formatos/Lector.h"
#include "llamadas/formatos/Lectores.h"
#include "runtime/OleDate.h"
#include "time/cTiempo.h"

namespace quelmar::llamadas {

namespace {

// An instant of the log: AAAA-MM-DDTHH:MM:SS, or as the locale's spreadsheet writes it
// ("28/12/1999 10:00"), then `texto` gets its AAAA-MM-DDTHH:MM:SS form (else is emptied).
std::optional<double> Instante(std::string_view t, std::string& texto) {
    texto.clear();
    if (const auto d = LeerInstante(t)) return d;
    const auto d = LeerInstanteLocal(t);
    if (d) texto = TextoInstante(*d);
    return d;
}

class LectorLlamadas : public Lector {
  public:
    Lectura Leer(std::string_view linea, bool primera, Registro& r, Avisos& a) override;
    bool ColumnaCobrado() const override { return m_Col.cobrado != kSin && m_Col.nombradas; }

  private:
    Lectura LeerCampos(Registro& r, Avisos& a);
    void Cabecera();
    std::string OtroFormato() const;
    std::string_view Campo(std::size_t i) const {
        return i < m_Campos.size() ? RecortarBlancos(m_Campos[i]) : std::string_view();
    }

    std::vector<std::string> m_Campos;
    // Where the log has each column; a header line may name them.
    static constexpr std::size_t kSin = SIZE_MAX;
    struct Columnas {
        std::size_t tarifa = 2, numero = 3, cobrado = kSin, origen = kSin, cuenta = kSin;
        std::size_t maximo = 4;
        bool nombradas = false;
    } m_Col;
    bool m_AvisoComa = false, m_PuntoYComa = false;
    // An instant written as the locale's spreadsheet writes it, as the row shows it.
    std::string m_TextoIni, m_TextoFin;
};

Lectura LectorLlamadas::Leer(std::string_view linea, bool primera, Registro& r, Avisos& a) {
    // A file whose first line is ";"-separated, as a Spanish spreadsheet saves it, is read
    // with ";" alone: its amounts' decimal commas are no separators.
    auto fallo = PartirCsv(linea, m_PuntoYComa ? ';' : ',', m_Campos);
    // Else ";" separates too, quoted fields included ("a";"b" is no field followed by text
    // for ","); the first reading's fault is told when neither reads.
    if (!m_PuntoYComa && (fallo || m_Campos.size() == 1) &&
        linea.find(';') != std::string_view::npos) {
        auto otro = PartirCsv(linea, ';', m_Campos);
        if (!otro || !fallo) fallo = std::move(otro);
        if (primera && !otro && m_Campos.size() > 1) m_PuntoYComa = true;
    }
    // A first line whose first field does not start with a digit is a header.
    if (primera && !fallo) {
        const std::string_view c0 = RecortarBlancos(m_Campos[0]);
        if (c0.empty() || c0[0] < '0' || c0[0] > '9') {
            Cabecera();
            return Lectura::DeNada();
        }
    }
    if (fallo) return Lectura::DeMala(*fallo);
    if (m_Campos.size() < 2 || m_Campos.size() > m_Col.maximo)
        return Lectura::DeMala((m_Col.nombradas
                                    ? "se esperaban de 2 a " + std::to_string(m_Col.maximo) +
                                          " campos (los de la cabecera) y hay "
                                    : std::string("se esperaban de 2 a 4 campos "
                                                  "(inicio,fin[,tarifa[,numero]]) y hay ")) +
                               std::to_string(m_Campos.size()));
    return LeerCampos(r, a);
}

// The call of the fields read: two instants in order.
Lectura LectorLlamadas::LeerCampos(Registro& r, Avisos& a) {
    const std::string_view tIni = RecortarBlancos(m_Campos[0]), tFin = RecortarBlancos(m_Campos[1]);
    const auto ini = Instante(tIni, m_TextoIni);
    if (!ini) return Lectura::DeMala("inicio " + InstanteIlegible(tIni));
    const auto fin = Instante(tFin, m_TextoFin);
    if (!fin) return Lectura::DeMala("fin " + InstanteIlegible(tFin));
    const std::int64_t segundos = fecha::SegundosEntre(*ini, *fin);
    if (segundos < 0)
        return Lectura::DeMala("el fin " + CitarCorto(tFin) + " es anterior al inicio " +
                               CitarCorto(tIni));
    if (segundos > cTiempo::kSegundosMaximos) return Lectura::DeMala(LlamadaDemasiadoLarga());
    Llamada& l = r.llamada;
    l = Llamada{};
    l.ini = *ini, l.fin = *fin, l.segundos = segundos;
    l.textoIni = m_TextoIni.empty() ? tIni : std::string_view(m_TextoIni);
    l.textoFin = m_TextoFin.empty() ? tFin : std::string_view(m_TextoFin);
    l.numero = Campo(m_Col.numero);
    l.origen = Campo(m_Col.origen);
    l.cuenta = Campo(m_Col.cuenta);
    l.columnaCobrado = m_Col.cobrado != kSin;
    if (l.columnaCobrado) {
        bool coma = false;
        if (!LeerCobrado(Campo(m_Col.cobrado), l.cobrado, coma))
            return Lectura::DeMala("cobrado " + CitarCorto(Campo(m_Col.cobrado)) +
                                   " no es un importe (se espera un número como 11.5)");
        if (l.cobrado && !(std::fabs(*l.cobrado) < kCobradoMaximo))
            return Lectura::DeMala("cobrado " + CitarCorto(Campo(m_Col.cobrado)) +
                                   " no es el importe de una llamada (se esperan menos de " +
                                   "mil millones)");
        if (coma && !m_AvisoComa) {
            m_AvisoComa = true;
            a.Aviso("los importes cobrados con coma decimal se leen como con punto: " +
                        CitarCorto(Campo(m_Col.cobrado)) + " es " + TextoDecimal(*l.cobrado, -1),
                    TipoAviso::Unico);
        }
    }
    r.tarifa = Campo(m_Col.tarifa);
    r.numeroElige = false;
    return Lectura::DeLlamada();
}

// The columns a header line names: any of inicio, fin, tarifa, numero, cobrado, origen and
// cuenta, in any case; the calls' instants stay the first two columns. A name nobody
// knows, or one given twice, would silently drop a column: it stops the run, with the
// closest known name as hint.
// A first line of many fields that is no header is most likely a PBX's record whose layout
// was not recognised: the hint names the layouts to ask for.
std::string LectorLlamadas::OtroFormato() const {
    constexpr std::size_t kCamposDeCentralita = 10;
    if (m_Campos.size() < kCamposDeCentralita) return {};
    std::string r = "; si es el fichero de una centralita, diga cuál con --formato (";
    const auto formatos = Formatos();
    for (std::size_t i = 1; i < formatos.size(); ++i)
        r += std::string(formatos[i].nombre) + (i + 2 < formatos.size()    ? ", "
                                                : i + 2 == formatos.size() ? " o "
                                                                           : ")");
    return r;
}

void LectorLlamadas::Cabecera() {
    static const std::vector<std::string> kConocidas = {"inicio",  "fin",    "tarifa", "numero",
                                                        "cobrado", "origen", "cuenta"};
    Columnas c;
    c.tarifa = c.numero = kSin;
    for (std::size_t i = 0; i < m_Campos.size(); ++i) {
        std::string n(Campo(i));
        for (char& ch : n)
            if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
        if (n == "número") n = "numero";
        if (std::find(kConocidas.begin(), kConocidas.end(), n) == kConocidas.end())
            throw Error(Error::Clase::Datos,
                        "la cabecera nombra la columna " + CitarCorto(Campo(i)) +
                            ", que no se conoce (se conocen inicio, fin, tarifa, numero, "
                            "cobrado, origen y cuenta)" +
                            Sugerencia(kConocidas, n) + OtroFormato());
        if (i < 2) continue;
        std::size_t* col = n == "tarifa"    ? &c.tarifa
                           : n == "numero"  ? &c.numero
                           : n == "cobrado" ? &c.cobrado
                           : n == "origen"  ? &c.origen
                           : n == "cuenta"  ? &c.cuenta
                                            : nullptr;
        if (!col || *col != kSin)
            throw Error(Error::Clase::Datos,
                        "la cabecera nombra dos veces la columna " + CitarCorto(Campo(i)));
        *col = i;
        if (col != &c.tarifa) c.nombradas = true;
    }
    // Only a header that names a column past the tariff lays the columns out: one of
    // inicio,fin,tarifa leaves them where they always were.
    if (!c.nombradas) return;
    c.maximo = m_Campos.size();
    m_Col = c;
}

}  // namespace

std::unique_ptr<Lector> CrearLectorLlamadas() {
    return std::make_unique<LectorLlamadas>();
}

// Any text is a plain log: what a file is read as when it is nothing else.
bool PareceLlamadas(std::string_view /*principio*/) {
    return true;
}

}  // namespace quelmar::llamadas
