// A year is closed once. A secretary opens the closing on a school and
// leaves it at its question while someone else (another computer, another
// program) closes the same year; when she then answers Yes, her closing
// must refuse: closing it again would register a second new year, both
// current, and archive every leaver twice.
#include "Muestra.h"
#include "entry/cConfiguracion.h"

using namespace ncc;
using namespace ncc::pruebas;

namespace {

class CursoCerradoDosVeces : public ConMuestra {
protected:
    ~CursoCerradoDosVeces() override { fijarConfiguracionActual(nullptr); }

    // Every row of every database of the school: its four, and those the
    // closing made.
    std::map<QString, QStringList> bases() const {
        std::map<QString, QStringList> r;
        QStringList cadenas;
        if (muestra.esServidor()) {
            for (const QString& b : Muestra::bases()) cadenas << muestra.cadena(b);
            for (const QString& n : quedanEnServidor()) {
                CadenaConexion c(plantillaServidor());
                c.fijar(QStringLiteral("Initial Catalog"), n);
                cadenas << c.texto();
            }
        } else {
            for (const QString& f : archivosDe(muestra.carpeta))
                if (f.endsWith(QLatin1String(".db")))
                    cadenas << QStringLiteral("Provider=SQLite;Data Source=") + QDir(muestra.carpeta).filePath(f);
        }
        for (const QString& c : cadenas) {
            Conexion con(c);
            con.Open();
            r[c] = EscuelaPrueba::instantanea(con);
            con.Close();
        }
        return r;
    }

    long long anios(const QString& condicion = QString()) const {
        Conexion app(muestra.cadena(QStringLiteral("AppEntrada")));
        app.Open();
        return contar(app, QStringLiteral("SELECT COUNT(*) FROM CursoEscolar WHERE CodCentro=1") + condicion);
    }
};

TEST_P(CursoCerradoDosVeces, ElSegundoCierreDelMismoCursoSeRechazaSinTocarNada) {
    muestra = crearMuestra(ctx, QStringLiteral("escuela"), 40);
    const long long aniosAntes = anios();
    MensajesGuion guion;
    guion.responderA(2187, Respuesta::Si).responderA(710, Respuesta::Si);
    ServicioMensajesInstalado instalado(guion);

    // The first session, opened on the year, its plan made.
    auto primera = std::make_unique<SesionAbierta>(muestra);
    ASSERT_EQ(primera->sesion->IDCursoescolar(), 3);
    const host::Plan planPrimera = primera->planPorDefecto();

    // Meanwhile another session closes the same year. (Another program in
    // real life; here it shares the process's one settings object, which the
    // first session reads again from its own session afterwards.)
    ASSERT_FALSE(cerrarMuestra(muestra).nuevo.isEmpty());
    ASSERT_EQ(anios(), aniosAntes + 1);
    const auto cerrado = bases();
    const QStringList archivosCerrado = muestra.esServidor() ? quedanEnServidor() : archivosDe(muestra.carpeta);
    primera->entrada->ObtenerDatos(primera->sesion.get());

    // The first session's closing, answered Yes to everything.
    guion.olvidarMostrados();
    cIFunciones motor;
    prepararMotor(motor, planPrimera, nullptr);
    EXPECT_FALSE(motor.TransferirDatos());
    // Refused before any question, with the reason.
    ASSERT_EQ(guion.mostrados().size(), 1) << guion.textos().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(enFila({motor.Rechazado(), motor.Cancelado(), guion.ultimo().mensaje.icono,
                      guion.ultimo().mensaje.texto.contains(QStringLiteral("ya no es el curso actual del centro"))}),
              enFila({true, false, Icono::Critico, true}))
        << guion.ultimo().mensaje.texto.toStdString();

    // One new year, the only current one, and every database as the
    // finished closing left it.
    EXPECT_EQ(enFila({anios(), anios(QStringLiteral(" AND UltimoUtilizado<>0"))}), enFila({aniosAntes + 1, 1}));
    EXPECT_EQ(muestra.esServidor() ? quedanEnServidor() : archivosDe(muestra.carpeta), archivosCerrado);
    const auto despues = bases();
    EXPECT_EQ(despues.size(), cerrado.size());
    for (const auto& [cadena, filas] : cerrado) {
        SCOPED_TRACE(cadena.toStdString());
        EXPECT_TRUE(despues.count(cadena) && despues.at(cadena) == filas) << "la base ha cambiado";
    }
}

NCC_AMBOS_FONDOS(CursoCerradoDosVeces);

}  // namespace
