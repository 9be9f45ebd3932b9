// The closing run as a whole on a small school: confirmations, progress and
// the new year's id. The rows of the next school year's databases and of
// their registration (a partial closing's too) are pinned by the reference
// closings (tests/cierre), a failure's rollback by the failure sweep.
#include "EscuelaPrueba.h"
#include "Lectura.h"
#include "engine/cIFunciones.h"
#include "platform/Sentencias.h"
#include "platform/Textos.h"

using namespace ncc;
using namespace ncc::pruebas;

namespace {

class Cierre : public ConEscuela {
protected:
    Cierre() : ConEscuela(3, 7) {}
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

    cIFunciones motor;
    ProgresoEnMemoria barra;
    PorcentajeEnMemoria etiqueta;
};

TEST_P(Cierre, LasConfirmacionesRechazadasNoTocanNada) {
    prepararMotor(true, true);
    barra.setValue(42);
    motor.ColSecciones()->Add(seccion(1, false, false), qint64(1));  // no students left: not asked about
    motor.ColSecciones()->Add(seccion(2, true, false), qint64(2));
    guion.responderA(2187, Respuesta::No);
    const auto antes = escuela.instantaneas();

    EXPECT_FALSE(motor.TransferirDatos());
    ASSERT_EQ(guion.mostrados().size(), 1);
    EXPECT_EQ(enFila({motor.Cancelado(), guion.ultimo().mensaje.icono, guion.ultimo().mensaje.defecto, barra.Value()}),
              enFila({true, Icono::Exclamacion, Respuesta::No, 42}));
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

    EXPECT_EQ(enFila({motor.TransferirDatos(), motor.Cancelado()}), "false|true");
    // One warning about seats for however many sections overflow.
    EXPECT_EQ(guion.textos(), (QStringList{Texto(2187), Texto(2192), Texto(710)}));
    EXPECT_TRUE(escuela.sobrantes().isEmpty()) << escuela.sobrantes().join(QLatin1Char(' ')).toStdString();
}

// At each step's end the session's connection to the closed year is tried
// with a change that touches no row: until the leavers' archive, the run's
// first change to the closed year, it is refused (a cut then only removes
// the copies, so nothing may have changed the originals); after it, and
// after the run, allowed. The id of the new school year is one past the
// greatest of both application entries: a year deleted from the application
// entry lives on in its twin, and its id must never be given again.
TEST_P(Cierre, ElPorcentajeEsLaDivisionEnteraYElCursoCerradoNoCambiaAntesDeLasBajas) {
    EscuelaPrueba::sql(escuela.borradoAppEntrada(),
                       QStringLiteral("INSERT INTO CursoEscolar (IDCursoEscolar, Nombre, CodCentro) VALUES (9, 'Borrado', 3)"));
    prepararMotor(true, true);
    QStringList etiquetas;
    QString cambios;
    const auto cambiar = [this] {
        try {
            motor.estado().conLocalCentro().Execute(QStringLiteral("UPDATE Alumno SET Nombre=Nombre WHERE IDAlumno<0"));
            return QLatin1Char('-');
        } catch (const Error&) {
            return QLatin1Char('x');
        }
    };
    struct Espia : PorcentajeEnMemoria {
        std::function<void(const QString&)> alCambiar;
        void setCaption(const QString& t) override { alCambiar(t); PorcentajeEnMemoria::setCaption(t); }
    } espia;
    espia.alCambiar = [&](const QString& t) {
        etiquetas.append(t);
        cambios += cambiar();
    };
    motor.setPorcentaje(&espia);
    ASSERT_TRUE(motor.TransferirDatos());
    EXPECT_TRUE(guion.textos().isEmpty()) << guion.textos().join(QLatin1Char('\n')).toStdString();
    // One caption a step, the last one full: the bar runs to its end.
    EXPECT_EQ(enFila({etiquetas.size(), etiquetas.value(0), etiquetas.value(etiquetas.size() - 1)}), "15|6%|100%");
    cambios += cambiar();
    EXPECT_EQ(cambios, QStringLiteral("xxxxxxxxxx------"));
    EXPECT_EQ(enFila({motor.estado().lngIDNuevoCurso, escuela.existeCreada(QStringLiteral("A3C10"))}), "10|true");
    EXPECT_EQ(leerFilas(escuela.appEntrada(), QStringLiteral("SELECT Nombre FROM CursoEscolar WHERE IDCursoEscolar=10")),
              QStringList{QStringLiteral("2026/2027")});
}

TEST_P(Cierre, SoloSeccionesSonTrecePasos) {
    prepararMotor(true, false);
    ASSERT_TRUE(motor.TransferirDatos());
    EXPECT_EQ(barra.Value(), 13);
}

TEST_P(Cierre, SoloActividadesSonSeisPasos) {
    prepararMotor(false, true);
    ASSERT_TRUE(motor.TransferirDatos());
    EXPECT_EQ(enFila({barra.Max(), barra.Value()}), "6|6");
}

}  // namespace

NCC_AMBOS_FONDOS(Cierre);
