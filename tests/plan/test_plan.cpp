// The closing plan against a school: the default plan as the wizard would
// leave it after confirming every proposal, its JSON form, and the check of
// a plan against the school's data.
#include "EscuelaCarpeta.h"
#include "EscuelaPrueba.h"
#include "FilasPrueba.h"
#include "Lectura.h"
#include "engine/ValidacionDecisiones.h"
#include "entry/cAlumno.h"
#include "entry/cAlumnoActividad.h"
#include "entry/cPrecioActividad.h"
#include "host/Plan.h"
#include "platform/Reloj.h"
#include <QJsonDocument>
#include <QTemporaryDir>

namespace ncc::pruebas {
namespace {

using host::ErrorPlan;
using host::Plan;

// Two teaching types of the school (Primaria, ESO) and one of another
// school; 1º Primaria promotes directly, the others by grades; 2º ESO is the
// last course. 2º Primaria has sections A, B and an empty C; 1º ESO only A.
class PlanCentro : public ConEscuela {
protected:
    PlanCentro() {
        Reloj::fijarHoy(QDate(2026, 6, 30));
        for (const char* s : {
                 "INSERT INTO TipoEnsenanza (IDTipoEnsenanza, Nombre, Orden) VALUES (1, 'Primaria', 1), (2, 'ESO', 2), "
                 "(3, 'Bachillerato', 3)",
                 "INSERT INTO Centro_TipoEnsenanza (CodCentro, CodTipoEnsenanza) VALUES (1, 2), (1, 1), (2, 3)",
                 "INSERT INTO Curso (IDCurso, Descripcion, CodTipoEnsenanza, Orden, Promocion) VALUES (12, '2º', 1, 2, 1), "
                 "(11, '1º', 1, 1, 0), (21, '1º', 2, 1, 1), (22, '2º', 2, 2, 1), (31, '1º', 3, 1, 1)",
                 "INSERT INTO Seccion (IDSeccion, Descripcion, CodCurso, NumPlazas) VALUES (111, 'A', 11, 25), (112, 'B', 11, 25), "
                 "(122, 'B', 12, 20), (121, 'A', 12, 20), (123, 'C', 12, 20), (211, 'A', 21, 30), (221, 'A', 22, 30), "
                 "(222, 'B', 22, 30), (311, 'A', 31, 30)",
                 "INSERT INTO TipoAlumno (IDTipoAlumno, Descripcion) VALUES (1, 'General'), (2, 'Becado')",
                 "INSERT INTO Actividad (IDActividad, Nombre, TipoActividad, FechaInicio, FechaFin) "
                 "VALUES (5, 'Judo', 2, '2025/09/15', '2026/06/30'), (6, 'Teatro', 1, '2026/03/01', '')",
                 "INSERT INTO Actividad_TipoAlumno VALUES (5, 1, '4992', '30')",
             })
            EscuelaPrueba::sql(con(), QString::fromUtf8(s));
        // id, section, course, teaching type, order, student type, left
        alumno(1001, 111, 11, 1, 1);
        alumno(1002, 112, 11, 1, 1);
        alumno(1204, 121, 12, 1, 1);
        alumno(1201, 121, 12, 1, 2);
        alumno(1202, 121, 12, 1, 3);
        alumno(1299, 121, 12, 1, 4, 1, QStringLiteral("2026/01/10"));
        alumno(1203, 122, 12, 1, 1);
        alumno(2202, 221, 22, 2, 1, 2);
        alumno(2201, 222, 22, 2, 1, 2);
        // Grades: none for 1201; 1202 promoted in one evaluation; 1204 with a
        // value other than 1 and one without value.
        evaluacion(1202, 0);
        evaluacion(1202, 1);
        evaluacion(1204, 2);
        evaluacion(1204, QVariant());
        evaluacion(1203, 1);
        evaluacion(2201, 1);
        evaluacion(2202, 0);
        miembro(5, 1202, QStringLiteral("30"), QStringLiteral("4992"));
        miembro(5, 2201, QStringLiteral("15"), QStringLiteral("2496"));
        miembro(5, 1299, QStringLiteral("30"), QStringLiteral("4992"));
        miembro(6, 1201, QString(), QString());
    }
    ~PlanCentro() override { Reloj::fijarHoy(QDate()); }

    Conexion& con() { return escuela.centro(); }

    void alumno(int id, int seccion, int curso, int tipo, int orden, int tipoAlumno = 1, const QString& baja = {}) {
        filas::alumno(con(), id, seccion, curso, tipo, orden, tipoAlumno, baja, QString());
    }
    void evaluacion(int alumno, const QVariant& promocion) { filas::evaluacion(con(), ++numEvaluacion, alumno, promocion); }
    void miembro(int actividad, int alumno, const QString& euros, const QString& pesetas) {
        EscuelaPrueba::sql(con(),
                           QStringLiteral("INSERT INTO Alumno_Actividad_Miembro (CodActividad, CodAlumno, PrecioEuros, "
                                          "PrecioPesetas) VALUES (%1, %2, ?, ?)")
                               .arg(actividad)
                               .arg(alumno),
                           {euros, pesetas});
    }

    static std::shared_ptr<cAlumno> alumnoDe(const Plan& p, int seccion, int id) {
        const auto s = p.arboles.secciones->buscar(QString::number(seccion));
        return s ? s->Alumnos()->buscar(QString::number(id)) : nullptr;
    }
    static QString destino(const std::shared_ptr<cAlumno>& a) { return filas::decision(a, QLatin1Char(' ')); }

    int numEvaluacion = 0;
};

TEST_P(PlanCentro, SeccionesEnElOrdenDeLaPaginaVisiblesSoloConAlumnosActivos) {
    const Plan p = host::planPorDefecto(con(), 1);
    EXPECT_EQ(p.cabecera.centro, 1);
    // Primaria before ESO by Orden, courses by Orden, sections by name; the
    // other school's Bachillerato is not there.
    EXPECT_EQ(p.arboles.secciones->claves(),
              QStringList({"111", "112", "121", "122", "123", "211", "221", "222"}));
    QStringList visibles, promocionadas;
    for (const auto& s : *p.arboles.secciones) {
        if (s->Visible()) visibles << QString::number(s->IDSeccion());
        if (s->Promocionada()) promocionadas << QString::number(s->IDSeccion());
    }
    EXPECT_EQ(QList({visibles, promocionadas}), QList<QStringList>(2, {"111", "112", "121", "122", "221", "222"}));
    const auto s121 = p.arboles.secciones->Item(QStringLiteral("121"));
    EXPECT_EQ(enFila({s121->IDTipoEnsenanza(), s121->IDCurso(), s121->NumPlazas(), s121->PromocionDirecta()}), "1|12|20|false");
    EXPECT_TRUE(p.arboles.secciones->Item(QStringLiteral("111"))->PromocionDirecta());
    // Students in OrdenSeccion order, the leaver left out.
    EXPECT_EQ(s121->Alumnos()->claves(), QStringList({"1204", "1201", "1202"}));
    QList<int> orden;
    for (const auto& a : *s121->Alumnos()) orden << a->Orden();
    EXPECT_EQ(orden, QList<int>({1, 2, 3}));
    const auto a1202 = s121->Alumnos()->Item(QStringLiteral("1202"));
    EXPECT_EQ(enFila({a1202->Nombre(), a1202->Apellido1(), a1202->IDSeccion(), a1202->IDCurso(), a1202->Actividades()}),
              "N1202|Ap1202|121|12|5");
    EXPECT_EQ(s121->Alumnos()->Item(QStringLiteral("1201"))->Actividades(), QStringLiteral("6"));
    EXPECT_TRUE(p.arboles.secciones->Item(QStringLiteral("123"))->Alumnos()->vacia());
}

TEST_P(PlanCentro, DecisionesYDestinosPorDefecto) {
    const Plan p = host::planPorDefecto(con(), 1);
    // Direct promotion without any grade: promoted, same section letter.
    EXPECT_EQ(destino(alumnoDe(p, 111, 1001)), QStringLiteral("Promociona 1/12/121 Primaria 2º A "));
    EXPECT_EQ(destino(alumnoDe(p, 112, 1002)), QStringLiteral("Promociona 1/12/122 Primaria 2º B "));
    // No evaluation row: repeats in his own section.
    EXPECT_EQ(destino(alumnoDe(p, 121, 1201)), QStringLiteral("Repite 1/12/121 Primaria 2º A "));
    // Promocion=1 in one of his rows: the last course of Primaria goes on to
    // the first of ESO.
    EXPECT_EQ(destino(alumnoDe(p, 121, 1202)), QStringLiteral("Promociona 2/21/211 ESO 1º A "));
    // No section B in 1º ESO: the first section by name.
    EXPECT_EQ(destino(alumnoDe(p, 122, 1203)), QStringLiteral("Promociona 2/21/211 ESO 1º A "));
    // Promocion 2 (and a row without value) is not a promotion.
    EXPECT_EQ(destino(alumnoDe(p, 121, 1204)), QStringLiteral("Repite 1/12/121 Primaria 2º A "));
    EXPECT_EQ(destino(alumnoDe(p, 221, 2202)), QStringLiteral("Repite 2/22/221 ESO 2º A "));
    // Promoted from the last course of the school: leaves, today.
    EXPECT_EQ(destino(alumnoDe(p, 222, 2201)), QStringLiteral("Baja 0/0/0    30/06/2026"));
    EXPECT_EQ(enFila({host::HayAlumnosSinDestino(*p.arboles.secciones),
                      motor::HayAlumnosSinAsignar(*p.arboles.secciones)}),
              "false|false");

    // Seats: counted in the destination section, in the order the sections
    // are confirmed.
    const auto& s = *p.arboles.secciones;
    QStringList plazas;
    for (const char* id : {"121", "211", "222"})
        plazas << enFila({s.Item(QLatin1String(id))->IDsPlazasOcupadas(), s.Item(QLatin1String(id))->NumPlazasOcupadas()});
    EXPECT_EQ(plazas, QStringList({",1001,1204,1201,|3", ",1202,1203,|2", ",|0"}));
}

TEST_P(PlanCentro, ActividadesUnAnoDespuesConSusMiembrosYPrecios) {
    const Plan p = host::planPorDefecto(con(), 1);
    const auto& acts = *p.arboles.actividades;
    ASSERT_EQ(acts.claves(), QStringList({"5", "6"}));
    const auto judo = acts.Item(QStringLiteral("5"));
    EXPECT_EQ(enFila({judo->Promocionada(), judo->TipoActividad(), judo->FechaInicio(), judo->FechaFin()}),
              "true|2|2026/09/15|2027/06/30");
    // Without an end date neither date passes.
    EXPECT_EQ(enFila({acts.Item(QStringLiteral("6"))->FechaInicio(), acts.Item(QStringLiteral("6"))->FechaFin()}), "|");

    // Active members only, at their prices, with the destination of their
    // section's decision; the leaver of the plan is hidden.
    EXPECT_EQ(judo->Alumnos()->claves(), QStringList({"1202", "2201"}));
    const auto m1202 = judo->Alumnos()->Item(QStringLiteral("1202"));
    EXPECT_EQ(enFila({m1202->Pasar(), m1202->Visible(), m1202->Euros(), m1202->Pesetas(), m1202->IDTipoAlumno(), m1202->TipoAlumno(),
                      m1202->IDSeccionActual(), m1202->IDCurso(), m1202->TipoEnsenanza(), m1202->Curso(), m1202->Seccion()}),
              "true|true|30|4992|1|General|121|21|ESO|1º|A");
    const auto m2201 = judo->Alumnos()->Item(QStringLiteral("2201"));
    EXPECT_EQ(enFila({m2201->Pasar(), m2201->Visible(), m2201->Euros()}), "true|false|15");

    // Types of the active members, at the activity's general price; only
    // the visible members' rows are in use.
    ASSERT_EQ(judo->TipoAlumnos()->claves(), QStringList({"1", "2"}));
    const auto general = judo->TipoAlumnos()->Item(QStringLiteral("1"));
    EXPECT_EQ(enFila({general->Nombre(), general->Euros(), general->Pesetas(), general->Visible()}), "General|30|4992|true");
    const auto becado = judo->TipoAlumnos()->Item(QStringLiteral("2"));
    EXPECT_EQ(enFila({becado->Visible(), becado->Euros()}), "false|");
    // Every course of the school, in order; in use the members' new course.
    EXPECT_EQ(judo->Cursos()->claves(), QStringList({"11", "12", "21", "22"}));
    QStringList enUso;
    for (const auto& c : *judo->Cursos())
        if (c->Visible()) enUso << c->Nombre();
    EXPECT_EQ(enUso, QStringList({"ESO 1º"}));
    EXPECT_EQ(judo->Cursos()->Item(QStringLiteral("21"))->Euros(), QString());
}

TEST_P(PlanCentro, ElPlanVaYVuelveEnJsonSinCambios) {
    Plan p = host::planPorDefecto(con(), 1);
    p.cabecera.cursoEscolar = QStringLiteral("2025/2026");
    const QByteArray json = host::planAJson(p);
    const Plan leido = host::planDesdeJson(json);
    EXPECT_EQ(enFila({leido.cabecera.centro, leido.cabecera.cursoEscolar, destino(alumnoDe(leido, 222, 2201))}),
              enFila({1, "2025/2026", destino(alumnoDe(p, 222, 2201))}));
    EXPECT_EQ(host::planAJson(leido), json);
    // Written straight from the objects, the text is the one a document of the whole
    // plan writes, in both forms; and so without activities.
    const QJsonDocument doc = QJsonDocument::fromJson(json);
    EXPECT_EQ(doc.toJson(QJsonDocument::Indented), json);
    EXPECT_EQ(host::planAJson(p, true), doc.toJson(QJsonDocument::Compact));
    Plan sinActividades = p;
    sinActividades.arboles.actividades = std::make_shared<Coleccion<cActividad>>();
    const QByteArray sinLista = host::planAJson(sinActividades);
    EXPECT_EQ(QJsonDocument::fromJson(sinLista).toJson(QJsonDocument::Indented), sinLista);
    // The read plan fits the school it came from, and stays as it was.
    Plan encajado = host::planDesdeJson(json);
    EXPECT_NO_THROW(host::encajarEnCentro(encajado, con(), 1));
    EXPECT_EQ(host::planAJson(encajado), json);
    // Any text is escaped as a document escapes it, and read back as it was.
    const QString raro = QStringLiteral("Ñoño \"el\\ de\" \t\n\x01\x7f ") + QChar(0xD83D) + QChar(0xDE00) + QChar(0xD800) +
                         QStringLiteral("x") + QChar(0xDC00);
    alumnoDe(p, 222, 2201)->setNombre(raro);
    const QByteArray conRaro = host::planAJson(p);
    EXPECT_EQ(QJsonDocument::fromJson(conRaro).toJson(QJsonDocument::Indented), conRaro);
    EXPECT_EQ(alumnoDe(host::planDesdeJson(conRaro), 222, 2201)->Nombre(), raro);
}

TEST_P(PlanCentro, EncajarListaCadaProblema) {
    Plan p = host::planPorDefecto(con(), 1);
    // A destination section of another course than the destination course.
    alumnoDe(p, 111, 1001)->setNIDSeccion(211);
    // A student the school does not have, and one in another's section.
    auto extrano = std::make_shared<cAlumno>();
    extrano->setIDAlumno(9999);
    extrano->setPromociona(true);
    const auto s112 = p.arboles.secciones->Item(QStringLiteral("112"));
    s112->Alumnos()->Add(extrano, 9999);
    auto ajeno = std::make_shared<cAlumno>();
    ajeno->setIDAlumno(2202);
    ajeno->setRepite(true);
    s112->Alumnos()->Add(ajeno, 2202);
    // A destination course of another teaching type, an unknown section and
    // activity.
    alumnoDe(p, 121, 1202)->setNIDTipoEnsenanza(1);
    auto falsa = std::make_shared<cCurso>();
    falsa->setIDSeccion(777);
    p.arboles.secciones->Add(falsa, 777);
    auto act = std::make_shared<cActividad>();
    act->setIDActividad(88);
    p.arboles.actividades->Add(act, 88);
    // A member the school does not have.
    auto socio = std::make_shared<cAlumnoActividad>();
    socio->setIDAlumno(9998);
    const auto judo = p.arboles.actividades->Item(QStringLiteral("5"));
    judo->Alumnos()->Add(socio, 9998);

    const QByteArray antes = host::planAJson(p);
    try {
        host::encajarEnCentro(p, con(), 1);
        FAIL() << "el plan debía rechazarse";
    } catch (const ErrorPlan& e) {
        EXPECT_EQ(e.tipo(), ErrorPlan::Tipo::NoEncaja);
        EXPECT_EQ(e.problemas(),
                  QStringList({
                      "secciones[1].Alumnos[1]: el alumno 9999 no existe en el centro",
                      "secciones[1].Alumnos[2]: el alumno 2202 no es de la sección 112 (es de la 221)",
                      "secciones[8]: la sección 777 no existe en el centro",
                      QStringLiteral("actividades[0].Alumnos[%1]: el alumno 9998 no existe en el centro")
                          .arg(judo->Alumnos()->Count() - 1),
                      "actividades[2]: la actividad 88 no existe en el centro",
                  }));
        EXPECT_TRUE(e.descripcion().contains(QStringLiteral("no encaja")));
    }
    // A plan refused is left as it was.
    EXPECT_EQ(host::planAJson(p), antes);
    // Where the students go is the check of the decisions, the same for a
    // plan, the saved choices and the wizard's pages.
    try {
        host::validarDecisiones(p, con(), 1, true, true);
        FAIL() << "las decisiones debían rechazarse";
    } catch (const ErrorPlan& e) {
        EXPECT_EQ(e.problemas(),
                  QStringList({
                      "sección 111, el alumno 1001 (Ap1001 N1001): la sección de destino 211 no es del curso 12 (es del 21)",
                      "sección 121, el alumno 1202 (Ap1202 N1202): el curso de destino 21 no es del tipo de enseñanza 1 (es del 2)",
                  }));
    }
}

TEST_P(PlanCentro, EncajarCompletaLasSeccionesYSuVisibilidad) {
    Plan p = host::planPorDefecto(con(), 1);
    p.arboles.secciones->Remove(QStringLiteral("221"));
    p.arboles.secciones->Remove(QStringLiteral("123"));
    p.arboles.secciones->Item(QStringLiteral("211"))->setVisible(true);
    p.arboles.secciones->Item(QStringLiteral("111"))->setVisible(false);
    host::encajarEnCentro(p, con(), 1);
    const auto& s = *p.arboles.secciones;
    EXPECT_EQ(enFila({s.Item("211")->Visible(), s.Item("111")->Visible()}), "false|true");
    // The section left out with active students comes back unpromoted and
    // empty, so the closing asks about it; the empty one stays out.
    EXPECT_FALSE(s.contiene(QStringLiteral("123")));
    ASSERT_EQ(s.Clave(s.Count()), QStringLiteral("221"));
    const auto vuelta = s.Item(QStringLiteral("221"));
    EXPECT_EQ(enFila({vuelta->Visible(), vuelta->Promocionada(), vuelta->Alumnos()->vacia(), vuelta->IDCurso(),
                      vuelta->IDTipoEnsenanza(), vuelta->NumPlazas()}),
              "true|false|true|22|2|30");
}

// A plan can never do what the wizard cannot: the memberships of a student
// who leaves (marked as leaving, or in a section left unpromoted) do not
// pass, and the price rows shown are those of the members who stay.
TEST_P(PlanCentro, LosMiembrosDeQuienSeVaNoPasan) {
    EscuelaPrueba::sql(con(), QStringLiteral("UPDATE Alumno SET Anticipado=0"));
    Plan p = host::planPorDefecto(con(), 1);
    host::encajarEnCentro(p, con(), 1);
    const auto judo = p.arboles.actividades->Item(QStringLiteral("5"));
    for (const char* id : {"1202", "2201"}) {
        const auto m = judo->Alumnos()->Item(QString::fromLatin1(id));
        m->setVisible(true);
        m->setPasar(true);
    }
    auto a = alumnoDe(p, 121, 1202);
    ASSERT_TRUE(a);
    a->setPromociona(false);
    a->setRepite(false);
    a->setBaja(true);
    p.arboles.secciones->Item(QStringLiteral("222"))->setPromocionada(false);

    host::sincronizarActividades(p, con());
    EXPECT_EQ(enFila({judo->Alumnos()->Item("1202")->Visible(), judo->Alumnos()->Item("2201")->Visible()}),
              "false|false");
    for (const auto& precio : *judo->TipoAlumnos()) EXPECT_FALSE(precio->Visible()) << precio->ID();
}

NCC_AMBOS_FONDOS(PlanCentro);

// The prices of a plan as the price page takes them: a price that is not
// one is refused with its member named, one currency given is completed
// with the page's conversion, and a plan of another centre or year is not
// applied.
TEST(PlanPrecios, SeConviertenComoEnLaPaginaDePrecios) {
    const auto plan = [](const QString& euros, const QString& pesetas) {
        return QStringLiteral("{\"actividades\": [{\"IDActividad\": 5, \"Alumnos\": [{\"IDAlumno\": 7, "
                              "\"Pasar\": true, \"Euros\": \"%1\", \"Pesetas\": \"%2\"}], "
                              "\"TipoAlumnos\": [{\"ID\": 1, \"Euros\": \"%1\", \"Pesetas\": \"%2\"}]}]}")
            .arg(euros, pesetas)
            .toUtf8();
    };
    Plan p = host::planDesdeJson(plan(QStringLiteral("12,50"), QString()));
    auto m = p.arboles.actividades->Item(QStringLiteral("5"))->Alumnos()->Item(QStringLiteral("7"));
    EXPECT_EQ(enFila({m->Euros(), m->Pesetas()}), "12,50|2080");
    p = host::planDesdeJson(plan(QString(), QStringLiteral("1000")));
    m = p.arboles.actividades->Item(QStringLiteral("5"))->Alumnos()->Item(QStringLiteral("7"));
    EXPECT_EQ(enFila({m->Euros(), m->Pesetas(), p.arboles.actividades->Item("5")->TipoAlumnos()->Item("1")->Euros()}),
              "6,01|1000|6,01");

    p.cabecera.centro = 1;
    p.cabecera.cursoEscolar = QStringLiteral("2025/2026");
    EXPECT_NO_THROW(host::comprobarCabecera(p, 1, QStringLiteral("2025/2026")));
    EXPECT_THROW(host::comprobarCabecera(p, 2, QStringLiteral("2025/2026")), host::ErrorPlan);
    EXPECT_THROW(host::comprobarCabecera(p, 1, QStringLiteral("2026/2027")), host::ErrorPlan);
}

// The command writes the same plan as the library, on the SQLite files of a
// folder; the server form goes through the same session code.
TEST(OrdenPlan, EscribeElPlanPorDefectoYRechazaElMalUso) {
    const auto ncc = [](const QStringList& args) { return ejecutarNcc(QStringList{QStringLiteral("plan")} + args); };
    ContextoBD ctx(Proveedor::SQLite);
    EscuelaPrueba escuela(ctx);
    EscuelaPrueba::sql(escuela.centro(), QStringLiteral("INSERT INTO TipoEnsenanza (IDTipoEnsenanza, Nombre, Orden) VALUES (1, 'Primaria', 1)"));
    EscuelaPrueba::sql(escuela.centro(), QStringLiteral("INSERT INTO Centro_TipoEnsenanza (CodCentro, CodTipoEnsenanza) VALUES (1, 1)"));
    EscuelaPrueba::sql(escuela.centro(), QStringLiteral("INSERT INTO Curso (IDCurso, Descripcion, CodTipoEnsenanza, Orden, Promocion) VALUES (1, '1º', 1, 1, 0)"));
    EscuelaPrueba::sql(escuela.centro(), QStringLiteral("INSERT INTO Seccion (IDSeccion, Descripcion, CodCurso, NumPlazas) VALUES (1, 'A', 1, 25)"));
    EscuelaPrueba::sql(escuela.centro(), QStringLiteral("INSERT INTO Alumno (IDAlumno, Nombre, CodTipoEnsenanza, CodCurso, CodSeccion, OrdenSeccion) VALUES (7, 'Ana', 1, 1, 1, 1)"));
    EscuelaPrueba::sql(escuela.centro(), QStringLiteral("INSERT INTO Seccion_Alumno (CodSeccion, CodAlumno) VALUES (1, 7)"));

    SalidaNcc r = ncc({QStringLiteral("--datos"), ctx.carpeta()});
    ASSERT_EQ(r.salida, 0) << r.error.toStdString();
    const Plan p = host::planDesdeJson(r.texto.toUtf8());
    EXPECT_EQ(enFila({p.cabecera.cursoEscolar, p.cabecera.centro}), "2025/2026|1");
    ASSERT_TRUE(p.arboles.secciones->contiene(QStringLiteral("1")));
    EXPECT_TRUE(p.arboles.secciones->Item(QStringLiteral("1"))->Alumnos()->contiene(QStringLiteral("7")));

    const QString archivo = ctx.carpeta() + QStringLiteral("/plan.json");
    r = ncc({QStringLiteral("--datos"), ctx.carpeta(), QStringLiteral("--salida"), archivo});
    ASSERT_EQ(r.salida, 0);
    EXPECT_TRUE(r.texto.isEmpty());
    QFile f(archivo);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(host::planAJson(host::planDesdeJson(f.readAll())), host::planAJson(p));

    esperarSalida(ncc({}), 64, QStringLiteral("Uso: ncc plan"));
    EXPECT_EQ(ncc({QStringLiteral("--datos"), ctx.carpeta(), QStringLiteral("--otra")}).salida, 64);
    EXPECT_EQ(ncc({QStringLiteral("--datos"), ctx.carpeta(), QStringLiteral("--salida")}).salida, 64);
    // A folder without the application entry: said plainly, failure.
    QTemporaryDir vacia;
    r = esperarSalida(ncc({QStringLiteral("--datos"), vacia.path()}), 1);
    EXPECT_TRUE(r.error.startsWith(QStringLiteral("ncc plan: "))) << r.error.toStdString();
    // A centre that is not there.
    EXPECT_EQ(ncc({QStringLiteral("--datos"), ctx.carpeta(), QStringLiteral("--centro"), QStringLiteral("9")}).salida, 1);
}

}  // namespace
}  // namespace ncc::pruebas
