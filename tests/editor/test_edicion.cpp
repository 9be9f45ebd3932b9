// The editor's records and save on the sample school's historic grades,
// without windows: the per-course read, every row state of the save, the
// read-only course, and a row that cannot be written.
#include "Historica.h"
#include "platform/Sentencias.h"
#include "platform/Textos.h"

using namespace ncc;
using namespace ncc::pruebas;

namespace {

class Edicion : public EscuelaHistorica {};

std::shared_ptr<cAlumnoHistorico> primero(EdicionHistorico& e) { return e.colAlumnos().Item(1); }

TEST_P(Edicion, LaLecturaPorCursoDaLoMismoQueUnaLecturaPorMateria) {
    EdicionHistorico e(*con, curso());
    // The grade flags hold the back end's true: both back ends list grades.
    EXPECT_EQ(enFila({e.notasMateria().isEmpty(), e.evaluacionesFinales().isEmpty(), e.ordenCurso()}), "false|false|2");
    // The dates of the grade dialog.
    EXPECT_EQ(enFila({EdicionHistorico::FechaABaseDatos(QStringLiteral("20/06/2025")),
                      EdicionHistorico::FechaAPantalla(QStringLiteral("2025/06/20")),
                      EdicionHistorico::FechaABaseDatos(QString()), EdicionHistorico::fechaValida(QString()),
                      EdicionHistorico::fechaValida(QStringLiteral("31/02/2025")),
                      EdicionHistorico::fechaValida(QStringLiteral("ayer"))}),
              "2025/06/20|20/06/2025||true|false|false");
    e.Cargar();
    ASSERT_GT(e.colAlumnos().Count(), 5);
    EXPECT_EQ(e.colAlumnos().Count(), numero(QStringLiteral(
        "SELECT COUNT(DISTINCT codalumno) FROM EvaluacionHistorica WHERE codcursoescolarhistorico=2 AND codtipoensenanza=3 AND codcurso=11")));
    // Subjects of the course first (Anterior 0), then the others of the type.
    bool otras = false;
    for (const auto& m : e.colMaterias()) {
        if (m->Anterior() == 3) otras = true;
        else EXPECT_FALSE(otras) << "materia del curso tras las demás";
        EXPECT_EQ(m->Confirmar(), m->Anterior() == 0);
    }
    // Each student's subjects as the statement per subject reads them.
    for (const auto& a : e.colAlumnos()) {
        Recordset mats = con->Abrir(QStringLiteral(
            "SELECT idmateria,nombre FROM materia WHERE idmateria IN(SELECT codmateria FROM evaluacionhistorica WHERE "
            "codalumno=%1 AND codcursoescolarhistorico=2 AND codtipoensenanza=3 AND codcurso=11) ORDER BY idmateria").arg(a->IDAlumno()));
        int n = 0;
        for (; !mats.eof(); mats.MoveNext(), ++n) {
            const auto m = a->Materias()->buscar(mats.texto(QStringLiteral("idmateria")));
            ASSERT_TRUE(m) << a->IDAlumno();
            Recordset f = con->Abrir(QStringLiteral(
                "SELECT codnota,re_ac_div,codNumEvaluacion,fechaevaluacion,orden FROM evaluacionhistorica WHERE codalumno=%1 "
                "AND codcursoescolarhistorico=2 AND codtipoensenanza=3 AND codcurso=11 AND codmateria=%2 ORDER BY Orden")
                .arg(a->IDAlumno()).arg(m->IDMateria()));
            EXPECT_EQ(enFila({m->IDNota(), m->NumEvaluacion(), m->Orden(),
                              EdicionHistorico::FechaABaseDatos(m->FechaEvaluacion()), m->Nombre()}),
                      enFila({f.entero(QStringLiteral("codnota")), f.entero(QStringLiteral("codNumEvaluacion")),
                              f.entero(QStringLiteral("orden")), f.texto(QStringLiteral("fechaevaluacion")),
                              mats.texto(QStringLiteral("nombre"))}));
        }
        EXPECT_EQ(n, a->Materias()->Count());
    }
}

TEST_P(Edicion, CadaEstadoEscribeLoSuyo) {
    // Students A and B also have rows in another course of the same
    // historic year (B's of the subject whose grade changes), B one in
    // another historic year.
    EdicionHistorico e(*con, curso());
    e.Cargar();
    const auto a = primero(e);
    const auto b = e.colAlumnos().Item(2);
    const qint32 idA = a->IDAlumno(), idB = b->IDAlumno();
    auto mats = b->Materias()->elementos();
    ASSERT_GE(mats.size(), 2);
    con->Execute(QStringLiteral("INSERT INTO EvaluacionHistorica VALUES (90000,%1,1,2,3,13,31,0,1,4,2,'2025/06/20',0,0,9,0,0)").arg(idA));
    con->Execute(QStringLiteral("INSERT INTO EvaluacionHistorica VALUES (90001,%1,1,2,3,13,31,0,1,4,1,'2025/06/20',0,0,9,0,0)").arg(idB));
    con->Execute(QStringLiteral("INSERT INTO EvaluacionHistorica VALUES (90002,%1,%2,2,3,13,31,0,1,4,2,'2025/06/20',0,0,9,0,0)")
                     .arg(idB).arg(mats[0]->IDMateria()));
    const long long antes = numero(QStringLiteral("SELECT COUNT(*) FROM EvaluacionHistorica"));

    // A: removed from the course. B: unchanged but repeats now; one subject
    // with an empty date, one added and removed again, one new.
    a->setActual(3);
    b->setRepite(true);
    mats[0]->setFechaEvaluacion(QString());
    mats[0]->setActual(3);
    auto fantasma = std::make_shared<cMateria>();
    fantasma->setIDMateria(999);
    fantasma->setAnterior(1);
    fantasma->setActual(2);
    b->Materias()->Add(fantasma, qint16(999));
    qint16 nueva = 0;
    for (const auto& m : e.colMaterias())
        if (m->Anterior() == 3 && !b->Materias()->contiene(Coleccion<cMateria>::clave(m->IDMateria()))) nueva = m->IDMateria();
    ASSERT_NE(nueva, 0);
    auto n = std::make_shared<cMateria>();
    n->setIDMateria(nueva);
    n->setOrden(20);
    n->setFechaEvaluacion(QStringLiteral("01/07/2025"));
    n->setAnterior(1);
    n->setActual(1);
    b->Materias()->Add(n, nueva);
    const int deA = int(numero(QStringLiteral("SELECT COUNT(*) FROM EvaluacionHistorica WHERE codalumno=%1 AND "
                                              "codcursoescolarhistorico=2 AND codtipoensenanza=3 AND codcurso=11").arg(idA)));

    ASSERT_TRUE(e.Guardar());
    EXPECT_TRUE(guion.mostrados().isEmpty());
    // A keeps its row of the other course only.
    EXPECT_EQ(numero(QStringLiteral("SELECT COUNT(*) FROM EvaluacionHistorica WHERE codalumno=%1 AND codcurso=11 AND codcursoescolarhistorico=2").arg(idA)), 0);
    EXPECT_EQ(numero(QStringLiteral("SELECT COUNT(*) FROM EvaluacionHistorica WHERE IDEvaluacionHistorica=90000")), 1);
    // B repeats on every row of the year, the other course included, and
    // not on rows of another year.
    EXPECT_EQ(numero(QStringLiteral("SELECT COUNT(*) FROM EvaluacionHistorica WHERE codalumno=%1 AND codcursoescolarhistorico=2 AND Repite=0").arg(idB)), 0);
    EXPECT_EQ(numero(QStringLiteral("SELECT Repite FROM EvaluacionHistorica WHERE IDEvaluacionHistorica=90001")), 0);
    // The empty date is '' (not Null), the ghost wrote nothing, the new
    // subject got the next id.
    EXPECT_EQ(numero(QStringLiteral("SELECT COUNT(*) FROM EvaluacionHistorica WHERE codalumno=%1 AND codmateria=%2 AND FechaEvaluacion=''")
                         .arg(idB).arg(mats[0]->IDMateria())), 1);
    EXPECT_EQ(numero(QStringLiteral("SELECT COUNT(*) FROM EvaluacionHistorica WHERE codmateria=999")), 0);
    EXPECT_EQ(numero(QStringLiteral("SELECT IDEvaluacionHistorica FROM EvaluacionHistorica WHERE codalumno=%1 AND codmateria=%2 AND codcurso=11")
                         .arg(idB).arg(nueva)), 90003);
    // The same subject of B's other course keeps its grade.
    EXPECT_EQ(numero(QStringLiteral("SELECT COUNT(*) FROM EvaluacionHistorica WHERE IDEvaluacionHistorica=90002 AND "
                                    "FechaEvaluacion='2025/06/20' AND codNota=31 AND Orden=9")), 1);
    EXPECT_EQ(numero(QStringLiteral("SELECT COUNT(*) FROM EvaluacionHistorica")), antes - deA + 1);

    EdicionHistorico otra(*con, curso());
    otra.Cargar();
    const auto b2 = otra.colAlumnos().Item(Coleccion<cAlumnoHistorico>::clave(idB));
    EXPECT_EQ(enFila({b2->Materias()->Item(Coleccion<cMateria>::clave(mats[0]->IDMateria()))->FechaEvaluacion(),
                      b2->Materias()->Item(Coleccion<cMateria>::clave(nueva))->FechaEvaluacion(), b2->Repite(),
                      otra.colAlumnos().contiene(Coleccion<cAlumnoHistorico>::clave(idA))}),
              "|01/07/2025|true|false");
}

TEST_P(Edicion, UnCursoDeSoloLecturaNoEscribeNada) {
    EdicionHistorico e(*con, curso(Segundo, true));
    e.Cargar();
    primero(e)->setRepite(!primero(e)->Repite());
    primero(e)->setActual(3);
    const QStringList antes = historicas();
    EXPECT_FALSE(e.Guardar());
    EXPECT_EQ(historicas(), antes);
}

// An insert that can never be made: one that always finds its id taken
// (another session that takes every id first) and one that fails for
// another reason. Either is message 7051, after a bounded number of tries,
// and the rest of the save is kept.
TEST_P(Edicion, UnaFilaQueNoSePuedeInsertarNoPierdeElRestoDelGuardado) {
    struct Caso {
        const char* sqlite;
        const char* servidor;
    };
    const Caso casos[] = {
        {"UNIQUE constraint failed: EvaluacionHistorica.IDEvaluacionHistorica", "unique_violation"},
        {"CHECK constraint failed: fuera de rango", "check_violation"},
    };
    for (const Caso& k : casos) {
        SCOPED_TRACE(k.sqlite);
        EdicionHistorico e(*con, curso());
        e.Cargar();
        const auto a = primero(e);
        const qint16 materia = e.colMaterias().elementos().last()->IDMateria();
        if (ctx->esServidor()) {
            con->Execute(QStringLiteral("CREATE OR REPLACE FUNCTION choca() RETURNS trigger AS $$ BEGIN "
                                        "IF NEW.codmateria = %1 THEN RAISE EXCEPTION 'no' USING ERRCODE = '%2'; END IF; "
                                        "RETURN NEW; END $$ LANGUAGE plpgsql").arg(materia).arg(QLatin1String(k.servidor)));
            con->Execute(QStringLiteral("CREATE TRIGGER choque BEFORE INSERT ON EvaluacionHistorica FOR EACH ROW EXECUTE FUNCTION choca()"));
        } else {
            con->Execute(QStringLiteral("CREATE TRIGGER choque BEFORE INSERT ON EvaluacionHistorica WHEN NEW.codMateria=%1 BEGIN "
                                        "SELECT RAISE(ABORT, '%2'); END").arg(materia).arg(QLatin1String(k.sqlite)));
        }
        // The student repeats now, and the subject that cannot go in is added.
        a->setRepite(!a->Repite());
        auto n = std::make_shared<cMateria>();
        n->setIDMateria(materia);
        n->setAnterior(1);
        n->setActual(1);
        a->Materias()->Add(n, n->IDMateria());
        guion.olvidarMostrados();
        Sentencias::reiniciar();
        EXPECT_TRUE(e.Guardar());
        ASSERT_EQ(guion.mostrados().size(), 1);
        EXPECT_EQ(enFila({guion.ultimo().mensaje.texto, guion.ultimo().conPitido}), enFila({Texto(7051), true}));
        EXPECT_LT(Sentencias::contadas(), 20 * EdicionHistorico::IntentosInsercion + 1000);
        EXPECT_EQ(numero(QStringLiteral("SELECT COUNT(*) FROM EvaluacionHistorica WHERE codalumno=%1 AND codmateria=%2")
                             .arg(a->IDAlumno()).arg(materia)), 0);
        EXPECT_EQ(numero(QStringLiteral("SELECT COUNT(*) FROM EvaluacionHistorica WHERE codalumno=%1 AND "
                                        "codcursoescolarhistorico=2 AND Repite<>%2").arg(a->IDAlumno()).arg(a->Repite() ? -1 : 0)), 0);
        con->Execute(QStringLiteral("DROP TRIGGER choque") + (ctx->esServidor() ? QStringLiteral(" ON EvaluacionHistorica") : QString()));
    }
}

// The copy a dialog goes back to on "Cancelar" holds every property of a
// subject, those the editor's tests do not look at too.
TEST(RegistroHistorico, CopiarColeccionMateriasCopiaTodo) {
    Coleccion<cMateria> o, d;
    auto m = std::make_shared<cMateria>();
    m->setIDMateria(7); m->setOptativa(true); m->setConfirmar(true); m->setOrden(3); m->setIDNota(31);
    m->setIDReacdiv(2); m->setNombre(QStringLiteral("Música")); m->setFechaEvaluacion(QStringLiteral("20/06/2025"));
    m->setNumEvaluacion(4); m->setAnterior(1); m->setActual(3);
    o.Add(m, qint16(7));
    EdicionHistorico::copiar_coleccion_materias(o, d);
    const auto c = d.Item("7");
    ASSERT_NE(c, m);
    for (const char* p : {"IDMateria", "Optativa", "Confirmar", "Orden", "IDNota", "IDReacdiv", "Nombre", "FechaEvaluacion",
                          "NumEvaluacion", "Anterior", "Actual"})
        EXPECT_EQ(c->property(p), m->property(p)) << p;
}

NCC_AMBOS_FONDOS(Edicion);

}  // namespace
