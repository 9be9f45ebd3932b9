// The leavers' purge over a closed year's school database and its copy for
// the new year, on both back ends: what goes from the new year, what stays
// because someone who remains still uses it, and the archive of the leavers
// in the closed year.
#include "PasoSobreEscuela.h"
#include "engine/Purga.h"
#include "platform/Reloj.h"
#include "platform/Sentencias.h"
#include "suite/Esquema.h"
#include <QStringList>
#include <functional>

namespace ncc::pruebas {
namespace {

struct Baja {
    qint32 alumno, familia, direccion;
};

class Purga : public PasoSobreEscuela {
protected:
    Purga() {
        Reloj::fijarHoy(QDate(2026, 6, 30));
        // The teaching the students of the fixtures belong to.
        ambas(QStringLiteral("INSERT INTO TipoEnsenanza (IDTipoEnsenanza, Nombre, Orden) VALUES (1, 'Primaria', 1)"));
        ambas(QStringLiteral("INSERT INTO Curso (IDCurso, Descripcion, CodTipoEnsenanza, Orden) VALUES "
                             "(1, 'Primero', 1, 1)"));
        ambas(QStringLiteral("INSERT INTO Seccion (IDSeccion, Descripcion, CodCurso) VALUES (1, '1A', 1)"));
        ambas(QStringLiteral("INSERT INTO Provincia (IDProvincia, Descripcion) VALUES (28, 'Madrid')"));
    }
    ~Purga() override { Reloj::fijarHoy(QDate()); }

    void alumno(qint32 id, qint32 familia, qint32 direccion, int orden = 1) {
        ambas(QStringLiteral("INSERT INTO Alumno (IDAlumno, Nombre, Apellido_1, Apellido_2, Matricula, FechaIngreso, "
                             "CodTipoEnsenanza, CodCurso, CodSeccion, OrdenSeccion, Repetidor, Anticipado, CodFamilia, "
                             "CodDireccion, CodFoto) VALUES (%1, 'N%1', 'A%1', '', 'M%1', '2020/09/01', 1, 1, 1, %4, 0, 0, "
                             "%2, %3, 0)")
                  .arg(id)
                  .arg(familia)
                  .arg(direccion)
                  .arg(orden));
    }
    void familia(qint32 id) { ambas(QStringLiteral("INSERT INTO Familia (IDFamilia, Nombre) VALUES (%1, 'F')").arg(id)); }
    void miembro(qint32 id, qint32 familia, qint32 direccion) {
        ambas(QStringLiteral("INSERT INTO MiembroFamilia (IDMiembroFamilia, CodFamilia, CodDireccion) VALUES (%1, %2, %3)")
                  .arg(id)
                  .arg(familia)
                  .arg(direccion));
    }
    void direccion(qint32 id) {
        ambas(QStringLiteral("INSERT INTO Direccion (IDDireccion, Direccion, Poblacion, CodigoPostal, CodProvincia, "
                             "Telefono) VALUES (%1, 'Calle %1', 'Madrid', '28001', 28, '910000000')")
                  .arg(id));
    }

    // What the promotion transfer leaves for the purge: the leavers' arrays
    // and list, and their student rows gone from the new year.
    void bajas(const QVector<Baja>& l) {
        e.IDsAlumnosBaja.resize(l.size());
        e.CodFamiliasBaja.resize(l.size());
        e.CodDireccionesBaja.resize(l.size());
        QStringList ids;
        for (int i = 0; i < l.size(); ++i) {
            e.IDsAlumnosBaja[i] = l[i].alumno;
            e.CodFamiliasBaja[i] = l[i].familia;
            e.CodDireccionesBaja[i] = l[i].direccion;
            ids << QString::number(l[i].alumno);
        }
        e.strIDsAlumnosBaja = ids.join(QLatin1Char(','));
        e.HayBajas = !l.isEmpty();
        nuevo().Execute(QStringLiteral("DELETE FROM Alumno WHERE IdAlumno IN (%1)").arg(e.strIDsAlumnosBaja));
    }
    // A student taken out of his section by the promotion transfer.
    void retirado(qint32 id, bool baja, const QString& fecha = QString()) {
        auto a = std::make_shared<cAlumno>();
        a->setIDAlumno(id);
        a->setBaja(baja);
        a->setSinAsignar(!baja);
        a->setFechaBaja(fecha);
        e.colAlumnosRetirados.Add(a, id);
    }

    // The ids a table of the new year keeps, in order, as "1,2".
    QString ids(const char* tabla, const char* columna) {
        return leerFilas(nuevo(), QStringLiteral("SELECT %1 FROM %2 ORDER BY %1").arg(QLatin1String(columna), QLatin1String(tabla)))
            .join(QLatin1Char(','));
    }
};

// Without leavers the leavers' steps touch nothing, while the end of the run
// still drops the pre-enrolments that did not become enrolments, resets the
// counters and removes whatever no one uses.
TEST_P(Purga, SinBajasSoloCorrenPrematriculasYHuerfanos) {
    const int T = local().verdadero();
    familia(1);
    familia(99);  // nobody's
    direccion(500);
    direccion(599);  // nobody's
    alumno(10, 1, 500);
    miembro(30, 1, 500);
    miembro(31, 98, 500);  // of a family that is gone
    ambas(QStringLiteral("INSERT INTO Prematriculacion (IDPrematriculacion, CodAlumno, Anticipado) VALUES (1, 10, 0), (2, 10, %1)").arg(T));
    ambas(QStringLiteral("INSERT INTO Prematriculacion_Ponderacion (CodPrematriculacion, CodPonderacion, Puntos) VALUES (1, 1, 2), "
                         "(2, 1, 3)"));
    ambas(QStringLiteral("INSERT INTO UltimoID VALUES (50, 60, 70, 80, 90, 100)"));
    ambas(QStringLiteral("INSERT INTO Actividad (IDActividad, Nombre) VALUES (1, 'Judo')"));
    // 7 is a gone activity.
    ambas(QStringLiteral("INSERT INTO Actividad_Centro (CodActividad, CodCentro) VALUES (1, 2), (7, 2), (7, %1)").arg(escuela.idCentro()));
    ambas(QStringLiteral("INSERT INTO Actividad_TipoAlumno (CodActividad, CodTipoAlumno) VALUES (7, 1)"));

    Sentencias::reiniciar();
    EXPECT_EQ(enFila({motor::PurgarFamilias(e), motor::PurgarBajas(e)}), "true|true");
    bool correcto = false;
    motor::PurgarDirecciones(e, nullptr, correcto);
    EXPECT_EQ(enFila({correcto, Sentencias::contadas()}), "true|0");

    EXPECT_EQ(enFila({motor::PurgarPrematriculas(e), motor::LimpiarHuerfanos(e)}), "true|true");
    EXPECT_TRUE(guion.mostrados().isEmpty()) << guion.textos().join(QLatin1Char('\n')).toStdString();

    EXPECT_EQ(leerFilas(nuevo(), QStringLiteral("SELECT IDPrematriculacion, Anticipado FROM Prematriculacion")),
              QStringList{QStringLiteral("2|0")});
    EXPECT_EQ(leerFilas(nuevo(), QStringLiteral("SELECT CodPrematriculacion FROM Prematriculacion_Ponderacion")),
              QStringList{QStringLiteral("2")});
    EXPECT_EQ(leerFilas(nuevo(), QStringLiteral("SELECT * FROM UltimoID")), QStringList{QStringLiteral("1|1|1|1|1|1")});
    EXPECT_EQ(enFila({ids("Familia", "IDFamilia"), ids("MiembroFamilia", "IDMiembroFamilia"),
                      ids("Direccion", "IDDireccion")}),
              "1|30|500");
    // Another school's link to a gone activity goes; this school's is the
    // activities step's to remove.
    EXPECT_EQ(leerFilas(nuevo(), QStringLiteral("SELECT CodActividad, CodCentro FROM Actividad_Centro ORDER BY CodActividad, CodCentro")),
              (QStringList{QStringLiteral("1|2"), QStringLiteral("7|%1").arg(escuela.idCentro())}));
    EXPECT_EQ(contar(nuevo(), QStringLiteral("SELECT COUNT(*) FROM Actividad_TipoAlumno")), 0);
    // The closed year keeps its pre-enrolments as they were.
    EXPECT_EQ(contar(local(), QStringLiteral("SELECT COUNT(*) FROM Prematriculacion")), 2);
}

// Families: two leaving siblings take their family with them (family 1); a
// leaver whose brother stays leaves his family in place (family 2) and only
// loses his own links to its members.
TEST_P(Purga, FamiliasDeLosQueSeVan) {
    familia(1);
    familia(2);
    for (int d : {500, 501, 502, 503, 504, 505}) direccion(d);
    alumno(10, 1, 500, 1);
    alumno(11, 1, 500, 2);
    alumno(12, 2, 501, 3);  // stays
    alumno(13, 2, 502, 4);
    // A brother who left in an earlier year does not keep family 1.
    alumno(14, 1, 500, 5);
    ambas(QStringLiteral("UPDATE Alumno SET FechaBaja='2024/06/30' WHERE IDAlumno=14"));
    miembro(30, 1, 503);
    miembro(31, 1, 501);  // lives where the student who stays lives
    miembro(32, 2, 504);
    ambas(QStringLiteral("INSERT INTO Alumno_MiembroFamilia VALUES (10, 30), (11, 31), (12, 32), (13, 32)"));
    bajas({{10, 1, 500}, {11, 1, 500}, {13, 2, 502}});
    nuevo().Execute(QStringLiteral("DELETE FROM Alumno WHERE IDAlumno=14"));

    ASSERT_TRUE(motor::PurgarFamilias(e)) << guion.textos().join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(guion.mostrados().isEmpty());

    EXPECT_EQ(leerFilas(nuevo(), QStringLiteral("SELECT CodAlumno, CodMiembroFamilia FROM Alumno_MiembroFamilia")),
              QStringList{QStringLiteral("12|32")});
    // The leavers' address and that of the gone family's member go; the
    // addresses of the student who stays and of family 2's member stay.
    // The closed year is read, never changed.
    EXPECT_EQ(enFila({ids("Familia", "IDFamilia"), ids("MiembroFamilia", "IDMiembroFamilia"),
                      ids("Direccion", "IDDireccion"), contar(local(), QStringLiteral("SELECT COUNT(*) FROM Familia")),
                      contar(local(), QStringLiteral("SELECT COUNT(*) FROM Alumno_MiembroFamilia"))}),
              "2|32|501,504,505|2|4");
}

// A staff member's family stays, its members' payers and their account links
// go; an account shared with a payer who stays is kept, and so is an address
// a staff member still lives at.
TEST_P(Purga, PersonalPagadoresCuentasYDirecciones) {
    familia(3);
    familia(4);
    for (int d : {600, 601, 602}) direccion(d);
    alumno(20, 3, 600);
    alumno(21, 4, 601);  // stays
    ambas(QStringLiteral("INSERT INTO Personal (IDPersonal, Nombre, CodFamilia, CodDireccion, CodCuenta) VALUES (1, 'P', 3, 600, 0)"));
    miembro(30, 3, 602);
    miembro(40, 4, 601);
    ambas(QStringLiteral("INSERT INTO MiembroFamiliaPagador VALUES (300, 30)"));
    ambas(QStringLiteral("INSERT INTO MiembroFamiliaPagador VALUES (400, 40)"));
    ambas(QStringLiteral("INSERT INTO MiembroFamiliaPagador_Cuenta VALUES (300, 3000), (300, 3001), (400, 3001)"));
    ambas(QStringLiteral("INSERT INTO Sucursal (IDSucursal, Nombre) VALUES (1, 'Centro')"));
    for (int c : {3000, 3001, 3002})
        ambas(QStringLiteral("INSERT INTO Cuenta (IDCuenta, CodSucursal, NumeroCuenta) VALUES (%1, 1, ?)").arg(c),
              {QString::number(c)});
    bajas({{20, 3, 600}});

    ASSERT_TRUE(motor::PurgarFamilias(e)) << guion.textos().join(QLatin1Char('\n')).toStdString();

    EXPECT_EQ(enFila({ids("Familia", "IDFamilia"), ids("MiembroFamilia", "IDMiembroFamilia"),
                      ids("MiembroFamiliaPagador", "IDMiembroFamiliaPagador")}),
              "3,4|30,40|400");
    EXPECT_EQ(leerFilas(nuevo(), QStringLiteral("SELECT CodMiembroFamiliaPagador, CodCuenta FROM MiembroFamiliaPagador_Cuenta")),
              QStringList{QStringLiteral("400|3001")});
    EXPECT_EQ(ids("Cuenta", "IDCuenta"), QStringLiteral("3001,3002"));
    // 600 is the staff member's; 602 is the staying member's of a family that
    // was not deleted.
    EXPECT_EQ(ids("Direccion", "IDDireccion"), QStringLiteral("600,601,602"));
}

// The archive in the closed year: the wizard's date for a student marked as
// leaving, today for the others, every text as it was typed, Null as ''.
// Then the new year loses the leavers' medical data, photos and auxiliary
// pre-enrolment rows.
TEST_P(Purga, ArchivoYDatosDeLosQueSeVan) {
    familia(1);
    direccion(500);
    alumno(10, 1, 500, 2);
    alumno(11, 1, 0, 1);
    alumno(12, 1, 500, 3);  // stays
    ambas(QStringLiteral("UPDATE Alumno SET Apellido_1=?, DNI=NULL WHERE IDAlumno=11"), {QStringLiteral("O'Brien")});
    ambas(QStringLiteral("UPDATE Direccion SET CodigoPostal=?, Direccion=? WHERE IDDireccion=500"),
          {QStringLiteral("28'001"), QStringLiteral("Plaza d'Or")});
    ambas(QStringLiteral("UPDATE Alumno SET FechaIngreso=?, CodFoto=70 WHERE IDAlumno=10"), {QStringLiteral("2019/09/0'1")});
    ambas(QStringLiteral("INSERT INTO Foto (IDFoto) VALUES (70)"));
    ambas(QStringLiteral("INSERT INTO Foto (IDFoto) VALUES (71)"));
    ambas(QStringLiteral("UPDATE Alumno SET CodFoto=71 WHERE IDAlumno=12"));
    ambas(QStringLiteral("INSERT INTO DatosMedicos (IDDatosMedicos, CodAlumno) VALUES (1, 10)"));
    ambas(QStringLiteral("INSERT INTO DatosMedicos (IDDatosMedicos, CodAlumno) VALUES (2, 12)"));
    ambas(QStringLiteral("INSERT INTO DatosMedicos_Enfermedad (CodDatosMedicos, CodEnfermedad) VALUES (1, 5)"));
    ambas(QStringLiteral("INSERT INTO DatosMedicos_Enfermedad (CodDatosMedicos, CodEnfermedad) VALUES (2, 5)"));
    ambas(QStringLiteral("INSERT INTO PrematriculacionAux (IDPrematriculacionAux, CodAlumno) VALUES (1, 11)"));
    ambas(QStringLiteral("INSERT INTO PrematriculacionAux (IDPrematriculacionAux, CodAlumno) VALUES (2, 12)"));
    alumno(13, 1, 0, 4);  // had already left: archived on her own date
    ambas(QStringLiteral("UPDATE Alumno SET FechaBaja='2026/02/03' WHERE IDAlumno=13"));
    retirado(10, true, QStringLiteral("15/05/2026"));
    retirado(12, true, QStringLiteral("01/01/2026"));  // marked, then kept: not a leaver
    bajas({{10, 1, 500}, {11, 1, 0}, {13, 1, 0}});

    ASSERT_TRUE(motor::PurgarBajas(e)) << guion.textos().join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(guion.mostrados().isEmpty());

    // In section order (OrdenSeccion): 11 before 10.
    EXPECT_EQ(leerFilas(local(), QStringLiteral("SELECT * FROM Alumno_Baja")),
              (QStringList{
                  QStringLiteral("11|-1|2026/06/30|M11|N11|O'Brien||Primero|Primaria|2020/09/01||||||"),
                  QStringLiteral("10|-1|2026/05/15|M10|N10|A10||Primero|Primaria|2019/09/0'1||Plaza d'Or|Madrid|"
                                 "Madrid|28'001|910000000"),
                  QStringLiteral("13|-1|2026/02/03|M13|N13|A13||Primero|Primaria|2020/09/01||||||"),
              }));
    EXPECT_EQ(contar(nuevo(), QStringLiteral("SELECT COUNT(*) FROM Alumno_Baja")), 0);
    EXPECT_EQ(enFila({ids("DatosMedicos", "IDDatosMedicos"), ids("DatosMedicos_Enfermedad", "CodDatosMedicos"), ids("Foto", "IDFoto"),
                      ids("PrematriculacionAux", "CodAlumno")}),
              "2|2|71|12");
    // The closed year keeps them.
    EXPECT_EQ(contar(local(), QStringLiteral("SELECT COUNT(*) FROM DatosMedicos")), 2);
}

// Twenty thousand leavers, each with a family, a family member and an
// address of his own; one family keeps a student. Every list is far beyond
// what one statement of either back end takes.
TEST_P(Purga, VeinteMilBajas) {
    constexpr int n = 20000;
    auto porBloques = [&](const QString& cabecera, const std::function<QString(int)>& fila) {
        for (int desde = 1; desde <= n; desde += 1000) {
            QStringList v;
            for (int i = desde; i < desde + 1000 && i <= n; ++i) v << fila(i);
            for (Conexion* c : {&local(), &nuevo()}) c->Execute(cabecera + v.join(QLatin1Char(',')));
        }
    };
    porBloques(QStringLiteral("INSERT INTO Familia (IDFamilia, Nombre) VALUES "),
               [](int i) { return QStringLiteral("(%1, 'F')").arg(i); });
    porBloques(QStringLiteral("INSERT INTO Direccion (IDDireccion, Direccion) VALUES "),
               [](int i) { return QStringLiteral("(%1, 'D')").arg(100000 + i); });
    porBloques(QStringLiteral("INSERT INTO MiembroFamilia (IDMiembroFamilia, CodFamilia, CodDireccion) VALUES "),
               [](int i) { return QStringLiteral("(%1, %1, %2)").arg(i).arg(100000 + i); });
    porBloques(QStringLiteral("INSERT INTO Alumno (IDAlumno, Nombre, Apellido_1, CodTipoEnsenanza, CodCurso, CodSeccion, "
                              "OrdenSeccion, Anticipado, CodFamilia, CodDireccion, CodFoto) VALUES "),
               [](int i) { return QStringLiteral("(%1, 'N', 'A', 1, 1, 1, %1, 0, %1, %2, 0)").arg(i).arg(100000 + i); });
    familia(900000);
    alumno(900000, 1, 0);  // keeps family 1
    QVector<Baja> l;
    for (int i = 1; i <= n; ++i) l.append({i, i, 100000 + i});
    bajas(l);

    ASSERT_TRUE(motor::PurgarFamilias(e)) << guion.textos().join(QLatin1Char('\n')).toStdString();
    ASSERT_TRUE(motor::PurgarBajas(e)) << guion.textos().join(QLatin1Char('\n')).toStdString();

    EXPECT_EQ(enFila({ids("Familia", "IDFamilia"), ids("MiembroFamilia", "IDMiembroFamilia"), ids("Direccion", "IDDireccion")}),
              "1,900000|1|100001");
    EXPECT_EQ(contar(local(), QStringLiteral("SELECT COUNT(*) FROM Alumno_Baja")), n);
    EXPECT_EQ(contar(local(), QStringLiteral("SELECT COUNT(DISTINCT IDAlumno) FROM Alumno_Baja")), n);
}

// What others still use is never taken with a leaver: a payer's account that
// is also a staff member's salary account or the school's own, the school's
// address, the weekly timetable of the activities that go on (and a row
// shared with a gone one); the auxiliary rows of a dropped pre-enrolment go
// with it even for a student who stays.
TEST_P(Purga, LoQueOtrosUsanSeQueda) {
    familia(3);
    for (int d : {600, 700}) direccion(d);
    alumno(20, 3, 700);  // lives at the school's address
    alumno(21, 5, 600);  // stays
    ambas(QStringLiteral("INSERT INTO Centro (IDCentro, Nombre, CodDireccion, CodFoto) VALUES (77, 'C', 700, 0)"));
    miembro(30, 3, 700);
    ambas(QStringLiteral("INSERT INTO MiembroFamiliaPagador VALUES (300, 30)"));
    ambas(QStringLiteral("INSERT INTO Sucursal (IDSucursal, Nombre) VALUES (1, 'Centro')"));
    for (int c : {3000, 3001, 3002}) {
        ambas(QStringLiteral("INSERT INTO MiembroFamiliaPagador_Cuenta VALUES (300, %1)").arg(c));
        ambas(QStringLiteral("INSERT INTO Cuenta (IDCuenta, CodSucursal, NumeroCuenta) VALUES (%1, 1, 'N')").arg(c));
    }
    // The leaving child's mother works at the school and is paid into 3000;
    // the school charges into 3001.
    ambas(QStringLiteral("INSERT INTO Personal (IDPersonal, Nombre, CodFamilia, CodDireccion, CodCuenta) VALUES (1, 'P', 0, 600, 3000)"));
    ambas(QStringLiteral("INSERT INTO Centro_Cuenta_Emisor (CodCentro, CodCuenta, Sufijo) VALUES (77, 3001, '000')"));
    ambas(QStringLiteral("INSERT INTO Actividad (IDActividad, Nombre) VALUES (1, 'Judo')"));
    for (int as : {10, 11, 12, 13})
        ambas(QStringLiteral("INSERT INTO ActividadSemanal (IDAS, DiaSemana, HoraInicio, HoraFin) VALUES (%1, 1, '17:00', '18:00')").arg(as));
    for (const auto& [act, as] : {std::pair{1, 10}, std::pair{7, 11}, std::pair{1, 12}, std::pair{7, 12}})
        ambas(QStringLiteral("INSERT INTO Actividad_ActividadSemanal VALUES (%1, %2)").arg(act).arg(as));
    ambas(QStringLiteral("INSERT INTO Prematriculacion (IDPrematriculacion, CodAlumno, Anticipado) VALUES (1, 21, 0)"));
    ambas(QStringLiteral("INSERT INTO PrematriculacionAux (IDPrematriculacionAux, CodAlumno, CodPrematriculacion) VALUES (5, 21, 1)"));
    bajas({{20, 3, 700}});

    ASSERT_TRUE(motor::PurgarFamilias(e)) << guion.textos().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(enFila({ids("Cuenta", "IDCuenta"), ids("Direccion", "IDDireccion")}), "3000,3001|600,700");

    ASSERT_TRUE(motor::PurgarPrematriculas(e));
    ASSERT_TRUE(motor::LimpiarHuerfanos(e)) << guion.textos().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(enFila({ids("Cuenta", "IDCuenta"), ids("Direccion", "IDDireccion"), ids("ActividadSemanal", "IDAS")}),
              "3000,3001|600,700|10,12,13");
    EXPECT_EQ(contar(nuevo(), QStringLiteral("SELECT COUNT(*) FROM PrematriculacionAux")), 0);
    EXPECT_EQ(contar(local(), QStringLiteral("SELECT COUNT(*) FROM PrematriculacionAux")), 1);
}

NCC_AMBOS_FONDOS(Purga);

}  // namespace
}  // namespace ncc::pruebas
