#pragma once
// The historic grades of one course (historic school year, teaching type,
// course) held in memory while the secretary edits them, and their save.
// No widget here: the editor's window and its dialogs work on these records,
// and the tests drive the load and the save directly.
//
// The save acts on the row states of the records (0 as loaded, 1 added, 2
// removed, 3 changed; for a student 2 and 3 both mean removed) in one
// transaction, each row's change under a savepoint: a row that cannot be
// written is said and skipped, and the others are saved.
#include "entry/Coleccion.h"
#include "entry/cAlumnoHistorico.h"
#include "entry/cMateria.h"
#include "platform/Conexion.h"
#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <functional>

namespace ncc {

// The course being edited, as the historic-years chooser hands it over.
struct CursoHistorico {
    qint16 intCursoEscHistorico = 0;
    quint8 intTipoEnsenanza = 0;
    qint16 intCurso = 0;
    bool blnSoloLectura = true;
};

// An item of a list read from the database: id and text.
using ElementoLista = QPair<qint32, QString>;

class EdicionHistorico {
public:
    // How often an insert whose id another session took meanwhile is tried
    // again with a new id before the save gives up with message 7051.
    static constexpr int IntentosInsercion = 5;

    EdicionHistorico(Conexion& con, const CursoHistorico& curso);

    const CursoHistorico& curso() const { return curso_; }
    bool soloLectura() const { return curso_.blnSoloLectura; }
    Conexion& conexion() { return con_; }

    // Cargar_Materias_Curso and cargar_alumnos_curso. Throws ncc::Error.
    void Cargar();
    void Cargar_Materias_Curso();
    void cargar_alumnos_curso();

    Coleccion<cMateria>& colMaterias() { return colMaterias_; }
    Coleccion<cAlumnoHistorico>& colAlumnos() { return colAlumnos_; }

    // Writes the changes in one transaction. A row whose change fails is
    // left out with its message (7051 for an insert, the standard error
    // message otherwise) and the others are written: the result is true.
    // Only a failure of the save as a whole (the transaction, a savepoint)
    // writes nothing, shows the standard message and gives false; the
    // records are untouched, so the save can be tried again.
    bool Guardar();

    // "dd/mm/yyyy" <-> "yyyy/mm/dd"; an empty text stays empty.
    static QString FechaABaseDatos(const QString& fecha);
    static QString FechaAPantalla(const QString& fecha);
    // A date as the grade dialog accepts it: empty, or a real day written
    // dd/mm/yyyy.
    static bool fechaValida(const QString& fecha);

    // Adds to `destino` a copy of every subject of `origen`, every property
    // included, keyed by subject id.
    static void copiar_coleccion_materias(const Coleccion<cMateria>& origen, Coleccion<cMateria>& destino);
    // Every property of a student, its subjects copied.
    static std::shared_ptr<cAlumnoHistorico> copiarAlumno(const cAlumnoHistorico& a);
    static void copiarColeccionAlumnos(const Coleccion<cAlumnoHistorico>& origen,
                                       Coleccion<cAlumnoHistorico>& destino);

    // Texts for the dialogs; a failed read gives an empty text.
    QString nombreCursoEscolarHistorico();
    QString nombreCurso();
    QString nombreTipoEnsenanza();
    QString nombreAlumno(qint32 idAlumno);
    QString descripcionNota(qint32 idNota);
    QString descripcionNumEvaluacion(qint32 idNumEvaluacion);
    static QString textoReacdiv(int codigo);
    // Curso.Orden of the course (0 when unknown).
    int ordenCurso();
    // Curso.RE_AC and Curso.Diversificacion of the course.
    QPair<bool, bool> medidasCurso();
    // The subject grades of the teaching type and the final evaluation
    // periods, as the grade dialog lists them.
    QList<ElementoLista> notasMateria();
    QList<ElementoLista> evaluacionesFinales();
    // Rows of the student in the historic year under another teaching type
    // or course.
    long long filasEnOtroCurso(qint32 idAlumno);

    // Sorts texts in Spanish order, as the suite lists names.
    static bool antesEnEspanol(const QString& a, const QString& b);

private:
    void GuardarMateriasAlumno(const cAlumnoHistorico& alumno);
    bool enFila(const std::function<void()>& cambio);
    void insertarFila(const cAlumnoHistorico& a, const cMateria& m);
    void actualizarFilas(const cAlumnoHistorico& a, const cMateria& m);
    void borrarFilas(const cAlumnoHistorico& a, const cMateria& m);
    QString textoDe(const QString& sql);

    Conexion& con_;
    CursoHistorico curso_;
    Coleccion<cMateria> colMaterias_;
    Coleccion<cAlumnoHistorico> colAlumnos_;
    QHash<qint32, QString> notas_, evaluaciones_;
};

// The save's insert could not be made (7051).
class ErrorInsercionHistorica : public Error {
public:
    explicit ErrorInsercionHistorica(const QString& texto) : Error(7051, texto) {}
};

}  // namespace ncc
