// The closing run as a whole on a small school: confirmations, progress,
// the next school year's databases and their registration. A failure's
// rollback is swept at every step by BarridoFallos (tests/cierre).
#include "ContextoBD.h"
#include "EscuelaPrueba.h"
#include "engine/cIFunciones.h"
#include "platform/MensajesGuion.h"
#include "platform/Sentencias.h"
#include "platform/Textos.h"
#include <QSignalSpy>

using namespace ncc;
using namespace ncc::pruebas;

namespace {

class Cierre : public testing::TestWithParam<Proveedor> {
protected:
    Cierre() : ctx(GetParam()), escuela(ctx, 3, 7), instalado(guion) {}
    ~Cierre() override { Sentencias::fallarEn(0); }

    // An unpromoted section with students still in it: the closing asks.
    std::shared_ptr<cCurso> seccion(qint16 id, bool visible, bool promocionada, quint8 plazas = 25,
                                    quint8 ocupadas = 20) {
        auto s = std::make_shared<cCurso>();
        s->setIDSeccion(id);
        s->setVisible(visible);
        s->setPromocionada(promocionada);
        s->setNumPlazas(plazas);
        s->setNumPlazasOcupadas(ocupadas);
        return s;
    }

    void prepararMotor(bool secciones, bool actividades) {
        motor.setNuevoCursoEscolar(QStringLiteral("2026/2027"));
        motor.setProcesarSecciones(secciones);
        motor.setProcesarActividades(actividades);
        motor.setProgreso(&barra);
        motor.setPorcentaje(&etiqueta);
    }

    // Rows that the new year must not inherit and rows that it must.
    void datosDelCurso() {
        EscuelaPrueba::sql(escuela.centro(), QStringLiteral("INSERT INTO ReciboPendiente (IDReciboP, Pagado) VALUES (1, 0)"));
        EscuelaPrueba::sql(escuela.centro(), QStringLiteral("INSERT INTO CalendarioEscolar (IDCalendarioEscolar) VALUES (4)"));
        EscuelaPrueba::sql(escuela.borradoCentro(), QStringLiteral("INSERT INTO CalendarioEscolar (IDCalendarioEscolar) VALUES (9)"));
        EscuelaPrueba::sql(escuela.appEntrada(), QStringLiteral("INSERT INTO CursoEscolar_Usuario (CodCursoEscolar, CodUsuario) VALUES (7, 2)"));
    }

    long contar(Conexion& con, const QString& sql) {
        Recordset rs = con.Abrir(sql);
        return static_cast<long>(rs.campo(0).toLongLong());
    }

    ContextoBD ctx;
    EscuelaPrueba escuela;
    MensajesGuion guion;
    ServicioMensajesInstalado instalado;
    cIFunciones motor;
    ProgresoEnMemoria barra;
    PorcentajeEnMemoria etiqueta;
};

TEST_P(Cierre, CreaRegistraYCompactaElCursoNuevo) {
    datosDelCurso();
    prepararMotor(true, true);
    motor.setNuevoCursoEscolar(QStringLiteral("Curso 'nuevo' 26/27"));
    const auto antes = escuela.instantanea(escuela.centro());

    ASSERT_TRUE(motor.TransferirDatos()) << guion.textos().join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(guion.textos().isEmpty()) << guion.textos().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(barra.Value(), 15);
    EXPECT_EQ(barra.Max(), 15);
    EXPECT_EQ(etiqueta.Caption(), QStringLiteral("100%"));

    // The new id is one past the greatest in either application entry.
    EXPECT_EQ(motor.estado().lngIDNuevoCurso, 8);
    EXPECT_TRUE(escuela.existeCreada(QStringLiteral("A3C8")));
    EXPECT_TRUE(escuela.existeCreada(QStringLiteral("B3C8")));
    EXPECT_EQ(escuela.sobrantes(), QStringList({QStringLiteral("A3C8"), QStringLiteral("B3C8")}).replaceInStrings(
                                       QRegularExpression(QStringLiteral("$")), ctx.esServidor() ? QString() : QStringLiteral(".db")));

    Conexion& app = escuela.appEntrada();
    Recordset nuevo = app.Abrir(QStringLiteral("SELECT Nombre, CodCentro, BD, BDBorrado, UltimoUtilizado, Activa FROM CursoEscolar WHERE IDCursoEscolar=8"));
    ASSERT_FALSE(nuevo.eof());
    EXPECT_EQ(nuevo.texto(QStringLiteral("Nombre")), QStringLiteral("Curso 'nuevo' 26/27"));
    EXPECT_EQ(nuevo.entero(QStringLiteral("CodCentro")), 3);
    EXPECT_EQ(nuevo.entero(QStringLiteral("UltimoUtilizado")), -1);
    EXPECT_EQ(nuevo.entero(QStringLiteral("Activa")), -1);
    EXPECT_EQ(nuevo.texto(QStringLiteral("BD")), motor.estado().conNuevoCentro.ConnectionString());
    Recordset viejo = app.Abrir(QStringLiteral("SELECT UltimoUtilizado, Activa FROM CursoEscolar WHERE IDCursoEscolar=7"));
    EXPECT_EQ(viejo.entero(QStringLiteral("UltimoUtilizado")), 0);
    EXPECT_EQ(viejo.entero(QStringLiteral("Activa")), 0);
    EXPECT_EQ(contar(app, QStringLiteral("SELECT COUNT(*) FROM CursoEscolar_Usuario WHERE CodCursoEscolar=8")), 2);

    // The new school database: emptied where the year must start clean, the
    // new year registered with a calendar of its own, the first of both
    // emptied databases.
    auto a = escuela.abrirCreada(QStringLiteral("A3C8"));
    ASSERT_TRUE(a);
    EXPECT_EQ(contar(*a, QStringLiteral("SELECT COUNT(*) FROM ReciboPendiente")), 0);
    Recordset curso = a->Abrir(QStringLiteral("SELECT IDCursoEscolar, Nombre, CodCentro, CodUsuario, Activa FROM CursoEscolar"));
    ASSERT_FALSE(curso.eof());
    EXPECT_EQ(curso.entero(QStringLiteral("IDCursoEscolar")), 8);
    EXPECT_EQ(curso.texto(QStringLiteral("Nombre")), QStringLiteral("Curso 'nuevo' 26/27"));
    EXPECT_EQ(curso.entero(QStringLiteral("Activa")), -1);
    curso.MoveNext();
    EXPECT_TRUE(curso.eof());
    EXPECT_EQ(contar(*a, QStringLiteral("SELECT COUNT(*) FROM CalendarioEscolar WHERE IDCalendarioEscolar=1")), 1);
    EXPECT_EQ(contar(*a, QStringLiteral("SELECT COUNT(*) FROM CursoEscolar_CalendarioEscolar WHERE CodCursoEscolar=8 AND CodCalendarioEscolar=1")), 1);
    auto b = escuela.abrirCreada(QStringLiteral("B3C8"));
    ASSERT_TRUE(b);
    EXPECT_TRUE(EscuelaPrueba::instantanea(*b).isEmpty());

    // The closed year keeps what it had.
    EXPECT_EQ(escuela.instantanea(escuela.centro()), antes);
}

TEST_P(Cierre, UnCierreParcialDejaActivoElCursoCerrado) {
    prepararMotor(true, false);
    CierreParcial() = true;
    ASSERT_TRUE(motor.TransferirDatos());
    EXPECT_EQ(barra.Value(), 13);
    Recordset viejo = escuela.appEntrada().Abrir(QStringLiteral("SELECT UltimoUtilizado, Activa FROM CursoEscolar WHERE IDCursoEscolar=7"));
    EXPECT_NE(viejo.entero(QStringLiteral("UltimoUtilizado")), 0);
    EXPECT_NE(viejo.entero(QStringLiteral("Activa")), 0);
}

TEST_P(Cierre, LasConfirmacionesRechazadasNoTocanNada) {
    prepararMotor(true, true);
    barra.setValue(42);
    motor.ColSecciones()->Add(seccion(1, false, false), qint64(1));  // no students left: not asked about
    motor.ColSecciones()->Add(seccion(2, true, false), qint64(2));
    guion.responderA(2187, Respuesta::No);
    const auto antes = escuela.instantaneas();

    EXPECT_FALSE(motor.TransferirDatos());
    EXPECT_TRUE(motor.Cancelado());
    ASSERT_EQ(guion.mostrados().size(), 1);
    EXPECT_EQ(guion.ultimo().mensaje.icono, Icono::Exclamacion);
    EXPECT_EQ(guion.ultimo().mensaje.defecto, Respuesta::No);
    EXPECT_EQ(barra.Value(), 42);
    EXPECT_TRUE(escuela.sobrantes().isEmpty()) << escuela.sobrantes().join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(escuela.instantaneas(), antes);
}

TEST_P(Cierre, LasActividadesSinPromocionarTambienSePreguntan) {
    prepararMotor(true, true);
    motor.ColSecciones()->Add(seccion(2, true, false, 20, 25), qint64(2));
    motor.ColSecciones()->Add(seccion(3, true, true, 20, 30), qint64(3));
    auto act = std::make_shared<cActividad>();
    act->setIDActividad(5);
    motor.colActividades()->Add(act, qint64(5));
    guion.responderA(2187, Respuesta::Si).responderA(710, Respuesta::No);

    EXPECT_FALSE(motor.TransferirDatos());
    EXPECT_TRUE(motor.Cancelado());
    // One warning about seats for however many sections overflow.
    const QStringList textos = guion.textos();
    ASSERT_EQ(textos.size(), 3);
    EXPECT_EQ(textos[0], Texto(2187));
    EXPECT_EQ(textos[1], Texto(2192));
    EXPECT_EQ(textos[2], Texto(710));
    EXPECT_TRUE(escuela.sobrantes().isEmpty()) << escuela.sobrantes().join(QLatin1Char(' ')).toStdString();
}

TEST_P(Cierre, ElPorcentajeEsLaDivisionEntera) {
    prepararMotor(true, true);
    int avances = 0;
    QStringList etiquetas;
    struct Espia : PorcentajeEnMemoria {
        QStringList* lista;
        void setCaption(const QString& t) override { lista->append(t); PorcentajeEnMemoria::setCaption(t); }
    } espia;
    espia.lista = &etiquetas;
    motor.setPorcentaje(&espia);
    ASSERT_TRUE(motor.TransferirDatos());
    avances = int(etiquetas.size());
    EXPECT_EQ(avances, 15);
    EXPECT_EQ(etiquetas.first(), QStringLiteral("6%"));
    EXPECT_EQ(etiquetas.last(), QStringLiteral("100%"));
}

TEST_P(Cierre, SoloActividadesSonSeisPasos) {
    prepararMotor(false, true);
    ASSERT_TRUE(motor.TransferirDatos());
    EXPECT_EQ(barra.Max(), 6);
    EXPECT_EQ(barra.Value(), 6);
}

}  // namespace

NCC_AMBOS_FONDOS(Cierre);
