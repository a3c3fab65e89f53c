#include "runtime/Variant.h"

#include "runtime/Checked.h"
#include "runtime/Locale.h"
#include "runtime/OleDate.h"
#include "runtime/RuntimeError.h"

namespace quelmar {

double ADobleBruto(const Variant& v) {
    switch (v.tipo()) {
        case Variant::Tipo::Vacio:
            return 0.0;
        case Variant::Tipo::Entero:
            return std::get<std::int16_t>(v.m_Valor);
        case Variant::Tipo::Largo:
            return std::get<std::int32_t>(v.m_Valor);
        case Variant::Tipo::Simple:
            return std::get<float>(v.m_Valor);
        case Variant::Tipo::Doble:
            return std::get<double>(v.m_Valor);
        case Variant::Tipo::Fecha:
            return v.fecha();
        case Variant::Tipo::Booleano:
            return std::get<bool>(v.m_Valor) ? -1.0 : 0.0;
        case Variant::Tipo::Texto:
            break;
    }
    Lanzar(kTiposNoCoinciden, "«" + v.texto() + "» no es un número");
}

bool ABooleanoBruto(const Variant& v) {
    return std::get<bool>(v.m_Valor);
}

std::string CStr(const Variant& v) {
    switch (v.tipo()) {
        case Variant::Tipo::Vacio:
            return {};
        case Variant::Tipo::Texto:
            return v.texto();
        case Variant::Tipo::Fecha:
            return TextoFecha(v.fecha());
        case Variant::Tipo::Booleano:
            return ABooleanoBruto(v) ? "True" : "False";
        case Variant::Tipo::Simple:
            return TextoNumero(ADobleBruto(v), 7);
        default:
            return TextoNumero(ADobleBruto(v), 15);
    }
}

double CDate(const Variant& v) {
    if (v.EsTexto()) {
        auto d = LeerFecha(v.texto());
        if (!d) Lanzar(kTiposNoCoinciden, "«" + v.texto() + "» no es una fecha");
        return *d;
    }
    return fecha::Validar(ADobleBruto(v));
}

bool IsDate(const Variant& v) {
    if (v.EsFecha()) return true;
    if (v.EsTexto()) return LeerFecha(v.texto()).has_value();
    return false;
}

double CDbl(const Variant& v) {
    if (v.EsTexto()) {
        auto n = LeerNumero(v.texto());
        if (!n) Lanzar(kTiposNoCoinciden, "«" + v.texto() + "» no es un número");
        return *n;
    }
    return ADobleBruto(v);
}

std::int16_t CInt(const Variant& v) {
    return CInt(CDbl(v));
}
std::int32_t CLng(const Variant& v) {
    return CLng(CDbl(v));
}

}  // namespace quelmar
