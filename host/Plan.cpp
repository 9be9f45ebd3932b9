#include "host/Plan.h"
#include "host/RecorridoJson.h"
#include "engine/ValidacionDecisiones.h"
#include "entry/Moneda.h"
#include "entry/cAlumno.h"
#include "entry/cAlumnoActividad.h"
#include "entry/cPrecioActividad.h"
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QSet>
#include <QVarLengthArray>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <type_traits>
#include <vector>

namespace ncc::host {

ErrorPlan::ErrorPlan(Tipo tipo, QStringList problemas)
    : Error(Numero, (tipo == Tipo::Formato ? QStringLiteral("El plan no es válido:\n  ")
                                           : QStringLiteral("El plan no encaja con los datos del centro:\n  ")) +
                        problemas.join(QStringLiteral("\n  "))),
      tipo_(tipo),
      problemas_(std::move(problemas)) {}

// ---------------------------------------------------------------------------
// Writing

namespace {

// Writes JSON text byte for byte as QJsonDocument writes a document (its
// indentation, its escapes, members in key order), straight from the
// plan's objects: a plan of tens of thousands of students is written in a
// fraction of the time and memory of building a document of it.
class EscritorJson {
public:
    explicit EscritorJson(bool compacto) : compacto_(compacto) {}

    void abrirObjeto() { abrir('{'); }
    void cerrarObjeto() { cerrar('}'); }
    void abrirLista() { abrir('['); }
    void cerrarLista() { cerrar(']'); }
    // The name of the next member of the open object.
    void clave(const char* nombre) {
        separar();
        texto_ += '"';
        texto_ += nombre;
        texto_ += compacto_ ? "\":" : "\": ";
        pendiente_ = true;
    }
    void valor(qint64 n) {
        antesDeValor();
        texto_ += QByteArray::number(n);
    }
    void valor(bool b) {
        antesDeValor();
        texto_ += b ? "true" : "false";
    }
    void valor(const QString& t) {
        antesDeValor();
        escribirTexto(t);
    }
    void valor(const char* t) { valor(QString::fromLatin1(t)); }
    QByteArray terminar() {
        if (!compacto_) texto_ += '\n';
        return std::move(texto_);
    }

private:
    void sangrar(int nivel) {
        if (!compacto_) texto_.append(4 * nivel, ' ');
    }
    // Before an element of a list or a member of an object: the comma
    // after the one before, the new line and the indentation.
    void separar() {
        if (abiertos_.isEmpty()) return;
        if (abiertos_.last()) texto_ += compacto_ ? "," : ",\n";
        abiertos_.last() = true;
        sangrar(int(abiertos_.size()));
    }
    // A member's value follows its name; a list's element is separated.
    void antesDeValor() {
        if (pendiente_) pendiente_ = false;
        else separar();
    }
    void abrir(char c) {
        antesDeValor();
        texto_ += c;
        if (!compacto_) texto_ += '\n';
        abiertos_.append(false);
    }
    void cerrar(char c) {
        const bool conAlgo = abiertos_.last();
        abiertos_.removeLast();
        if (conAlgo && !compacto_) texto_ += '\n';
        sangrar(int(abiertos_.size()));
        texto_ += c;
    }
    static char hexadecimal(uint v) { return char(v < 10 ? '0' + v : 'a' + v - 10); }
    void escribirTexto(const QString& t) {
        texto_ += '"';
        const char16_t* c = reinterpret_cast<const char16_t*>(t.constData());
        const char16_t* const fin = c + t.size();
        while (c != fin) {
            const char16_t u = *c++;
            if (u < 0x80) {
                if (u >= 0x20 && u != '"' && u != '\\') {
                    texto_ += char(u);
                    continue;
                }
                texto_ += '\\';
                switch (u) {
                case '"': texto_ += '"'; break;
                case '\\': texto_ += '\\'; break;
                case 0x08: texto_ += 'b'; break;
                case 0x0c: texto_ += 'f'; break;
                case 0x0a: texto_ += 'n'; break;
                case 0x0d: texto_ += 'r'; break;
                case 0x09: texto_ += 't'; break;
                default:
                    texto_ += "u00";
                    texto_ += hexadecimal(u >> 4);
                    texto_ += hexadecimal(u & 0xf);
                }
            } else if (QChar::isHighSurrogate(u) && c != fin && QChar::isLowSurrogate(*c)) {
                texto_ += QString(reinterpret_cast<const QChar*>(c - 1), 2).toUtf8();
                ++c;
            } else if (QChar::isSurrogate(u)) {
                // Half a pair is no UTF-8: it goes as an escape.
                texto_ += "\\u";
                for (int desplazamiento = 12; desplazamiento >= 0; desplazamiento -= 4)
                    texto_ += hexadecimal((u >> desplazamiento) & 0xf);
            } else {
                texto_ += QString(QChar(u)).toUtf8();
            }
        }
        texto_ += '"';
    }

    bool compacto_;
    bool pendiente_ = false;      // a member's name is written, its value not yet
    QVarLengthArray<bool, 8> abiertos_;  // per open object or list: whether it has something
    QByteArray texto_;
};

// A member of the objects of type T: its name and how its value is written.
template <class T>
struct Campo {
    const char* clave;
    void (*escribir)(EscritorJson&, const T&);
};

// The members in the order a document writes them: by name.
template <class T>
std::vector<Campo<T>> enOrden(std::vector<Campo<T>> campos) {
    std::sort(campos.begin(), campos.end(), [](const Campo<T>& a, const Campo<T>& b) { return std::strcmp(a.clave, b.clave) < 0; });
    return campos;
}

template <class T>
void escribirObjeto(EscritorJson& w, const T& objeto, const std::vector<Campo<T>>& campos) {
    w.abrirObjeto();
    for (const Campo<T>& c : campos) {
        w.clave(c.clave);
        c.escribir(w, objeto);
    }
    w.cerrarObjeto();
}

template <class T, class C>
void escribirLista(EscritorJson& w, const C& coleccion, const std::vector<Campo<T>>& campos) {
    w.abrirLista();
    for (const auto& x : coleccion) escribirObjeto(w, *x, campos);
    w.cerrarLista();
}

// A member written as its getter gives it: a text, a flag, or an integer
// of any width as a JSON number.
template <class T, auto getter>
void leido(EscritorJson& w, const T& objeto) {
    const auto& v = (objeto.*getter)();
    using V = std::decay_t<decltype(v)>;
    if constexpr (std::is_same_v<V, QString> || std::is_same_v<V, bool>) w.valor(v);
    else w.valor(qint64(v));
}

const std::vector<Campo<cAlumno>>& camposAlumno() {
    static const auto campos = enOrden<cAlumno>({
        {"IDAlumno", leido<cAlumno, &cAlumno::IDAlumno>},
        {"Nombre", leido<cAlumno, &cAlumno::Nombre>},
        {"Apellido1", leido<cAlumno, &cAlumno::Apellido1>},
        {"Apellido2", leido<cAlumno, &cAlumno::Apellido2>},
        {"IDTipoEnsenanza", leido<cAlumno, &cAlumno::IDTipoEnsenanza>},
        {"IDCurso", leido<cAlumno, &cAlumno::IDCurso>},
        {"IDSeccion", leido<cAlumno, &cAlumno::IDSeccion>},
        {"Orden", leido<cAlumno, &cAlumno::Orden>},
        {"Actividades", leido<cAlumno, &cAlumno::Actividades>},
        {"SinAsignar", leido<cAlumno, &cAlumno::SinAsignar>},
        {"Promociona", leido<cAlumno, &cAlumno::Promociona>},
        {"Repite", leido<cAlumno, &cAlumno::Repite>},
        {"Baja", leido<cAlumno, &cAlumno::Baja>},
        {"FechaBaja", leido<cAlumno, &cAlumno::FechaBaja>},
        {"NIDTipoEnsenanza", leido<cAlumno, &cAlumno::NIDTipoEnsenanza>},
        {"NIDCurso", leido<cAlumno, &cAlumno::NIDCurso>},
        {"NIDSeccion", leido<cAlumno, &cAlumno::NIDSeccion>},
        {"NTipoEnsenanza", leido<cAlumno, &cAlumno::NTipoEnsenanza>},
        {"NCurso", leido<cAlumno, &cAlumno::NCurso>},
        {"NSeccion", leido<cAlumno, &cAlumno::NSeccion>},
    });
    return campos;
}

const std::vector<Campo<cCurso>>& camposSeccion() {
    static const auto campos = enOrden<cCurso>({
        {"IDSeccion", leido<cCurso, &cCurso::IDSeccion>},
        {"IDTipoEnsenanza", leido<cCurso, &cCurso::IDTipoEnsenanza>},
        {"IDCurso", leido<cCurso, &cCurso::IDCurso>},
        {"NumPlazas", leido<cCurso, &cCurso::NumPlazas>},
        {"NumPlazasOcupadas", leido<cCurso, &cCurso::NumPlazasOcupadas>},
        {"IDsPlazasOcupadas", leido<cCurso, &cCurso::IDsPlazasOcupadas>},
        {"PromocionDirecta", leido<cCurso, &cCurso::PromocionDirecta>},
        {"Visible", leido<cCurso, &cCurso::Visible>},
        {"Promocionada", leido<cCurso, &cCurso::Promocionada>},
        {"Alumnos", [](EscritorJson& w, const cCurso& s) { escribirLista(w, *s.Alumnos(), camposAlumno()); }},
    });
    return campos;
}

const std::vector<Campo<cPrecioActividad>>& camposPrecio() {
    static const auto campos = enOrden<cPrecioActividad>({
        {"ID", leido<cPrecioActividad, &cPrecioActividad::ID>},
        {"Nombre", leido<cPrecioActividad, &cPrecioActividad::Nombre>},
        {"Euros", leido<cPrecioActividad, &cPrecioActividad::Euros>},
        {"Pesetas", leido<cPrecioActividad, &cPrecioActividad::Pesetas>},
        {"Visible", leido<cPrecioActividad, &cPrecioActividad::Visible>},
    });
    return campos;
}

const std::vector<Campo<cAlumnoActividad>>& camposMiembro() {
    using M = cAlumnoActividad;
    static const auto campos = enOrden<M>({
        {"IDAlumno", leido<M, &M::IDAlumno>},
        {"Nombre", leido<M, &M::Nombre>},
        {"Apellido1", leido<M, &M::Apellido1>},
        {"Apellido2", leido<M, &M::Apellido2>},
        {"IDTipoAlumno", leido<M, &M::IDTipoAlumno>},
        {"TipoAlumno", leido<M, &M::TipoAlumno>},
        {"IDSeccionActual", leido<M, &M::IDSeccionActual>},
        {"TipoEnsenanza", leido<M, &M::TipoEnsenanza>},
        {"IDCurso", leido<M, &M::IDCurso>},
        {"Curso", leido<M, &M::Curso>},
        {"Seccion", leido<M, &M::Seccion>},
        {"Pasar", leido<M, &M::Pasar>},
        {"Euros", leido<M, &M::Euros>},
        {"Pesetas", leido<M, &M::Pesetas>},
        {"Visible", leido<M, &M::Visible>},
    });
    return campos;
}

const std::vector<Campo<cActividad>>& camposActividad() {
    static const auto campos = enOrden<cActividad>({
        {"IDActividad", leido<cActividad, &cActividad::IDActividad>},
        {"TipoActividad", leido<cActividad, &cActividad::TipoActividad>},
        {"FechaInicio", leido<cActividad, &cActividad::FechaInicio>},
        {"FechaFin", leido<cActividad, &cActividad::FechaFin>},
        {"Promocionada", leido<cActividad, &cActividad::Promocionada>},
        {"Alumnos", [](EscritorJson& w, const cActividad& a) { escribirLista(w, *a.Alumnos(), camposMiembro()); }},
        {"TipoAlumnos", [](EscritorJson& w, const cActividad& a) { escribirLista(w, *a.TipoAlumnos(), camposPrecio()); }},
        {"Cursos", [](EscritorJson& w, const cActividad& a) { escribirLista(w, *a.Cursos(), camposPrecio()); }},
    });
    return campos;
}

}  // namespace

QByteArray planAJson(const Plan& plan, bool compacto) {
    EscritorJson w(compacto);
    // The root's members in the order a document writes them: by name.
    w.abrirObjeto();
    w.clave("actividades");
    escribirLista(w, *plan.arboles.actividades, camposActividad());
    if (plan.cabecera.centro != 0) {
        w.clave("centro");
        w.valor(qint64(plan.cabecera.centro));
    }
    if (!plan.cabecera.cursoEscolar.isEmpty()) {
        w.clave("cursoEscolar");
        w.valor(plan.cabecera.cursoEscolar);
    }
    w.clave("formato");
    w.valor(FormatoPlan);
    w.clave("secciones");
    escribirLista(w, *plan.arboles.secciones, camposSeccion());
    w.clave("version");
    w.valor(qint64(VersionPlan));
    w.cerrarObjeto();
    return w.terminar();
}

// ---------------------------------------------------------------------------
// Reading

namespace {

// Reads the fields of one JSON object, noting every problem under the path
// of the object ("secciones[2].Alumnos[0]") instead of stopping at the first.
class Lector {
public:
    Lector(const QJsonObject& o, QString ruta, QStringList& problemas)
        : o_(o), ruta_(std::move(ruta)), problemas_(problemas) {}

    // Every field not read by the time this is called is unknown.
    void sinOtrosCampos() {
        for (auto it = o_.begin(); it != o_.end(); ++it)
            if (!leidos_.contains(it.key()))
                problema(it.key(), QStringLiteral("campo desconocido"));
    }

    bool hay(const QString& campo) {
        leidos_.insert(campo);
        return o_.contains(campo);
    }

    // An integer within [min, max]; `obligatorio` notes a missing field.
    std::optional<long long> entero(const QString& campo, long long min, long long max, bool obligatorio = false) {
        if (!hay(campo)) {
            if (obligatorio) problema(campo, QStringLiteral("falta (es obligatorio)"));
            return std::nullopt;
        }
        const QJsonValue v = o_.value(campo);
        if (!v.isDouble()) {
            problema(campo, QStringLiteral("debe ser un número entero, no %1").arg(describir(v)));
            return std::nullopt;
        }
        const double d = v.toDouble();
        if (d != std::floor(d)) {
            problema(campo, QStringLiteral("debe ser un número entero, no %1").arg(d));
            return std::nullopt;
        }
        if (d < double(min) || d > double(max)) {
            problema(campo, QStringLiteral("%1 está fuera de su intervalo (%2..%3)").arg(QString::number(d, 'f', 0))
                                .arg(min)
                                .arg(max));
            return std::nullopt;
        }
        return static_cast<long long>(d);
    }
    template <class T>
    std::optional<T> rango(const QString& campo, bool obligatorio = false) {
        const auto v = entero(campo, std::numeric_limits<T>::min(), std::numeric_limits<T>::max(), obligatorio);
        if (!v) return std::nullopt;
        return static_cast<T>(*v);
    }

    bool booleano(const QString& campo) {
        if (!hay(campo)) return false;
        const QJsonValue v = o_.value(campo);
        if (!v.isBool()) {
            problema(campo, QStringLiteral("debe ser true o false, no %1").arg(describir(v)));
            return false;
        }
        return v.toBool();
    }

    QString texto(const QString& campo, const QString& defecto = {}) {
        if (!hay(campo)) return defecto;
        const QJsonValue v = o_.value(campo);
        if (!v.isString()) {
            problema(campo, QStringLiteral("debe ser un texto, no %1").arg(describir(v)));
            return defecto;
        }
        return v.toString();
    }

    // The objects of an array field (absent: none).
    QList<QJsonObject> objetos(const QString& campo) {
        QList<QJsonObject> r;
        if (!hay(campo)) return r;
        const QJsonValue v = o_.value(campo);
        if (!v.isArray()) {
            problema(campo, QStringLiteral("debe ser una lista, no %1").arg(describir(v)));
            return r;
        }
        const QJsonArray a = v.toArray();
        for (qsizetype i = 0; i < a.size(); ++i) r << objeto(campo, i, a.at(i));
        return r;
    }

    // Element `i` of the array field `campo`, which must be an object; any
    // other value is noted and read as an empty object, which keeps the
    // positions of the others.
    QJsonObject objeto(const QString& campo, qsizetype i, const QJsonValue& v) {
        if (v.isObject()) return v.toObject();
        problemas_ << QStringLiteral("%1[%2]: debe ser un objeto, no %3").arg(rutaDe(campo)).arg(i).arg(describir(v));
        return QJsonObject();
    }

    QString rutaDe(const QString& campo) const { return ruta_.isEmpty() ? campo : ruta_ + QLatin1Char('.') + campo; }
    void problema(const QString& campo, const QString& texto) {
        problemas_ << rutaDe(campo) + QStringLiteral(": ") + texto;
    }
    void problemaAqui(const QString& texto) {
        problemas_ << (ruta_.isEmpty() ? QStringLiteral("plan") : ruta_) + QStringLiteral(": ") + texto;
    }

    static QString describir(const QJsonValue& v) {
        switch (v.type()) {
        case QJsonValue::Null: return QStringLiteral("null");
        case QJsonValue::Bool: return v.toBool() ? QStringLiteral("true") : QStringLiteral("false");
        case QJsonValue::Double: return QString::number(v.toDouble());
        case QJsonValue::String: return QLatin1Char('"') + v.toString() + QLatin1Char('"');
        case QJsonValue::Array: return QStringLiteral("una lista");
        case QJsonValue::Object: return QStringLiteral("un objeto");
        case QJsonValue::Undefined: break;
        }
        return QStringLiteral("un valor indefinido");
    }

private:
    const QJsonObject o_;
    QString ruta_;
    QStringList& problemas_;
    QSet<QString> leidos_;
};

std::shared_ptr<cAlumno> leerAlumno(Lector& l, int posicion) {
    auto a = std::make_shared<cAlumno>();
    if (auto v = l.rango<qint32>(QStringLiteral("IDAlumno"), true)) a->setIDAlumno(*v);
    a->setNombre(l.texto(QStringLiteral("Nombre")));
    a->setApellido1(l.texto(QStringLiteral("Apellido1")));
    a->setApellido2(l.texto(QStringLiteral("Apellido2")));
    if (auto v = l.rango<quint8>(QStringLiteral("IDTipoEnsenanza"))) a->setIDTipoEnsenanza(*v);
    if (auto v = l.rango<quint8>(QStringLiteral("IDCurso"))) a->setIDCurso(*v);
    if (auto v = l.rango<qint16>(QStringLiteral("IDSeccion"))) a->setIDSeccion(*v);
    // Without an order the student keeps his place in the list: the rollback
    // puts him back there.
    if (l.hay(QStringLiteral("Orden"))) {
        if (auto v = l.rango<quint8>(QStringLiteral("Orden"))) a->setOrden(*v);
    } else {
        a->setOrden(quint8(std::min(posicion, 255)));
    }
    const QString actividades = l.texto(QStringLiteral("Actividades"));
    if (!actividades.isEmpty()) {
        for (const QString& id : actividades.split(QLatin1Char(','))) {
            bool ok = false;
            const int n = id.toInt(&ok);
            if (!ok || n < std::numeric_limits<qint16>::min() || n > std::numeric_limits<qint16>::max()) {
                l.problema(QStringLiteral("Actividades"),
                           QStringLiteral("\"%1\" no es una lista de ids de actividad separados por comas")
                               .arg(actividades));
                break;
            }
        }
    }
    a->setActividades(actividades);
    a->setSinAsignar(l.booleano(QStringLiteral("SinAsignar")));
    a->setPromociona(l.booleano(QStringLiteral("Promociona")));
    a->setRepite(l.booleano(QStringLiteral("Repite")));
    a->setBaja(l.booleano(QStringLiteral("Baja")));
    a->setFechaBaja(l.texto(QStringLiteral("FechaBaja")));
    if (auto v = l.rango<quint8>(QStringLiteral("NIDTipoEnsenanza"))) a->setNIDTipoEnsenanza(*v);
    if (auto v = l.rango<quint8>(QStringLiteral("NIDCurso"))) a->setNIDCurso(*v);
    if (auto v = l.rango<qint16>(QStringLiteral("NIDSeccion"))) a->setNIDSeccion(*v);
    a->setNTipoEnsenanza(l.texto(QStringLiteral("NTipoEnsenanza")));
    a->setNCurso(l.texto(QStringLiteral("NCurso")));
    a->setNSeccion(l.texto(QStringLiteral("NSeccion")));
    l.sinOtrosCampos();
    return a;
}

std::shared_ptr<cCurso> leerSeccion(Lector& l, const QString& ruta, QStringList& problemas) {
    auto s = std::make_shared<cCurso>();
    if (auto v = l.rango<qint16>(QStringLiteral("IDSeccion"), true)) s->setIDSeccion(*v);
    if (auto v = l.rango<quint8>(QStringLiteral("IDTipoEnsenanza"))) s->setIDTipoEnsenanza(*v);
    if (auto v = l.rango<quint8>(QStringLiteral("IDCurso"))) s->setIDCurso(*v);
    if (auto v = l.rango<quint8>(QStringLiteral("NumPlazas"))) s->setNumPlazas(*v);
    if (auto v = l.rango<quint8>(QStringLiteral("NumPlazasOcupadas"))) s->setNumPlazasOcupadas(*v);
    s->setIDsPlazasOcupadas(l.texto(QStringLiteral("IDsPlazasOcupadas"), QStringLiteral(",")));
    s->setPromocionDirecta(l.booleano(QStringLiteral("PromocionDirecta")));
    s->setVisible(l.booleano(QStringLiteral("Visible")));
    s->setPromocionada(l.booleano(QStringLiteral("Promocionada")));
    const auto alumnos = l.objetos(QStringLiteral("Alumnos"));
    for (int i = 0; i < alumnos.size(); ++i) {
        const QString r = QStringLiteral("%1.Alumnos[%2]").arg(ruta).arg(i);
        Lector la(alumnos.at(i), r, problemas);
        auto a = leerAlumno(la, i + 1);
        const QString clave = Coleccion<cAlumno>::clave(a->IDAlumno());
        if (s->Alumnos()->contiene(clave)) {
            problemas << QStringLiteral("%1: el alumno %2 ya figura en la sección").arg(r).arg(a->IDAlumno());
            continue;
        }
        s->Alumnos()->Add(a, clave);
    }
    l.sinOtrosCampos();
    return s;
}

// One currency given, the other is computed as the price page computes it;
// both given, both are kept as they are. A price that does not parse is
// kept as written, for the check of the decisions to name it.
void completarPrecio(QString& euros, QString& pesetas) {
    const QString e = euros.trimmed(), p = pesetas.trimmed();
    if (!e.isEmpty() && p.isEmpty()) {
        if (const auto centimos = motor::centimosDeEuros(e)) {
            euros = e;
            pesetas = APesetas(*centimos);
        }
    } else if (e.isEmpty() && !p.isEmpty()) {
        if (const auto n = motor::pesetasDeTexto(p)) {
            pesetas = p;
            euros = AEuros(*n);
        }
    }
}

std::shared_ptr<cPrecioActividad> leerPrecio(Lector& l) {
    auto p = std::make_shared<cPrecioActividad>();
    if (auto v = l.rango<qint16>(QStringLiteral("ID"), true)) p->setID(*v);
    p->setNombre(l.texto(QStringLiteral("Nombre")));
    QString euros = l.texto(QStringLiteral("Euros")), pesetas = l.texto(QStringLiteral("Pesetas"));
    completarPrecio(euros, pesetas);
    p->setEuros(euros);
    p->setPesetas(pesetas);
    p->setVisible(l.booleano(QStringLiteral("Visible")));
    l.sinOtrosCampos();
    return p;
}

void leerPrecios(Lector& l, const QString& campo, const QString& ruta, Coleccion<cPrecioActividad>& destino,
                 QStringList& problemas, bool porTipo) {
    const auto filas = l.objetos(campo);
    for (int i = 0; i < filas.size(); ++i) {
        const QString r = QStringLiteral("%1.%2[%3]").arg(ruta, campo).arg(i);
        Lector lp(filas.at(i), r, problemas);
        auto p = leerPrecio(lp);
        // A student-type id is held as a byte wherever else it appears.
        if (porTipo && (p->ID() < 0 || p->ID() > 255)) {
            problemas << QStringLiteral("%1.ID: %2 está fuera de su intervalo (0..255)").arg(r).arg(p->ID());
            continue;
        }
        const QString clave = Coleccion<cPrecioActividad>::clave(p->ID());
        if (destino.contiene(clave)) {
            problemas << QStringLiteral("%1: el precio de %2 ya figura en %3").arg(r).arg(p->ID()).arg(campo);
            continue;
        }
        destino.Add(p, clave);
    }
}

std::shared_ptr<cAlumnoActividad> leerMiembro(Lector& l) {
    auto m = std::make_shared<cAlumnoActividad>();
    if (auto v = l.rango<qint32>(QStringLiteral("IDAlumno"), true)) m->setIDAlumno(*v);
    m->setNombre(l.texto(QStringLiteral("Nombre")));
    m->setApellido1(l.texto(QStringLiteral("Apellido1")));
    m->setApellido2(l.texto(QStringLiteral("Apellido2")));
    if (auto v = l.rango<quint8>(QStringLiteral("IDTipoAlumno"))) m->setIDTipoAlumno(*v);
    m->setTipoAlumno(l.texto(QStringLiteral("TipoAlumno")));
    if (auto v = l.rango<qint16>(QStringLiteral("IDSeccionActual"))) m->setIDSeccionActual(*v);
    m->setTipoEnsenanza(l.texto(QStringLiteral("TipoEnsenanza")));
    if (auto v = l.rango<quint8>(QStringLiteral("IDCurso"))) m->setIDCurso(*v);
    m->setCurso(l.texto(QStringLiteral("Curso")));
    m->setSeccion(l.texto(QStringLiteral("Seccion")));
    m->setPasar(l.booleano(QStringLiteral("Pasar")));
    QString euros = l.texto(QStringLiteral("Euros")), pesetas = l.texto(QStringLiteral("Pesetas"));
    completarPrecio(euros, pesetas);
    m->setEuros(euros);
    m->setPesetas(pesetas);
    m->setVisible(l.booleano(QStringLiteral("Visible")));
    l.sinOtrosCampos();
    return m;
}

std::shared_ptr<cActividad> leerActividad(Lector& l, const QString& ruta, QStringList& problemas) {
    auto act = std::make_shared<cActividad>();
    if (auto v = l.rango<qint16>(QStringLiteral("IDActividad"), true)) act->setIDActividad(*v);
    if (auto v = l.rango<quint8>(QStringLiteral("TipoActividad"))) act->setTipoActividad(*v);
    act->setFechaInicio(l.texto(QStringLiteral("FechaInicio")));
    act->setFechaFin(l.texto(QStringLiteral("FechaFin")));
    act->setPromocionada(l.booleano(QStringLiteral("Promocionada")));
    const auto miembros = l.objetos(QStringLiteral("Alumnos"));
    for (int i = 0; i < miembros.size(); ++i) {
        const QString r = QStringLiteral("%1.Alumnos[%2]").arg(ruta).arg(i);
        Lector lm(miembros.at(i), r, problemas);
        auto m = leerMiembro(lm);
        const QString clave = Coleccion<cAlumnoActividad>::clave(m->IDAlumno());
        if (act->Alumnos()->contiene(clave)) {
            problemas << QStringLiteral("%1: el alumno %2 ya figura en la actividad").arg(r).arg(m->IDAlumno());
            continue;
        }
        act->Alumnos()->Add(m, clave);
    }
    leerPrecios(l, QStringLiteral("TipoAlumnos"), ruta, *act->TipoAlumnos(), problemas, true);
    leerPrecios(l, QStringLiteral("Cursos"), ruta, *act->Cursos(), problemas, false);
    l.sinOtrosCampos();
    return act;
}

}  // namespace

namespace {

// Where each element of the plan's two long lists lies in its text, so that
// each is parsed alone and the document of a large school is never in
// memory whole (a 65 MB plan took 240 MB more as one document).
// `cabecera` is the text with those two lists emptied.
struct PlanTroceado {
    QByteArray cabecera;
    QHash<QString, QList<std::pair<qsizetype, qsizetype>>> listas;  // [from, to) of each element
};

// Follows the plan's text as far as its shape goes; the JSON parser reads
// each piece. Answers nothing for a text it cannot follow (any fault of
// form): that text is read whole, which also names its first fault.
class Troceador : private RecorridoJson {
public:
    explicit Troceador(const QByteArray& t) : RecorridoJson(t) {}

    std::optional<PlanTroceado> trocear() {
        PlanTroceado r;
        espacios();
        if (!signo('{')) return std::nullopt;
        qsizetype copiado = 0;  // the text before this is in the header
        espacios();
        for (bool primero = true; !signo('}'); primero = false) {
            if (!primero && !signo(',')) return std::nullopt;
            espacios();
            const qsizetype clave = i_;
            if (!saltarTexto()) return std::nullopt;
            const QByteArray nombre = t_.mid(clave + 1, i_ - clave - 2);
            espacios();
            if (!signo(':')) return std::nullopt;
            espacios();
            const bool larga = nombre == "secciones" || nombre == "actividades";
            // A list given twice is left to the parser.
            if (larga && r.listas.contains(QString::fromLatin1(nombre))) return std::nullopt;
            if (larga && i_ < t_.size() && t_.at(i_) == '[') {
                auto& elementos = r.listas[QString::fromLatin1(nombre)];
                r.cabecera += QByteArrayView(t_).sliced(copiado, i_ + 1 - copiado);
                ++i_;
                espacios();
                for (bool primerElemento = true; !signo(']'); primerElemento = false) {
                    if (!primerElemento && !signo(',')) return std::nullopt;
                    espacios();
                    const qsizetype desde = i_;
                    if (!saltarValor()) return std::nullopt;
                    elementos.append({desde, i_});
                    espacios();
                }
                r.cabecera += ']';
                copiado = i_;
            } else {
                if (!saltarValor()) return std::nullopt;
                if (larga) r.listas.insert(QString::fromLatin1(nombre), {});
            }
            espacios();
        }
        r.cabecera += QByteArrayView(t_).sliced(copiado);
        return r;
    }
};

[[noreturn]] void errorDeFormato(const QByteArray& json, const QJsonParseError& e) {
    // The line and column help more than an offset into the file.
    const QByteArray antes = json.left(e.offset);
    const int linea = int(antes.count('\n')) + 1;
    const int columna = int(e.offset - (antes.lastIndexOf('\n') + 1)) + 1;
    throw ErrorPlan(ErrorPlan::Tipo::Formato, {QStringLiteral("JSON mal formado en la línea %1, columna %2: %3")
                                                   .arg(linea)
                                                   .arg(columna)
                                                   .arg(e.errorString())});
}

// A piece of the plan that the parser refused: the plan is read whole,
// and the parser names the fault where it is in the file.
struct PiezaNoLeida {};

// `texto` as a document: the whole plan `json` or a piece of it.
QJsonDocument documento(const QByteArray& texto, const QByteArray& json) {
    QJsonParseError e;
    QJsonDocument doc = QJsonDocument::fromJson(texto, &e);
    if (e.error == QJsonParseError::NoError) return doc;
    if (&texto != &json) throw PiezaNoLeida{};
    errorDeFormato(json, e);
}

// Each object of the plan's list `campo`, with its position, to `leer`:
// those of the document, or those of the list's pieces one by one.
template <class Leer>
void porCadaObjeto(Lector& raiz, const QString& campo, const QByteArray& json, const PlanTroceado* trozos, Leer leer) {
    const QList<QJsonObject> enDocumento = raiz.objetos(campo);
    for (qsizetype i = 0; i < enDocumento.size(); ++i) leer(enDocumento.at(i), i);
    if (!trozos) return;
    const auto elementos = trozos->listas.value(campo);
    for (qsizetype i = 0; i < elementos.size(); ++i) {
        const auto [desde, hasta] = elementos.at(i);
        QByteArray texto;
        texto.reserve(hasta - desde + 2);
        texto.append('[').append(QByteArrayView(json).sliced(desde, hasta - desde)).append(']');
        leer(raiz.objeto(campo, i, documento(texto, json).array().at(0)), i);
    }
}

// The plan of `json`, read whole or, with `trozos`, piece by piece.
Plan leerPlan(const QByteArray& json, const PlanTroceado* trozos) {
    const QJsonDocument doc = trozos ? documento(trozos->cabecera, json) : documento(json, json);
    if (!doc.isObject())
        throw ErrorPlan(ErrorPlan::Tipo::Formato, {QStringLiteral("el plan debe ser un objeto JSON")});

    QStringList problemas;
    Plan plan;
    Lector raiz(doc.object(), QString(), problemas);
    if (raiz.hay(QStringLiteral("formato"))) {
        const QString f = raiz.texto(QStringLiteral("formato"));
        if (f != QLatin1String(FormatoPlan))
            raiz.problema(QStringLiteral("formato"),
                          QStringLiteral("\"%1\" no es \"%2\"").arg(f, QLatin1String(FormatoPlan)));
    }
    if (auto v = raiz.entero(QStringLiteral("version"), 0, std::numeric_limits<int>::max()); v && *v != VersionPlan)
        raiz.problema(QStringLiteral("version"),
                      QStringLiteral("la versión %1 no se conoce (se conoce la %2)").arg(*v).arg(VersionPlan));
    if (auto v = raiz.rango<qint16>(QStringLiteral("centro"))) plan.cabecera.centro = *v;
    plan.cabecera.cursoEscolar = raiz.texto(QStringLiteral("cursoEscolar"));

    porCadaObjeto(raiz, QStringLiteral("secciones"), json, trozos, [&](const QJsonObject& o, qsizetype i) {
        const QString r = QStringLiteral("secciones[%1]").arg(i);
        Lector l(o, r, problemas);
        auto s = leerSeccion(l, r, problemas);
        const QString clave = Coleccion<cCurso>::clave(s->IDSeccion());
        if (plan.arboles.secciones->contiene(clave)) {
            problemas << QStringLiteral("%1: la sección %2 ya figura en el plan").arg(r).arg(s->IDSeccion());
            return;
        }
        plan.arboles.secciones->Add(s, clave);
    });
    porCadaObjeto(raiz, QStringLiteral("actividades"), json, trozos, [&](const QJsonObject& o, qsizetype i) {
        const QString r = QStringLiteral("actividades[%1]").arg(i);
        Lector l(o, r, problemas);
        auto a = leerActividad(l, r, problemas);
        const QString clave = Coleccion<cActividad>::clave(a->IDActividad());
        if (plan.arboles.actividades->contiene(clave)) {
            problemas << QStringLiteral("%1: la actividad %2 ya figura en el plan").arg(r).arg(a->IDActividad());
            return;
        }
        plan.arboles.actividades->Add(a, clave);
    });
    raiz.sinOtrosCampos();
    if (!problemas.isEmpty()) throw ErrorPlan(ErrorPlan::Tipo::Formato, problemas);
    return plan;
}

}  // namespace

Plan planDesdeJson(const QByteArray& json) {
    if (const std::optional<PlanTroceado> trozos = Troceador(json).trocear()) {
        try {
            return leerPlan(json, &*trozos);
        } catch (const PiezaNoLeida&) {
        }
    }
    return leerPlan(json, nullptr);
}

// ---------------------------------------------------------------------------

void comprobarCabecera(const Plan& plan, int idCentro, const QString& cursoEscolar) {
    QStringList problemas;
    if (plan.cabecera.centro != 0 && plan.cabecera.centro != idCentro)
        problemas << QStringLiteral("centro: el plan es del centro %1 y se está cerrando el centro %2")
                         .arg(plan.cabecera.centro)
                         .arg(idCentro);
    if (!plan.cabecera.cursoEscolar.isEmpty() && plan.cabecera.cursoEscolar != cursoEscolar)
        problemas << QStringLiteral("cursoEscolar: el plan es del curso \"%1\" y el curso actual del centro es \"%2\"")
                         .arg(plan.cabecera.cursoEscolar, cursoEscolar);
    if (!problemas.isEmpty()) throw ErrorPlan(ErrorPlan::Tipo::NoEncaja, problemas);
}

bool HayAlumnosSinDestino(const Coleccion<cCurso>& secciones) {
    for (const auto& s : secciones) {
        if (!s->Promocionada()) continue;
        for (const auto& a : *s->Alumnos())
            if ((a->Promociona() || a->Repite()) && !a->SinAsignar() && a->NIDTipoEnsenanza() == 0 &&
                a->NIDCurso() == 0 && a->NIDSeccion() == 0)
                return true;
    }
    return false;
}

}  // namespace ncc::host
