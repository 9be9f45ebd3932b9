// Prices in euros and pesetas, what the activity page reads, and the stored
// activity choices, on both back ends.
#include "EscuelaActividades.h"
#include "entry/cPrecioActividad.h"
#include "platform/Sentencias.h"
#include "wizard/DatosActividades.h"
#include "wizard/LecturaActividades.h"
#include "entry/Moneda.h"
#include <QLocale>

namespace ncc::pruebas {
namespace {

using namespace ncc::actividades;

TEST(Moneda, ConversionesExactasConComaSeaCualSeaElIdiomaDeLaMaquinaYLoQueNoEsUnImporteNoSeLee) {
    for (const QLocale& l : {QLocale(QLocale::Spanish, QLocale::Spain), QLocale(QLocale::English, QLocale::UnitedStates)}) {
        QLocale::setDefault(l);
        // 166386 pesetas are exactly 1000 euros; 1 is 0.0060 euros: half a
        // cent and more rounds up; 9999999 is 60101.204...: the cent's
        // trailing zero goes; 100 cents are 166.386 pesetas.
        EXPECT_EQ(enFila({AEuros(1000), AEuros(0), APesetas(601), APesetas(0), AEuros(166386), AEuros(1),
                          AEuros(9999999), APesetas(100), APesetas(999999), textoEuros(610), textoEuros(600),
                          textoEuros(5)}),
                  "6,01|0|1000|0|1000|0,01|60101,2|166|1663858|6,1|6|0,05");
        // The grids show both cents; what is not an amount, as it is.
        EXPECT_EQ(enFila({textoEurosConCentimos("35,5"), textoEurosConCentimos("6"), textoEurosConCentimos("6,0x")}),
                  "35,50|6,00|6,0x");
    }
    QLocale::setDefault(QLocale::c());
    // Halves of a peseta go to the even neighbour: 25 cents are 41.5965
    // pesetas (42); 5 cents 8.3193 (8). An exact half needs cents*166386
    // ending in 50000: 250 cents give 415.965 (416); none of 0..99999 cents
    // lands on .5 except multiples of 50000 cents.
    // 50000 cents: 83193.0; 25000: 41596.5, to the even 41596; 75000:
    // 124789.5, to the even 124790.
    EXPECT_EQ(enFila({APesetas(25), APesetas(5), APesetas(50000), APesetas(25000), APesetas(75000)}),
              "42|8|83193|41596|124790");

    // What is not an amount is not read.
    EXPECT_EQ(leerPesetas("1000"), 1000);
    EXPECT_EQ(leerPesetas(" 0 "), 0);
    for (const char* malo : {"", "12a", "1.000", "1,5", "-3", "12345678"}) EXPECT_FALSE(leerPesetas(QString::fromLatin1(malo)).has_value()) << malo;
    for (const auto& [texto, centimos] : {std::pair{"6,01", 601}, {"6,1", 610}, {"6,", 600}, {",5", 50}, 
                                          {"1234,99", 123499}})
        EXPECT_EQ(leerEuros(QString::fromLatin1(texto)), centimos) << texto;
    for (const char* malo : {"", ",", "6.01", "6,001", "1,2,3", "12345", "abc", "6 ,0"})
        EXPECT_FALSE(leerEuros(QString::fromLatin1(malo)).has_value()) << malo;
}

class LecturaActividades : public EscuelaActividades {};

TEST_P(LecturaActividades, MiembrosActivosEnOrdenEspanolConElDestinoDeLaPaginaDeAlumnos) {
    miembro(1, 1, "123,5", "20548");  // Ana listed twice in the activity
    auto miembros = leerMiembros(centro(), 1, nullptr);
    QStringList orden;
    for (const auto& m : *miembros) orden << m->Apellido1();
    // Á with the A, Ñ after N and before T; the leaver is not a member;
    // a student listed twice is one member.
    EXPECT_EQ(orden, QStringList({"Álvarez", "Nuñez", "Nuto", "Sin", "Zamora"}));
    const auto ana = miembros->Item("1");
    EXPECT_EQ(enFila({ana->Euros(), ana->Pesetas(), ana->TipoAlumno(), ana->IDSeccionActual(), ana->Pasar(), ana->Visible(),
                      ana->Curso()}),
              "123,5|20548|Ordinario|101|false|true|");

    // Section 101 promoted: Ana goes to 2º A, Íñigo leaves. Section 102 is
    // promoted but does not list Pedro (his Seccion_Alumno says otherwise):
    // he keeps no destination instead of failing. Section 201 was never
    // promoted: what it says of Luis is no decision.
    seccionPromocionada(101, {{1, 201, false}, {2, 0, true}});
    seccionPromocionada(102, {});
    seccionPromocionada(201, {{4, 0, true}})->setPromocionada(false);
    miembros = leerMiembros(centro(), 1, secciones.get());
    const auto m = [&](const char* id) { return miembros->Item(id); };
    EXPECT_EQ(enFila({m("1")->Curso(), m("1")->IDCurso(), m("1")->Seccion(), m("1")->Visible(), m("2")->Visible(),
                      m("3")->Visible(), m("3")->Curso(), m("4")->Visible()}),
              "2º|12|A|true|false|true||true");

    // The price rows in use follow the visible members: Íñigo's type
    // (Becado) is used by Luis too; course 12 only by Ana.
    auto carga = leerActividades(centro(), 1);
    auto a1 = carga.actividades->Item("1");
    auto uso = marcarPreciosEnUso(*a1, *miembros);
    EXPECT_EQ(enFila({uso.noCursos, uso.noTipos, a1->Cursos()->Item("12")->Visible(),
                      a1->Cursos()->Item("11")->Visible()}),
              "false|false|true|false");
    // Nobody visible: nothing in use.
    for (const auto& m : *miembros) m->setVisible(false);
    uso = marcarPreciosEnUso(*a1, *miembros);
    EXPECT_EQ(enFila({uso.noCursos, uso.noTipos, a1->TipoAlumnos()->Item("1")->Visible()}), "true|true|false");

    // Without active members nor courses the load has no price rows.
    EscuelaPrueba::sql(centro(), QStringLiteral("UPDATE Alumno SET FechaBaja='2026/02/01'"));
    EscuelaPrueba::sql(centro(), QStringLiteral("DELETE FROM Centro_TipoEnsenanza"));
    carga = leerActividades(centro(), 1);
    EXPECT_EQ(enFila({carga.noTipos, carga.noCursos, carga.actividades->Item("1")->Cursos()->Count()}), "true|true|0");
}

NCC_AMBOS_FONDOS(LecturaActividades);

// ---------------------------------------------------------------------------

class DatosGuardados : public EscuelaActividades {
protected:
    // The page's state after activity 1 was promoted with its members and
    // prices, and activity 2 was left alone.
    ColeccionActividades promocionarComedor() {
        auto carga = leerActividades(centro(), 1);
        auto a1 = carga.actividades->Item("1");
        a1->setFechaInicio(QStringLiteral("2002/09/15"));
        a1->setFechaFin(QStringLiteral("2003/06/30"));
        auto miembros = leerMiembros(centro(), 1, nullptr);
        for (const auto& m : *miembros) {
            m->setPasar(m->IDAlumno() != 3);
            m->setEuros(QStringLiteral("O'Brien %1").arg(m->IDAlumno()));  // texts are bound, not spliced
            m->setPesetas(QStringLiteral("%1").arg(m->IDAlumno() * 100));
        }
        a1->setAlumnos(miembros);
        a1->TipoAlumnos()->Item("1")->setEuros(QStringLiteral("6,01"));
        a1->TipoAlumnos()->Item("1")->setPesetas(QStringLiteral("1000"));
        a1->TipoAlumnos()->Item("2")->setEuros(QStringLiteral("3"));
        a1->TipoAlumnos()->Item("2")->setPesetas(QStringLiteral("499"));
        a1->Cursos()->Item("12")->setEuros(QStringLiteral("7"));
        a1->Cursos()->Item("12")->setPesetas(QStringLiteral("1165"));
        a1->setPromocionada(true);
        return carga.actividades;
    }
    QStringList guardado() {
        QStringList r;
        r << filas(QStringLiteral("SELECT IDActividad, FechaInicio, FechaFin FROM CIERRECURSO_ACTIVIDAD ORDER BY IDActividad"));
        r << filas(QStringLiteral("SELECT codActividad, IDAlumno, Pasar, Euros, Pesetas FROM CIERRECURSO_ACTIVIDAD_ALUMNO "
                                  "ORDER BY codActividad, IDAlumno"));
        r << filas(QStringLiteral("SELECT codActividad, codTipoAlumno, Euros, Pesetas FROM "
                                  "CIERRECURSO_ACTIVIDAD_PRECIO_TIPOALUMNO ORDER BY codActividad, codTipoAlumno"));
        r << filas(QStringLiteral("SELECT codActividad, codCurso, Euros, Pesetas FROM CIERRECURSO_ACTIVIDAD_PRECIO_CURSO "
                                  "ORDER BY codActividad, codCurso"));
        return r;
    }
};

TEST_P(DatosGuardados, GuardaLasActividadesPromocionadasYLasVuelveACargar) {
    EXPECT_FALSE(hayDatosActividades(centro()));
    guardarDatosActividades(centro(), *promocionarComedor());
    EXPECT_TRUE(hayDatosActividades(centro()));
    EXPECT_EQ(guardado(),
              QStringList({"1|2002/09/15|2003/06/30", "1|1|-1|O'Brien 1|100", "1|2|-1|O'Brien 2|200",
                           "1|3|0|O'Brien 3|300", "1|4|-1|O'Brien 4|400", "1|6|-1|O'Brien 6|600", "1|1|6,01|1000",
                           "1|2|3|499", "1|11||", "1|12|7|1165", "1|21||"}));

    // A member added after the save, and a stored member who has left since:
    // neither comes back.
    miembro(1, 7, "1", "166");
    alumno(7, "Nuevo", "Recién", "Llegado", 101, 11, 1, 1);
    EscuelaPrueba::sql(centro(), QStringLiteral("UPDATE Alumno SET FechaBaja='2026/06/01' WHERE IDAlumno=6"));

    auto carga = leerActividades(centro(), 1);
    seccionPromocionada(101, {{1, 201, false}, {2, 0, true}});
    cargarDatosActividades(centro(), *carga.actividades, secciones.get());
    const auto a1 = carga.actividades->Item("1");
    EXPECT_EQ(enFila({a1->Promocionada(), carga.actividades->Item("2")->Promocionada(), a1->FechaInicio(), a1->FechaFin()}),
              "true|false|2002/09/15|2003/06/30");
    EXPECT_EQ(a1->Alumnos()->claves(), QStringList({"2", "4", "3", "1"}));  // Álvarez, Nuñez, Nuto, Zamora
    const auto luis = a1->Alumnos()->Item("4");
    EXPECT_EQ(enFila({a1->Alumnos()->Item("3")->Pasar(), luis->Pasar(), luis->Euros(), luis->TipoAlumno()}),
              "false|true|O'Brien 4|Becado");
    // The student page's decisions: Ana's new course, Íñigo hidden; the
    // prices of Ana's new course and of Luis's type shown.
    EXPECT_EQ(enFila({a1->Alumnos()->Item("1")->Curso(), a1->Alumnos()->Item("2")->Visible(),
                      a1->TipoAlumnos()->Item("1")->Euros(), a1->TipoAlumnos()->Item("1")->Pesetas(),
                      a1->Cursos()->Item("12")->Euros(), a1->Cursos()->Item("12")->Visible(),
                      a1->TipoAlumnos()->Item("2")->Visible()}),
              "2º|false|6,01|1000|7|true|true");

    // Saved again with nothing promoted: the four tables are emptied.
    guardarDatosActividades(centro(), *leerActividades(centro(), 1).actividades);
    EXPECT_EQ(guardado(), QStringList());
    EXPECT_FALSE(hayDatosActividades(centro()));
}

TEST_P(DatosGuardados, PreciosDeUnTipoQueYaNoTieneMiembrosActivosNoSeLeen) {
    guardarDatosActividades(centro(), *promocionarComedor());
    // Both Becado members leave.
    EscuelaPrueba::sql(centro(), QStringLiteral("UPDATE Alumno SET FechaBaja='2026/06/01' WHERE codTipoAlumno=2"));
    auto carga = leerActividades(centro(), 1);
    // The school's load offers the type no longer; give it back a row to
    // show that the stored price is not what fills it.
    auto p = std::make_shared<cPrecioActividad>();
    p->setID(2);
    carga.actividades->Item("1")->TipoAlumnos()->Add(p, 2);
    cargarDatosActividades(centro(), *carga.actividades, nullptr);
    EXPECT_EQ(enFila({carga.actividades->Item("1")->TipoAlumnos()->Item("1")->Euros(), p->Euros()}), "6,01|");
    // A course that is no longer in the school is skipped too.
    EscuelaPrueba::sql(centro(), QStringLiteral("DELETE FROM Curso WHERE IDCurso=12"));
    carga = leerActividades(centro(), 1);
    cargarDatosActividades(centro(), *carga.actividades, nullptr);
    EXPECT_FALSE(carga.actividades->Item("1")->Cursos()->contiene("12"));
}

TEST_P(DatosGuardados, UnGuardadoQueFallaAMitadConservaElConjuntoAnterior) {
    auto actividades = promocionarComedor();
    guardarDatosActividades(centro(), *actividades);
    const QStringList antes = guardado();
    actividades->Item("1")->setFechaInicio(QStringLiteral("2002/10/01"));
    actividades->Item("2")->setPromocionada(true);
    // The deletes, the activity and its first price rows go through; the
    // ninth statement fails.
    Sentencias::reiniciar();
    Sentencias::fallarEn(9);
    EXPECT_THROW(guardarDatosActividades(centro(), *actividades), Error);
    Sentencias::fallarEn(0);
    EXPECT_FALSE(centro().enTransaccion());
    EXPECT_EQ(guardado(), antes);
    // And the next save goes through.
    guardarDatosActividades(centro(), *actividades);
    EXPECT_EQ(filas(QStringLiteral("SELECT IDActividad, FechaInicio FROM CIERRECURSO_ACTIVIDAD ORDER BY IDActividad")),
              QStringList({"1|2002/10/01", "2|"}));
}

NCC_AMBOS_FONDOS(DatosGuardados);

}  // namespace
}  // namespace ncc::pruebas
