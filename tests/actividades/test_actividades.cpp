// The activities phase over a closed year's school database and its copy
// for the new year, on both back ends: new dates and months, prices by
// student type and per member, members who do not pass, and activities left
// unpromoted.
#include "PasoSobreEscuela.h"
#include "engine/Actividades.h"
#include <QStringList>

namespace ncc::pruebas {
namespace {

const QStringList nombresMeses = {
    QStringLiteral("Enero"),      QStringLiteral("Febrero"), QStringLiteral("Marzo"),     QStringLiteral("Abril"),
    QStringLiteral("Mayo"),       QStringLiteral("Junio"),   QStringLiteral("Julio"),     QStringLiteral("Agosto"),
    QStringLiteral("Septiembre"), QStringLiteral("Octubre"), QStringLiteral("Noviembre"), QStringLiteral("Diciembre")};

class Actividades : public PasoSobreEscuela {
protected:
    // An activity of both years, with the old months set on its members and
    // staff so that a clearing shows.
    void actividadEnBases(qint16 id, int tipo) {
        ambas(QStringLiteral("INSERT INTO Actividad (IDActividad, Nombre, TipoActividad, FechaInicio, FechaFin) VALUES "
                             "(%1, 'A%1', %2, '2025/09/01', '2026/06/30')")
                  .arg(id)
                  .arg(tipo));
        ambas(QStringLiteral("INSERT INTO Actividad_Personal (CodActividad, CodPersonal, %1, MesesRealizacion) "
                             "VALUES (%2, 1, %3, '111111111111')")
                  .arg(nombresMeses.join(QStringLiteral(", ")))
                  .arg(id)
                  .arg(mesesViejos()));
    }
    // January and June set, the other months cleared.
    static QString mesesViejos() { return QStringLiteral("-1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 0, 0"); }
    void miembroEnBases(qint16 actividad, qint32 alumno) {
        ambas(QStringLiteral("INSERT INTO Alumno_Actividad_Miembro (CodActividad, CodAlumno, PrecioEuros, PrecioPesetas, "
                             "%1, MesesRealizacion) VALUES (%2, %3, '9', '1497', %4, '111111111111')")
                  .arg(nombresMeses.join(QStringLiteral(", ")))
                  .arg(actividad)
                  .arg(alumno)
                  .arg(mesesViejos()));
    }

    std::shared_ptr<cActividad> actividad(qint16 id, int tipo, const QString& inicio, const QString& fin,
                                          bool promocionada = true) {
        auto a = std::make_shared<cActividad>();
        a->setIDActividad(id);
        a->setTipoActividad(tipo);
        a->setFechaInicio(inicio);
        a->setFechaFin(fin);
        a->setPromocionada(promocionada);
        e.colActividades->Add(a, id);
        return a;
    }
    static void miembro(const std::shared_ptr<cActividad>& a, qint32 alumno, bool pasar, bool visible = true,
                        const QString& euros = QStringLiteral("10"), const QString& pesetas = QStringLiteral("1664")) {
        auto m = std::make_shared<cAlumnoActividad>();
        m->setIDAlumno(alumno);
        m->setPasar(pasar);
        m->setVisible(visible);
        m->setEuros(euros);
        m->setPesetas(pesetas);
        a->Alumnos()->Add(m, alumno);
    }
    static void precio(const std::shared_ptr<cActividad>& a, qint16 tipo, bool visible, const QString& euros,
                       const QString& pesetas) {
        auto p = std::make_shared<cPrecioActividad>();
        p->setID(tipo);
        p->setVisible(visible);
        p->setEuros(euros);
        p->setPesetas(pesetas);
        a->TipoAlumnos()->Add(p, tipo);
    }


    // The months of each row of a table for one activity: the names of the
    // months set (any value other than 0 or -1 shows with it), then the mask.
    QStringList meses(const QString& tabla, qint16 actividad) {
        QStringList r;
        Recordset rs = nuevo().Abrir(
            QStringLiteral("SELECT %1, MesesRealizacion FROM %2 WHERE CodActividad=%3")
                .arg(nombresMeses.join(QStringLiteral(", ")), tabla)
                .arg(actividad));
        for (; !rs.eof(); rs.MoveNext()) {
            QStringList puestos;
            for (const QString& m : nombresMeses) {
                const QVariant v = rs.campo(m);
                if (v.isNull()) puestos << m + QStringLiteral("=~");
                else if (v.toInt() == -1) puestos << m;
                else if (v.toInt() != 0) puestos << m + QLatin1Char('=') + v.toString();
            }
            r << puestos.join(QLatin1Char(',')) + QLatin1Char(' ') + rs.texto(QStringLiteral("MesesRealizacion"));
        }
        return r;
    }

    QString errores() const { return guion.textos().join(QLatin1Char('\n')); }
};

// The months of the new dates, on the members and on the staff, in calendar
// columns and in the school-year mask (September first).
TEST_P(Actividades, MesesDeLasNuevasFechas) {
    struct Caso {
        qint16 id;
        int tipo;
        QString inicio, fin, fechas, meses;
    };
    const QVector<Caso> casos = {
        // A single month: only the start counts.
        {1, 1, QStringLiteral("05/03/2027"), QStringLiteral("20/06/2027"), QStringLiteral("2027/03/05|2027/06/20"),
         QStringLiteral("Marzo 000000100000")},
        // Over the turn of the year, dates as stored by the wizard.
        {2, 2, QStringLiteral("2026/10/01"), QStringLiteral("2027/02/28"), QStringLiteral("2026/10/01|2027/02/28"),
         QStringLiteral("Enero,Febrero,Octubre,Noviembre,Diciembre 011111000000")},
        // Twelve months from September.
        {3, 0, QStringLiteral("01/09/2026"), QStringLiteral("31/08/2027"), QStringLiteral("2026/09/01|2027/08/31"),
         nombresMeses.join(QLatin1Char(',')) + QStringLiteral(" 111111111111")},
        // More than twelve months: each month is set once.
        {4, 2, QStringLiteral("01/09/2026"), QStringLiteral("30/11/2027"), QStringLiteral("2026/09/01|2027/11/30"),
         nombresMeses.join(QLatin1Char(',')) + QStringLiteral(" 111111111111")},
        // No valid dates: the months stay cleared, the dates empty.
        {5, 2, QString(), QStringLiteral("31/02/2027"), QStringLiteral("|"), QStringLiteral(" 000000000000")},
        // A kind without months.
        {6, 7, QStringLiteral("01/10/2026"), QStringLiteral("30/11/2026"), QStringLiteral("2026/10/01|2026/11/30"),
         QStringLiteral(" 000000000000")},
        // Within one calendar year.
        {7, 2, QStringLiteral("01/01/2027"), QStringLiteral("30/04/2027"), QStringLiteral("2027/01/01|2027/04/30"),
         QStringLiteral("Enero,Febrero,Marzo,Abril 000011110000")},
    };
    for (const Caso& c : casos) {
        actividadEnBases(c.id, c.tipo);
        miembroEnBases(c.id, 100);
        miembro(actividad(c.id, c.tipo, c.inicio, c.fin), 100, true);
    }

    ASSERT_TRUE(motor::PasarActividades(e)) << errores().toStdString();
    EXPECT_EQ(enFila({guion.mostrados().size(), avisos.eventos.count(QStringLiteral("Avanzar"))}), "0|2");
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(leerFilas(nuevo(), QStringLiteral("SELECT FechaInicio, FechaFin FROM Actividad WHERE IDActividad=%1").arg(c.id)),
                  QStringList{c.fechas});
        EXPECT_EQ(QList({meses(QStringLiteral("Alumno_Actividad_Miembro"), c.id),
                         meses(QStringLiteral("Actividad_Personal"), c.id)}),
                  QList<QStringList>(2, QStringList{c.meses}));
    }
    // The closed year keeps its months.
    EXPECT_EQ(contar(local(), QStringLiteral("SELECT COUNT(*) FROM Alumno_Actividad_Miembro WHERE "
                                             "MesesRealizacion='111111111111'")),
              casos.size());
}

// An end month before the start month in one year cannot be counted: the
// step shows the error and fails.
TEST_P(Actividades, UnaSerieNegativaEsUnFallo) {
    actividadEnBases(1, 2);
    actividad(1, 2, QStringLiteral("01/05/2027"), QStringLiteral("01/03/2027"));
    EXPECT_FALSE(motor::PasarActividades(e));
    ASSERT_EQ(guion.mostrados().size(), 1);
    EXPECT_EQ(enFila({guion.ultimo().conPitido, guion.ultimo().mensaje.icono,
                      avisos.eventos.count(QStringLiteral("Avanzar"))}),
              enFila({true, Icono::Critico, 1}));
    EXPECT_TRUE(guion.ultimo().mensaje.texto.startsWith(QStringLiteral("Error 6: "))) << errores().toStdString();
}

// Prices by student type: the visible priced types keep or get their price,
// written as typed; the others lose theirs.
TEST_P(Actividades, PreciosPorTipoDeAlumno) {
    actividadEnBases(10, 2);
    actividadEnBases(11, 2);
    for (const char* fila : {"(10, 1, '100', '0,60')", "(10, 3, '100', '0,60')", "(10, 4, '100', '0,60')",
                             "(11, 1, '100', '0,60')", "(11, 2, '100', '0,60')", "(12, 1, '100', '0,60')"})
        ambas(QStringLiteral("INSERT INTO Actividad_TipoAlumno VALUES ") + QLatin1String(fila));
    auto a = actividad(10, 2, QString(), QString());
    precio(a, 1, true, QStringLiteral("12,50"), QStringLiteral("2.080"));
    precio(a, 2, true, QStringLiteral("1'5"), QString());
    precio(a, 3, false, QStringLiteral("4"), QStringLiteral("666"));
    precio(a, 4, true, QString(), QStringLiteral("666"));
    // No visible priced type at all.
    auto b = actividad(11, 2, QString(), QString());
    precio(b, 1, false, QStringLiteral("4"), QStringLiteral("666"));
    precio(b, 2, true, QString(), QStringLiteral("666"));

    ASSERT_TRUE(motor::PasarActividades(e)) << errores().toStdString();
    EXPECT_EQ(leerFilas(nuevo(), QStringLiteral("SELECT CodActividad, CodTipoAlumno, PrecioGeneralPta, PrecioGeneralEuro "
                                            "FROM Actividad_TipoAlumno ORDER BY CodActividad, CodTipoAlumno")),
              (QStringList{QStringLiteral("10|1|2.080|12,50"), QStringLiteral("10|2||1'5"),
                           QStringLiteral("12|1|100|0,60")}));
    EXPECT_EQ(contar(local(), QStringLiteral("SELECT COUNT(*) FROM Actividad_TipoAlumno")), 6);
}

// Members: those who pass keep their row with their prices ("0" for an empty
// one); the others go. An activity with nobody passing keeps its staff, with
// the months of the new dates. More members who pass than one statement's
// list holds (activity 30): exactly those who do not pass go.
TEST_P(Actividades, MiembrosQuePasan) {
    for (qint16 id : {20, 21, 22, 30, 31}) actividadEnBases(id, 1);  // 22 is not in the wizard's tree
    for (qint32 al : {1, 2, 3, 4}) miembroEnBases(20, al);
    for (qint32 al : {1, 5}) miembroEnBases(21, al);
    miembroEnBases(22, 1);
    QStringList v;
    for (int al = 1; al <= 1500; ++al) v << QStringLiteral("(30, %1)").arg(al);
    v << QStringLiteral("(31, 7)");
    ambas(QStringLiteral("INSERT INTO Alumno_Actividad_Miembro (CodActividad, CodAlumno) VALUES ") + v.join(QLatin1Char(',')));
    auto a = actividad(20, 1, QStringLiteral("01/11/2026"), QStringLiteral("30/11/2026"));
    miembro(a, 1, true, true, QString(), QStringLiteral("  "));
    miembro(a, 2, true, true, QStringLiteral("7,25"), QStringLiteral("1'206"));
    miembro(a, 3, false);
    miembro(a, 4, true, false);
    auto b = actividad(21, 1, QStringLiteral("01/12/2026"), QStringLiteral("31/12/2026"));
    miembro(b, 1, false);
    miembro(b, 5, false);
    auto muchos = actividad(30, 1, QString(), QString());
    for (int al = 1; al <= 1500; ++al) miembro(muchos, al, al % 3 != 0);

    ASSERT_TRUE(motor::PasarActividades(e)) << errores().toStdString();
    EXPECT_EQ(leerFilas(nuevo(), QStringLiteral("SELECT CodActividad, CodAlumno, PrecioEuros, PrecioPesetas "
                                            "FROM Alumno_Actividad_Miembro WHERE CodActividad<30 ORDER BY CodActividad, CodAlumno")),
              (QStringList{QStringLiteral("20|1|0|0"), QStringLiteral("20|2|7,25|1'206"), QStringLiteral("22|1|9|1497")}));
    EXPECT_EQ(QList({meses(QStringLiteral("Actividad_Personal"), 21), meses(QStringLiteral("Actividad_Personal"), 22)}),
              QList<QStringList>({{"Diciembre 000100000000"}, {"Enero,Junio 111111111111"}}));
    EXPECT_EQ(contar(local(), QStringLiteral("SELECT COUNT(*) FROM Alumno_Actividad_Miembro")), 1508);
    // Activity 30 keeps no member whose id is a multiple of 3.
    EXPECT_EQ(leerFilas(nuevo(), QStringLiteral("SELECT CodActividad, COUNT(*), MIN(CodAlumno % 3) FROM "
                                                 "Alumno_Actividad_Miembro WHERE CodActividad>=30 GROUP BY CodActividad ORDER BY 1")),
              QStringList({"30|1000|1", "31|1|1"}));
}

// An activity left unpromoted goes with its weekly schedule, staff, prices,
// calendar, members and its link to this school; another school's link,
// the promoted activity's rows and a timetable row it shares stay.
TEST_P(Actividades, LaNoPromocionadaDesaparece) {
    const int centro = escuela.idCentro();
    for (qint16 id : {40, 41}) {
        actividadEnBases(id, 2);
        miembroEnBases(id, 1);
        ambas(QStringLiteral("INSERT INTO ActividadSemanal (IDAS, DiaSemana) VALUES (%1, 1)").arg(id * 10));
        ambas(QStringLiteral("INSERT INTO Actividad_ActividadSemanal VALUES (%1, %2)").arg(id).arg(id * 10));
        ambas(QStringLiteral("INSERT INTO Actividad_Centro VALUES (%1, %2)").arg(id).arg(centro));
        ambas(QStringLiteral("INSERT INTO Actividad_Centro VALUES (%1, %2)").arg(id).arg(centro + 1));
        ambas(QStringLiteral("INSERT INTO Actividad_TipoAlumno VALUES (%1, 1, '100', '0,60')").arg(id));
        ambas(QStringLiteral("INSERT INTO ActividadCalendario (IDActividadCalendario, CodActividad, Fecha) VALUES "
                             "(%1, %1, '2026/01/07')")
                  .arg(id));
    }
    ambas(QStringLiteral("INSERT INTO ActividadSemanal (IDAS, DiaSemana) VALUES (99, 2)"));
    for (qint16 id : {40, 41}) ambas(QStringLiteral("INSERT INTO Actividad_ActividadSemanal VALUES (%1, 99)").arg(id));
    actividad(40, 2, QStringLiteral("01/10/2026"), QStringLiteral("31/05/2027"), false);
    auto b = actividad(41, 2, QStringLiteral("01/10/2026"), QStringLiteral("31/05/2027"));
    miembro(b, 1, true);
    precio(b, 1, true, QStringLiteral("0,60"), QStringLiteral("100"));

    ASSERT_TRUE(motor::PasarActividades(e)) << errores().toStdString();
    EXPECT_EQ(leerFilas(nuevo(), QStringLiteral("SELECT IDActividad FROM Actividad")), QStringList{QStringLiteral("41")});
    EXPECT_EQ(leerFilas(nuevo(), QStringLiteral("SELECT IDAS FROM ActividadSemanal ORDER BY IDAS")), QStringList({"99", "410"}));
    for (const char* t : {"Actividad_ActividadSemanal", "Actividad_Personal", "Actividad_TipoAlumno",
                          "ActividadCalendario", "Alumno_Actividad_Miembro"})
        EXPECT_EQ(leerFilas(nuevo(), QStringLiteral("SELECT DISTINCT CodActividad FROM ") + QLatin1String(t)),
                  QStringList{QStringLiteral("41")})
            << t;
    EXPECT_EQ(leerFilas(nuevo(), QStringLiteral("SELECT CodActividad, CodCentro FROM Actividad_Centro ORDER BY CodActividad, CodCentro")),
              (QStringList{QStringLiteral("40|%1").arg(centro + 1), QStringLiteral("41|%1").arg(centro),
                           QStringLiteral("41|%1").arg(centro + 1)}));
    EXPECT_EQ(contar(local(), QStringLiteral("SELECT COUNT(*) FROM Actividad")), 2);
}

NCC_AMBOS_FONDOS(Actividades);

}  // namespace
}  // namespace ncc::pruebas
