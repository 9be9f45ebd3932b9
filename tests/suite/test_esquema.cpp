// The suite's schema, created on both back ends, against the statements
// the closing and the historic editor write. A table the closing empties and
// the schema lacks fails every closing of the sample school.
#include "ContextoBD.h"
#include "EscuelaCarpeta.h"
#include "platform/Conexion.h"
#include "platform/Error.h"
#include "suite/Esquema.h"
#include <QSet>

using namespace ncc;
using ncc::pruebas::ContextoBD;
using ncc::suite::TipoBase;

namespace {

QSet<QString> nombresEsperados(TipoBase tipo) {
    QSet<QString> s;
    for (const auto& t : suite::tablas(tipo)) s.insert(t.nombre.toLower());
    return s;
}

QSet<QString> nombresCreados(Conexion& con) {
    QSet<QString> s;
    for (Recordset rs = con.Tablas(); !rs.eof(); rs.MoveNext())
        if (rs.texto(QStringLiteral("TABLE_TYPE")).toUpper() == QLatin1String("TABLE"))
            s.insert(rs.texto(QStringLiteral("TABLE_NAME")).toLower());
    return s;
}

}  // namespace

class EsquemaFondo : public ::testing::TestWithParam<Proveedor> {
protected:
    void SetUp() override { ctx = std::make_unique<ContextoBD>(GetParam()); }
    std::unique_ptr<Conexion> crear(const QString& nombre, TipoBase tipo) {
        auto con = std::make_unique<Conexion>(ctx->cadena(nombre));
        con->Open();
        suite::crearEsquema(*con, tipo);
        return con;
    }
    QString t(int v) const { return QString::number(v); }
    std::unique_ptr<ContextoBD> ctx;
};

TEST_P(EsquemaFondo, BooleanosAdmitenSoloLoQueSeEscribe) {
    auto con = crear(QStringLiteral("A1C1"), TipoBase::Centro);
    const QString v = t(con->verdadero());
    con->Execute(QStringLiteral("INSERT INTO Curso (IDCurso, FinCiclo) VALUES (1, ") + v + QStringLiteral(")"));
    con->Execute(QStringLiteral("INSERT INTO Curso (IDCurso, FinCiclo) VALUES (2, 0)"));
    con->Execute(QStringLiteral("INSERT INTO Curso (IDCurso) VALUES (3)"));
    EXPECT_THROW(con->Execute(QStringLiteral("INSERT INTO Curso (IDCurso, FinCiclo) VALUES (4, 2)")), Error);
    if (con->esServidor())  // an ordinary flag holds only the server's own true
        EXPECT_THROW(con->Execute(QStringLiteral("INSERT INTO Curso (IDCurso, FinCiclo) VALUES (5, -1)")), Error);
    else
        EXPECT_THROW(con->Execute(QStringLiteral("INSERT INTO Curso (IDCurso, FinCiclo) VALUES (5, 1)")), Error);

    // Flags that the closing writes or matches as -1 on both back ends.
    con->Execute(QStringLiteral("INSERT INTO Alumno (IDAlumno, Anticipado, Repetidor) VALUES (1, -1, ") + v + QStringLiteral(")"));
    con->Execute(QStringLiteral("INSERT INTO Alumno (IDAlumno, Anticipado) VALUES (2, ") + v + QStringLiteral(")"));
    con->Execute(QStringLiteral("UPDATE Alumno SET Repetidor=-1 WHERE IDAlumno=2"));
    EXPECT_EQ(con->Execute(QStringLiteral("UPDATE Alumno SET Anticipado=0 WHERE Anticipado=-1")),
              con->esServidor() ? 1 : 2);
    EXPECT_THROW(con->Execute(QStringLiteral("UPDATE Alumno SET Repetidor=2")), Error);
    con->Execute(QStringLiteral("INSERT INTO Alumno_Actividad_Miembro (CodActividad, CodAlumno) VALUES (7, 1)"));
    con->Execute(QStringLiteral("INSERT INTO Actividad_Personal (CodActividad, CodPersonal) VALUES (7, 1)"));
    for (const char* tabla : {"Alumno_Actividad_Miembro", "Actividad_Personal"})
        EXPECT_EQ(con->Execute(QStringLiteral("UPDATE %1 SET Marzo=-1, MesesRealizacion='000000100000' "
                                              "WHERE codActividad=7").arg(QLatin1String(tabla))), 1);
    con->Execute(QStringLiteral("INSERT INTO CursoEscolarHistorico VALUES (1,'2003/2004',-1)"));
    con->Execute(QStringLiteral("INSERT INTO CursoEscolarHistorico (IDCursoEscolarHistorico, Nombre, "
                                "HistoricoAplicacion) VALUES(2, '2004/2005',") + v + QStringLiteral(")"));
    // The closing registers the new year in both databases with -1.
    con->Execute(QStringLiteral("INSERT INTO CursoEscolar (IDCursoEscolar, Nombre, CodCentro, CodUsuario, Activa) "
                                "VALUES (2,'2004/2005',1,1,-1)"));
    auto app = crear(QStringLiteral("AppEntrada"), TipoBase::AppEntrada);
    app->Execute(QStringLiteral("INSERT INTO CursoEscolar (IDCursoEscolar, Nombre, CodCentro, BD, BDBorrado, "
                                "UltimoUtilizado, Activa) VALUES (2, '2004/2005', 1,'a', 'b', -1, -1)"));
    EXPECT_THROW(app->Execute(QStringLiteral("UPDATE CursoEscolar SET Activa=2")), Error);
}

TEST_P(EsquemaFondo, OrdenDeLineaDeComandos) {
    QStringList destino;
    if (ctx->esServidor()) {
        const QString nombre = ctx->nombreReal(QStringLiteral("Orden"));
        ctx->cadena(QStringLiteral("Orden"), false);  // dropped with the context
        destino << QStringLiteral("--servidor") << pruebas::plantillaServidor().cadena() << nombre;
    } else {
        destino << ctx->nombreReal(QStringLiteral("Orden"));
    }
    const auto correr = [](const QStringList& args) {
        return pruebas::ejecutarNcc(QStringList{QStringLiteral("esquema")} + args).salida;
    };
    EXPECT_EQ(correr(QStringList{QStringLiteral("centro")} + destino), 0);
    EXPECT_EQ(correr(QStringList{QStringLiteral("centro")} + destino), 2);  // it exists: refused
    EXPECT_EQ(correr(QStringList{QStringLiteral("appentrada")} + destino + QStringList{QStringLiteral("--reemplazar")}), 0);
    EXPECT_EQ(correr({QStringLiteral("otra"), QStringLiteral("x.db")}), 64);

    Conexion con(ctx->cadena(QStringLiteral("Orden"), false));
    con.Open();
    EXPECT_EQ(nombresCreados(con), nombresEsperados(TipoBase::AppEntrada));
}

NCC_AMBOS_FONDOS(EsquemaFondo);
