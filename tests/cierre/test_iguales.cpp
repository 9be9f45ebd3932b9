// One closing, one result: the sample school closed on SQLite and on
// PostgreSQL gives the same rows in every table, whatever order the back end
// keeps its rows in: after rows were edited (which moves them on the
// server) and statistics gathered (which changes the server's plans), and
// again in a second closing of the new year. Which members stay in each
// activity is pinned by the reference closings.
#include "Muestra.h"
#include "Volcado.h"

using namespace ncc;
using namespace ncc::pruebas;

namespace {

// The databases one closing leaves behind, dumped.
struct Resultado {
    QStringList appEntrada, borradoAppEntrada, cerrado, nuevo, nuevoBorrado;
};

// Closes the school's current year with the default plan, as `ncc cerrar`
// does, and dumps what the closing wrote.
Resultado cerrar(const Muestra& m, const QString& curso) {
    const Cerrada c = cerrarMuestra(m, curso);
    return {volcado(m.cadena(QStringLiteral("AppEntrada")), suite::TipoBase::AppEntrada),
            volcado(m.cadena(QStringLiteral("BorradoAppEntrada")), suite::TipoBase::AppEntrada),
            volcado(c.cerrado, suite::TipoBase::Centro), volcado(c.nuevo, suite::TipoBase::Centro),
            volcado(c.nuevoBorrado, suite::TipoBase::Centro)};
}

void esperaIguales(const Resultado& a, const Resultado& b, const char* cuando) {
    const std::pair<const QStringList*, const QStringList*> pares[] = {
        {&a.appEntrada, &b.appEntrada}, {&a.borradoAppEntrada, &b.borradoAppEntrada}, {&a.cerrado, &b.cerrado},
        {&a.nuevo, &b.nuevo}, {&a.nuevoBorrado, &b.nuevoBorrado}};
    const char* nombres[] = {"AppEntrada", "BorradoAppEntrada", "curso cerrado", "curso nuevo", "borrados del curso nuevo"};
    EXPECT_FALSE(a.nuevo.isEmpty());
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(*pares[i].first == *pares[i].second)
            << cuando << ", " << nombres[i] << ": " << diferencias(*pares[i].first, *pares[i].second).toStdString();
}

// Edits a secretary makes during the year, the same on both back ends: on
// the server each updated row moves to the end of its table, which SQLite
// never does; then the statistics.
void editar(const Muestra& m) {
    Conexion c(m.cadena(QStringLiteral("A1C3")));
    c.Open();
    // A new date for the first evaluation of every section.
    c.Execute(QStringLiteral("UPDATE Seccion_NumEvaluacion SET Fecha='2026/03/20' WHERE CodNumEvaluacion="
                             "(SELECT MIN(CodNumEvaluacion) FROM Seccion_NumEvaluacion)"));
    // Repeaters' memberships written twice with other measures, the
    // originals then touched.
    QList<QPair<qint64, qint64>> repetidores;
    {
        SesionAbierta sesion(m);
        const host::Plan plan = sesion.planPorDefecto();
        for (const auto& sec : *plan.arboles.secciones)
            for (const auto& a : *sec->Alumnos())
                if (a->Repite() && repetidores.size() < 12) repetidores << qMakePair(qint64(a->IDSeccion()), qint64(a->IDAlumno()));
    }
    EXPECT_FALSE(repetidores.isEmpty());
    for (const auto& [s, a] : repetidores) {
        c.Execute(QStringLiteral("INSERT INTO Seccion_Alumno (CodSeccion, CodAlumno, RE_AC_DIV, Diversificacion, Itinerario) "
                                 "VALUES (%1, %2, 2, 1, 3)").arg(s).arg(a));
        c.Execute(QStringLiteral("UPDATE Seccion_Alumno SET RE_AC_DIV=RE_AC_DIV WHERE CodSeccion=%1 AND CodAlumno=%2 "
                                 "AND (RE_AC_DIV IS NULL OR RE_AC_DIV<>2)").arg(s).arg(a));
    }
    // Names as they are typed, and a section without a name.
    c.Execute(QStringLiteral("UPDATE Alumno SET Apellido_1='álvarez' WHERE IDAlumno IN (SELECT MIN(IDAlumno) FROM Alumno)"));
    c.Execute(QStringLiteral("UPDATE Alumno SET Apellido_1='ALVAREZ' WHERE IDAlumno IN (SELECT MAX(IDAlumno) FROM Alumno)"));
    c.Execute(QStringLiteral("UPDATE Seccion SET Descripcion=NULL WHERE IDSeccion IN (SELECT MIN(IDSeccion) FROM Seccion)"));
    c.Execute(QStringLiteral("ANALYZE"));
}

class MismoResultado : public testing::Test {
protected:
    MismoResultado() : sqlite(Proveedor::SQLite), pg(Proveedor::PostgreSQL) { borrarLoDelCierreEnServidor(); }
    ~MismoResultado() override {
        for (const Muestra& m : {enSqlite, enServidor})
            if (!m.prefijo.isEmpty()) m.borrar();
        borrarLoDelCierreEnServidor();
    }
    void crear() {
        enSqlite = crearMuestra(sqlite, QStringLiteral("escuela"), 150);
        enServidor = crearMuestra(pg, QStringLiteral("escuela"), 150);
    }
    ContextoBD sqlite, pg;
    Muestra enSqlite, enServidor;
};

// Edited and analysed, then closed twice: the sample school as it is is the
// reference closings' to close the same on both back ends.
TEST_F(MismoResultado, FilasEditadasEstadisticasYUnSegundoCierreNoCambianElResultado) {
    ASSERT_TRUE(hayServidor());
    crear();
    editar(enSqlite);
    editar(enServidor);
    esperaIguales(cerrar(enSqlite, QStringLiteral("2026/2027")), cerrar(enServidor, QStringLiteral("2026/2027")),
                  "tras editar filas");
    esperaIguales(cerrar(enSqlite, QStringLiteral("2027/2028")), cerrar(enServidor, QStringLiteral("2027/2028")),
                  "segundo cierre");
}

}  // namespace
