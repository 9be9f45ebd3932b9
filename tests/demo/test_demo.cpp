// The sample school on both back ends, holding every case the closing
// handles. How it is registered and that one seed gives one school are the
// reference closings' to show (tests/cierre/test_referencia), every test
// that opens it as the host does, and the copy of its folder below.
#include "ContextoBD.h"
#include "EscuelaCarpeta.h"
#include "Lectura.h"
#include "platform/BasesDatos.h"
#include "platform/Conexion.h"
#include "suite/Demo.h"
#include <QDir>
#include <QFileInfo>

using namespace ncc;
using ncc::pruebas::ContextoBD;

namespace {

// A sample school of the test's own; on the server its databases are
// dropped at the end.
class Escuela {
public:
    Escuela(ContextoBD& ctx, const QString& nombre, suite::OpcionesDemo o) : ctx_(ctx) {
        if (ctx.esServidor()) {
            o.prefijo = ctx.prefijo() + nombre + QLatin1Char('_');
            resumen = suite::crearDemoServidor(pruebas::plantillaServidor(), o);
        } else {
            resumen = suite::crearDemoSQLite(QDir(ctx.carpeta()).filePath(nombre), o);
        }
    }
    ~Escuela() {
        if (!ctx_.esServidor()) return;
        for (const QString& c : {resumen.appEntrada, resumen.borradoAppEntrada, resumen.centro, resumen.borradoCentro})
            try { servidor::borrar(pruebas::plantillaServidor(), CadenaConexion(c).valor(QStringLiteral("Initial Catalog"))); } catch (...) {}
    }
    suite::ResumenDemo resumen;

private:
    ContextoBD& ctx_;
};

}  // namespace

class Demo : public ::testing::TestWithParam<Proveedor> {
protected:
    void SetUp() override { ctx = std::make_unique<ContextoBD>(GetParam()); }
    std::unique_ptr<ContextoBD> ctx;
};

TEST_P(Demo, CadaCasoQueTrataElCierreEstaEnLosDatos) {
    suite::OpcionesDemo o;
    o.alumnos = 40;  // small: the cases must not depend on the luck of a large school
    o.semilla = 11;
    Escuela e(*ctx, QStringLiteral("casos"), o);
    Conexion con(e.resumen.centro);
    con.Open();
    const QString v = QString::number(con.verdadero());
    auto hay = [&](const QString& sql) { return pruebas::contar(con, sql); };

    // Every kind of row the closing has a branch for (what follows "FROM"
    // in a count that must not be 0).
    QStringList algunas{
        "Alumno WHERE Anticipado=-1 AND CodSeccion=0", "Alumno WHERE Repetidor=-1", "Alumno WHERE FechaBaja<>''",
        "Alumno WHERE Apellido_1='O''Donnell'", "Alumno WHERE Apellido_2 LIKE '%ñ%'", "ReciboPendiente WHERE Pagado=0",
        "(SELECT CodFamilia FROM Alumno GROUP BY CodFamilia HAVING COUNT(*)>1) f",
        "Seccion_NumEvaluacion WHERE Fecha LIKE '2026/__/__'",
        QStringLiteral("EvaluacionActa INNER JOIN Nota ON EvaluacionActa.CodNota=Nota.IDNota WHERE UltimaEvaluada=%1 "
                       "AND Nota.Aprobado=0").arg(v),
        "AlumnoPte_MatDet INNER JOIN EvaluacionActaPte ON "
        "EvaluacionActaPte.CodAlumnoPte_MatDet=AlumnoPte_MatDet.IDAlumnoPte_MatDet",
        "Personal WHERE CodFamilia IN (SELECT CodFamilia FROM Alumno)",
        "Personal WHERE CodFamilia=0 AND CodDireccion IN (SELECT CodDireccion FROM Alumno)",
        "(SELECT CodCuenta FROM MiembroFamiliaPagador_Cuenta GROUP BY CodCuenta HAVING COUNT(*)>1) c",
        "EvaluacionHistorica WHERE CodCursoEscolarHistorico IN (SELECT IDCursoEscolarHistorico FROM "
        "CursoEscolarHistorico)"};
    for (int k = 1; k <= 4; ++k)
        algunas << QStringLiteral("Alumno_MateriaDetalles INNER JOIN (MateriaDetalles INNER JOIN TipoMateria ON "
                                  "MateriaDetalles.CodTipoMateria=TipoMateria.IDTipoMateria) ON Alumno_MateriaDetalles."
                                  "CodMateriaDetalles=MateriaDetalles.IDMateriaDetalles WHERE "
                                  "TipoMateria.CodEspecificarTipoMateria=%1").arg(k);
    for (int orden : {1, 2, 51, 52, 53})
        algunas << QStringLiteral("EvaluacionActa INNER JOIN NumEvaluacion ON EvaluacionActa.CodNumEvaluacion="
                                  "NumEvaluacion.IDNumEvaluacion WHERE NumEvaluacion.Final=%1 AND "
                                  "NumEvaluacion.Orden=%2").arg(v).arg(orden);
    for (int t = 0; t <= 2; ++t)
        algunas << QStringLiteral("Actividad INNER JOIN Alumno_Actividad_Miembro ON Actividad.IDActividad="
                                  "Alumno_Actividad_Miembro.CodActividad WHERE TipoActividad=%1").arg(t);
    for (const QString& donde : algunas)
        EXPECT_GT(hay(QStringLiteral("SELECT COUNT(*) FROM ") + donde), 0) << donde.toStdString();
    // What the joins of the closing follow must meet: every student of a
    // section is in it, every grade belongs to a subject of his section,
    // the last evaluated acts hold grades.
    const QStringList ninguna{
        "Alumno WHERE Anticipado=0 AND CodSeccion NOT IN "
        "(SELECT CodSeccion FROM Seccion_Alumno WHERE Seccion_Alumno.CodAlumno=Alumno.IDAlumno)",
        "Alumno_MateriaDetalles INNER JOIN MateriaDetalles ON "
        "Alumno_MateriaDetalles.CodMateriaDetalles=MateriaDetalles.IDMateriaDetalles INNER JOIN Alumno ON "
        "Alumno.IDAlumno=Alumno_MateriaDetalles.CodAlumno WHERE "
        "MateriaDetalles.CodSeccion<>Alumno.CodSeccion",
        "EvaluacionActa WHERE CodNota=0", "Seccion_NumEvaluacion WHERE Fecha<>'' AND Fecha NOT LIKE '20__/__/__'"};
    for (const QString& donde : ninguna)
        EXPECT_EQ(hay(QStringLiteral("SELECT COUNT(*) FROM ") + donde), 0) << donde.toStdString();
}

NCC_AMBOS_FONDOS(Demo);

// A second `ncc demo` on a folder refuses without --reemplazar; a copy of
// the folder is a school of its own (closing it closes the copy's files, the
// original's stay as they were); replacing takes a closing's new databases too.
TEST(OrdenDemo, RehusaSalvoConReemplazarYUnaCopiaDeLaCarpetaCierraSusPropiasBases) {
    QTemporaryDir tmp;
    const QString dir = QDir(tmp.path()).filePath(QStringLiteral("escuela"));
    const auto demo = [](const QStringList& args) { return pruebas::ejecutarNcc(QStringList{QStringLiteral("demo")} + args); };
    pruebas::SalidaNcc r = demo({dir, QStringLiteral("--alumnos"), QStringLiteral("40"), QStringLiteral("--semilla=5")});
    ASSERT_EQ(r.salida, 0) << r.error.toStdString();
    EXPECT_TRUE(r.texto.contains(QStringLiteral("Alumnos: 40"))) << r.texto.toStdString();
    const QString antes = pruebas::huellaCarpeta(dir);

    pruebas::esperarSalida(demo({dir, QStringLiteral("--alumnos"), QStringLiteral("40")}), 2,
                           QStringLiteral("--reemplazar"));
    EXPECT_EQ(pruebas::huellaCarpeta(dir), antes);

    const auto copia = pruebas::copiarEscuelaCarpeta(dir);
    r = pruebas::ejecutarNcc({QStringLiteral("cerrar"), QStringLiteral("--datos"), copia->path(), QStringLiteral("--si")});
    ASSERT_EQ(r.salida, 0) << r.error.toStdString();
    EXPECT_EQ(pruebas::huellaCarpeta(dir), antes);
    ASSERT_TRUE(QFileInfo::exists(copia->filePath(QStringLiteral("A1C4.db"))));

    r = demo({copia->path(), QStringLiteral("--alumnos=30"), QStringLiteral("--reemplazar")});
    ASSERT_EQ(r.salida, 0) << r.error.toStdString();
    EXPECT_TRUE(r.texto.contains(QStringLiteral("Alumnos: 30")) && !QFileInfo::exists(copia->filePath("A1C4.db")));

    EXPECT_EQ(QList({demo({dir, QStringLiteral("--alumnos"), QStringLiteral("3")}).salida, demo({}).salida}),
              QList({64, 64}));
}
