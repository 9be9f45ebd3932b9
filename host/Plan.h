#pragma once
// The closing plan: the decisions of a closing (sections with their students,
// activities with their members and prices) as a JSON document, so that a
// closing can be prepared without the wizard and run from the command line.
// A plan is read into exactly the trees of records that the wizard pages
// build and the engine reads, and those trees are written back the same way.
#include "entry/Coleccion.h"
#include "entry/cActividad.h"
#include "entry/cCurso.h"
#include "platform/Error.h"
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>

namespace ncc {
class Conexion;
}

namespace ncc::host {

// The two trees of a closing.
struct Arboles {
    std::shared_ptr<Coleccion<cCurso>> secciones = std::make_shared<Coleccion<cCurso>>();
    std::shared_ptr<Coleccion<cActividad>> actividades = std::make_shared<Coleccion<cActividad>>();
};

// What a plan says about where it comes from; both optional when read.
struct CabeceraPlan {
    int centro = 0;             // 0: not said
    QString cursoEscolar;       // text of the school year the plan closes
};

struct Plan {
    CabeceraPlan cabecera;
    Arboles arboles;
};

// A plan that cannot be used. Every problem found is listed, one line each;
// `Formato` is a document that is not a plan (malformed JSON, a field of the
// wrong type or out of its range, a missing id, a repeated key, an unknown
// field), `NoEncaja` a well-formed plan that does not fit the school's data.
class ErrorPlan : public Error {
public:
    enum class Tipo { Formato, NoEncaja };
    static constexpr long Numero = 1002;
    ErrorPlan(Tipo tipo, QStringList problemas);
    Tipo tipo() const { return tipo_; }
    const QStringList& problemas() const { return problemas_; }

private:
    Tipo tipo_;
    QStringList problemas_;
};

// Format name and version written into every plan.
inline constexpr const char* FormatoPlan = "ncc-plan";
inline constexpr int VersionPlan = 1;

// Plan <-> JSON. Reading checks the document alone and throws ErrorPlan
// (Formato) with every problem it found. Written as `ncc plan` writes it
// (indented) or in one line (`compacto`): the very text a JSON document of
// the whole plan gives, written straight from the plan's objects, since a
// large school's plan is tens of megabytes of text and a document of it
// several times that in memory.
QByteArray planAJson(const Plan& plan, bool compacto = false);
Plan planDesdeJson(const QByteArray& json);

// The plan that carries the school on as it is: every section with active
// students promoted, each student with his default decision and the
// proposed destination (a repeater stays in his section; a promoted student
// goes to the next course, into the section of the same name or else the
// first one, and leaves when there is no next course), every activity
// promoted one year on with its active members passing at their prices and
// its prices by student type at the activity's general prices. Reads
// `centro`, the school database of the year being closed, with a few
// statements for the whole school; raises ncc::Error on a database failure.
Plan planPorDefecto(Conexion& centro, qint16 idCentro);

// Checks a plan against the school's data and makes it whole: a section of
// the school with active students that the plan leaves out is added
// unpromoted (the closing then asks, as it does for a section left
// unpromoted in the wizard), and every section's `Visible` is set from the
// school (it says whether the section has active students, a fact and not a
// decision). Throws ErrorPlan (NoEncaja) listing every problem.
void encajarEnCentro(Plan& plan, Conexion& centro, qint16 idCentro);

// The check every source of decisions passes before a closing (see
// engine/ValidacionDecisiones.h), on the parts the closing will process; a
// student still waiting for a decision is refused, since no one was asked
// whether he may leave. Throws ErrorPlan (NoEncaja) listing every problem.
void validarDecisiones(const Plan& plan, Conexion& centro, qint16 idCentro, bool secciones, bool actividades);

// A plan made for another centre or another school year is not applied to
// this one: throws ErrorPlan (NoEncaja) when the header names a centre or a
// current year other than `idCentro` and `cursoEscolar`.
void comprobarCabecera(const Plan& plan, int idCentro, const QString& cursoEscolar);

// What the wizard keeps in step between its two pages: a member whose
// student leaves at this closing (marked as leaving, not assigned, in a
// section the plan does not promote, or left out of the plan) is not visible
// and does not pass, and the price rows visible are those of the visible
// members. Reads which students are already enrolled for the next year
// (they never leave) from `centro`.
void sincronizarActividades(Plan& plan, Conexion& centro);

// Students of promoted sections that are promoted or repeat and have no
// destination at all (teaching type, course and section 0).
bool HayAlumnosSinDestino(const Coleccion<cCurso>& secciones);

}  // namespace ncc::host
