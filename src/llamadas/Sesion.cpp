#include "llamadas/Sesion.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "catalogue/Validez.h"
#include "llamadas/Cobrado.h"
#include "llamadas/Csv.h"
#include "llamadas/Horario.h"
#include "llamadas/Instantes.h"
#include "llamadas/Sugerencia.h"
#include "llamadas/Textos.h"
#include "llamadas/Troncales.h"
#include "llamadas/formatos/Lector.h"
#include "runtime/CodePage.h"
#include "runtime/OleDate.h"
#include "runtime/Texto.h"

namespace quelmar::llamadas {

std::string NombreDeTarifa(const cLlamada& m, std::int16_t i) {
    static const tTarifa::Campo& kNombre = tTarifa::CampoNombre();
    return std::string(RecortarEspacios(m.Registro(i).Texto(kNombre)));
}

namespace {

// The problems of a catalogue that is costed, as the commands that cost say them
// ("tarifa N («nombre»), «clave»: ..."): errors, which refuse it, and doubts, which warn.
struct ProblemasCosteo {
    std::vector<std::string> errores, dudas;
};

ProblemasCosteo ProblemasParaCostear(std::span<const tTarifa> tarifas) {
    ProblemasCosteo r;
    for (const Problema& p : ProblemasDelCatalogo(tarifas)) {
        std::string texto;
        if (p.posicion < tarifas.size()) {
            const std::string nombre(
                RecortarEspacios(tarifas[p.posicion].TextoBruto(tTarifa::CampoNombre())));
            texto = "tarifa " + std::to_string(p.posicion + 1);
            if (!RecortarBlancos(nombre).empty())
                texto += " (" + CitarCorto(Cp1252AUtf8(nombre)) + ")";
            if (p.campo) texto += ", " + Citar(p.campo->clave);
            texto += ": ";
        }
        (p.gravedad == Gravedad::Error ? r.errores : r.dudas).push_back(texto + p.razon);
    }
    return r;
}

std::vector<Variant> LeerFestivos(const std::filesystem::path& ruta) {
    const std::string texto = LeerFicheroEntero(ruta);
    std::vector<Variant> r;
    // Filled once: tens of thousands of holidays would otherwise be copied as it grows.
    r.reserve(static_cast<std::size_t>(std::count(texto.begin(), texto.end(), '\n')) + 2);
    std::size_t n = 0, desde = 0;
    while (desde <= texto.size()) {
        std::size_t hasta = texto.find('\n', desde);
        if (hasta == std::string::npos) hasta = texto.size();
        std::string_view linea(texto.data() + desde, hasta - desde);
        ++n;
        desde = hasta + 1;
        if (n == 1 && linea.starts_with("\xEF\xBB\xBF")) linea.remove_prefix(3);
        if (linea.ends_with('\r')) linea.remove_suffix(1);
        linea = RecortarBlancos(linea);
        if (linea.empty() || linea.starts_with('#')) continue;
        const auto d = LeerDia(linea);
        if (!d)
            throw Error(Error::Clase::Datos,
                        ruta.string() + ":" + std::to_string(n) + ": " + CitarCorto(linea) +
                            " no es una fecha AAAA-MM-DD",
                        {ruta.string(), n});
        r.push_back(Variant::DeFecha(*d));
    }
    if (r.size() > 32768)
        throw Error(Error::Clase::Datos, Citar(ruta.string()) + ": más de 32768 festivos");
    r.emplace_back();  // the spare entry the engine never reads
    return r;
}

// The catalogue loaded and holding the program's tariffs; Error otherwise.
void CargarCatalogo(cLlamada& m, const std::filesystem::path& carpeta, Diagnosticos& d) {
    try {
        m.Load();
    } catch (const std::exception& e) {
        throw Error(Error::Clase::Catalogo, "no se puede leer Tarifas.Dat en " +
                                                Citar(carpeta.string()) + ": " + MensajeEngine(e));
    }
    if (m.BytesSueltos())
        throw Error(Error::Clase::Catalogo, CatalogoCortado(m.Ruta(), m.BytesLeidos()));
    if (m.Count() < cLlamada::kTarifasDelPrograma)
        throw Error(Error::Clase::Catalogo,
                    "el catálogo de " + Citar(carpeta.string()) + " tiene " +
                        std::to_string(m.Count()) +
                        " tarifas; el costeo necesita al menos las cinco fijas (la principal, "
                        "10DIA, 50DIA, 10NOCHE y 50NOCHE)");
    // The catalogue rule: errors refuse it before any output, doubts are told.
    const ProblemasCosteo problemas = ProblemasParaCostear(m.Tarifas());
    const std::string del = "el catálogo de " + Citar(carpeta.string());
    if (!problemas.errores.empty()) {
        std::string texto = del + " no se puede costear tal como está:";
        for (std::size_t k = 0; k < problemas.errores.size() && k < 20; ++k)
            texto += "\n  " + problemas.errores[k];
        if (problemas.errores.size() > 20)
            texto += "\n  y " + std::to_string(problemas.errores.size() - 20) + " más";
        throw Error(Error::Clase::Catalogo,
                    texto + "\nCorríjalo en Quelmar o con «tarificador importar».");
    }
    for (std::size_t k = 0; k < problemas.dudas.size() && k < 20; ++k)
        d.Aviso({}, del + ": " + problemas.dudas[k], TipoAviso::Catalogo);
    if (problemas.dudas.size() > 20)
        d.Aviso(
            {},
            del + ": y " + std::to_string(problemas.dudas.size() - 20) + " nombres repetidos más",
            TipoAviso::Catalogo);
}

// The tariff of lines that name none: the one asked for, or the catalogue's first.
void ElegirTarifa(cLlamada& m, const std::optional<std::string>& pedida,
                  const std::vector<std::string>& nombres) {
    if (!pedida) {
        m.NombreTarifa(NombreDeTarifa(m, 0));
        return;
    }
    const auto b = Utf8ACp1252Exacto(*pedida);
    if (!b || m.Find(*b) < 0)
        throw Error(Error::Clase::Opcion, "la tarifa " + CitarCorto(*pedida) +
                                              " no está en el catálogo" +
                                              Sugerencia(nombres, *pedida));
    m.NombreTarifa(*b);
}

// Hashes and compares std::string keys with string_views: no key built per lookup.
struct HashTexto {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};

}  // namespace

Sesion::Sesion(const OpcionesSesion& o, Diagnosticos& d)
    : m_Catalogo((CatalogoExistente(o.catalogo), o.catalogo)), m_Diagnosticos(d) {
    CargarCatalogo(m_Catalogo, o.catalogo, d);
    for (std::int16_t i = 0; i < m_Catalogo.Count(); ++i)
        m_Nombres.push_back(Cp1252AUtf8(NombreDeTarifa(m_Catalogo, i)));
    ElegirTarifa(m_Catalogo, o.tarifa, m_Nombres);
    m_TarifaDada = o.tarifa.has_value();
    if (o.festivos) m_Festivos = LeerFestivos(*o.festivos);
    if (o.bonos) m_Inicial = o.bonos();
    if (o.destinos) {
        auto t = std::make_shared<Destinos>(
            Destinos::Leer(LeerFicheroEntero(*o.destinos), o.destinos->string()));
        // Every tariff of the table is known before the first call is costed.
        for (const Destinos::Destino& f : t->Filas()) {
            const auto b = Utf8ACp1252Exacto(f.tarifa);
            if (!b || m_Catalogo.Find(*b) < 0)
                throw Error(Error::Clase::Catalogo,
                            o.destinos->string() + ":" + std::to_string(f.linea) + ": la tarifa " +
                                CitarCorto(f.tarifa) + " del prefijo " + f.prefijo +
                                " no está en el catálogo" + Sugerencia(m_Nombres, f.tarifa),
                            {o.destinos->string(), f.linea});
        }
        m_Destinos = std::move(t);
    }
    if (!FormatoAutomatico(o.formato) && !BuscarFormato(o.formato))
        throw Error(Error::Clase::Opcion, "formato " + CitarCorto(o.formato) +
                                              " desconocido: se espera " +
                                              NombresDeFormatos(" o "));
    m_Formato = o.formato;
    m_Troncales = o.troncales;
    m_Contextos = o.contextos;
    m_Utc = o.utc;
    Preparar(m_Costeador.Motor());
}

Sesion::~Sesion() = default;

void Sesion::Preparar(cCosteo& c) const {
    if (!m_Festivos.empty()) c.Festivos(m_Festivos);
    c.Bono() = m_Inicial;
}

// Past this many bad records the rest are only counted by the command line; the window
// lists them all. The run itself tells every one.
class Sesion::Recorrido : public Avisos, private SalidaTroncal {
  public:
    Recorrido(Sesion& s, Entrada& entrada, const Origen& origen, DestinoLlamadas& destino,
              const FormatoRegistro& formato)
        : m_Sesion(s),
          m_Catalogo(s.m_Catalogo),
          m_Diag(s.m_Diagnosticos),
          m_Entrada(entrada),
          m_Lugar{origen.lugar, 0},
          m_Destino(destino),
          m_Lector(formato.crear()),
          m_Principal(Pedida(s.m_Catalogo.NombreTarifa())) {
        for (const std::string& a : m_Lector->Apartados()) m_Totales.apartados.emplace_back(a, 0);
        m_Totales.formato = formato.nombre;
        m_Totales.reconocido = FormatoAutomatico(s.m_Formato);
        m_Centralita = m_Lector->Centralita();
        if (!s.m_Troncales.empty()) m_Troncales.emplace(s.m_Troncales);
        m_Totales.conTroncal = m_Troncales.has_value();
        // Where each name is first: what Find gives, without a walk of the catalogue for
        // every name a log asks for (a log may name thousands the catalogue lacks).
        m_Posiciones.reserve(static_cast<std::size_t>(m_Catalogo.Count()));
        for (std::int16_t i = 0; i < m_Catalogo.Count(); ++i)
            m_Posiciones.emplace(NombreDeTarifa(m_Catalogo, i), i);
        // The session made sure the catalogue has it.
        EnCatalogo(m_Principal);
        // The tariffs of the destination table, each found once.
        if (const Destinos* d = s.m_Destinos.get())
            for (const Destinos::Destino& f : d->Filas()) {
                m_TarifasDestino.push_back(Pedida(Utf8ACp1252Exacto(f.tarifa)));
                EnCatalogo(m_TarifasDestino.back());
            }
    }

    // One line of the input, as read; false when the run is to stop.
    bool Linea(std::string_view bruta, bool cortada, std::uint64_t leidos);
    // After the last line: the calls still pending on a trunk.
    void Vaciar();
    Totales Terminar();

    void Aviso(const std::string& texto, TipoAviso tipo) override {
        m_Diag.Aviso(m_Lugar, texto, tipo);
    }

  private:
    std::optional<std::string_view> Contenido(std::string_view bruta, bool cortada);
    bool Tarifa(Registro& r);
    bool TarifaPorNumero(Llamada& l, std::string_view numero, bool deCentralita = false);
    void Saliente(const LlamadaTroncal& t) override;
    void Hora(Llamada& l);
    void SinPrefijo(std::string_view numero);
    bool Costear(const Llamada& l);
    void Mala(const std::string& motivo);
    void Unico(bool& dado, const char* texto);
    TarifaPedida& PedidaEnLog(std::string_view pedido);
    bool EnCatalogo(TarifaPedida& t) const;
    static TarifaPedida Pedida(std::optional<std::string> bytes);

    Sesion& m_Sesion;
    const cLlamada& m_Catalogo;  // as loaded before the run: it does not change during it
    Diagnosticos& m_Diag;
    Entrada& m_Entrada;
    Lugar m_Lugar;  // of the record being read
    DestinoLlamadas& m_Destino;
    std::unique_ptr<Lector> m_Lector;
    Registro m_Registro;
    std::vector<Firma> m_Firmas;  // of the catalogue's names, made at the first unknown one
    Totales m_Totales;
    bool m_Primera = true, m_AvisoOrden = false, m_Aviso1252 = false;
    std::string m_Convertida;
    TarifaPedida m_Principal;
    std::unordered_map<std::string, std::int16_t, HashTexto, std::equal_to<>> m_Posiciones;
    // A log names few tariffs over and over: their conversions are worked out once.
    std::unordered_map<std::string, TarifaPedida, HashTexto, std::equal_to<>> m_Pedidas;
    std::vector<TarifaPedida> m_TarifasDestino;  // of each row of the destination table
    std::string m_Digitos;                       // of the number being read
    // What the office pays (Troncales.h): the trunk stage, records read twice, the clock.
    std::optional<Troncales> m_Troncales;
    Repetidos m_Repetidos;
    bool m_Centralita = false;
    Horario m_Horario;
    std::string m_TextoIni, m_TextoFin;  // of an instant made local
    std::unordered_map<std::string, std::size_t, HashTexto, std::equal_to<>> m_SinPrefijo;
};

TarifaPedida Sesion::Recorrido::Pedida(std::optional<std::string> bytes) {
    TarifaPedida t;
    t.bytes = std::move(bytes);
    if (t.bytes) {
        t.utf8 = Cp1252AUtf8(*t.bytes);
        t.celda = CeldaTarifa(*t.bytes);
    }
    return t;
}

// A tariff name of the log (Utf8ACp1252Exacto) and its texts, remembered.
TarifaPedida& Sesion::Recorrido::PedidaEnLog(std::string_view pedido) {
    // A log of endless different names must not fill the memory.
    if (m_Pedidas.size() > 4096) m_Pedidas.clear();
    auto it = m_Pedidas.find(pedido);
    if (it == m_Pedidas.end())
        it = m_Pedidas.emplace(std::string(pedido), Pedida(Utf8ACp1252Exacto(pedido))).first;
    return it->second;
}

// Whether the catalogue has the tariff: looked up the first time the name is asked, as
// Datos finds it (the first tariff of that name).
bool Sesion::Recorrido::EnCatalogo(TarifaPedida& t) const {
    if (!t.buscada) {
        const auto it = m_Posiciones.find(*t.bytes);
        t.posicion = it == m_Posiciones.end() ? std::int16_t{-1} : it->second;
        t.buscada = true;
    }
    return t.posicion >= 0;
}

void Sesion::Recorrido::Mala(const std::string& motivo) {
    ++m_Totales.malas;
    m_Destino.Mala(m_Lugar.linea, motivo);
    m_Diag.Mala(m_Lugar, motivo);
}

// A warning given once per run, on the record that first calls for it.
void Sesion::Recorrido::Unico(bool& dado, const char* texto) {
    if (dado) return;
    dado = true;
    m_Diag.Aviso(m_Lugar, texto, TipoAviso::Unico);
}

// The line as text, without its end; nothing for a bad line (told) and for one that
// holds no record (blank or a comment).
std::optional<std::string_view> Sesion::Recorrido::Contenido(std::string_view linea, bool cortada) {
    if (m_Lugar.linea == 1 && linea.starts_with("\xEF\xBB\xBF")) linea.remove_prefix(3);
    while (!linea.empty() && (linea.back() == '\n' || linea.back() == '\r')) linea.remove_suffix(1);
    if (cortada || linea.size() > LectorLineas::kMaximo) {
        m_Primera = false;
        Mala("la línea mide más de " + std::to_string(LectorLineas::kMaximo) +
             " bytes; una llamada ocupa menos de 100 (empieza " + CitarCorto(linea, 40) + ")");
        return std::nullopt;
    }
    if (linea.find('\0') != std::string_view::npos) {
        m_Primera = false;
        Mala("la línea tiene bytes nulos; no es texto");
        return std::nullopt;
    }
    // A log saved by an old editor or spreadsheet in Latin-1 or Windows-1252.
    if (!EsUtf8(linea)) {
        m_Convertida = Cp1252AUtf8(linea);
        linea = m_Convertida;
        Unico(m_Aviso1252,
              "el texto no es UTF-8; las líneas así se leen como Windows-1252 (Latin-1)");
    }
    const std::string_view contenido = RecortarBlancos(linea);
    if (contenido.empty() || contenido.starts_with('#')) return std::nullopt;
    return linea;
}

// The tariff of a call read: the one its record names, else the one the number dialled
// picks; false (told) when there is none.
bool Sesion::Recorrido::Tarifa(Registro& r) {
    Llamada& l = r.llamada;
    l.tarifa = &m_Principal;
    if (r.numeroElige) {
        if (!m_Sesion.m_Destinos) {
            Mala("el número marcado " + CitarCorto(l.numero) +
                 " elige la tarifa: hace falta --destinos FICHERO");
            return false;
        }
        return TarifaPorNumero(l, l.numero, true);
    }
    // A number is read even without a destination table: a column of something else is
    // caught.
    if (!l.numero.empty() && !NormalizarNumero(l.numero, m_Digitos)) {
        TarifaPorNumero(l, l.numero);
        return false;
    }
    if (r.tarifa.empty())
        return l.numero.empty() || !m_Sesion.m_Destinos || TarifaPorNumero(l, l.numero);
    TarifaPedida& t = PedidaEnLog(r.tarifa);
    if (!t.bytes || !EnCatalogo(t)) {
        if (!t.sugerencia) {
            if (m_Firmas.empty())
                for (const auto& n : m_Sesion.m_Nombres) m_Firmas.push_back(FirmaDe(n));
            t.sugerencia = Sugerencia(m_Sesion.m_Nombres, r.tarifa, &m_Firmas);
        }
        Mala("tarifa desconocida " + CitarCorto(r.tarifa) + *t.sugerencia);
        l.tarifa = nullptr;
        m_Destino.SinTarifa(l);
        return false;
    }
    l.tarifa = &t;
    return true;
}

// The tariff of the row of the destination table whose prefix the number starts with,
// else the one given for records that name none; false (told) when there is none.
bool Sesion::Recorrido::TarifaPorNumero(Llamada& l, std::string_view numero, bool deCentralita) {
    if (!NormalizarNumero(numero, m_Digitos)) {
        Mala(numero.empty() ? std::string("el registro no tiene número marcado (dst)")
                            : "número marcado " + CitarCorto(numero) +
                                  " ilegible (se esperan cifras, con «+» delante, espacios, "
                                  "guiones o puntos)");
        return false;
    }
    const Destinos& d = *m_Sesion.m_Destinos;
    if (const auto* f = d.Buscar(m_Digitos)) {
        l.tarifa = &m_TarifasDestino[static_cast<std::size_t>(f - d.Filas().data())];
        return true;
    }
    if (m_Sesion.m_TarifaDada) return true;  // l.tarifa is already the one given
    // Without a trunk, a PBX's internal and incoming calls are here too: counted, and the
    // summary says how to tell them apart.
    if (deCentralita && !m_Troncales) {
        SinPrefijo(m_Digitos);
        return false;
    }
    Mala("el número " + CitarCorto(numero) +
         " no empieza por ningún prefijo de --destinos (y no se ha dado --tarifa)");
    return false;
}

// Costs the call with the registry carried from the previous one; false (told) when the
// engine fails, the registry as it was.
bool Sesion::Recorrido::Costear(const Llamada& l) {
    Costeador& c = m_Sesion.m_Costeador;
    if (c.FinAnterior() && Antes(l.ini, *c.FinAnterior()))
        Unico(m_AvisoOrden,
              "la llamada empieza antes de que acabe la anterior; los bonos se gastan en el "
              "orden de las líneas");
    const auto fallo = c.Costear(m_Catalogo, l.tarifa->posicion, l.ini, l.fin, l.segundos,
                                 [this](const std::string& tipo, double alta, double caducidad) {
                                     m_Diag.Aviso(m_Lugar,
                                                  "el bono " + tipo + " dado de alta el " +
                                                      TextoDiaOInstante(alta) + " caducó el " +
                                                      TextoDiaOInstante(caducidad) +
                                                      "; desde esta llamada no cuenta",
                                                  TipoAviso::BonoCaducado);
                                 });
    if (fallo) {
        Mala("el motor no pudo costear la llamada: " + fallo->mensaje +
             (fallo->finDeFechas ? "; su periodo de facturación acaba después del año 9999, la "
                                   "última fecha que el motor cuenta"
                                 : ""));
        return false;
    }
    if (l.cobrado) m_Totales.factura.Anotar(DiferenciaCobrada(*l.cobrado, c.Motor().importe()));
    return true;
}

bool Sesion::Recorrido::Linea(std::string_view bruta, bool cortada, std::uint64_t leidos) {
    ++m_Lugar.linea;
    if (m_Lugar.linea % 1000 == 0 && !m_Diag.Progreso(m_Lugar.linea, leidos, m_Entrada.Tamano())) {
        m_Totales.cancelado = true;
        return false;
    }
    const auto linea = Contenido(bruta, cortada);
    if (!linea) return true;
    const bool primera = m_Primera;
    m_Primera = false;
    if (m_Centralita && m_Repetidos.Visto(*linea)) return true;
    m_Registro.canal = m_Registro.canalDestino = m_Registro.contexto = m_Registro.inicio = {};
    const Lectura lectura = m_Lector->Leer(*linea, primera, m_Registro, *this);
    const auto& contextos = m_Sesion.m_Contextos;
    if ((lectura.clase == Lectura::Clase::Llamada || lectura.clase == Lectura::Clase::Aparte) &&
        !contextos.empty() &&
        std::find(contextos.begin(), contextos.end(), m_Registro.contexto) == contextos.end()) {
        ++m_Totales.otrosContextos;
        return true;
    }
    switch (lectura.clase) {
        case Lectura::Clase::Llamada:
            break;
        case Lectura::Clase::Nada:
            return true;
        case Lectura::Clase::Mala:
            Mala(lectura.motivo);
            return true;
        case Lectura::Clase::Aparte: {
            auto it = std::find_if(m_Totales.apartados.begin(), m_Totales.apartados.end(),
                                   [&](const auto& a) { return a.first == lectura.motivo; });
            if (it == m_Totales.apartados.end())
                m_Totales.apartados.emplace_back(lectura.motivo, 1);
            else
                ++it->second;
            return true;
        }
    }
    Hora(m_Registro.llamada);
    if (m_Troncales) {
        m_Troncales->Anotar(m_Registro, m_Lugar.linea, *this);
        return true;
    }
    const Llamada& l = m_Registro.llamada;
    if (Tarifa(m_Registro) && Costear(l))
        m_Destino.Costeada(l, m_Sesion.m_Costeador.Motor(), m_Sesion.m_Costeador.Antes());
    return true;
}

// A call out, once its last record on the trunk is known: costed as the record of its first
// line.
void Sesion::Recorrido::Saliente(const LlamadaTroncal& t) {
    const std::size_t linea = m_Lugar.linea;
    m_Lugar.linea = t.linea;
    Registro r;
    r.llamada = t.Vista();
    r.numeroElige = true;
    if (Tarifa(r) && Costear(r.llamada))
        m_Destino.Costeada(r.llamada, m_Sesion.m_Costeador.Motor(), m_Sesion.m_Costeador.Antes());
    m_Lugar.linea = linea;
}

// The call's instants in local time: made so from UTC (its length kept), or warned when
// the local clock never showed its answer.
void Sesion::Recorrido::Hora(Llamada& l) {
    if (m_Sesion.m_Utc) {
        l.ini = m_Horario.ALocal(l.ini);
        l.fin = m_Horario.ALocal(l.fin);
        if (fecha::SegundosEntre(l.ini, l.fin) != l.segundos)
            l.fin = fecha::DesdeSegundos(fecha::ASegundos(l.ini) + l.segundos);
        m_TextoIni = TextoInstante(l.ini);
        m_TextoFin = TextoInstante(l.fin);
        l.textoIni = m_TextoIni, l.textoFin = m_TextoFin;
        return;
    }
    // The end may be worked out from billsec across the change: only the answer tells.
    if (m_Horario.EnHueco(l.ini))
        m_Diag.Aviso(m_Lugar,
                     "la llamada de " + CitarCorto(l.textoIni) +
                         " cae en la hora que el reloj local se salta en el cambio de hora de "
                         "primavera; si el fichero está en UTC, use --utc",
                     TipoAviso::Desacuerdo);
}

void Sesion::Recorrido::SinPrefijo(std::string_view numero) {
    ++m_Totales.sinPrefijo;
    auto it = m_SinPrefijo.find(numero);
    if (it != m_SinPrefijo.end())
        ++it->second;
    else if (m_SinPrefijo.size() < 10000)  // endless different numbers must not fill memory
        m_SinPrefijo.emplace(std::string(numero), 1);
}

void Sesion::Recorrido::Vaciar() {
    if (m_Troncales) m_Troncales->Vaciar(*this);
    if (m_Repetidos.Cuantos())
        m_Diag.Aviso(
            {},
            std::to_string(m_Repetidos.Cuantos()) +
                (m_Repetidos.Cuantos() == 1 ? " registro repetido" : " registros repetidos") +
                " (igual campo a campo que otro, como al leer juntos Master.csv y los "
                "ficheros de cada cuenta) se cuenta una vez",
            TipoAviso::Unico);
}

Totales Sesion::Recorrido::Terminar() {
    const Costeador& c = m_Sesion.m_Costeador;
    m_Totales.costeadas = c.Llamadas();
    m_Totales.importe = c.Importe();
    m_Totales.segundos = c.Segundos();
    m_Totales.columnaCobrado = m_Lector->ColumnaCobrado();
    m_Totales.notas = m_Lector->Notas();
    std::erase_if(m_Totales.apartados, [](const auto& a) { return a.second == 0; });
    if (m_Troncales) {
        m_Totales.entrantes = m_Troncales->Entrantes();
        m_Totales.internas = m_Troncales->Internas();
    }
    m_Totales.repetidos = m_Repetidos.Cuantos();
    std::vector<std::pair<std::string, std::size_t>> numeros(m_SinPrefijo.begin(),
                                                             m_SinPrefijo.end());
    const std::size_t n = std::min<std::size_t>(numeros.size(), 5);
    std::partial_sort(numeros.begin(), numeros.begin() + static_cast<std::ptrdiff_t>(n),
                      numeros.end(), [](const auto& a, const auto& b) {
                          return a.second != b.second ? a.second > b.second : a.first < b.first;
                      });
    numeros.resize(n);
    m_Totales.numerosSinPrefijo = std::move(numeros);
    return std::move(m_Totales);
}

Totales Sesion::Recorrer(Entrada& entrada, const Origen& origen, DestinoLlamadas& destino) {
    LectorLineas lector(entrada);
    // An input that cannot be read fails here, before the first byte of output.
    const std::string_view principio = lector.Principio();
    if (lector.Error())
        throw Error(Error::Clase::Fichero, ErrorDeLectura(origen.nombre, lector.Error()),
                    {origen.lugar});
    if (!PareceTexto(principio))
        throw Error(Error::Clase::Fichero,
                    NoEsTexto(origen.nombre, principio) +
                        "; se espera un registro de llamadas, una por línea: inicio,fin[,tarifa]",
                    {origen.lugar});
    ObservadorTramos* observador = destino.Observador();
    if (observador) m_Costeador.Motor().Observador(observador);
    const FormatoRegistro& formato =
        FormatoAutomatico(m_Formato) ? ReconocerFormato(principio) : *BuscarFormato(m_Formato);
    Recorrido recorrido(*this, entrada, origen, destino, formato);
    destino.Empezar();
    std::string_view linea;
    bool cortada = false;
    while (lector.Siguiente(linea, cortada))
        if (!recorrido.Linea(linea, cortada, lector.Leidos())) break;
    recorrido.Vaciar();
    destino.Terminar();
    if (observador) m_Costeador.Motor().Observador(nullptr);
    if (lector.Error())
        throw Error(Error::Clase::Fichero, ErrorDeLectura(origen.nombre, lector.Error()),
                    {origen.lugar});
    return recorrido.Terminar();
}

}  // namespace quelmar::llamadas
