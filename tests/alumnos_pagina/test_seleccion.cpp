// The student page's decisions without its windows, on both back ends: the
// school's sections and lists, the default decisions, the seat check, the
// confirmation of a section and the stored set of decisions.
#include "Lectura.h"
#include "EscuelaAlumnos.h"
#include "platform/Sentencias.h"
#include "wizard/SeleccionAlumnos.h"
#include "wizard/modCierreCurso.h"

namespace ncc::pruebas {
namespace {

class Seleccion : public EscuelaAlumnos {
protected:
    Seleccion() : datos(con(), 1) {
        datos.Cargar();
        filas = datos.FilasSecciones();
    }

    static QString decision(const std::shared_ptr<cAlumno>& a) { return filas::decision(a, QLatin1Char('|')); }
    static void destino(cAlumno& a, bool promociona, int tipo, int curso, int seccion, const QString& textoCurso = {}) {
        a.setSinAsignar(false);
        a.setPromociona(promociona);
        a.setRepite(!promociona);
        a.setBaja(false);
        a.setNIDTipoEnsenanza(quint8(tipo));
        a.setNIDCurso(quint8(curso));
        a.setNIDSeccion(qint16(seccion));
        a.setNTipoEnsenanza(QStringLiteral("T%1").arg(tipo));
        a.setNCurso(textoCurso.isEmpty() ? QStringLiteral("C%1").arg(curso) : textoCurso);
        a.setNSeccion(QStringLiteral("S%1").arg(seccion));
    }

    SeleccionAlumnos datos;
    QList<FilaSeccion> filas;
};

TEST_P(Seleccion, LasSeccionesDelCentroConSusEncabezadosListasYOrdenEspanol) {
    // Every section of the school's courses, in page order; not the other
    // school's.
    EXPECT_EQ(datos.Secciones()->claves(),
              (QStringList{"111", "112", "121", "122", "211", "221", "224", "222", "223"}));
    EXPECT_EQ(enFila({datos.ListaSecciones(), datos.ListaCursos(), datos.ListaTiposEnsenanza(), datos.TiposCurso().value(21),
                      datos.Seccion(111)->PromocionDirecta(), datos.Seccion(121)->PromocionDirecta(), datos.Seccion(211)->NumPlazas(),
                      datos.Seccion(211)->IDsPlazasOcupadas()}),
              ",111,112,121,122,211,221,224,222,223,|,11,12,21,22,|,1,2,|2|true|false|20|,");

    // The grid: only sections with active students, under their headings.
    QStringList grid;
    for (const FilaSeccion& f : filas)
        grid << (f.encabezado ? QStringLiteral("# ") + f.texto : QString::number(f.idSeccion) + f.texto);
    EXPECT_EQ(grid, (QStringList{QStringLiteral("# Primaria"), QStringLiteral("111    1º A"),
                                  QStringLiteral("121    2º A"), QStringLiteral("# ESO"),
                                  QStringLiteral("211    1º d'ESO A")}));
    EXPECT_EQ(enFila({datos.Seccion(121)->Visible(), datos.Seccion(112)->Visible()}), "true|false");

    EXPECT_EQ(datos.TiposEnsenanza(), (QList<OpcionLista>{{1, QStringLiteral("Primaria")}, {2, QStringLiteral("ESO")}}));
    EXPECT_EQ(datos.CursosDe(2), (QList<OpcionLista>{{21, QStringLiteral("1º d'ESO")}, {22, QStringLiteral("2º")}}));
    QStringList secciones;
    for (const auto& o : datos.SeccionesDe(22)) secciones << o.texto;
    EXPECT_EQ(secciones, (QStringList{"B", "N", QStringLiteral("Ñ"), "O"}));
    EXPECT_FALSE(datos.HayDatosGuardados());
}

TEST_P(Seleccion, DecisionPorDefectoOrdenYActividadesDeCadaAlumno) {
    const auto directa = datos.CargarAlumnosSeccion(111, true);
    EXPECT_EQ(directa->claves(), (QStringList{"1003", "1001", "1002"}));
    for (const auto& a : *directa) {
        EXPECT_EQ(decision(a), QStringLiteral("Promociona 0/0/0 || ") + QStringLiteral(" sin asignar"));
        EXPECT_EQ(a->Apellido2(), QString());  // Null reads as empty text
    }
    EXPECT_EQ(enFila({directa->Item(1)->Orden(), directa->Item(3)->Orden()}), "1|3");

    const auto notas = datos.CargarAlumnosSeccion(121, true);
    ASSERT_EQ(notas->claves(), (QStringList{"1201", "1202", "1203"}));
    // 1201 has no promotion rows, 1202 a 1 among 0 and Null, 1203 0 and Null.
    EXPECT_EQ(enFila({notas->Item("1201")->Repite(), notas->Item("1202")->Promociona(), notas->Item("1203")->Repite(),
                      notas->Item("1202")->Actividades(), notas->Item("1201")->Actividades(),
                      notas->Item("1202")->IDSeccion(), notas->Item("1202")->IDCurso(),
                      datos.CargarAlumnosSeccion(121, false)->Item("1202")->Actividades()}),
              "true|true|true|5,6||121|12|");
}

TEST_P(Seleccion, PlazasPreguntaPorEncimaDeLasDeLaSeccionYRechazaPasadoElMaximo) {
    auto alumnos = datos.CargarAlumnosSeccion(121, false);
    for (const auto& a : *alumnos) a->setSeleccionado(true);
    const auto d = datos.Seccion(211);  // 20 places
    d->setNumPlazasOcupadas(17);
    EXPECT_EQ(datos.ComprobarPlazas(*alumnos, 21, 211), ResultadoPlazas::Bien);  // 20
    d->setNumPlazasOcupadas(18);
    EXPECT_EQ(datos.ComprobarPlazas(*alumnos, 21, 211), ResultadoPlazas::Preguntar);  // 21
    d->setNumPlazasOcupadas(198);
    d->setNumPlazas(250);
    EXPECT_EQ(datos.ComprobarPlazas(*alumnos, 21, 211), ResultadoPlazas::Rechazar);  // 201, whatever the places
    // No course or no section chosen: no check.
    EXPECT_EQ(datos.ComprobarPlazas(*alumnos, 0, 211), ResultadoPlazas::Bien);
    EXPECT_EQ(datos.ComprobarPlazas(*alumnos, 21, 0), ResultadoPlazas::Bien);
    // A student already counted in the section takes no second seat; one not
    // selected but sent there counts.
    d->setNumPlazasOcupadas(0);
    d->setIDsPlazasOcupadas(QStringLiteral(",1201,"));
    alumnos->Item("1203")->setSeleccionado(false);
    alumnos->Item("1203")->setNIDSeccion(211);
    EXPECT_EQ(SeleccionAlumnos::ContarPlazas(*d, *alumnos), 2);
}

TEST_P(Seleccion, ConfirmarOcupaPlazasYReabrirLasDevuelve) {
    const auto s = datos.Seccion(121);
    auto alumnos = datos.CargarAlumnosSeccion(121, false);
    destino(*alumnos->Item("1201"), false, 1, 12, 121);
    destino(*alumnos->Item("1202"), true, 2, 21, 211);
    destino(*alumnos->Item("1203"), true, 2, 21, 211);
    alumnos->Item("1203")->setSeleccionado(true);
    datos.ConfirmarSeccion(*s, *alumnos);
    EXPECT_NE(s->Alumnos()->Item("1202").get(), alumnos->Item("1202").get());  // a copy
    EXPECT_EQ(enFila({s->Promocionada(), datos.HaySeccionesPromocionadas(), s->Alumnos()->Count(),
                      s->Alumnos()->Item("1203")->Seleccionado(), datos.Seccion(211)->NumPlazasOcupadas(),
                      datos.Seccion(211)->IDsPlazasOcupadas(), datos.Seccion(121)->NumPlazasOcupadas()}),
              "true|true|3|false|2|,1202,1203,|1");

    // Confirming again gives the earlier seats back first.
    destino(*alumnos->Item("1203"), true, 1, 12, 122);
    datos.ConfirmarSeccion(*s, *alumnos);
    EXPECT_EQ(enFila({datos.Seccion(211)->NumPlazasOcupadas(), datos.Seccion(211)->IDsPlazasOcupadas(),
                      datos.Seccion(122)->IDsPlazasOcupadas()}),
              "1|,1202,|,1203,");

    // Reopening: every seat back, the section unpromoted and empty.
    datos.LiberarPlazas(*s);
    SeleccionAlumnos::DesmarcarSeccion(*s);
    EXPECT_EQ(enFila({datos.Seccion(211)->NumPlazasOcupadas(), datos.Seccion(122)->NumPlazasOcupadas(),
                      datos.Seccion(121)->NumPlazasOcupadas(), s->Promocionada(), s->Alumnos()->Count()}),
              "0|0|0|false|0");
    EXPECT_FALSE(datos.HaySeccionesPromocionadas());
}

TEST_P(Seleccion, SinDestinoSoloCuandoLosTresSonCero) {
    const auto s = datos.Seccion(121);
    auto alumnos = datos.CargarAlumnosSeccion(121, false);
    destino(*alumnos->Item("1201"), true, 2, 0, 0);  // type only: placed as far as chosen
    destino(*alumnos->Item("1202"), true, 2, 21, 211);
    alumnos->Item("1203")->setSinAsignar(false);
    alumnos->Item("1203")->setRepite(false);
    alumnos->Item("1203")->setBaja(true);
    datos.ConfirmarSeccion(*s, *alumnos);
    EXPECT_FALSE(HayAlumnosSinDestino(*datos.Secciones()));
    s->Alumnos()->Item("1201")->setNIDTipoEnsenanza(0);
    EXPECT_TRUE(HayAlumnosSinDestino(*datos.Secciones()));
}

TEST_P(Seleccion, GuardarYCargarDevuelveLasDecisionesComprobadasContraElCentro) {
    // Section 121 confirmed; 111 confirmed with a leaver and a stored
    // destination whose section will move course.
    auto a121 = datos.CargarAlumnosSeccion(121, false);
    destino(*a121->Item("1201"), false, 1, 12, 121);
    destino(*a121->Item("1202"), true, 2, 21, 211, QStringLiteral("1º d'ESO"));
    datos.ConfirmarSeccion(*datos.Seccion(121), *a121);  // 1203 stays unassigned
    auto a111 = datos.CargarAlumnosSeccion(111, false);
    destino(*a111->Item("1003"), true, 1, 12, 122);
    destino(*a111->Item("1001"), true, 1, 12, 121);
    a111->Item("1002")->setSinAsignar(false);
    a111->Item("1002")->setPromociona(false);
    a111->Item("1002")->setBaja(true);
    a111->Item("1002")->setFechaBaja(QStringLiteral("15/06/2026"));
    datos.ConfirmarSeccion(*datos.Seccion(111), *a111);
    datos.GuardarDatosAlumnos();
    EXPECT_EQ(enFila({contar(QStringLiteral("CIERRECURSO_SECCION")),
                      contar(QStringLiteral("CIERRECURSO_SECCION_ALUMNO"))}),
              "2|6");
    const Recordset fila = con().Abrir(
        QStringLiteral("SELECT Promociona, Repite, Baja, SinAsignar, NCurso, FechaBaja FROM "
                       "CIERRECURSO_SECCION_ALUMNO WHERE IDAlumno=1202"));
    EXPECT_EQ(fila.entero(QStringLiteral("Promociona")), -1);  // -1 on both back ends
    EXPECT_EQ(enFila({fila.entero(QStringLiteral("Repite")), fila.texto(QStringLiteral("NCurso"))}), "0|1º d'ESO");

    // Meanwhile: 122 moved to ESO's second course, a stored section that is
    // gone and one of a type no longer taught (its students read between
    // 111's and 121's), a leaver stored without date, a new student in 121.
    EscuelaPrueba::sql(con(), QStringLiteral("UPDATE Seccion SET CodCurso=22 WHERE IDSeccion=122"));
    EscuelaPrueba::sql(con(), QStringLiteral("INSERT INTO CIERRECURSO_SECCION VALUES(999)"));
    EscuelaPrueba::sql(con(), QStringLiteral("UPDATE Seccion SET IDSeccion=115 WHERE IDSeccion=311"));
    EscuelaPrueba::sql(con(), QStringLiteral("INSERT INTO CIERRECURSO_SECCION VALUES(115)"));
    alumno(1501, 115, 31, 3, 1);
    EscuelaPrueba::sql(con(), QStringLiteral("UPDATE CIERRECURSO_SECCION_ALUMNO SET FechaBaja=NULL WHERE IDAlumno=1002"));
    alumno(1204, 121, 12, 1, 5);
    evaluacion(1204, 1);

    SeleccionAlumnos otra(con(), 1);
    otra.Cargar();
    otra.FilasSecciones();
    EXPECT_TRUE(otra.HayDatosGuardados());
    QList<qint16> tras;
    EXPECT_EQ(otra.CargarDatosAlumnos(false, [&](cCurso& s) { tras << s.IDSeccion(); }), (QList<qint16>{111, 121}));
    EXPECT_EQ(tras, (QList<qint16>{111, 121}));
    EXPECT_FALSE(otra.Secciones()->contiene(QStringLiteral("999")));
    const auto s111 = otra.Seccion(111);
    const auto s121 = otra.Seccion(121);
    EXPECT_EQ(enFila({s111->Promocionada(), s121->Promocionada(), otra.Seccion(211)->Promocionada()}), "true|true|false");
    EXPECT_EQ(s121->Alumnos()->claves(), (QStringList{"1201", "1202", "1203", "1204"}));
    EXPECT_EQ(decision(s121->Alumnos()->Item("1201")), QStringLiteral("Repite 1/12/121 T1|C12|S121 "));
    EXPECT_EQ(decision(s121->Alumnos()->Item("1202")), QStringLiteral("Promociona 2/21/211 T2|1º d'ESO|S211 "));
    EXPECT_EQ(decision(s121->Alumnos()->Item("1203")), QStringLiteral("Repite 0/0/0 || ") + QStringLiteral(" sin asignar"));
    // The newcomer's default comes from his own grades.
    EXPECT_EQ(decision(s121->Alumnos()->Item("1204")), QStringLiteral("Promociona 0/0/0 || ") + QStringLiteral(" sin asignar"));
    // The section that moved course is dropped and takes no seat; the type
    // and course stay.
    EXPECT_EQ(decision(s111->Alumnos()->Item("1003")), QStringLiteral("Promociona 1/12/0 T1|C12| "));
    EXPECT_EQ(decision(s111->Alumnos()->Item("1002")), QStringLiteral("Baja 0/0/0 || 30/06/2026"));
    EXPECT_EQ(enFila({otra.Seccion(122)->NumPlazasOcupadas(), otra.Seccion(121)->IDsPlazasOcupadas(),
                      otra.Seccion(121)->NumPlazasOcupadas(), otra.Seccion(211)->NumPlazasOcupadas()}),
              "0|,1001,1201,|2|1");
    EXPECT_EQ(s121->Alumnos()->Item("1203")->Orden(), 3);

    // A student whose stored teaching type is not the school's any more
    // waits for a decision again.
    EscuelaPrueba::sql(con(), QStringLiteral("UPDATE CIERRECURSO_SECCION_ALUMNO SET NIDTipoEnsenanza=3 WHERE IDAlumno=1201"));
    SeleccionAlumnos tercera(con(), 1);
    tercera.Cargar();
    tercera.CargarDatosAlumnos(false);
    EXPECT_EQ(decision(tercera.Seccion(121)->Alumnos()->Item("1201")),
              QStringLiteral("Repite 0/0/0 || ") + QStringLiteral(" sin asignar"));

    // The students of a stored section come in the order of the section's
    // list, as the page reads one: no place first, then by place, then id.
    EscuelaPrueba::sql(con(), QStringLiteral("UPDATE Alumno SET OrdenSeccion=NULL WHERE IDAlumno=1203"));
    EscuelaPrueba::sql(con(), QStringLiteral("UPDATE Alumno SET OrdenSeccion=1 WHERE IDAlumno=1202"));
    SeleccionAlumnos cuarta(con(), 1);
    cuarta.Cargar();
    cuarta.CargarDatosAlumnos(false);
    EXPECT_EQ(cuarta.Seccion(121)->Alumnos()->claves(), (QStringList{"1203", "1201", "1202", "1204"}));
    EXPECT_EQ(cuarta.Seccion(121)->Alumnos()->Item("1203")->Orden(), 1);
    EXPECT_EQ(cuarta.CargarAlumnosSeccion(121, false)->claves(), cuarta.Seccion(121)->Alumnos()->claves());
}

TEST_P(Seleccion, GuardarSinSeccionesVaciaYUnFalloAMitadConservaLoAnterior) {
    auto a121 = datos.CargarAlumnosSeccion(121, false);
    destino(*a121->Item("1201"), false, 1, 12, 121);
    datos.ConfirmarSeccion(*datos.Seccion(121), *a121);
    datos.GuardarDatosAlumnos();
    const QStringList antes = EscuelaPrueba::instantanea(con());

    // A new decision, and the save fails at its last statement (the
    // students' rows), the sections' already written: the stored set is the
    // one before.
    auto a111 = datos.CargarAlumnosSeccion(111, false);
    datos.ConfirmarSeccion(*datos.Seccion(111), *a111);
    Sentencias::reiniciar();
    Sentencias::fallarEn(4);
    EXPECT_THROW(datos.GuardarDatosAlumnos(), Error);
    Sentencias::fallarEn(0);
    EXPECT_EQ(EscuelaPrueba::instantanea(con()), antes);

    // Nothing promoted: both tables empty.
    SeleccionAlumnos vacia(con(), 1);
    vacia.Cargar();
    vacia.GuardarDatosAlumnos();
    EXPECT_EQ(enFila({contar(QStringLiteral("CIERRECURSO_SECCION")),
                      contar(QStringLiteral("CIERRECURSO_SECCION_ALUMNO")), vacia.HayDatosGuardados()}),
              "0|0|false");
}

TEST_P(Seleccion, LaLineaDeOrdenesTomaElConjuntoGuardadoYSinElSeNiega) {
    // Without a stored set every section would close unpromoted.
    EXPECT_THROW(SeccionesGuardadas(con(), 1), Error);
    auto a121 = datos.CargarAlumnosSeccion(121, false);
    destino(*a121->Item("1202"), true, 2, 21, 211);
    datos.ConfirmarSeccion(*datos.Seccion(121), *a121);
    datos.GuardarDatosAlumnos();
    const auto secciones = SeccionesGuardadas(con(), 1);
    EXPECT_EQ(enFila({secciones->Item("121")->Promocionada(), secciones->Item("121")->Visible(),
                      secciones->Item("111")->Promocionada(), secciones->Item("211")->NumPlazasOcupadas(),
                      secciones->Item("121")->Alumnos()->Item("1202")->Actividades()}),
              "true|true|false|1|5,6");
}

NCC_AMBOS_FONDOS(Seleccion);

}  // namespace
}  // namespace ncc::pruebas
