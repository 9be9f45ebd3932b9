#include "entry/RegistroClases.h"
#include "entry/cActividad.h"
#include "entry/cAlumnoHistorico.h"
#include "entry/cMateria.h"
#include "entry/cAlumnoActividad.h"
#include "entry/cCurso.h"
#include "entry/cPrecioActividad.h"
#include "entry/cSeccionCurso.h"
#include "platform/Error.h"
#include <QHash>

namespace ncc {

namespace {

struct Entrada {
    const char* nombre;
    const char* clsid;
    const char* iid;
    const char* iidEventos;
};

// The identities the host and the type library know the classes by; they
// never change from one build to the next.
constexpr Entrada tabla[] = {
    {"cAsignarDatos", "b2987086-e98e-4d03-be05-4242fb1d23e2", "5a5ba293-c316-4a04-a292-916809773563", nullptr},
    {"cCurso", "ca8a363a-505d-4372-91cb-17474329af33", "8ebf2a52-b962-4139-815b-b71980a1a10d", nullptr},
    {"cActividad", "a73e4017-5878-42de-9b35-a376b9b970d9", "2579833a-8067-4ecd-aa07-3efc2b18ef96", nullptr},
    {"cSeccionCurso", "49e940c0-be58-4573-9625-2525cd238093", "e775cb85-f745-4dd7-8031-b671fd586331", nullptr},
    {"cAlumnoActividad", "d1d9afd9-b4f4-4144-a503-f0279917d35b", "974d6416-317a-4558-97f7-d923b7129372", nullptr},
    {"cPrecioActividad", "81d07618-311f-4db6-9e48-ad14f5e9778f", "fdf7e908-5abe-49ea-9053-96895ac6eb7b", nullptr},
    {"cAlumnoHistorico", "390c8aef-3f7a-427d-8920-8629f6169b29", "d53e39dd-4575-4b18-9ada-37109d92605c", nullptr},
    {"cIInterface", "61c013ff-e06f-474c-87cf-d7b220c08db8", "a96ff995-0eac-4be4-ba01-06ddd74d8a1a", nullptr},
    {"cMateria", "186c5192-bca6-46be-9623-e9df9364cadf", "6ff872b8-6969-4ccb-8be8-191e92867652", nullptr},
    {"cIFunciones", "1724d5e9-a013-4e80-b425-16e08f329fa3", "584f232f-a4e8-4949-b575-dde11ae07bb8",
     "96fe4981-7734-4505-91ab-3f22d935500e"},
};

// Filled during static initialisation, before main: no lock needed.
QHash<QString, FabricaClase>& fabricas() {
    static QHash<QString, FabricaClase> f;
    return f;
}

// Keyed by the ProgID in upper case: COM compares ProgIDs without case.
QHash<QString, FabricaClase>& externas() {
    static QHash<QString, FabricaClase> f;
    return f;
}

bool enTabla(const QString& nombre) {
    for (const auto& e : tabla)
        if (nombre == QLatin1String(e.nombre)) return true;
    return false;
}

[[noreturn]] void noSePuedeCrear(const QString& progId, const QString& motivo) {
    throw Error(ErrorCrearObjeto,
                QStringLiteral("El componente no puede crear el objeto \"%1\": %2").arg(progId, motivo));
}

}  // namespace

QString ClasePublica::progId() const { return QLatin1String(RegistroClases::Biblioteca) + QLatin1Char('.') + nombre; }

QVector<ClasePublica> RegistroClases::clases() {
    QVector<ClasePublica> l;
    for (const auto& e : tabla) {
        ClasePublica c;
        c.nombre = QLatin1String(e.nombre);
        c.clsid = QLatin1String(e.clsid);
        c.iid = QLatin1String(e.iid);
        if (e.iidEventos) c.iidEventos = QLatin1String(e.iidEventos);
        c.fabrica = fabricas().value(c.nombre, nullptr);
        l.append(c);
    }
    return l;
}

ClasePublica RegistroClases::clase(const QString& progId) {
    for (const auto& c : clases())
        if (c.progId().compare(progId, Qt::CaseInsensitive) == 0) return c;
    noSePuedeCrear(progId, QStringLiteral("no es una clase pública de %1").arg(QLatin1String(Biblioteca)));
}

QObject* RegistroClases::crear(const QString& progId) {
    if (const FabricaClase f = externas().value(progId.toUpper(), nullptr)) return f();
    const ClasePublica c = clase(progId);
    if (!c.creable()) noSePuedeCrear(progId, QStringLiteral("la clase no está disponible en esta versión"));
    return c.fabrica();
}

bool RegistroClases::registrar(const char* nombre, FabricaClase fabrica) {
    const QString n = QLatin1String(nombre);
    if (!enTabla(n))
        throw Error(ErrorCrearObjeto, QStringLiteral("%1 no es una clase pública de %2").arg(n, QLatin1String(Biblioteca)));
    if (fabricas().contains(n))
        throw Error(errores::ClaveDuplicada, QStringLiteral("La clase %1 ya está registrada").arg(n));
    fabricas().insert(n, fabrica);
    return true;
}

bool RegistroClases::registrarExterna(const char* progId, FabricaClase fabrica) {
    const QString clave = QString::fromLatin1(progId).toUpper();
    if (clave.startsWith(QString::fromLatin1(Biblioteca).toUpper() + QLatin1Char('.')) || externas().contains(clave))
        throw Error(errores::ClaveDuplicada, QStringLiteral("La clase %1 ya está registrada").arg(QLatin1String(progId)));
    externas().insert(clave, fabrica);
    return true;
}

bool RegistroClases::hayExterna(const QString& progId) { return externas().contains(progId.toUpper()); }

}  // namespace ncc

// The closing and historic records are plain data classes with nothing else in
// their units; their factories are registered with the table.
using ncc::cActividad;
using ncc::cAlumnoHistorico;
using ncc::cMateria;
using ncc::cAlumnoActividad;
using ncc::cCurso;
using ncc::cPrecioActividad;
using ncc::cSeccionCurso;
NCC_REGISTRAR_CLASE(cCurso);
NCC_REGISTRAR_CLASE(cActividad);
NCC_REGISTRAR_CLASE(cSeccionCurso);
NCC_REGISTRAR_CLASE(cAlumnoActividad);
NCC_REGISTRAR_CLASE(cPrecioActividad);
NCC_REGISTRAR_CLASE(cAlumnoHistorico);
NCC_REGISTRAR_CLASE(cMateria);
