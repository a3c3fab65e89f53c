#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace quelmar::llamadas {

// The bytes a run reads: a file, standard input, a pipe.
class Entrada {
  public:
    virtual ~Entrada() = default;
    // Up to `n` bytes of what the input has now (a terminal or a pipe gets each record
    // costed as it comes): how many, 0 at the end, or -errno when reading failed.
    virtual long Leer(char* destino, std::size_t n) = 0;
    // The whole input's size when known (a regular file), else 0.
    virtual std::uint64_t Tamano() const { return 0; }
};

// An open file descriptor, read with POSIX read(); not closed.
class EntradaDescriptor : public Entrada {
  public:
    explicit EntradaDescriptor(int fd);
    long Leer(char* destino, std::size_t n) override;
    std::uint64_t Tamano() const override { return m_Tamano; }

  protected:
    int Descriptor() const { return m_Fd; }

  private:
    int m_Fd;
    std::uint64_t m_Tamano = 0;
};

// A file opened by name and closed at the end; Error naming it when it cannot be opened.
class EntradaFichero : public EntradaDescriptor {
  public:
    explicit EntradaFichero(const std::filesystem::path& ruta);
    ~EntradaFichero() override;
    EntradaFichero(const EntradaFichero&) = delete;
    EntradaFichero& operator=(const EntradaFichero&) = delete;

  private:
    static int Abrir(const std::filesystem::path& ruta);
};

// The lines of an input, each kept up to `maximo` bytes: the rest of a longer line is
// skipped unread into memory, so a huge line costs no more than a short one.
class LectorLineas {
  public:
    LectorLineas(Entrada& e, std::size_t maximo)
        : m_Entrada(e), m_Maximo(maximo), m_Guardado(maximo + 1) {}

    // The longest line kept whole.
    std::size_t Maximo() const { return m_Maximo; }

    // The next line without its "\n" (and whether it was cut); false at the end. The line
    // stays valid until the next call: most lie whole in the buffer and are not copied.
    bool Siguiente(std::string_view& linea, bool& cortada);
    // The first bytes of the input, read ahead and not consumed.
    std::string_view Principio();
    // The errno of a failed read; 0 when none failed.
    int Error() const { return m_Error; }
    // Bytes read from the input so far.
    std::uint64_t Leidos() const { return m_Leidos; }

  private:
    bool Llenar();

    Entrada& m_Entrada;
    // Kept of a line: its longest content and the CR of a CRLF end.
    const std::size_t m_Maximo, m_Guardado;
    std::string m_Linea;  // a line that is not whole in the buffer
    std::vector<char> m_Buf = std::vector<char>(1 << 16);
    std::size_t m_Ini = 0, m_Fin = 0;
    std::uint64_t m_Leidos = 0;
    int m_Error = 0;
};

}  // namespace quelmar::llamadas
