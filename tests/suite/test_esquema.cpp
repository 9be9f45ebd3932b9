// The suite's schema, created on both back ends, against the statements
// the closing and the historic editor write.
#include "ContextoBD.h"
#include "EscuelaCarpeta.h"
#include "platform/CadenaConexion.h"
#include "platform/Conexion.h"
#include "platform/Error.h"
#include "suite/Esquema.h"
#include <QFile>
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

TEST_P(EsquemaFondo, CreaCadaTablaDeAmbasBases) {
    for (TipoBase tipo : {TipoBase::AppEntrada, TipoBase::Centro}) {
        auto con = crear(tipo == TipoBase::AppEntrada ? QStringLiteral("AppEntrada") : QStringLiteral("A1C1"), tipo);
        EXPECT_EQ(nombresCreados(*con), nombresEsperados(tipo));
    }
    // Every table the closing empties in the new school database, with the
    // blanks some names keep after splitting the list.
    const QString lista = QStringLiteral(
        "CalendarioEscolar,Cobro,CobroPendiente,CursoEscolar,CursoEscolar_CalendarioEscolar,Devolucion,"
        "Disco,Disco_Emisor,FacturacionLog,IncidenciaAlumno,IncidenciaPersonal,Insercion,Mensaje,Pago,"
        "PagoPendiente,Papelera,Recibo,ReciboPendiente,Remesa,Remesa_Presentador_Disco,SeguridadDisco,"
        "SQLRecuperacion,FechaNotas, Publicacion, Publicacion_Evaluacion, BloqueoNotas, BloqueoRegistros, "
        "ConsejoOrientador_Nota, PublicacionPte, EvaluacionPte, EvaluacionActaPte, Seccion_AlumnoPte, "
        "AlumnoPte_MatDet,Alumno_MateriaDetalles,Alumno_NumEvaluacion,Evaluacion,EvaluacionActa,"
        "Seccion_Alumno,CIERRECURSO_SECCION,CIERRECURSO_SECCION_ALUMNO,CIERRECURSO_ACTIVIDAD,"
        "CIERRECURSO_ACTIVIDAD_ALUMNO,CIERRECURSO_ACTIVIDAD_PRECIO_CURSO,"
        "CIERRECURSO_ACTIVIDAD_PRECIO_TIPOALUMNO");
    auto con = std::make_unique<Conexion>(ctx->cadena(QStringLiteral("A1C1")));
    con->Open();
    for (const QString& tabla : lista.split(QLatin1Char(',')))
        EXPECT_NO_THROW(con->Execute(QStringLiteral("DELETE FROM ") + tabla)) << tabla.toStdString();
}

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

TEST_P(EsquemaFondo, FilasPosicionalesDelCierreYDelHistorico) {
    auto con = crear(QStringLiteral("A1C1"), TipoBase::Centro);
    const QString v = t(con->verdadero());
    // The leavers' archive, as the closing year receives it.
    con->Execute(QStringLiteral(
        "INSERT INTO Alumno_Baja VALUES (15,-1, '2004/06/30', '0042', 'Ana', 'O''Neill', 'Ruiz', '1º ESO', "
        "'Secundaria', '2001/09/15', '12345678Z', 'Calle Mayor 1', 'Toledo', 'Toledo', '45001', '925000000')"));
    Recordset rs = con->Abrir(QStringLiteral("SELECT FechaBaja, Apellido_1, Curso, TipoEnsenanza, Provincia, "
                                             "CodigoPostal, Telefono FROM Alumno_Baja WHERE IDAlumno=15"));
    ASSERT_FALSE(rs.eof());
    EXPECT_EQ(rs.texto(QStringLiteral("FechaBaja")), QStringLiteral("2004/06/30"));
    EXPECT_EQ(rs.texto(QStringLiteral("Apellido_1")), QStringLiteral("O'Neill"));
    EXPECT_EQ(rs.texto(QStringLiteral("Curso")), QStringLiteral("1º ESO"));
    EXPECT_EQ(rs.texto(QStringLiteral("TipoEnsenanza")), QStringLiteral("Secundaria"));
    EXPECT_EQ(rs.texto(QStringLiteral("CodigoPostal")), QStringLiteral("45001"));
    EXPECT_EQ(rs.texto(QStringLiteral("Telefono")), QStringLiteral("925000000"));

    // Historic grades: a grade of the year and a pending subject, then the
    // editor's own row with every flag true.
    con->Execute(QStringLiteral("INSERT INTO EvaluacionHistorica VALUES (1,15,3,5,2,4,8,0,1,6,1,'2004/06/20',0,0,0,-1,0)"));
    con->Execute(QStringLiteral("INSERT INTO EvaluacionHistorica VALUES (2,15,9,5,2,3,7,0,0,6,1,'2004/06/30',-1,") + v +
                 QStringLiteral(",0,0,0)"));
    con->Execute(QStringLiteral("INSERT INTO EvaluacionHistorica VALUES (3,15,4,5,2,4,8,1,1,6,1,'',-1,-1,2,-1,-1)"));
    rs = con->Abrir(QStringLiteral("SELECT IDEvaluacionHistorica, codcursoescolarhistorico, FechaEvaluacion, "
                                   "MateriaPendiente FROM EvaluacionHistorica WHERE Orden=0 "
                                   "ORDER BY codAlumno, codcursoescolar, MateriaPendiente DESC"));
    ASSERT_FALSE(rs.eof());
    EXPECT_EQ(rs.entero(QStringLiteral("IDEvaluacionHistorica")), 1);  // 0 sorts above -1
    EXPECT_EQ(rs.entero(QStringLiteral("codcursoescolarhistorico")), 1);
    EXPECT_EQ(rs.texto(QStringLiteral("FechaEvaluacion")), QStringLiteral("2004/06/20"));
    EXPECT_THROW(con->Execute(QStringLiteral("INSERT INTO EvaluacionHistorica VALUES (4,15,3,5,2,4,8,0,1,6,1,'x',0,0,0,0,0,0)")),
                 Error);  // eighteen values are one too many

    // The new year's working rows.
    con->Execute(QStringLiteral("INSERT INTO Seccion_Alumno VALUES(3,15,0,0,0)"));
    con->Execute(QStringLiteral("INSERT INTO Alumno_NumEvaluacion VALUES(1,15,6,0,0,0,0,0,0)"));
    con->Execute(QStringLiteral("INSERT INTO Evaluacion VALUES(1,20,6,0,0,0,0,0,0,0,0,0,0,0,1,0)"));
    con->Execute(QStringLiteral("INSERT INTO EvaluacionActa VALUES(1,20,6,0,0,0,0,0,0,0)"));
    con->Execute(QStringLiteral("INSERT INTO seccion_Alumnopte VALUES (3,15,0,0)"));
    con->Execute(QStringLiteral("INSERT INTO Alumnopte_MatDet VALUES (1,15,40,0,4)"));
    con->Execute(QStringLiteral("INSERT INTO Actividad_TipoAlumno VALUES(7,2, '1663','10,00')"));
    rs = con->Abrir(QStringLiteral("SELECT PrecioGeneralEuro, PrecioGeneralPta FROM Actividad_TipoAlumno"));
    EXPECT_EQ(rs.texto(QStringLiteral("PrecioGeneralEuro")), QStringLiteral("10,00"));
    EXPECT_EQ(rs.texto(QStringLiteral("PrecioGeneralPta")), QStringLiteral("1663"));
    con->Execute(QStringLiteral("INSERT INTO bloqueohistorico VALUES(1,2,4,1)"));

    // The wizard's stored decisions.
    con->Execute(QStringLiteral("INSERT INTO CIERRECURSO_SECCION VALUES(3)"));
    con->Execute(QStringLiteral("INSERT INTO CIERRECURSO_SECCION_ALUMNO VALUES(3,15,0,-1,0,0,'',2,4,5,'ESO','2º','B')"));
    con->Execute(QStringLiteral("INSERT INTO CIERRECURSO_ACTIVIDAD VALUES(7,'2004/10/01','2005/02/28')"));
    con->Execute(QStringLiteral("INSERT INTO CIERRECURSO_ACTIVIDAD_PRECIO_TIPOALUMNO VALUES(7,2,'10,00','1663')"));
    con->Execute(QStringLiteral("INSERT INTO CIERRECURSO_ACTIVIDAD_PRECIO_CURSO VALUES(7,4,'12,00','1997')"));
    con->Execute(QStringLiteral("INSERT INTO CIERRECURSO_ACTIVIDAD_ALUMNO VALUES(7,15,-1,'10,00','1663')"));
    rs = con->Abrir(QStringLiteral("SELECT NIDSeccion, NSeccion, Promociona FROM CIERRECURSO_SECCION_ALUMNO"));
    EXPECT_EQ(rs.entero(QStringLiteral("NIDSeccion")), 5);
    EXPECT_EQ(rs.texto(QStringLiteral("NSeccion")), QStringLiteral("B"));

    // The server fills missing trailing values with Null, so the width of
    // each positionally written table is checked as well.
    const QList<QPair<const char*, int>> anchos = {
        {"Alumno_Baja", 16}, {"EvaluacionHistorica", 17}, {"Evaluacion", 16}, {"EvaluacionActa", 10},
        {"Alumno_NumEvaluacion", 9}, {"Seccion_Alumno", 5}, {"seccion_Alumnopte", 4},
        {"Alumnopte_MatDet", 5}, {"Actividad_TipoAlumno", 4}, {"bloqueohistorico", 4},
        {"CursoEscolarHistorico", 3}, {"CIERRECURSO_SECCION", 1}, {"CIERRECURSO_SECCION_ALUMNO", 13},
        {"CIERRECURSO_ACTIVIDAD", 3}, {"CIERRECURSO_ACTIVIDAD_ALUMNO", 5},
        {"CIERRECURSO_ACTIVIDAD_PRECIO_CURSO", 4}, {"CIERRECURSO_ACTIVIDAD_PRECIO_TIPOALUMNO", 4}};
    for (const auto& [tabla, ancho] : anchos)
        EXPECT_EQ(con->Abrir(QStringLiteral("SELECT * FROM ") + QLatin1String(tabla)).numeroCampos(), ancho) << tabla;
}

TEST_P(EsquemaFondo, OrdenDeLineaDeComandos) {
    QStringList destino;
    if (ctx->esServidor()) {
        const QString nombre = ctx->nombreReal(QStringLiteral("Orden"));
        ctx->cadena(QStringLiteral("Orden"), false);  // dropped with the context
        destino << QStringLiteral("--servidor") << pruebas::plantillaServidor() << nombre;
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
