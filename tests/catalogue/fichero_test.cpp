#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <signal.h>
#include <string>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "catalogue/FicherosUtil.h"
#include "catalogue/cCatalogo.h"
#include "runtime/Locale.h"
#include "runtime/OleDate.h"
#include "runtime/RuntimeError.h"
#include "support/CarpetaTemporal.h"
#include "support/NumeroDeError.h"

namespace quelmar {
namespace {

// A 168-byte record whose name starts with `nombre` and whose other bytes follow a pattern.
std::string Registro(const std::string& nombre, unsigned char semilla = 0) {
    std::string r(168, '\0');
    for (std::size_t i = 0; i < r.size(); ++i)
        r[i] = static_cast<char>(static_cast<unsigned char>(semilla + i * 7));
    for (std::size_t i = 0; i < 15; ++i) r[i] = i < nombre.size() ? nombre[i] : ' ';
    return r;
}

std::vector<std::string> Nombres(const cCatalogo& c) {
    std::vector<std::string> r;
    for (std::int16_t i = 0; i < c.Count(); ++i) r.push_back(CStr(c.Valor(i, "Nombre")));
    return r;
}

TEST(Fichero, RecordLayoutFollowsTheKeyTable) {
    CarpetaTemporal dir;
    LocaleScope l(Locale::PorDefecto());
    cCatalogo cat(dir.ruta());
    cat.Add();
    cat.Valor(0, "Nombre", "Abc");
    cat.Valor(0, "Conexion.Importe", "1234");
    cat.Valor(0, "Conexion.Tiempo", Variant::DeFecha(0.5));
    cat.Valor(0, "Festivo.Reducida.Fin", Variant::DeFecha(0.25));
    cat.Valor(0, "Sabado.Reducida.Importe", "xy");
    cat.Save();
    const std::string b = dir.Leer();
    ASSERT_EQ(b.size(), 168u);
    EXPECT_EQ(b.substr(0, 15), "Abc            ");
    EXPECT_EQ(b.substr(15, 7), "1234   ");
    double d;
    std::memcpy(&d, b.data() + 22, 8);  // little-endian machine
    EXPECT_EQ(d, 0.5);
    std::memcpy(&d, b.data() + 160, 8);
    EXPECT_EQ(d, 0.25);
    EXPECT_EQ(b.substr(99, 7), "xy     ");
    // Fields never assigned stay zero bytes.
    EXPECT_EQ(b.substr(30, 7), std::string(7, '\0'));
}

TEST(Fichero, ReadAndSavedUnchangedIsByteIdenticalForEveryByteValue) {
    CarpetaTemporal dir;
    std::string contenido;
    // Names whose later bytes cover 0..255; every other byte follows a pattern.
    for (int k = 0; k < 18; ++k) {
        std::string r = Registro("", static_cast<unsigned char>(k * 31));
        r[0] = static_cast<char>('A' + k);
        for (std::size_t i = 1; i < 15; ++i) r[i] = static_cast<char>((k * 14 + i) % 256);
        contenido += r;
    }
    dir.Escribir(contenido);
    cCatalogo cat(dir.ruta());
    cat.Load();
    EXPECT_EQ(cat.Count(), 18);
    cat.Save();
    EXPECT_EQ(dir.Leer(), contenido);
}

TEST(Fichero, FirstByteOfTheNameEndsTheList) {
    struct Caso {
        unsigned char primero;
        int tarifas;
    };
    const Caso casos[] = {{0, 1},   {31, 1},  {32, 3},  {65, 3},
                          {126, 3}, {127, 1}, {193, 1}, {255, 1}};
    for (const Caso& c : casos) {
        CarpetaTemporal dir;
        std::string segundo = Registro("B");
        segundo[0] = static_cast<char>(c.primero);
        dir.Escribir(Registro("A") + segundo + Registro("C"));
        cCatalogo cat(dir.ruta());
        cat.Load();
        EXPECT_EQ(cat.Count(), c.tarifas) << int{c.primero};
        if (c.tarifas == 1) {
            // The refused record becomes the spare slot.
            EXPECT_EQ(cat.Registro(1).Registro()[0], c.primero);
        }
    }
}

TEST(Fichero, EmptyAndMissingFiles) {
    CarpetaTemporal dir;
    cCatalogo cat(dir.ruta());
    cat.Add();
    cat.Valor(0, "Nombre", "X");
    // A missing file leaves the catalogue as it was.
    cat.Load();
    EXPECT_EQ(cat.Count(), 1);
    dir.Escribir("");
    cat.Load();
    EXPECT_EQ(cat.Count(), 0);
    // Saving an empty catalogue removes the file and creates nothing.
    cat.Save();
    EXPECT_FALSE(std::filesystem::exists(dir.fichero()));
    EXPECT_TRUE(dir.Entradas().empty());
    cat.Save();  // nothing to remove: no error
}

TEST(Fichero, SavingFewerTariffsShortensTheFile) {
    CarpetaTemporal dir;
    std::string cinco;
    for (char c : std::string("ABCDE")) cinco += Registro(std::string(1, c));
    dir.Escribir(cinco);
    cCatalogo cat(dir.ruta());
    cat.Load();
    ASSERT_EQ(cat.Count(), 5);
    cat.Delete(4);
    cat.Delete(0);
    cat.Delete(0);
    cat.Save();
    EXPECT_EQ(dir.Leer(), cinco.substr(2 * 168, 2 * 168));
}

// A catalogue kept elsewhere through a link (a synced folder) is saved where it lives: the
// link stays, the file it leads to is replaced, and an empty catalogue removes that file.
TEST(Fichero, SavingALinkedCatalogueReplacesWhatTheLinkLeadsTo) {
    CarpetaTemporal dir, real;
    std::filesystem::create_directory(real.ruta() / "sub");
    const auto destino = real.ruta() / "sub" / "Tarifas.Dat";
    std::filesystem::create_symlink(std::filesystem::relative(destino, dir.ruta()), dir.fichero());
    {
        std::ofstream f(destino, std::ios::binary);
        f << Registro("A") << Registro("B");
    }
    cCatalogo cat(dir.ruta());
    cat.Load();
    cat.Delete(0);
    cat.Save();
    EXPECT_TRUE(std::filesystem::is_symlink(dir.fichero()));
    EXPECT_EQ(dir.Leer(), Registro("B"));
    cat.Delete(0);
    cat.Save();
    EXPECT_TRUE(std::filesystem::is_symlink(dir.fichero()));
    EXPECT_FALSE(std::filesystem::exists(destino));
}

// A trailing partial record (a copy cut short) is no tariff: the whole records are read,
// and the reading says how many bytes were left over, so that programs can tell.
TEST(Fichero, TrailingPartialRecordIsNoTariffAndIsTold) {
    CarpetaTemporal dir;
    cCatalogo cat(dir.ruta());
    const struct {
        std::string bytes;
        std::int16_t tarifas;
        std::size_t sueltos;
    } casos[] = {
        {Registro("A") + Registro("B").substr(0, 40), 1, 40},
        {Registro("A") + std::string(1, '\xC1'), 1, 1},
        {Registro("A").substr(0, 1), 0, 1},
        {Registro("A") + Registro("B"), 2, 0},
    };
    for (const auto& c : casos) {
        dir.Escribir(c.bytes);
        cat.Load();
        EXPECT_EQ(cat.Count(), c.tarifas) << c.bytes.size();
        EXPECT_EQ(cat.BytesSueltos(), c.sueltos) << c.bytes.size();
    }
    dir.Escribir(Registro("A") + Registro("B").substr(0, 40));
    cat.Load();
    cat.Save();
    EXPECT_EQ(dir.Leer(), Registro("A"));
}

// Each reading expects the size the last one found: a file that grew since must still be
// read to its end, and one that shrank no further.
TEST(Fichero, FileThatGrowsOrShrinksBetweenReadingsIsReadToItsEnd) {
    CarpetaTemporal dir;
    std::string dos = Registro("A") + Registro("B");
    dir.Escribir(dos);
    cCatalogo cat(dir.ruta());
    cat.Load();
    ASSERT_EQ(cat.Count(), 2);
    std::string mil;
    for (int i = 0; i < 1000; ++i)
        mil += Registro("T" + std::to_string(i), static_cast<unsigned char>(i));
    dir.Escribir(mil);
    cat.Load();
    ASSERT_EQ(cat.Count(), 1000);
    EXPECT_EQ(CStr(cat.Valor(999, "Nombre")), "T999");
    cat.Save();
    EXPECT_EQ(dir.Leer(), mil);
    dir.Escribir(dos);
    cat.Load();
    EXPECT_EQ(Nombres(cat), (std::vector<std::string>{"A", "B"}));
}

// A pipe in the file's place has no positions: it is read as a stream, in whatever pieces
// the writer sends, to its end.
TEST(Fichero, PipeInTheFilesPlaceIsReadToItsEnd) {
    CarpetaTemporal dir;
    ASSERT_EQ(::mkfifo(dir.fichero().c_str(), 0600), 0) << std::strerror(errno);
    std::string tres = Registro("P") + Registro("Q") + Registro("R");
    std::thread escritor([&] {
        const int fd = ::open(dir.fichero().c_str(), O_WRONLY);
        if (fd < 0) return;
        for (std::size_t i = 0; i < tres.size(); i += 100) {
            const std::size_t n = std::min<std::size_t>(100, tres.size() - i);
            if (::write(fd, tres.data() + i, n) != static_cast<ssize_t>(n)) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        ::close(fd);
    });
    cCatalogo cat(dir.ruta());
    cat.Load();
    escritor.join();
    EXPECT_EQ(Nombres(cat), (std::vector<std::string>{"P", "Q", "R"}));
}

TEST(Fichero, MoreThan32766TariffsOverflowAndLeaveTheCatalogueAsItWas) {
    CarpetaTemporal dir;
    const std::string r = Registro("T");
    std::string grande;
    grande.reserve(32767 * 168);
    for (int i = 0; i < 32766; ++i) grande += r;
    dir.Escribir(grande);
    cCatalogo cat(dir.ruta());
    cat.Load();
    EXPECT_EQ(cat.Count(), 32766);
    dir.Escribir(grande + r);
    cCatalogo otro(dir.ruta());
    otro.Add();
    EXPECT_EQ(NumeroDeError([&] { otro.Load(); }), kDesbordamiento);
    EXPECT_EQ(otro.Count(), 1);
    // A refused record after 32766 tariffs ends the list normally.
    dir.Escribir(grande + std::string(168, '\0') + r);
    otro.Load();
    EXPECT_EQ(otro.Count(), 32766);
}

TEST(Fichero, FailedReadingLeavesTheCatalogueAndNamesTheFile) {
    CarpetaTemporal dir;
    cCatalogo cat(dir.ruta());
    cat.Add();
    std::filesystem::create_directory(dir.fichero());
    try {
        cat.Load();
        FAIL() << "reading a directory must fail";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.Numero(), kErrorAccesoRuta);
        EXPECT_NE(std::string(e.what()).find("Tarifas.Dat"), std::string::npos);
    }
    EXPECT_EQ(cat.Count(), 1);
    // Saving over a directory fails too, and leaves no temporary file.
    EXPECT_NE(NumeroDeError([&] { cat.Save(); }), 0);
    EXPECT_EQ(dir.Entradas(), std::vector<std::string>{"Tarifas.Dat"});

    cCatalogo sinCarpeta(dir.ruta() / "no-existe");
    EXPECT_EQ(NumeroDeError([&] { sinCarpeta.Load(); }), kRutaNoEncontrada);
    EXPECT_FALSE(FicherosUtil::ExisteFichero(dir.ruta() / "otro.dat"));
}

// Save never writes what Load refuses: beyond 32766 tariffs it fails and the file stays.
TEST(Fichero, SaveRefusesMoreTariffsThanLoadAccepts) {
    struct Caso {
        int tarifas, error;
    };
    for (const Caso c : {Caso{32766, 0}, Caso{32767, kDesbordamiento}}) {
        CarpetaTemporal dir;
        const std::string viejo = Registro("Viejo");
        dir.Escribir(viejo);
        cCatalogo cat(dir.ruta());
        for (int i = 0; i < c.tarifas; ++i) {
            cat.Add();
            cat.Valor(static_cast<std::int16_t>(i), "Nombre", "T");
        }
        try {
            cat.Save();
            EXPECT_EQ(c.error, 0);
            cCatalogo leido(dir.ruta());
            leido.Load();
            EXPECT_EQ(leido.Count(), c.tarifas);
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.Numero(), c.error);
            EXPECT_NE(std::string(e.what()).find("más de 32766 tarifas"), std::string::npos);
            EXPECT_NE(std::string(e.what()).find("Tarifas.Dat"), std::string::npos);
            EXPECT_EQ(dir.Leer(), viejo);
            EXPECT_EQ(dir.Entradas(), std::vector<std::string>{"Tarifas.Dat"});
        }
    }
}

// Fails with ENOSPC once `limite` bytes have been written.
class EscrituraQueFalla : public Escritura {
  public:
    explicit EscrituraQueFalla(std::size_t limite, int err = ENOSPC)
        : m_Limite(limite), m_Errno(err) {}
    long Escribir(int fd, const void* datos, std::size_t n) override {
        if (m_Escritos >= m_Limite) {
            errno = m_Errno;
            return -1;
        }
        const std::size_t parte = std::min(n, m_Limite - m_Escritos);
        const long r = Escritura::Escribir(fd, datos, parte);
        if (r > 0) m_Escritos += static_cast<std::size_t>(r);
        return r;
    }

  private:
    std::size_t m_Limite, m_Escritos = 0;
    int m_Errno;
};

TEST(Fichero, SaveThatFailsPartWayKeepsTheOldFileWhole) {
    for (const int err : {ENOSPC, EIO}) {
        CarpetaTemporal dir;
        const std::string viejo = Registro("Viejo") + Registro("Otro");
        dir.Escribir(viejo);
        cCatalogo cat(dir.ruta(), std::make_shared<EscrituraQueFalla>(200, err));
        cat.Load();
        for (int i = 0; i < 5; ++i) cat.Add();
        cat.Valor(0, "Nombre", "Nuevo");
        try {
            cat.Save();
            FAIL() << "the save must fail";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.Numero(), err == ENOSPC ? kDiscoLleno : kErrorDispositivo) << e.what();
            EXPECT_NE(std::string(e.what()).find("Tarifas.Dat"), std::string::npos);
        }
        EXPECT_EQ(dir.Leer(), viejo);
        EXPECT_EQ(dir.Entradas(), std::vector<std::string>{"Tarifas.Dat"});
        EXPECT_EQ(cat.Count(), 7);  // nothing lost in memory either
    }
}

// Every system call of a save, counted, each of them made to fail on demand; writes go
// in pieces of 100 bytes so that a save makes several. With `borrarFalla` the removal of
// the temporary file fails too.
class EscrituraInyectada : public Escritura {
  public:
    EscrituraInyectada(int fallo, int err, bool borrarFalla = false)
        : m_Fallo(fallo), m_Errno(err), m_BorrarFalla(borrarFalla) {}
    std::vector<std::string> llamadas;

    int Crear(char* p) override { return Paso("Crear") ? Escritura::Crear(p) : -1; }
    long Escribir(int fd, const void* d, std::size_t n) override {
        return Paso("Escribir") ? Escritura::Escribir(fd, d, std::min<std::size_t>(n, 100)) : -1;
    }
    int Sincronizar(int fd) override {
        return Paso("Sincronizar") ? Escritura::Sincronizar(fd) : -1;
    }
    int Cerrar(int fd) override {
        if (Paso("Cerrar")) return Escritura::Cerrar(fd);
        ::close(fd);  // as Linux does: the descriptor is gone even when close fails
        return -1;
    }
    int Renombrar(const char* de, const char* a) override {
        return Paso("Renombrar") ? Escritura::Renombrar(de, a) : -1;
    }
    int AbrirCarpeta(const char* r) override {
        return Paso("AbrirCarpeta") ? Escritura::AbrirCarpeta(r) : -1;
    }
    int Borrar(const char* r) override {
        if (m_BorrarFalla) {
            llamadas.push_back("Borrar");
            errno = EBUSY;
            return -1;
        }
        return Paso("Borrar") ? Escritura::Borrar(r) : -1;
    }

  private:
    bool Paso(const char* nombre) {
        llamadas.push_back(nombre);
        if (static_cast<int>(llamadas.size()) != m_Fallo) return true;
        errno = m_Errno;
        return false;
    }
    int m_Fallo, m_Errno;
    bool m_BorrarFalla;
};

TEST(Fichero, EveryFailingCallOfASaveIsAnErrorAndLeavesTheOldFileAndNoTemporary) {
    const std::string viejo = Registro("Viejo") + Registro("Otro");
    auto guardar = [&](const CarpetaTemporal& dir, std::shared_ptr<EscrituraInyectada> es) {
        dir.Escribir(viejo);
        cCatalogo cat(dir.ruta(), es);
        cat.Load();
        cat.Add();
        cat.Valor(0, "Nombre", "Nuevo");
        cat.Valor(2, "Nombre", "Tercero");
        return NumeroDeError([&] { cat.Save(); });
    };
    CarpetaTemporal limpio;
    auto todo = std::make_shared<EscrituraInyectada>(0, 0);
    ASSERT_EQ(guardar(limpio, todo), 0);
    const std::string nuevo = limpio.Leer();
    ASSERT_EQ(nuevo.size(), 3u * 168);
    // 504 bytes in pieces of 100.
    const std::vector<std::string> esperadas = {
        "Crear",    "Escribir",    "Escribir", "Escribir",  "Escribir",     "Escribir",
        "Escribir", "Sincronizar", "Cerrar",   "Renombrar", "AbrirCarpeta", "Sincronizar"};
    ASSERT_EQ(todo->llamadas, esperadas);

    int enumerados = 0;
    for (int k = 1; k <= static_cast<int>(esperadas.size()); ++k) {
        const bool despuesDeRenombrar = k > 10;
        for (const int err : {EIO, ENOSPC}) {
            for (const bool borrarFalla : {false, true}) {
                CarpetaTemporal dir;
                auto es = std::make_shared<EscrituraInyectada>(k, err, borrarFalla);
                const std::string caso = "llamada " + std::to_string(k) + " (" + esperadas[k - 1] +
                                         ") errno " + std::to_string(err) +
                                         (borrarFalla ? " y Borrar falla" : "");
                EXPECT_EQ(guardar(dir, es), err == EIO ? kErrorDispositivo : kDiscoLleno) << caso;
                ++enumerados;
                // The rename is done: the new file is whole in place.
                EXPECT_EQ(dir.Leer(), despuesDeRenombrar ? nuevo : viejo) << caso;
                const std::size_t restos = dir.Entradas().size() - 1;
                // Only a refused removal of a created temporary file leaves one behind...
                EXPECT_EQ(restos, borrarFalla && k > 1 && !despuesDeRenombrar ? 1u : 0u) << caso;
                // ...and the next save removes it.
                cCatalogo otro(dir.ruta());
                otro.Load();
                otro.Save();
                EXPECT_EQ(dir.Entradas(), std::vector<std::string>{"Tarifas.Dat"}) << caso;
            }
        }
    }
    EXPECT_EQ(enumerados, 12 * 4);
}

// A temporary file that a save is still writing (its lock held) is left alone; one whose
// writer died (no lock) is removed by the next save; other files are never touched.
TEST(Fichero, NextSaveRemovesStaleTemporariesButNotOnesBeingWritten) {
    CarpetaTemporal dir;
    auto crear = [&](const std::string& nombre) {
        const int fd = ::open((dir.ruta() / nombre).c_str(), O_CREAT | O_WRONLY, 0600);
        EXPECT_GE(fd, 0);
        return fd;
    };
    ::close(crear(".Tarifas.Dat.abc123"));  // stale
    const int enVuelo = crear(".Tarifas.Dat.xyz789");
    ASSERT_EQ(::flock(enVuelo, LOCK_EX), 0);
    for (const char* ajeno : {".Tarifas.Dat.abc12", ".Otro.Dat.abc123", "Tarifas.Dat.abc123"})
        ::close(crear(ajeno));
    cCatalogo cat(dir.ruta());
    cat.Add();
    cat.Valor(0, "Nombre", "A");
    cat.Save();
    std::vector<std::string> quedan = dir.Entradas();
    std::sort(quedan.begin(), quedan.end());
    EXPECT_EQ(quedan, (std::vector<std::string>{".Otro.Dat.abc123", ".Tarifas.Dat.abc12",
                                                ".Tarifas.Dat.xyz789", "Tarifas.Dat",
                                                "Tarifas.Dat.abc123"}));
    ::close(enVuelo);
    // Saving an empty catalogue cleans up too.
    cCatalogo vacio(dir.ruta());
    vacio.Save();
    EXPECT_FALSE(std::filesystem::exists(dir.ruta() / ".Tarifas.Dat.xyz789"));
    EXPECT_FALSE(std::filesystem::exists(dir.fichero()));
}

// Two processes saving into one folder at once: each one's cleaning never removes the
// other's temporary file in flight, so every save succeeds and none is left.
TEST(Fichero, TwoProcessesSavingAtOnceBothSucceed) {
    CarpetaTemporal dir;
    pid_t hijos[2];
    for (int h = 0; h < 2; ++h) {
        hijos[h] = ::fork();
        ASSERT_GE(hijos[h], 0);
        if (hijos[h] == 0) {
            cCatalogo c(dir.ruta());
            for (int i = 0; i < 50; ++i) {
                c.Add();
                c.Valor(static_cast<std::int16_t>(i), "Nombre", h == 0 ? "A" : "B");
            }
            for (int i = 0; i < 300; ++i) {
                try {
                    c.Save();
                } catch (const RuntimeError&) {
                    ::_exit(1);
                }
            }
            ::_exit(0);
        }
    }
    for (const pid_t h : hijos) {
        int estado = 0;
        ::waitpid(h, &estado, 0);
        EXPECT_TRUE(WIFEXITED(estado) && WEXITSTATUS(estado) == 0);
    }
    EXPECT_EQ(dir.Entradas(), std::vector<std::string>{"Tarifas.Dat"});
    EXPECT_EQ(dir.Leer().size(), 50u * 168);
}

// A child saves two catalogues of 32766 tariffs in turn and is killed at random moments.
// Every file left is one of the two, whole; temporary files left by kills are gone after
// the next save.
TEST(Fichero, KillsDuringSavesLeaveAWholeFileAndNoTemporaryAfterTheNextSave) {
    // In memory when the system has a folder there: a kill tests the same renames and
    // leftovers, and saves without a disk flush make 200 kills quick.
    std::error_code ec;
    CarpetaTemporal dir(std::filesystem::is_directory("/dev/shm", ec)
                            ? std::filesystem::path("/dev/shm")
                            : std::filesystem::temp_directory_path());
    constexpr int kTarifas = 32766, kMuertes = 200;
    cCatalogo a(dir.ruta()), b(dir.ruta());
    for (int i = 0; i < kTarifas; ++i) {
        const auto k = static_cast<std::int16_t>(i);
        a.Add(), b.Add();
        a.Valor(k, "Nombre", "A" + std::to_string(i));
        b.Valor(k, "Nombre", "B" + std::to_string(i));
    }
    a.Save();
    const std::string bytesA = dir.Leer();
    b.Save();
    const std::string bytesB = dir.Leer();
    // What the child is doing, in memory shared with it: 1 while inside a save.
    auto* guardando = static_cast<std::atomic<int>*>(::mmap(nullptr, sizeof(std::atomic<int>),
                                                            PROT_READ | PROT_WRITE,
                                                            MAP_SHARED | MAP_ANONYMOUS, -1, 0));
    ASSERT_NE(guardando, MAP_FAILED);
    // Kill within about two saves' time.
    const auto t0 = std::chrono::steady_clock::now();
    a.Save();
    const auto unGuardado =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - t0)
            .count();
    std::mt19937 gen(2026);
    std::uniform_int_distribution<long> espera(0, 2 * unGuardado + 2000);
    int durante = 0, conRestos = 0;
    for (int muerte = 0; muerte < kMuertes; ++muerte) {
        guardando->store(0);
        const pid_t hijo = ::fork();
        ASSERT_GE(hijo, 0);
        if (hijo == 0) {
            for (bool turno = false;; turno = !turno) {
                guardando->store(1);
                (turno ? a : b).Save();
                guardando->store(2);
            }
        }
        ::usleep(static_cast<useconds_t>(espera(gen)));
        ::kill(hijo, SIGKILL);
        int estado = 0;
        ::waitpid(hijo, &estado, 0);
        if (guardando->load() == 1) ++durante;
        const std::string f = dir.Leer();
        ASSERT_TRUE(f == bytesA || f == bytesB) << "muerte " << muerte << ": " << f.size();
        if (dir.Entradas().size() > 1) ++conRestos;
    }
    ::munmap(guardando, sizeof(std::atomic<int>));
    EXPECT_GE(durante, kMuertes / 4);
    EXPECT_GT(conRestos, 0);  // so that the cleaning below is put to the test
    a.Save();
    EXPECT_EQ(dir.Entradas(), std::vector<std::string>{"Tarifas.Dat"});
    std::printf("%d muertes, %d durante un guardado, %d con un temporal en la carpeta\n", kMuertes,
                durante, conRestos);
}

TEST(Fichero, ProcessKilledWhileSavingNeverLeavesAPartialFile) {
    CarpetaTemporal dir;
    // Two catalogues of different sizes, saved alternately by a child that gets killed.
    auto llenar = [](cCatalogo& c, int n, const char* nombre) {
        for (int i = 0; i < n; ++i) {
            c.Add();
            c.Valor(static_cast<std::int16_t>(i), "Nombre", nombre);
        }
    };
    for (int ronda = 0; ronda < 8; ++ronda) {
        const pid_t hijo = ::fork();
        ASSERT_GE(hijo, 0);
        if (hijo == 0) {
            cCatalogo a(dir.ruta()), b(dir.ruta());
            llenar(a, 3000, "A");
            llenar(b, 5000, "B");
            for (;;) {
                a.Save();
                b.Save();
            }
        }
        ::usleep(static_cast<useconds_t>(20000 + ronda * 7000));
        ::kill(hijo, SIGKILL);
        int estado = 0;
        ::waitpid(hijo, &estado, 0);
        if (!std::filesystem::exists(dir.fichero())) continue;  // killed before the first save
        const std::size_t tam = std::filesystem::file_size(dir.fichero());
        EXPECT_TRUE(tam == 3000u * 168 || tam == 5000u * 168) << tam;
        cCatalogo leido(dir.ruta());
        leido.Load();
        EXPECT_TRUE(leido.Count() == 3000 || leido.Count() == 5000);
    }
}

TEST(Fichero, AnyBytesGiveACatalogueOrANumberedError) {
    std::mt19937 gen(12345);
    CarpetaTemporal dir;
    for (int i = 0; i < 300; ++i) {
        std::uniform_int_distribution<std::size_t> largo(0, 168 * 12);
        std::string bytes(largo(gen), '\0');
        const bool imprimibles = i % 2 == 0;
        for (char& c : bytes) c = static_cast<char>(imprimibles ? 32 + gen() % 95 : gen() % 256);
        dir.Escribir(bytes);
        cCatalogo cat(dir.ruta());
        cat.Load();
        ASSERT_LE(static_cast<std::size_t>(cat.Count()) * 168, bytes.size());
        for (std::int16_t k = 0; k <= cat.Count(); ++k)
            for (const tTarifa::Campo& campo : tTarifa::Campos()) cat.Valor(k, campo.clave);
        EXPECT_EQ(cat.BytesSueltos(), bytes.size() % 168);
        // A file of printable bytes reads back as its whole records.
        if (imprimibles) {
            cat.Save();
            EXPECT_TRUE(dir.Leer() == bytes.substr(0, bytes.size() / 168 * 168)) << bytes.size();
        }
    }
}

}  // namespace
}  // namespace quelmar
