#pragma once
// The proposal of a closing: what carries the school on as it is, the same
// for the command line's default plan and the wizard's "Proponer todo".
// Every section with active students promoted, each student with his
// default decision (promoted in a course of direct promotion or with
// promotion data saying so, else repeating) and the proposed destination (a
// repeater stays in his section; a promoted student goes to the next course
// of his teaching type, into the section of the same name or the one in the
// same place, and leaves when there is no next course); every activity one
// year on with its active members passing at their prices.
//
// The wizard pages read one section or one activity at a time; here the
// school is read once, table by table, and the pages' recordsets are
// rebuilt in memory, so that a school of twenty thousand students costs a
// handful of statements. Orders that the pages leave to the database (text
// collation, Nulls, ties) are settled here, so both back ends propose the
// same. Raises ncc::Error on a database failure.
#include "entry/Coleccion.h"
#include "entry/cActividad.h"
#include "entry/cCurso.h"
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <memory>

namespace ncc {
class Conexion;
}

namespace ncc::motor {

// The school's teaching types, courses and sections, in the order of the
// student page (TipoEnsenanza.Orden, Curso.Orden, Seccion.Descripcion).
struct EstructuraCentro {
    struct TipoEnsenanza {
        int id = 0;
        QString nombre;
        long long orden = 0;
        QList<int> cursos;  // by Curso.Orden
    };
    struct Curso {
        int id = 0;
        QString descripcion;
        int tipo = 0;
        long long orden = 0;
        long long promocion = 0;
        bool delCentro = false;  // of one of the school's teaching types
        QList<int> secciones;    // by Descripcion
    };
    struct Seccion {
        int id = 0;
        QString descripcion;
        int curso = 0;
        long long plazas = 0;
    };

    QList<int> tipos;                 // of the school, by Orden
    QHash<int, TipoEnsenanza> tipo;
    QHash<int, Curso> curso;          // every course of the database
    QHash<int, Seccion> seccion;      // sections of the school's courses
    QList<int> secciones;             // of the school, in page order
    QSet<int> conActivos;             // sections shown on the student page

    const Curso* cursoDe(int id) const;
    // The course a promoted student of `idCurso` goes to: the next one of
    // its teaching type, else the first of the next teaching type that has
    // any; 0 when there is none.
    int cursoSiguiente(int idCurso) const;
    // The section of `idCurso` named as `origen`'s, else the one in the
    // same place among the course's sections (wrapping round), so that a
    // course with fewer sections shares the students out instead of piling
    // them into its first; 0 when the course has none.
    int seccionEn(int idCurso, int origen) const;
};

EstructuraCentro leerEstructura(Conexion& centro, qint16 idCentro);

// A section of the school as the student page keeps it, not promoted;
// Visible when it has active students.
std::shared_ptr<cCurso> nuevaSeccion(const EstructuraCentro& e, int id);

// Adds every section of the school to `secciones`, those with active
// students promoted with the proposal for each student and the seats the
// destinations take.
void proponerSecciones(Conexion& centro, const EstructuraCentro& e, Coleccion<cCurso>& secciones);

// Adds every activity to `actividades`, promoted one year on, its active
// members passing at their prices with the destination that `secciones`
// gives them (a member whose student leaves there is not visible), its
// prices by student type at the activity's general prices and by course
// empty.
void proponerActividades(Conexion& centro, const EstructuraCentro& e, const Coleccion<cCurso>& secciones,
                         Coleccion<cActividad>& actividades);

}  // namespace ncc::motor
