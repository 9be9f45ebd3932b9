#pragma once
// What the student page decides, without its widgets: the sections of the
// school with their places, the students of a section with their default
// decision, the destination lists, the seat count, the confirmation of a
// section, and the stored set of decisions (save and load). The page
// (frmCierreAlumnos) shows it; `ncc plan --guardado` reads the stored set
// through it with no window at all.
//
// Every method reads the school database of the session and raises
// ncc::Error on a database failure; the caller shows it.
#include "entry/Coleccion.h"
#include "entry/cAlumno.h"
#include "entry/cCurso.h"
#include <QHash>
#include <QList>
#include <QString>
#include <functional>
#include <memory>

namespace ncc {

class Conexion;

// An item of a destination list: its id and its text.
struct OpcionLista {
    int id = 0;
    QString texto;
    friend bool operator==(const OpcionLista&, const OpcionLista&) = default;
};

// A row of the section grid: a teaching-type heading or a section.
struct FilaSeccion {
    bool encabezado = false;
    int idTipoEnsenanza = 0;
    int idSeccion = 0;  // 0 on a heading
    QString texto;      // the heading's name, or "    " course " " section
};

// What the seat check answers.
enum class ResultadoPlazas { Bien, Preguntar, Rechazar };

// More than this many students in a section is refused whatever its places.
constexpr int MaximoPlazasSeccion = 200;

class SeleccionAlumnos {
public:
    SeleccionAlumnos(Conexion& centro, qint16 idCentro);

    // ----- the page's load ---------------------------------------------------
    // The school's courses (ListaCursos, TiposCurso), teaching types
    // (ListaTiposEnsenanza) and sections (Secciones, ListaSecciones).
    void Cargar();
    // The rows of the section grid: the sections with active students under
    // their teaching type's heading; marks those sections Visible. A section
    // that the school's list lacks is left out.
    QList<FilaSeccion> FilasSecciones();
    // Destination lists: the school's teaching types, the courses of a type,
    // the sections of a course.
    QList<OpcionLista> TiposEnsenanza();
    QList<OpcionLista> CursosDe(int idTipoEnsenanza);
    QList<OpcionLista> SeccionesDe(int idCurso);
    // A stored set of decisions exists.
    bool HayDatosGuardados();

    // ----- one section -------------------------------------------------------
    // The active students of a section in their order, each with the default
    // decision and no destination, still to be assigned. `actividades`: read
    // the activities each one belongs to.
    ColeccionAlumnos CargarAlumnosSeccion(qint16 idSeccion, bool actividades);
    static std::shared_ptr<cAlumno> CopiarAlumno(const cAlumno& a);
    static ColeccionAlumnos CopiarAlumnos(const Coleccion<cAlumno>& alumnos);

    // The seat check of "Aplicar" for the students of `alumnosSeccion`
    // selected now, sent to `idSeccionDestino` of `idCursoDestino`: a course
    // or section not chosen (0) passes.
    ResultadoPlazas ComprobarPlazas(const Coleccion<cAlumno>& alumnosSeccion, int idCursoDestino,
                                    int idSeccionDestino) const;
    // Seats the students of `alumnosSeccion` would add to `destino`.
    static int ContarPlazas(const cCurso& destino, const Coleccion<cAlumno>& alumnosSeccion);
    // Keeps a copy of `alumnosSeccion` as the decisions of section `s`,
    // taking each destination's seat; a section confirmed before gives its
    // earlier seats back first.
    void ConfirmarSeccion(cCurso& s, const Coleccion<cAlumno>& alumnosSeccion);
    // Gives back the seats that the stored students of `s` take.
    void LiberarPlazas(const cCurso& s);
    static void DesmarcarSeccion(cCurso& s);
    // Some visible section is promoted.
    bool HaySeccionesPromocionadas() const;
    // "Proponer todo": every visible section not yet promoted is confirmed
    // with the closing's proposal (the command line's default plan) for its
    // students. Returns the ids of the sections proposed, in page order.
    QList<qint16> ProponerSecciones();

    // ----- the stored set ----------------------------------------------------
    // Replaces the stored set with the promoted sections and their students,
    // in one transaction: a save that fails leaves the previous set whole.
    void GuardarDatosAlumnos();
    // Promotes the sections of the stored set that still exist, with the
    // stored decisions checked against the school (after Cargar, on fresh
    // sections). `trasSeccion` runs after each section is loaded. Returns
    // the ids of the sections loaded, in the stored order.
    QList<qint16> CargarDatosAlumnos(bool actividades,
                                     const std::function<void(cCurso&)>& trasSeccion = {});

    // ----- state -------------------------------------------------------------
    const std::shared_ptr<Coleccion<cCurso>>& Secciones() const { return secciones_; }
    std::shared_ptr<cCurso> Seccion(int idSeccion) const;
    const QString& ListaCursos() const { return listaCursos_; }
    const QString& ListaTiposEnsenanza() const { return listaTipos_; }
    const QString& ListaSecciones() const { return listaSecciones_; }
    const QHash<int, int>& TiposCurso() const { return tiposCurso_; }
    Conexion& conexion() const { return con_; }

private:
    // Each student's default decision: promoted in a course of direct
    // promotion, else after his promotion data (none: repeats).
    // Of one section, or by section of those whose id meets `secciones` (a
    // condition such as "=?" with its value, or " IN (SELECT ...)").
    QHash<qint32, QVariant> LeerPromociones(qint16 idSeccion);
    QHash<qint16, QHash<qint32, QVariant>> LeerPromociones(const QString& secciones, const QVariantList& valores = {});
    // The activities of the active students whose section meets `secciones`.
    QHash<qint32, QString> LeerActividades(const QString& secciones, const QVariantList& valores = {});
    static void DefectoPromocion(cAlumno& a, bool promocionDirecta, const QHash<qint32, QVariant>& promociones);
    void OcuparPlaza(const cAlumno& a);

    Conexion& con_;
    qint16 idCentro_;
    std::shared_ptr<Coleccion<cCurso>> secciones_ = std::make_shared<Coleccion<cCurso>>();
    QHash<int, int> tiposCurso_;
    QString listaCursos_ = QStringLiteral(",");
    QString listaTipos_ = QStringLiteral(",");
    QString listaSecciones_ = QStringLiteral(",");
};

// The sections of the school with the stored set of decisions laid over
// them, as "Cargar datos alumnos" leaves the page: what a closing from the
// command line takes. Raises ncc::Error when no set is stored.
std::shared_ptr<Coleccion<cCurso>> SeccionesGuardadas(Conexion& centro, qint16 idCentro);

// Texts in Spanish alphabetical order (ñ after n, accents as their letter),
// the same on both back ends.
bool antesEnEspanol(const QString& a, const QString& b);
int compararEnEspanol(const QString& a, const QString& b);

}  // namespace ncc
