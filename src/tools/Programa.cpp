#include "tools/Programa.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

#include "catalogue/FicherosUtil.h"
#include "catalogue/tTarifa.h"
#include "costing/cLlamada.h"
#include "llamadas/Csv.h"
#include "llamadas/Destinos.h"
#include "llamadas/Entrada.h"
#include "llamadas/Examen.h"
#include "llamadas/Instantes.h"
#include "llamadas/formatos/Lector.h"
#include "runtime/OleDate.h"
#include "tools/CatalogoCsv.h"
#include "tools/Comparar.h"
#include "tools/Comun.h"
#include "tools/Costear.h"
#include "tools/Examinar.h"
#include "tools/Informe.h"

namespace quelmar::herramientas {

namespace {

constexpr const char* kAyudaGeneral =
    R"(Uso: tarificador ORDEN [OPCIONES] [FICHERO]

Cuesta registros de llamadas con el catálogo de tarifas de Quelmar (Tarifas.Dat)
y mueve catálogos a CSV y desde CSV.

Órdenes:
  costear    cuesta llamadas, una por línea, o el Master.csv de una centralita
  examinar   qué hay en un registro de una centralita y cómo costearlo
  comparar   cuánto costarían las mismas llamadas con cada tarifa del catálogo
  informe    una página HTML con gráficos: importes, horas, bonos, tarifas
  listar     muestra las tarifas del catálogo
  exportar   escribe el catálogo como CSV editable
  importar   crea Tarifas.Dat a partir de un CSV

Ninguna orden escribe sobre una de sus entradas ni sobre el catálogo. Un fichero
de salida se sustituye de una vez; si es un enlace simbólico, se sustituye el
fichero al que lleva y el enlace queda; una tubería, un terminal o un
dispositivo se escriben tal cual; «-» es la salida estándar.

«tarificador ORDEN --help» explica cada orden; «tarificador --version» (o -V)
dice la versión. Salida: 0 bien, 1 alguna línea con errores (costear, comparar,
informe) o un CSV con errores (importar, que entonces no escribe nada), 2 opción
o fichero inservible, o una salida que no se pudo escribir.
)";

constexpr const char* kAyudaCostear =
    R"(Uso: tarificador costear [--catalogo CARPETA] [--tarifa NOMBRE]
                          [--festivos FICHERO] [--bonos FICHERO]
                          [--salida-bonos FICHERO] [--json]
                          [--formato FORMATO] [--destinos FICHERO]
                          [--por origen|cuenta] [--salida-totales FICHERO]
                          [--mes AAAA-MM | --desde DIA --hasta DIA]
                          [--troncal CANAL]... [--contexto NOMBRE]... [--utc]
                          [LLAMADAS]

Cuesta cada llamada del fichero LLAMADAS (o de la entrada estándar si falta o es
«-»). Una llamada por línea: inicio,fin[,tarifa] (o separada por «;»), con
instantes AAAA-MM-DDTHH:MM:SS (también con un espacio en lugar de la T); una
llamada cuyo periodo de facturación acaba pasado el año 9999 no se puede
costear, y se dice así. Se saltan las líneas en blanco, las que empiezan por «#»
y una primera línea de cabecera (la que no empieza por una cifra). El texto va
en UTF-8; una línea que no es UTF-8 se lee como Windows-1252 (Latin-1) y se
avisa una vez. Un fichero que no es texto (bytes nulos o de control) se rechaza
sin costear nada. El nombre de tarifa se busca exacto; si no está, se sugiere el
más parecido.

  --catalogo CARPETA      carpeta de Tarifas.Dat (por omisión, la que dice
                          «tarificador --help»)
  --tarifa NOMBRE         tarifa de las líneas que no nombran ninguna (por
                          omisión, la primera del catálogo)
  --festivos FICHERO      un festivo AAAA-MM-DD por línea (además de los
                          domingos)
  --bonos FICHERO         registro de bonos en JSON; sin él, ninguno y día de
                          factura 1:
                          {"dia_factura": 15, "per_factura": 2, "bonos": [
                           {"tipo": "50DIA", "alta": "1999-12-01T00:00:00",
                            "baja": "2000-02-10", "tiempo": "49:30:00"}]}
                          per_factura 1 = meses pares, 2 = impares; «baja» y
                          «tiempo» son opcionales (sin baja; capacidad
                          completa), también como null; «tiempo» no pasa de la
                          capacidad del tipo (10 o 50 horas) y la baja no es
                          anterior al alta
  --salida-bonos FICHERO  escribe el registro que queda tras la última llamada,
                          en la misma forma JSON
  --json                  un objeto JSON por llamada en lugar de CSV, uno por
                          línea (JSON Lines)
@AYUDA_FORMATOS@  --destinos FICHERO      filas prefijo,tarifa: la llamada toma la tarifa del
                          prefijo más largo con que empieza el número marcado
                          (el del registro de la centralita, o la cuarta
                          columna del registro); se ignoran espacios, guiones
                          y puntos, y «+» es «00». Sin
                          prefijo, la de --tarifa; sin --tarifa, línea errónea
  --por CLAVE             «origen» (la extensión que llama) o «cuenta»: tras
                          las filas, llamadas, tiempo e importe de cada una, de
                          mayor a menor importe (en CSV, en la salida de
                          errores; con --json, objetos tras los de las
                          llamadas, y cada objeto dice qué es: «"clase":
                          "llamada"» o «"clase": "total"»)
  --salida-totales FICHERO  los totales de --por en ese fichero
  --mes AAAA-MM           solo las llamadas que empiezan en ese mes (se cuestan
                          todas, para que los bonos se gasten desde el principio
                          del registro; el resumen es el del mes)
  --desde DIA, --hasta DIA  lo mismo entre dos días AAAA-MM-DD, ambos incluidos

@AYUDA_CENTRALITA@
Una cabecera puede nombrar columnas: numero (el marcado), cobrado (lo que
cobró el operador: añade las columnas cobrado y diferencia, cobrado menos
importe, y el resumen dice cuántas llamadas se cobraron de más o de menos),
origen y cuenta (para --por); inicio y fin son siempre las dos primeras.

Los bonos se gastan de una llamada a la siguiente en el orden de las líneas, y
se rellenan cuando entre el final de una llamada y el principio de la siguiente
empieza otro periodo de facturación.

Salida (CSV con cabecera):
inicio,fin,tarifa,importe,duracion,tipo,tipo_actual,bono_net,
bono_net_actual,bono_dia,bono_noche. Las líneas erróneas se avisan en la salida
de errores como «fichero:N: ...» y se saltan (se muestran las 20 primeras; las
demás solo se cuentan, y una línea de más de 1024 bytes es errónea); al final,
el número de llamadas, el importe total, la duración total y cuántas líneas
tenían errores.
)";

constexpr const char* kAyudaComparar =
    R"(Uso: tarificador comparar [--catalogo CARPETA] [--festivos FICHERO]
                           [--bonos FICHERO] [--json] [--tarifa NOMBRE]
                           [--formato FORMATO] [--destinos FICHERO]
                           [--troncal CANAL]... [--contexto NOMBRE]... [--utc]
                           [LLAMADAS]

¿Qué tarifa me conviene? Cuesta el registro de llamadas entero una vez con cada
tarifa del catálogo (todas menos las de los bonos, 10DIA, 50DIA, 10NOCHE y
50NOCHE), sin mirar la tarifa que nombra cada línea, con los bonos gastándose y
rellenándose como en «costear». Las llamadas, las opciones y las líneas con
errores son las de «costear»; una línea con errores no cuenta para ninguna
tarifa. Con --formato asterisk y --destinos se comparan las llamadas de una
centralita; --tarifa, --formato, --destinos, --troncal, --contexto, --utc,
--mes, --desde y --hasta son los de «costear».

Salida (CSV con cabecera, de la más barata a la más cara):
  tarifa             nombre de la tarifa
  importe            importe total de las llamadas con ella
  diferencia         importe menos el del registro costeado con sus propias
                     tarifas (negativa: con ella se ahorraría)
  importe_minuto     importe por minuto de llamada
  minutos_normal     minutos cobrados en la banda normal
  minutos_reducida   minutos cobrados en la banda reducida
  minutos_bono       minutos pagados con tiempo de bono
  llamadas           número de llamadas
Con --json, un objeto JSON por tarifa con esos nombres. Al final, en la salida
de errores, el resumen del registro con sus propias tarifas, como en «costear».
)";

constexpr const char* kAyudaInforme =
    R"(Uso: tarificador informe --salida INFORME.html [--catalogo CARPETA]
                          [--tarifa NOMBRE] [--festivos FICHERO]
                          [--bonos FICHERO] [--salida-bonos FICHERO]
                          [--formato FORMATO] [--destinos FICHERO]
                          [--por origen|cuenta] [--troncal CANAL]...
                          [--contexto NOMBRE]... [--utc] [LLAMADAS]

Cuesta el registro de llamadas como «costear» (las mismas opciones y líneas) y
escribe una página HTML que se lee en cualquier navegador, sin red ni programas,
también impresa o en el móvil:
  - el resumen: llamadas, importe y tiempo totales, tiempo de bono usado y el
    que queda
  - el importe por día (o por semana en registros largos), por bandas y bono
  - cuándo se llama: minutos por hora del día en laborables, sábados y festivos
  - el tiempo de bono que queda a lo largo del registro, con las recargas
  - lo que costarían las llamadas con cada tarifa (como «comparar») y la más
    barata
  - con --por, el importe por extensión o por cuenta (gráfico y tabla)
  - con una columna cobrado, «¿Le han cobrado de más?»: las llamadas cobradas
    por encima de su tarifa, de mayor a menor diferencia
  - las llamadas (las 500 primeras) y las líneas con errores
Los números y las fechas se escriben como los escribe su configuración regional
(LANG). El fichero se sustituye de una vez al final. La salida de errores lleva
lo mismo que con «costear».

  --salida INFORME.html   el fichero que se escribe (obligatorio; «-», la salida
                          estándar)
  --formato, --destinos, --por, --troncal, --contexto, --utc, --mes, --desde y
  --hasta son los de «costear».
)";

constexpr const char* kAyudaExaminar =
    R"(Uso: tarificador examinar [--formato FORMATO] [--destinos FICHERO]
                           FICHERO

Lee el registro de una centralita sin costear nada y dice qué es: el formato, los
registros, el primer y el último instante, los registros por disposición, los
contextos y los canales (el nombre antes del último «-») con sus registros
contestados y su tiempo, las llamadas por hora del día (para ver si el fichero
está en UTC) y una orden para costearlo, con la troncal que parece la línea al
operador. Con --destinos, los números que ningún prefijo cubre, de más a menos
frecuentes.
)";

constexpr const char* kAyudaListar =
    R"(Uso: tarificador listar [--catalogo CARPETA] [--json]

Muestra las tarifas del catálogo, una por fila, con sus 21 valores en el orden
del fichero; las columnas se llaman como las claves (Nombre, Conexion.Importe,
...) y las horas se escriben HH:MM:SS. Con --json, una lista de objetos JSON.
)";

constexpr const char* kAyudaExportar =
    R"(Uso: tarificador exportar [--catalogo CARPETA] [FICHERO]

Escribe Tarifas.Dat como CSV (en FICHERO, o en la salida estándar si falta o es
«-»): una cabecera con las 21 claves y una fila por registro. Al importarlo de
nuevo con «importar --tal-cual» se obtiene el mismo Tarifas.Dat byte a byte.

  textos  sin los espacios finales; caracteres en UTF-8; una celda vacía es un
          campo nunca asignado (ceros) y una celda con un espacio, un campo de
          espacios; \xHH es un byte de control y \\ una barra invertida
  horas   HH:MM:SS; otro día, AAAA-MM-DD HH:MM:SS; un valor que no cae en un
          segundo exacto se escribe como número decimal exacto
)";

constexpr const char* kAyudaImportar =
    R"(Uso: tarificador importar [--catalogo CARPETA] [--tal-cual] FICHERO

Crea o sustituye Tarifas.Dat a partir de un CSV como el de «tarificador
exportar» (las columnas pueden ir en cualquier orden; separador «,» o «;»). El
fichero se sustituye de una vez: si el CSV tiene algún error, se explica como
«línea N, «clave»: ...», la salida es 1 y Tarifas.Dat queda como estaba.

  importes  cada celda de importe es un número tal como lo lee el costeo (11.5;
            blancos alrededor admitidos; vacía, un campo nunca asignado); la
            coma decimal de una hoja de cálculo española (11,5) se guarda con
            punto (11.5) y se avisa una vez
  horas     un fin sin segundos se guarda como lo guarda el editor (17:59 es
            17:59:59, 00:00 queda 00:00:00); un inicio sin segundos, con :00; se
            rechaza una hora que no es del día (NaN, negativa, de un día o más)
  catálogo  se rechaza un catálogo de menos de cinco tarifas, sin la principal
            en primer lugar (empieza por 10DIA, 50DIA, 10NOCHE o 50NOCHE), con
            dos tarifas del mismo nombre, con un nombre en blanco, o con un
            nombre vacío o que empieza por un carácter fuera de ASCII (Á, É, Ñ,
            ¡, ¿...), donde la lectura del catálogo se detendría: lo mismo que
            Quelmar no salva; y siempre uno de más de 32766 tarifas

  --tal-cual  guarda el texto de cada celda exactamente como viene (horas sin
              segundos, con :00), avisando de cada importe que el costeo leería
              como otro número y de los fallos de catálogo de arriba, que no
              impiden escribirlo: así «exportar» e «importar --tal-cual»
              devuelven siempre el mismo Tarifas.Dat byte a byte
)";

// The options of one subcommand: which take a value, which are flags.
struct Opciones {
    std::map<std::string, std::string> valores;
    std::vector<std::string> posicionales;
    bool ayuda = false;

    bool Tiene(const std::string& o) const { return valores.count(o) != 0; }
    std::optional<std::string> Valor(const std::string& o) const {
        const auto it = valores.find(o);
        if (it == valores.end()) return std::nullopt;
        return it->second;
    }
};

// The options that may be given more than once: their values, one a line.
const std::vector<std::string> kRepetibles = {"--troncal", "--contexto"};

std::vector<std::string> Lista(const Opciones& o, const std::string& nombre) {
    std::vector<std::string> r;
    if (auto v = o.Valor(nombre)) {
        std::size_t desde = 0;
        for (std::size_t p; (p = v->find('\n', desde)) != std::string::npos; desde = p + 1)
            r.push_back(v->substr(desde, p - desde));
        r.push_back(v->substr(desde));
    }
    return r;
}

Opciones LeerOpciones(std::string_view orden, const std::vector<std::string>& args,
                      const std::vector<std::string>& conValor,
                      const std::vector<std::string>& sinValor, std::size_t maxPosicionales) {
    Opciones r;
    auto es = [](const std::vector<std::string>& v, const std::string& s) {
        for (const auto& x : v)
            if (x == s) return true;
        return false;
    };
    const std::string pista = "; véase «tarificador " + std::string(orden) + " --help»";
    bool soloPosicionales = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (soloPosicionales || a == "-" || !a.starts_with("-")) {
            r.posicionales.push_back(a);
            continue;
        }
        if (a == "--") {
            soloPosicionales = true;
            continue;
        }
        if (a == "--help" || a == "-h") {
            r.ayuda = true;
            continue;
        }
        std::string nombre = a, valor;
        bool conIgual = false;
        if (const auto p = a.find('='); p != std::string::npos) {
            nombre = a.substr(0, p);
            valor = a.substr(p + 1);
            conIgual = true;
        }
        if (es(conValor, nombre)) {
            if (!conIgual) {
                if (i + 1 >= args.size())
                    throw ErrorUso("a " + Citar(nombre) + " le falta su valor" + pista);
                valor = args[++i];
            }
            if (valor.empty()) throw ErrorUso("el valor de " + Citar(nombre) + " está vacío");
        } else if (es(sinValor, nombre) && !conIgual) {
            valor = "1";
        } else {
            throw ErrorUso("opción desconocida " + Citar(a) + pista);
        }
        if (r.Tiene(nombre)) {
            if (!es(kRepetibles, nombre)) throw ErrorUso(Citar(nombre) + " aparece dos veces");
            r.valores[nombre] += '\n' + valor;
            continue;
        }
        r.valores[nombre] = valor;
    }
    if (!r.ayuda && r.posicionales.size() > maxPosicionales)
        throw ErrorUso("sobra " + Citar(r.posicionales[maxPosicionales]) + pista);
    return r;
}

std::filesystem::path Carpeta(const Opciones& o) {
    if (auto c = o.Valor("--catalogo")) return *c;
    return FicherosUtil::CarpetaCatalogo();
}

// The raw records of Tarifas.Dat, every whole record of the file, also those after the
// first one the engine does not take as a tariff: exporting keeps the file as it is.
std::vector<tTarifa> RegistrosDelFichero(const std::filesystem::path& carpeta) {
    const std::filesystem::path ruta = CatalogoExistente(carpeta);
    const std::string bytes = LeerFicheroEntero(ruta);
    if (bytes.size() % tTarifa::kTamano != 0) throw ErrorUso(CatalogoCortado(ruta, bytes.size()));
    return tTarifa::Registros(bytes);
}

int Listar(const std::vector<std::string>& args) {
    const Opciones o = LeerOpciones("listar", args, {"--catalogo"}, {"--json"}, 0);
    if (o.ayuda) {
        std::fputs(kAyudaListar, stdout);
        return kSalidaBien;
    }
    const auto carpeta = Carpeta(o);
    ComprobarDistintos({{"el catálogo", CatalogoExistente(carpeta)}}, {{"la salida", "-"}});
    cLlamada m(carpeta);
    try {
        m.Load();
    } catch (const std::exception& e) {
        throw ErrorUso("no se puede leer Tarifas.Dat: " + MensajeEngine(e));
    }
    if (m.BytesSueltos()) throw ErrorUso(CatalogoCortado(m.Ruta(), m.BytesLeidos()));
    const auto& campos = tTarifa::Campos();
    auto valor = [&](std::int16_t i, const tTarifa::Campo& c) {
        const tTarifa& t = m.Registro(i);
        return c.tipo == tTarifa::Tipo::Texto ? TextoVisible(t.Texto(c))
               : fecha::EsValida(t.Fecha(c))  ? TextoHora(t.Fecha(c))
                                              : CeldaFecha(t.Fecha(c));
    };
    std::string s;
    if (o.Tiene("--json")) {
        nlohmann::ordered_json lista = nlohmann::ordered_json::array();
        for (std::int16_t i = 0; i < m.Count(); ++i) {
            nlohmann::ordered_json fila;
            for (const auto& c : campos) fila[std::string(c.clave)] = valor(i, c);
            lista.push_back(std::move(fila));
        }
        s = lista.dump(1) + "\n";
    } else {
        for (std::size_t c = 0; c < campos.size(); ++c)
            s += (c ? "," : "") + std::string(campos[c].clave);
        s += '\n';
        for (std::int16_t i = 0; i < m.Count(); ++i) {
            for (std::size_t c = 0; c < campos.size(); ++c)
                s += (c ? "," : "") + CeldaCsv(campos[c].tipo == tTarifa::Tipo::Texto
                                                   ? SinFormula(valor(i, campos[c]))
                                                   : valor(i, campos[c]));
            s += '\n';
        }
    }
    Emitir(stdout, s);
    return kSalidaBien;
}

// Whether a name is a catalogue's: exporting CSV over one would leave it unreadable.
bool NombreDeCatalogo(const std::filesystem::path& ruta) {
    const std::string n = ruta.filename().string();
    const std::string_view c = cLlamada::kNombreFichero;
    return n.size() == c.size() && std::equal(n.begin(), n.end(), c.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

int Exportar(const std::vector<std::string>& args) {
    const Opciones o = LeerOpciones("exportar", args, {"--catalogo"}, {}, 1);
    if (o.ayuda) {
        std::fputs(kAyudaExportar, stdout);
        return kSalidaBien;
    }
    const auto carpeta = Carpeta(o);
    const std::filesystem::path destino = o.posicionales.empty() ? "-" : o.posicionales[0];
    if (destino != "-" && (NombreDeCatalogo(destino) ||
                           NombreDeCatalogo(FicherosUtil::ResolverDestino(destino).ruta)))
        throw ErrorUso(Citar(destino.string()) +
                       " es un catálogo (Tarifas.Dat): exportar escribe CSV y lo dejaría "
                       "inservible; elija otro nombre, por ejemplo «tarifas.csv»");
    ComprobarDistintos({{"el catálogo", CatalogoExistente(carpeta)}}, {{"la salida", destino}});
    Salida salida(destino);
    const auto registros = RegistrosDelFichero(carpeta);
    for (std::size_t i = 0; i < registros.size(); ++i) {
        if (!registros[i].AbreTarifa()) {
            std::fprintf(stderr,
                         "aviso: el registro %zu empieza por un byte que Quelmar no admite ahí; "
                         "al leer el catálogo se detiene en él (se exporta igualmente)\n",
                         i + 1);
            break;
        }
    }
    salida.Escribir(ExportarCsv(registros));
    salida.Confirmar();
    return kSalidaBien;
}

int Importar(const std::vector<std::string>& args) {
    const Opciones o = LeerOpciones("importar", args, {"--catalogo"}, {"--tal-cual"}, 1);
    if (o.ayuda) {
        std::fputs(kAyudaImportar, stdout);
        return kSalidaBien;
    }
    if (o.posicionales.empty())
        throw ErrorUso("falta el fichero CSV; véase «tarificador importar --help»");
    const auto carpeta = Carpeta(o);
    std::error_code ec;
    if (!std::filesystem::is_directory(carpeta, ec))
        throw ErrorUso(CarpetaDelCatalogoInservible(carpeta));
    const std::string origen = o.posicionales[0];
    const std::filesystem::path catalogo = carpeta / cLlamada::kNombreFichero;
    ComprobarDistintos({{"el CSV", origen}}, {{"el catálogo", catalogo}});
    const std::string texto = origen == "-" ? [] {
        std::string t;
        char buf[65536];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, stdin)) > 0) t.append(buf, n);
        return t;
    }()
                                            : LeerFicheroEntero(origen);
    if (!PareceTexto(std::string_view(texto).substr(0, 65536)))
        throw ErrorUso(NoEsTexto(Citar(origen), std::string_view(texto).substr(0, 65536)) +
                       "; se espera un CSV de tarifas");
    std::vector<std::string> avisos;
    std::vector<tTarifa> registros;
    const std::string lugar = origen == "-" ? "(entrada estándar)" : origen;
    try {
        registros = ImportarCsv(texto, avisos, o.Tiene("--tal-cual"), lugar);
    } catch (const ErrorUso& e) {
        throw ErrorDatos(Citar(origen) + ": " + e.what() + "\nTarifas.Dat no se ha tocado");
    }
    // "fichero:N: aviso: ..." for a line's warning, as compilers write them.
    for (const auto& a : avisos) {
        const std::size_t p =
            a.starts_with(lugar + ':') ? a.find(": ", lugar.size() + 1) : std::string::npos;
        if (p == std::string::npos)
            std::fprintf(stderr, "aviso: %s\n", a.c_str());
        else
            std::fprintf(stderr, "%s: aviso: %s\n", a.substr(0, p).c_str(), a.c_str() + p + 2);
    }
    const auto bytes = tTarifa::BytesDe(registros);
    EscribirSalida(catalogo,
                   std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    std::fprintf(stderr, "tarificador: %zu tarifas escritas en %s\n", registros.size(),
                 catalogo.string().c_str());
    return kSalidaBien;
}

// `texto` cut into lines of at most `ancho` columns, the first after `primera`, the rest
// after `sangria` blanks.
std::string Envolver(std::string_view texto, std::string primera, std::size_t sangria,
                     std::size_t ancho = 80) {
    std::string r, linea = std::move(primera);
    auto columnas = [](std::string_view t) {
        std::size_t n = 0;
        for (const char c : t) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
        return n;
    };
    std::size_t vacia = columnas(linea);
    while (!texto.empty()) {
        const std::size_t fin = texto.find(' ');
        const std::string_view palabra = texto.substr(0, fin);
        texto = fin == std::string_view::npos ? std::string_view() : texto.substr(fin + 1);
        if (columnas(linea) > vacia && columnas(linea) + 1 + columnas(palabra) > ancho) {
            r += linea + '\n';
            linea.assign(sangria, ' ');
            vacia = sangria;
        }
        if (columnas(linea) > vacia) linea += ' ';
        linea += palabra;
    }
    return r + linea + '\n';
}

// A help text with the table of formats in it: @FORMATOS@ their names, @AYUDA_FORMATOS@
// the option's lines.
std::string ConFormatos(std::string_view texto) {
    std::string r(texto);
    const std::string nombres = NombresDeFormatos("|", false);
    for (std::size_t p; (p = r.find("@FORMATOS@")) != std::string::npos;) r.replace(p, 10, nombres);
    std::string ayuda = "  --formato FORMATO       el formato de los registros:\n";
    for (const FormatoRegistro& f : Formatos()) {
        std::string t = "«" + std::string(f.nombre) + "»";
        if (&f == &Formatos().front())
            t += " (sin --formato se reconoce por los primeros registros; si no es de una "
                 "centralita, este)";
        t += ": " + std::string(f.descripcion);
        if (!f.detalle.empty()) t += "; " + std::string(f.detalle);
        ayuda += Envolver(t, std::string(26, ' '), 28);
    }
    if (const std::size_t p = r.find("@AYUDA_FORMATOS@"); p != std::string::npos)
        r.replace(p, 16, ayuda);
    if (const std::size_t p = r.find("@AYUDA_CENTRALITA@"); p != std::string::npos)
        r.replace(p, 18, AyudaCentralita());
    return r;
}

// The layout --formato asks for; empty (recognised) without it.
std::string FormatoPedido(const Opciones& o) {
    const auto v = o.Valor("--formato");
    if (!v || FormatoAutomatico(*v)) return {};
    if (!BuscarFormato(*v))
        throw ErrorUso("--formato " + CitarCorto(*v) + " no se conoce: se espera " +
                       NombresDeFormatos(" o "));
    return *v;
}

// The options of the orders that cost a log, and the log opened: a file, or the standard
// input when none is named or it is "-". `salidas` are the order's outputs besides
// --salida-bonos: none may be one of its inputs.
class RegistroDeLlamadas {
  public:
    RegistroDeLlamadas(const Opciones& o, std::vector<Papel> salidas) {
        m_Opciones.catalogo = Carpeta(o);
        m_Opciones.tarifa = o.Valor("--tarifa");
        if (auto v = o.Valor("--festivos")) m_Opciones.festivos = *v;
        if (auto v = o.Valor("--bonos")) m_Opciones.bonos = *v;
        if (auto v = o.Valor("--salida-bonos")) m_Opciones.salidaBonos = *v;
        m_Opciones.json = o.Tiene("--json");
        m_Opciones.formato = FormatoPedido(o);
        m_Opciones.troncales = Lista(o, "--troncal");
        m_Opciones.contextos = Lista(o, "--contexto");
        m_Opciones.utc = o.Tiene("--utc");
        if (auto v = o.Valor("--destinos")) m_Opciones.destinos = *v;
        if (auto v = o.Valor("--por")) {
            if (*v == "origen")
                m_Opciones.por = Agrupar::Origen;
            else if (*v == "cuenta")
                m_Opciones.por = Agrupar::Cuenta;
            else
                throw ErrorUso("--por " + CitarCorto(*v) +
                               " no se conoce: se espera «origen» o «cuenta»");
        }
        Periodo(o);
        if (auto v = o.Valor("--salida-totales")) {
            if (m_Opciones.por == Agrupar::Nada)
                throw ErrorUso("--salida-totales necesita --por origen o --por cuenta");
            m_Opciones.salidaTotales = *v;
            salidas.push_back({"--salida-totales", *v});
        }
        std::vector<Papel> entradas = {
            {"el registro de llamadas", o.posicionales.empty() ? "-" : o.posicionales[0]},
            {"el catálogo", m_Opciones.catalogo / cLlamada::kNombreFichero}};
        if (m_Opciones.bonos) entradas.push_back({"--bonos", *m_Opciones.bonos});
        if (m_Opciones.festivos) entradas.push_back({"--festivos", *m_Opciones.festivos});
        if (m_Opciones.destinos) entradas.push_back({"--destinos", *m_Opciones.destinos});
        if (m_Opciones.salidaBonos) salidas.push_back({"--salida-bonos", *m_Opciones.salidaBonos});
        ComprobarDistintos(entradas, salidas);
        if (!o.posicionales.empty() && o.posicionales[0] != "-") {
            std::error_code ec;
            if (std::filesystem::is_directory(o.posicionales[0], ec))
                throw ErrorUso(EsCarpeta(o.posicionales[0]));
            m_Opciones.llamadas = o.posicionales[0];
            m_Entrada = std::fopen(o.posicionales[0].c_str(), "rb");
            if (!m_Entrada) throw ErrorUso(NoSePuedeAbrir(o.posicionales[0], errno));
        }
        // On a terminal the wait would look like a hang: say what ends it.
        if (m_Entrada == stdin && isatty(STDIN_FILENO))
            std::fputs("tarificador: leyendo llamadas de la entrada estándar; termine con Ctrl+D\n",
                       stderr);
    }
    ~RegistroDeLlamadas() {
        if (m_Entrada != stdin) std::fclose(m_Entrada);
    }
    RegistroDeLlamadas(const RegistroDeLlamadas&) = delete;
    RegistroDeLlamadas& operator=(const RegistroDeLlamadas&) = delete;

    const OpcionesCosteo& Opciones() const { return m_Opciones; }
    std::FILE* Entrada() const { return m_Entrada; }

  private:
    // --mes AAAA-MM, or --desde and --hasta days (both included): the calls looked at.
    void Periodo(const herramientas::Opciones& o) {
        const auto mes = o.Valor("--mes"), desde = o.Valor("--desde"), hasta = o.Valor("--hasta");
        if (mes && (desde || hasta))
            throw ErrorUso("--mes no va con --desde ni --hasta: dé un mes o un intervalo de días");
        if (mes) {
            const auto dia = LeerDia(*mes + "-01");
            if (mes->size() != 7 || !dia)
                throw ErrorUso("--mes " + CitarCorto(*mes) + " no es un mes AAAA-MM");
            m_Opciones.desde = *dia;
            const fecha::Partes p = fecha::Descomponer(*dia);
            m_Opciones.hasta = fecha::DesdeCalendario(p.anio, p.mes + 1, 1);  // runs over a year
        }
        for (const auto& [nombre, valor, destino] :
             {std::tuple{"--desde", desde, &m_Opciones.desde},
              {"--hasta", hasta, &m_Opciones.hasta}}) {
            if (!valor) continue;
            const auto dia = LeerDia(*valor);
            if (!dia)
                throw ErrorUso(std::string(nombre) + " " + CitarCorto(*valor) +
                               " no es un día AAAA-MM-DD");
            // --hasta names the last day looked at: the period ends as the next begins.
            *destino = destino == &m_Opciones.hasta
                           ? fecha::DesdeSegundos(fecha::ASegundos(*dia) + 86400)
                           : *dia;
        }
        if (m_Opciones.desde && m_Opciones.hasta && !Antes(*m_Opciones.desde, *m_Opciones.hasta))
            throw ErrorUso("--hasta es anterior a --desde");
    }

    OpcionesCosteo m_Opciones;
    std::FILE* m_Entrada = stdin;
};

int CostearOrden(const std::vector<std::string>& args) {
    const Opciones o =
        LeerOpciones("costear", args,
                     {"--catalogo", "--tarifa", "--festivos", "--bonos", "--salida-bonos",
                      "--formato", "--destinos", "--por", "--salida-totales", "--troncal",
                      "--contexto", "--mes", "--desde", "--hasta"},
                     {"--json", "--utc"}, 1);
    if (o.ayuda) {
        std::fputs(ConFormatos(kAyudaCostear).c_str(), stdout);
        return kSalidaBien;
    }
    const RegistroDeLlamadas r(o, {{"las filas", "-"}});
    return Costear(r.Opciones(), r.Entrada(), stdout, stderr);
}

int InformeOrden(const std::vector<std::string>& args) {
    const Opciones o =
        LeerOpciones("informe", args,
                     {"--catalogo", "--tarifa", "--festivos", "--bonos", "--salida-bonos",
                      "--salida", "--formato", "--destinos", "--por", "--troncal", "--contexto",
                      "--mes", "--desde", "--hasta"},
                     {"--utc"}, 1);
    if (o.ayuda) {
        std::fputs(ConFormatos(kAyudaInforme).c_str(), stdout);
        return kSalidaBien;
    }
    const auto salida = o.Valor("--salida");
    if (!salida)
        throw ErrorUso(
            "falta «--salida INFORME.html», el fichero del informe; véase «tarificador "
            "informe --help»");
    const RegistroDeLlamadas r(o, {{"--salida", *salida}});
    return Informe({r.Opciones(), *salida}, r.Entrada(), stderr);
}

int CompararOrden(const std::vector<std::string>& args) {
    const Opciones o =
        LeerOpciones("comparar", args,
                     {"--catalogo", "--festivos", "--bonos", "--tarifa", "--formato", "--destinos",
                      "--troncal", "--contexto", "--mes", "--desde", "--hasta"},
                     {"--json", "--utc"}, 1);
    if (o.ayuda) {
        std::fputs(ConFormatos(kAyudaComparar).c_str(), stdout);
        return kSalidaBien;
    }
    const RegistroDeLlamadas r(o, {{"la comparación", "-"}});
    return Comparar(r.Opciones(), r.Entrada(), stdout, stderr);
}

int ExaminarOrden(const std::vector<std::string>& args) {
    const Opciones o = LeerOpciones("examinar", args, {"--formato", "--destinos"}, {}, 1);
    if (o.ayuda) {
        std::fputs(ConFormatos(kAyudaExaminar).c_str(), stdout);
        return kSalidaBien;
    }
    if (o.posicionales.empty())
        throw ErrorUso("falta el fichero de la centralita; véase «tarificador examinar --help»");
    const std::string fichero = o.posicionales[0];
    std::optional<Destinos> destinos;
    const auto rutaDestinos = o.Valor("--destinos");
    if (rutaDestinos) destinos = Destinos::Leer(LeerFicheroEntero(*rutaDestinos), *rutaDestinos);
    const std::string formato = FormatoPedido(o);
    std::error_code ec;
    if (fichero != "-" && std::filesystem::is_directory(fichero, ec))
        throw ErrorUso(EsCarpeta(fichero));
    Examen e;
    if (fichero == "-") {
        EntradaDescriptor entrada(STDIN_FILENO);
        e = Examinar(entrada, formato, "la entrada estándar", destinos ? &*destinos : nullptr);
    } else {
        EntradaFichero entrada(fichero);
        e = Examinar(entrada, formato, Citar(fichero), destinos ? &*destinos : nullptr);
    }
    EscribirExamen(e, fichero, rutaDestinos, stdout);
    return kSalidaBien;
}

// Where the catalogue is when --catalogo is not given; only said, nothing is made yet.
void AyudaCatalogo() {
    std::string carpeta;
    try {
        carpeta = FicherosUtil::LugarDelPrograma().carpeta.string();
    } catch (const std::exception& e) {
        carpeta = MensajeEngine(e);
    }
    std::printf("\nCatálogo por omisión (--catalogo lo cambia): %s/Tarifas.Dat\n", carpeta.c_str());
}

int EjecutarOrden(std::vector<std::string> args) {
    if (args.empty()) {
        std::fputs(kAyudaGeneral, stderr);
        return kSalidaUso;
    }
    const std::string orden = args.front();
    args.erase(args.begin());
    try {
        if (orden == "--help" || orden == "-h" || orden == "ayuda") {
            std::fputs(kAyudaGeneral, stdout);
            AyudaCatalogo();
            return kSalidaBien;
        }
        if (orden == "--version" || orden == "-V") {
            std::puts("tarificador " QUELMAR_VERSION);
            return kSalidaBien;
        }
        if (orden == "costear") return CostearOrden(args);
        if (orden == "comparar") return CompararOrden(args);
        if (orden == "informe") return InformeOrden(args);
        if (orden == "examinar") return ExaminarOrden(args);
        if (orden == "listar") return Listar(args);
        if (orden == "exportar") return Exportar(args);
        if (orden == "importar") return Importar(args);
        throw ErrorUso("orden desconocida " + Citar(orden) +
                       " (costear, comparar, informe, examinar, listar, exportar o importar; véase "
                       "«tarificador "
                       "--help»)");
    } catch (const ErrorDatos& e) {
        std::fflush(stdout);
        std::fprintf(stderr, "tarificador: %s\n", e.what());
        return kSalidaLineasMalas;
    } catch (const llamadas::Error& e) {
        std::fflush(stdout);
        std::fprintf(stderr, "tarificador: %s\n", e.what());
        return kSalidaUso;
    } catch (const std::bad_alloc&) {
        std::fflush(stdout);
        std::fprintf(stderr,
                     "tarificador: %s: no queda memoria libre para terminar; cierre otros "
                     "programas o parta el fichero en trozos\n",
                     orden.c_str());
        return kSalidaUso;
    } catch (const std::exception& e) {
        std::fflush(stdout);
        std::fprintf(stderr, "tarificador: error inesperado: %s\n", MensajeEngine(e).c_str());
        return kSalidaUso;
    }
}

}  // namespace

int Ejecutar(int argc, char** argv) {
    const int estado = EjecutarOrden({argv + (argc > 0 ? 1 : 0), argv + argc});
    // Rows still buffered go out here: a failure now is as much a failure as any other.
    if (const auto fallo = CerrarSalidaEstandar()) {
        std::fprintf(stderr, "tarificador: %s\n", fallo->c_str());
        return kSalidaUso;
    }
    return estado;
}

}  // namespace quelmar::herramientas
