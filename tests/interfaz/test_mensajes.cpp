// The message service and its three faces: the standard messages of the
// suite, the scripted answers of the tests and the command line's terminal.
// Also the clock and the per-user settings.
#include "platform/Ajustes.h"
#include "comun/Lectura.h"
#include "comun/Utf8.h"
#include "platform/Mensajes.h"
#include "platform/MensajesGuion.h"
#include "platform/MensajesTerminal.h"
#include "platform/Reloj.h"
#include "platform/Textos.h"
#include <QCoreApplication>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <cstdio>

using namespace ncc;
using ncc::pruebas::enFila;


TEST(MensajesEstandar, AvisosYPreguntasLlevanPitidoTituloYNoPorDefecto) {
    MensajesGuion guion;
    ServicioMensajesInstalado inst(guion);
    guion.responder(Respuesta::Si).responder(Respuesta::No).responder(Respuesta::Si);

    avisar(1181, Icono::Informacion);
    EXPECT_EQ(enFila({preguntar(2180), preguntarTexto(u("¿Seguro?"))}), "true|false");
    EXPECT_TRUE(preguntar(1183, Icono::Critico, Respuesta::Si));

    ASSERT_EQ(guion.mostrados().size(), 4);
    const auto& ms = guion.mostrados();
    EXPECT_EQ(enFila({ms[0].mensaje.texto, ms[0].mensaje.icono, ms[0].mensaje.botones, ms[1].mensaje.texto,
                      ms[1].mensaje.icono, ms[1].mensaje.botones, ms[1].mensaje.defecto, ms[3].mensaje.icono,
                      ms[3].mensaje.defecto}),
              enFila({Texto(1181), Icono::Informacion, Botones::Aceptar, Texto(2180), Icono::Pregunta, Botones::SiNo,
                      Respuesta::No, Icono::Critico, Respuesta::Si}));
    for (const auto& m : ms)
        EXPECT_EQ(enFila({m.conPitido, m.mensaje.titulo}), enFila({true, Texto(TituloProducto)}));
    EXPECT_EQ(enFila({guion.pitidos(), guion.sinPreguntasInesperadas(), guion.respuestasPendientes()}), "4|true|0");
}

TEST(MensajesGuion, RespuestasPorTextoAntesQueLaColaYPreguntasInesperadas) {
    MensajesGuion guion;
    QStringList avisadas;
    guion.alInesperada([&](const QString& t) { avisadas << t; });
    guion.responderA(2194, Respuesta::Si).responder(Respuesta::Si);
    ServicioMensajesInstalado inst(guion);

    // The answer by text is given every time its question comes and does
    // not use the queue.
    EXPECT_EQ(enFila({preguntar(2194), preguntar(2194)}), "true|true");
    EXPECT_EQ(guion.respuestasPendientes(), 1);
    // A question built around an answered text still finds it.
    EXPECT_TRUE(preguntarTexto(Texto(2194) + u(" (2)")));
    EXPECT_TRUE(preguntar(2195));  // the queue
    EXPECT_EQ(enFila({guion.respuestasPendientes(), guion.sinPreguntasInesperadas()}), "0|true");

    // Nobody answered this one: recorded, reported and answered No.
    EXPECT_FALSE(preguntar(2180));
    EXPECT_EQ(enFila({guion.sinPreguntasInesperadas(), guion.inesperadas().join('/'), avisadas.join('/')}),
              u("false|") + Texto(2180) + u("|") + Texto(2180));

    // Plain messages never take an answer.
    guion.responder(Respuesta::Si);
    avisarTexto(u("hecho"));
    EXPECT_EQ(guion.respuestasPendientes(), 1);

    // A message shown without a beep says so.
    Mensaje sinPitido;
    sinPitido.texto = u("sin pitido");
    mensajes().mostrar(sinPitido);
    EXPECT_EQ(enFila({guion.ultimo().conPitido, guion.textos().last()}), "false|sin pitido");

    guion.olvidarMostrados();
    EXPECT_EQ(enFila({guion.mostrados().size(), guion.pitidos()}), "0|0");
}

// The terminal service on real files, installed: a temporary file is not a
// terminal.
class Terminal : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(salida && entrada); }
    void TearDown() override {
        std::fclose(salida);
        std::fclose(entrada);
    }
    void escribirEntrada(const char* t) {
        std::fputs(t, entrada);
        std::rewind(entrada);
    }
    QString leidoSalida() {
        std::fflush(salida);
        std::rewind(salida);
        QByteArray b;
        char trozo[512];
        size_t n;
        while ((n = std::fread(trozo, 1, sizeof trozo, salida)) > 0) b.append(trozo, qsizetype(n));
        return QString::fromUtf8(b);
    }
    static Mensaje pregunta(const QString& t) {
        Mensaje m;
        m.texto = t;
        m.icono = Icono::Pregunta;
        m.botones = Botones::SiNo;
        m.defecto = Respuesta::No;
        return m;
    }
    std::FILE* salida = std::tmpfile();
    std::FILE* entrada = std::tmpfile();
    MensajesTerminal t{salida, entrada};
    ServicioMensajesInstalado inst{t};
};

TEST_F(Terminal, MensajesConSuPalabraYSinPitidoFueraDeUnTerminal) {
    mostrarError(13, u("No coinciden los tipos"));
    avisar(2192, Icono::Exclamacion);
    avisar(2182, Icono::Informacion);
    avisarTexto(Texto(1183), Icono::Critico);
    const QString s = leidoSalida();
    EXPECT_EQ(enFila({s.contains(QLatin1Char('\a')), s.contains(QLatin1Char('\r')),
                      s.startsWith(u("Error 13: No coinciden los tipos\n")),
                      s.contains(u("Aviso: ") + Texto(2192) + u("\n")),
                      s.contains(u("Información: Proceso realizado satisfactoriamene\n")),
                      s.contains(u("Error: Se dispone a realizar"))}),
              "false|false|true|true|true|true") << s.toStdString();
}

TEST_F(Terminal, ConSiRespondeSiATodoYLoEscribe) {
    t.fijarSiATodo(true);
    EXPECT_TRUE(preguntar(1185));
    Mensaje m = pregunta(u("¿Aceptar?"));
    m.botones = Botones::AceptarCancelar;
    EXPECT_EQ(t.mostrar(m), Respuesta::Aceptar);
    EXPECT_EQ(leidoSalida(), u("Pregunta: ") + Texto(1185) + u(" Sí\nPregunta: ¿Aceptar? Aceptar\n"));
}

TEST_F(Terminal, SinTerminalNiSiSeNiegaAResponder) {
    EXPECT_FALSE(t.hayTerminal());
    try {
        preguntar(1185);
        ADD_FAILURE() << "answered without a terminal";
    } catch (const SinTerminal& e) {
        EXPECT_EQ(enFila({e.numero(), e.pregunta(), e.descripcion().contains(u("--si")),
                          e.descripcion().contains(Texto(1185))}),
                  enFila({SinTerminal::Numero, Texto(1185), true, true}));
    }
    // The question itself was shown, so that the log says what was asked.
    EXPECT_TRUE(leidoSalida().contains(Texto(1185)));

    // A plain message needs no answer and never refuses.
    EXPECT_NO_THROW(avisar(2182, Icono::Informacion));

    // Input from /dev/null is no terminal either.
    std::FILE* nulo = std::fopen("/dev/null", "r");
    ASSERT_TRUE(nulo);
    MensajesTerminal desdeNulo(salida, nulo);
    EXPECT_FALSE(desdeNulo.hayTerminal());
    EXPECT_THROW(desdeNulo.mostrar(pregunta(u("¿Seguir?"))), SinTerminal);
    std::fclose(nulo);
}

TEST_F(Terminal, EnUnTerminalLeeLaRespuesta) {
    // Invalid answer, then "sí"; an empty line takes the default; "n";
    // and the input ending answers No.
    escribirEntrada("quizá\nsí\n\nn\n");
    t.fijarEsTerminal(true);
    EXPECT_EQ(QList({t.mostrar(pregunta(u("¿Uno?"))), t.mostrar(pregunta(u("¿Dos?")))}),
              QList({Respuesta::Si, Respuesta::No}));
    Mensaje siPorDefecto = pregunta(u("¿Tres?"));
    siPorDefecto.defecto = Respuesta::Si;
    EXPECT_EQ(QList({t.mostrar(siPorDefecto), t.mostrar(siPorDefecto)}), QList<Respuesta>(2, Respuesta::No));
    const QString s = leidoSalida();
    EXPECT_TRUE(s.startsWith(u("Pregunta: ¿Uno? [s/N] Respuesta no válida. [s/N] "))) << s.toStdString();
    EXPECT_TRUE(s.contains(u("Pregunta: ¿Tres? [S/n] ")));
}

// Today is the system's date unless a test fixes it, and again once it
// lets it go.
TEST(Reloj, HoyEsElDelSistemaSalvoQueSeFije) {
    Reloj::fijarHoy(QDate(2025, 6, 30));
    EXPECT_EQ(Reloj::hoy(), QDate(2025, 6, 30));
    Reloj::fijarHoy(QDate());
    EXPECT_EQ(Reloj::hoy(), QDate::currentDate());
}

TEST(Ajustes, CadaCentroGuardaLosSuyosBajoNorvaCentro2000) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());

    EXPECT_EQ(Ajustes::leer(u("Colegio Uno"), u("CierreAlumnos"), u("Columna1"), 1500).toInt(), 1500);
    Ajustes::escribir(u("Colegio Uno"), u("CierreAlumnos"), u("Columna1"), 2100);
    Ajustes::escribir(u("Colegio Dos"), u("CierreAlumnos"), u("Columna1"), 900);
    EXPECT_EQ(enFila({Ajustes::leer(u("Colegio Uno"), u("CierreAlumnos"), u("Columna1")),
                      Ajustes::leer(u("Colegio Dos"), u("CierreAlumnos"), u("Columna1")),
                      Ajustes::leer(u("Colegio Uno"), u("CierreActividades"), u("Columna1"))}),
              "2100|900|~");

    const QString archivo = dir.path() + u("/") + QCoreApplication::organizationName() +
                            u("/Colegio Uno/Norva Centro 2000/CierreCurso.conf");
    EXPECT_TRUE(QFile::exists(archivo)) << archivo.toStdString();
    EXPECT_EQ(QSettings(archivo, QSettings::IniFormat).value(u("CierreAlumnos/Columna1")).toInt(), 2100);
}
