// The database layer, run identically on SQLite files and on PostgreSQL.
#include "ContextoBD.h"
#include "Lectura.h"
#include "platform/BasesDatos.h"
#include "platform/Conexion.h"
#include "platform/Error.h"
#include "platform/InsercionLotes.h"
#include "platform/Sentencias.h"

using namespace ncc;
using ncc::pruebas::ContextoBD;

class ConexionFondo : public ::testing::TestWithParam<Proveedor> {
protected:
    void SetUp() override {
        ctx = std::make_unique<ContextoBD>(GetParam());
        con = std::make_unique<Conexion>(ctx->cadena(QStringLiteral("Capa")));
        con->Open();
        con->Execute(QStringLiteral("CREATE TABLE Alumno (IDAlumno INTEGER PRIMARY KEY, Nombre VARCHAR(50), "
                                    "Apellido1 VARCHAR(50), Activo INTEGER, Nota REAL)"));
    }
    void insertar(int id, const QVariant& nombre, const QVariant& apellido, bool activo) {
        con->Execute(QStringLiteral("INSERT INTO Alumno (IDAlumno, Nombre, Apellido1, Activo) VALUES (?, ?, ?, ?)"),
                     {id, nombre, apellido, activo});
    }
    std::unique_ptr<ContextoBD> ctx;
    std::unique_ptr<Conexion> con;
};

TEST_P(ConexionFondo, TextosNulosYBooleanosVanYVuelvenIntactos) {
    insertar(1, QStringLiteral("Íñigo"), QStringLiteral("O'Donnell"), true);
    insertar(2, QVariant(), QStringLiteral("Núñez; --'\"\\ü"), false);
    Recordset r = con->Abrir(QStringLiteral("SELECT IDAlumno, Nombre, Apellido1, Activo, Nota FROM Alumno ORDER BY IDAlumno"));
    ASSERT_FALSE(r.eof());
    EXPECT_EQ(r.RecordCount(), 2);
    EXPECT_EQ(pruebas::enFila({r.texto(QStringLiteral("NOMBRE")), r.texto(QStringLiteral("apellido1")),
                               r.entero(QStringLiteral("Activo")), r.esNulo(QStringLiteral("Nota"))}),
              pruebas::enFila({QStringLiteral("Íñigo"), QStringLiteral("O'Donnell"), con->verdadero(), true}));
    r.MoveNext();
    EXPECT_EQ(pruebas::enFila({r.esNulo(QStringLiteral("Nombre")), r.texto(QStringLiteral("Nombre")),
                               r.texto(QStringLiteral("Apellido1")), r.entero(QStringLiteral("Activo"))}),
              QStringLiteral("true||Núñez; --'\"\\ü|0"));
    r.MoveNext();
    EXPECT_TRUE(r.eof());
    EXPECT_THROW(r.campo(QStringLiteral("Nombre")), Error);
    EXPECT_THROW(r.MoveNext(), Error);
    // An empty text is written as one; a null text is Null.
    insertar(3, QStringLiteral(""), QString(), false);
    r = con->Abrir(QStringLiteral("SELECT Nombre, Apellido1 FROM Alumno WHERE IDAlumno=3"));
    EXPECT_EQ(pruebas::enFila({r.esNulo(0), r.esNulo(1)}), QStringLiteral("false|true"));
    // The same written many rows at a time (COPY on the server).
    InsercionLotes lotes(*con, QStringLiteral("INSERT INTO Alumno VALUES"), QStringLiteral("(?,?,?,0,NULL)"));
    lotes.agregar({4, QStringLiteral(""), QString()});
    lotes.vaciar();
    r = con->Abrir(QStringLiteral("SELECT Nombre, Apellido1 FROM Alumno WHERE IDAlumno=4"));
    EXPECT_EQ(pruebas::enFila({r.esNulo(0), r.esNulo(1)}), QStringLiteral("false|true"));
    // Written behind, a full batch that fails (its first row repeats id 4)
    // is still said, at vaciar() at the latest; the rollback leaves none of
    // it and the connection usable.
    {
        Transaccion t(*con);
        InsercionLotes detras(*con, QStringLiteral("INSERT INTO Alumno VALUES"), QStringLiteral("(?,?,?,0,NULL)"));
        detras.escribirDetras();
        EXPECT_THROW(
            {
                for (int i = 0; i < InsercionLotes::filasPorCopia; ++i) detras.agregar({i == 0 ? 4 : 100 + i, QStringLiteral("x"), QString()});
                detras.vaciar();
            },
            Error);
    }
    EXPECT_EQ(con->Abrir(QStringLiteral("SELECT COUNT(*) FROM Alumno WHERE IDAlumno>=100")).entero(0), 0);
    // A parameter that matches with an apostrophe finds the row.
    Recordset b = con->Abrir(QStringLiteral("SELECT IDAlumno FROM Alumno WHERE Apellido1 = ?"), {QStringLiteral("O'Donnell")});
    ASSERT_FALSE(b.eof());
    EXPECT_EQ(b.entero(QStringLiteral("IDAlumno")), 1);
}

TEST_P(ConexionFondo, RecordsetSigueValidoMientrasSeEjecutanOtrasSentencias) {
    for (int i = 1; i <= 50; ++i) insertar(i, QStringLiteral("N%1").arg(i), QStringLiteral("A"), i % 2 == 0);
    con->Execute(QStringLiteral("CREATE TABLE Copia (ID INTEGER, Nombre VARCHAR(50))"));
    Recordset r = con->Abrir(QStringLiteral("SELECT IDAlumno, Nombre FROM Alumno ORDER BY IDAlumno"));
    int leidos = 0;
    while (!r.eof()) {
        con->Execute(QStringLiteral("INSERT INTO Copia (ID, Nombre) VALUES (?, ?)"),
                     {r.entero(QStringLiteral("IDAlumno")), r.texto(QStringLiteral("Nombre"))});
        Recordset otro = con->Abrir(QStringLiteral("SELECT COUNT(*) AS n FROM Copia"));
        EXPECT_EQ(otro.entero(QStringLiteral("n")), ++leidos);
        r.MoveNext();
    }
    // One prepared statement per distinct text, reused for every row.
    EXPECT_EQ(pruebas::enFila({leidos, con->sentenciasPreparadas()}), "50|2");
}

// The new year's tables are emptied by whoever runs the closing: on a
// server, a user whose tables' owner granted DELETE but not TRUNCATE on all
// of them gets them emptied row by row, not a refused TRUNCATE.
TEST_P(ConexionFondo, VaciarTablasSinPermisoDeTruncarlasTodas) {
    con->Execute(QStringLiteral("CREATE TABLE Nota (IDNota INTEGER PRIMARY KEY)"));
    insertar(1, QStringLiteral("a"), QStringLiteral("b"), true);
    con->Execute(QStringLiteral("INSERT INTO Nota (IDNota) VALUES (1)"));
    std::unique_ptr<Conexion> usuario;
    const QString rol = ctx->prefijo() + QStringLiteral("secretaria");
    const auto sinRol = qScopeGuard([&] {
        if (!ctx->esServidor()) return;
        if (usuario) usuario->Close();
        con->Execute(QStringLiteral("DROP OWNED BY \"%1\"").arg(rol));
        con->Execute(QStringLiteral("DROP ROLE \"%1\"").arg(rol));
    });
    if (ctx->esServidor()) {
        con->Execute(QStringLiteral("CREATE ROLE \"%1\" LOGIN PASSWORD 'clave'").arg(rol));
        con->Execute(QStringLiteral("GRANT SELECT, DELETE ON Alumno, Nota TO \"%1\"").arg(rol));
        con->Execute(QStringLiteral("GRANT TRUNCATE ON Alumno TO \"%1\"").arg(rol));
        CadenaConexion c(ctx->cadena(QStringLiteral("Capa"), false));
        c.fijar(QStringLiteral("User ID"), rol);
        c.fijar(QStringLiteral("Password"), QStringLiteral("clave"));
        usuario = std::make_unique<Conexion>(c.texto());
        usuario->Open();
    }
    Conexion& quien = usuario ? *usuario : *con;
    quien.vaciarTablas({QStringLiteral("Alumno"), QStringLiteral("Nota")});
    EXPECT_EQ(pruebas::leerFilas(*con, QStringLiteral("SELECT (SELECT COUNT(*) FROM Alumno) + (SELECT COUNT(*) FROM Nota)")),
              QStringList{QStringLiteral("0")});
}

// A statement that fails, really or injected at the k-th statement, throws
// an error with its number and description and fails alone: the statements
// after it run, on the same connection, and every one is counted.
TEST_P(ConexionFondo, UnaSentenciaQueFallaSoloFallaElla) {
    try {
        con->Execute(QStringLiteral("SELEC mal"));
        FAIL() << "se esperaba un error";
    } catch (const Error& e) {
        EXPECT_TRUE(e.numero() != 0 && !e.descripcion().isEmpty());
    }
    Sentencias::reiniciar();
    Sentencias::fallarEn(3);
    insertar(1, QStringLiteral("a"), QStringLiteral("b"), true);
    insertar(2, QStringLiteral("a"), QStringLiteral("b"), true);
    EXPECT_THROW(insertar(3, QStringLiteral("a"), QStringLiteral("b"), true), Error);
    EXPECT_THROW(insertar(1, QStringLiteral("a"), QStringLiteral("b"), true), Error);
    insertar(4, QStringLiteral("a"), QStringLiteral("b"), true);
    Sentencias::fallarEn(0);
    EXPECT_EQ(Sentencias::contadas(), 5);
    EXPECT_EQ(pruebas::leerFilas(*con, QStringLiteral("SELECT IDAlumno FROM Alumno ORDER BY 1")), QStringList({"1", "2", "4"}));
}

TEST_P(ConexionFondo, CopiaDeLaBaseConUnaConexionAbierta) {
    insertar(1, QStringLiteral("Muñoz"), QStringLiteral("D'Alessandro"), true);
    // On the server, with a session on the source, the copy is a dump piped
    // into a restore: a name with "=" and a quote is still one database name
    // to them, not a connection string.
    const QString copiaCapa = ctx->esServidor() ? QStringLiteral("Copia='Capa'") : QStringLiteral("CopiaCapa");
    QString destino;
    if (ctx->esServidor()) {
        destino = ctx->nombreReal(copiaCapa);
        ctx->cadena(copiaCapa, false);  // dropped with the context
        servidor::copiar(pruebas::plantillaServidor(), ctx->nombreReal(QStringLiteral("Capa")), destino);
        EXPECT_TRUE(servidor::existe(pruebas::plantillaServidor(), destino));
    } else {
        destino = ctx->nombreReal(QStringLiteral("CopiaCapa"));
        archivos::copiarBaseSQLite(ctx->nombreReal(QStringLiteral("Capa")), destino);
        // Copying over an existing file replaces it.
        archivos::copiarBaseSQLite(ctx->nombreReal(QStringLiteral("Capa")), destino);
        EXPECT_TRUE(archivos::existe(destino));
    }
    insertar(2, QStringLiteral("x"), QStringLiteral("y"), false);  // after the copy: not in it
    Conexion copia(ctx->cadena(copiaCapa, false));
    copia.Open();
    Recordset r = copia.Abrir(QStringLiteral("SELECT Nombre, Apellido1 FROM Alumno"));
    ASSERT_EQ(r.RecordCount(), 1);
    EXPECT_EQ(pruebas::enFila({r.texto(QStringLiteral("Nombre")), r.texto(QStringLiteral("Apellido1"))}),
              "Muñoz|D'Alessandro");
    copia.Close();
    EXPECT_EQ(con->State(), 1);
}

TEST_P(ConexionFondo, BorrarRenombrarYExistir) {
    // Its place is fixed while it is open; closed, it runs nothing.
    EXPECT_THROW(con->fijarPropiedad(QStringLiteral("Data Source"), QStringLiteral("x")), Error);
    con->Close();
    EXPECT_EQ(con->State(), 0);
    EXPECT_THROW(con->Execute(QStringLiteral("SELECT 1")), Error);
    const QString viejo = ctx->nombreReal(QStringLiteral("Capa"));
    const QString nuevo = ctx->nombreReal(QStringLiteral("Renombrada"));
    if (ctx->esServidor()) {
        const DatosConexion p = pruebas::plantillaServidor();
        ctx->cadena(QStringLiteral("Renombrada"), false);
        servidor::renombrar(p, viejo, nuevo);
        EXPECT_EQ(pruebas::enFila({servidor::existe(p, viejo), servidor::existe(p, nuevo)}), "false|true");
        servidor::borrar(p, nuevo);
        EXPECT_FALSE(servidor::existe(p, nuevo));
        servidor::borrar(p, nuevo);  // dropping what is gone is no error
        EXPECT_THROW(servidor::copiar(p, QStringLiteral("no_existe_nunca"), nuevo), Error);
        EXPECT_FALSE(servidor::existe(p, nuevo));
    } else {
        archivos::renombrar(viejo, nuevo);
        EXPECT_EQ(pruebas::enFila({archivos::existe(viejo), archivos::existe(nuevo)}), "false|true");
        archivos::borrar(nuevo);
        EXPECT_FALSE(archivos::existe(nuevo));
        archivos::borrar(nuevo);
        EXPECT_THROW(archivos::copiarBaseSQLite(viejo, nuevo), Error);
    }
}

NCC_AMBOS_FONDOS(ConexionFondo);
