#include "entry/cAsignarDatos.h"
#include "entry/RegistroClases.h"
#include "entry/cConfiguracion.h"
#include "platform/Conexion.h"
#include "platform/Error.h"
#include "platform/Mensajes.h"
#include <QMetaType>
#include <QVariant>
#include <cmath>
#include <limits>

namespace ncc {

namespace {

// Errors of a late-bound read, numbered as the host's automation reports them.
constexpr long UsoNoValidoDeNull = 94;
constexpr long VariableDeObjetoNoEstablecida = 91;

QVariant leer(QObject* sesion, const char* nombre) {
    const QVariant v = sesion->property(nombre);
    if (v.isValid()) return v;
    const bool declarada = sesion->metaObject()->indexOfProperty(nombre) >= 0 ||
                           sesion->dynamicPropertyNames().contains(QByteArray(nombre));
    if (declarada)
        throw Error(UsoNoValidoDeNull,
                    QStringLiteral("Uso no válido de Null: la propiedad %1 de la sesión no tiene valor")
                        .arg(QLatin1String(nombre)));
    throw Error(errores::PropiedadNoEncontrada,
                QStringLiteral("El objeto de sesión no admite la propiedad %1").arg(QLatin1String(nombre)));
}

[[noreturn]] void noConvierte(const char* nombre, const QVariant& v, const char* tipo) {
    throw Error(errores::TipoNoCoincide,
                QStringLiteral("No coinciden los tipos: la propiedad %1 de la sesión (%2) no es %3")
                    .arg(QLatin1String(nombre), QLatin1String(v.typeName() ? v.typeName() : "?"),
                         QLatin1String(tipo)));
}

bool esNumero(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
    case QMetaType::Long: case QMetaType::ULong: case QMetaType::Short: case QMetaType::UShort:
    case QMetaType::Char: case QMetaType::SChar: case QMetaType::UChar:
    case QMetaType::Double: case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

bool esTexto(const QVariant& v) {
    return v.typeId() == QMetaType::QString || v.typeId() == QMetaType::QByteArray;
}

// A 16-bit integer as the host's automation converts one: true is -1,
// fractions round half to even, numeric text is read, anything out of range
// overflows.
qint16 entero16(QObject* sesion, const char* nombre) {
    const QVariant v = leer(sesion, nombre);
    double d = 0;
    if (v.typeId() == QMetaType::Bool) {
        d = v.toBool() ? -1 : 0;
    } else if (esNumero(v)) {
        if (v.typeId() == QMetaType::ULongLong && v.toULongLong() > 32767ULL) d = 1e9;
        else d = v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float ? v.toDouble()
                                                                                  : double(v.toLongLong());
    } else if (esTexto(v)) {
        const QString t = v.toString().trimmed();
        bool ok = false;
        d = t.toDouble(&ok);
        if (!ok) d = QString(t).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
        if (!ok) noConvierte(nombre, v, "un número");
    } else {
        noConvierte(nombre, v, "un número");
    }
    if (!std::isfinite(d)) noConvierte(nombre, v, "un número");
    const double r = std::nearbyint(d);
    if (r < std::numeric_limits<qint16>::min() || r > std::numeric_limits<qint16>::max())
        throw Error(errores::Desbordamiento,
                    QStringLiteral("Desbordamiento: la propiedad %1 de la sesión (%2) no cabe en un entero")
                        .arg(QLatin1String(nombre), v.toString()));
    return qint16(r);
}

QString texto(QObject* sesion, const char* nombre) {
    const QVariant v = leer(sesion, nombre);
    if (v.typeId() == QMetaType::Bool) return v.toBool() ? QStringLiteral("Verdadero") : QStringLiteral("Falso");
    if (esTexto(v) || esNumero(v)) return v.toString();
    noConvierte(nombre, v, "un texto");
}

bool booleano(QObject* sesion, const char* nombre) {
    const QVariant v = leer(sesion, nombre);
    if (v.typeId() == QMetaType::Bool) return v.toBool();
    if (esNumero(v)) return v.toDouble() != 0;
    if (esTexto(v)) {
        const QString t = v.toString().trimmed();
        if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 ||
            t.compare(QLatin1String("verdadero"), Qt::CaseInsensitive) == 0)
            return true;
        if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0 ||
            t.compare(QLatin1String("falso"), Qt::CaseInsensitive) == 0)
            return false;
        bool ok = false;
        const double d = t.toDouble(&ok);
        if (ok) return d != 0;
    }
    noConvierte(nombre, v, "un valor booleano");
}

Conexion* conexion(QObject* sesion, const char* nombre) {
    const QVariant v = leer(sesion, nombre);
    if (!(v.metaType().flags() & QMetaType::PointerToQObject)) noConvierte(nombre, v, "una conexión");
    QObject* o = qvariant_cast<QObject*>(v);
    if (!o)
        throw Error(VariableDeObjetoNoEstablecida,
                    QStringLiteral("Variable de objeto no establecida: la sesión no tiene %1")
                        .arg(QLatin1String(nombre)));
    auto* c = qobject_cast<Conexion*>(o);
    if (!c) noConvierte(nombre, v, "una conexión");
    return c;
}

}  // namespace

cAsignarDatos::cAsignarDatos(QObject* parent) : QObject(parent) {
    fijarConfiguracionActual(std::make_unique<cConfiguracion>());
}

cAsignarDatos::~cAsignarDatos() { fijarConfiguracionActual(nullptr); }

void cAsignarDatos::ObtenerDatos(QObject* objDatosSesion) {
    if (!objDatosSesion)
        throw Error(VariableDeObjetoNoEstablecida, QStringLiteral("Variable de objeto no establecida: no hay sesión"));
    // Another entry object released in between leaves the component without
    // settings; this one still owns the session.
    if (!ConfiguracionActual()) fijarConfiguracionActual(std::make_unique<cConfiguracion>());
    cConfiguracion& c = *ConfiguracionActual();
    QObject* s = objDatosSesion;

    ArchivoAyuda() = texto(s, "RutaAplicacion") + QStringLiteral("/NorvaCentro.chm");

    c.setintIDUsuario(entero16(s, "IDUsuario"));
    c.setintIDCentro(entero16(s, "IDCentro"));
    c.setNombreCentro(texto(s, "NombreCentro"));
    c.setintIDCursoEscolar(entero16(s, "IDCursoescolar"));
    c.setCursoEscolar(texto(s, "ValorCursoEscolar"));
    c.setRutaIcono(texto(s, "RutaIcono"));
    c.setPesetas(booleano(s, "Pesetas"));

    c.setDatosSesion(s);

    Conexion* appEntrada = conexion(s, "conexionAppEntrada");
    c.setconLocalAppEntrada(appEntrada);
    c.setconLocalBorradoAppEntrada(conexion(s, "conexionBorradoAppEntrada"));
    c.setconLocalCentro(conexion(s, "conexionlocalCENTRO"));
    c.setconLocalBorradoCentro(conexion(s, "conexionBORRADOlocalCENTRO"));

    c.setSQLServer(booleano(s, "SQLServer"));

    c.setRutaBD(ObtenerRutaBD(*appEntrada));
}

static AbridorFormulario& abridor(quint8 nodo) {
    static AbridorFormulario abridores[4];
    return abridores[nodo];
}

void InstalarFormularioNodo(quint8 nodo, AbridorFormulario abrir) {
    if (nodo >= 1 && nodo <= 3) abridor(nodo) = std::move(abrir);
}

void cAsignarDatos::ActivarFormulario(quint8 bytNodoSeleccionado) {
    switch (bytNodoSeleccionado) {
    case 1:  // closing wizard
    case 2:  // historic school-year chooser
    case 3:  // historic grade transfer
        if (const AbridorFormulario& abrir = abridor(bytNodoSeleccionado)) abrir();
        else avisarTexto(QStringLiteral("El formulario aún no está disponible."), Icono::Informacion);
        break;
    default:
        break;
    }
}

}  // namespace ncc

using ncc::cAsignarDatos;
NCC_REGISTRAR_CLASE(cAsignarDatos);
