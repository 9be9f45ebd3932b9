#pragma once
// The public classes of NCCierreCurso, as the host creates them: by ProgID
// (the library name, a point and the class name). The table of classes, with
// their CLSIDs and interface ids, is fixed; each class supplies its factory
// from its own unit with one line:
//
//     NCC_REGISTRAR_CLASE(cAsignarDatos);
//
// A class of the table whose unit is not linked in is listed but cannot be
// created.
#include <QObject>
#include <QString>
#include <QVector>

namespace ncc {

using FabricaClase = QObject* (*)();

struct ClasePublica {
    QString nombre;      // cAsignarDatos
    QString clsid;       // b2987086-e98e-4d03-be05-4242fb1d23e2
    QString iid;         // of the default dual interface, "_" + nombre
    QString iidEventos;  // of the event interface "__" + nombre; empty when none
    FabricaClase fabrica = nullptr;

    QString progId() const;  // NCCierreCurso.cAsignarDatos
    QString interfaz() const { return QLatin1Char('_') + nombre; }
    bool creable() const { return fabrica != nullptr; }
};

class RegistroClases {
public:
    static constexpr const char* Biblioteca = "NCCierreCurso";

    // Every public class, in the order of the type library, each with its
    // factory when one has been registered.
    static QVector<ClasePublica> clases();

    // The class whose ProgID is `progId` (compared without regard to case,
    // as COM does); throws ncc::Error 429 when there is none.
    static ClasePublica clase(const QString& progId);

    // A new object of the class named by `progId`, owned by the caller.
    // Throws ncc::Error 429 for an unknown ProgID or a class that cannot be
    // created.
    static QObject* crear(const QString& progId);

    // Gives class `nombre` of the table its factory. A name outside the
    // table or a second factory for one class is a programming error and
    // throws ncc::Error (at static initialisation, so it shows at once).
    static bool registrar(const char* nombre, FabricaClase fabrica);

    // The sibling components of the suite that the component creates by
    // ProgID (the student search, "NCBuscar.CAsignardatos"): each registers
    // its factory from its own library, as COM registration would. They are
    // not classes of NCCierreCurso and `clases()` does not list them.
    static bool registrarExterna(const char* progId, FabricaClase fabrica);
    static bool hayExterna(const QString& progId);
};

// "Can't create object": what COM answers for a ProgID it cannot serve.
inline constexpr long ErrorCrearObjeto = 429;

}  // namespace ncc

#define NCC_REGISTRAR_EXTERNA(ProgId, Clase)                                            \
    [[maybe_unused]] static const bool ncc_registro_externa_##Clase =                   \
        ::ncc::RegistroClases::registrarExterna(ProgId, []() -> QObject* { return new Clase; })

#define NCC_REGISTRAR_CLASE(Clase)                                                      \
    [[maybe_unused]] static const bool ncc_registro_##Clase =                           \
        ::ncc::RegistroClases::registrar(#Clase, []() -> QObject* { return new Clase; })
