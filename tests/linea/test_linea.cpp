// The command line as its users meet it: help on every command, a plain
// Spanish sentence for a folder or a file that is not what it should be,
// servers written as PostgreSQL users write them, and a plan whose student
// has no single decision refused naming him.
#include "ContextoBD.h"
#include "EscuelaCarpeta.h"
#include "Lectura.h"
#include "platform/BasesDatos.h"
#include "platform/CadenaConexion.h"
#include "platform/Conexion.h"
#include <QDir>
#include <QFile>
#include <QCoreApplication>
#include <QProcess>
#include <QScopeGuard>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUrl>
#include <sys/stat.h>
#include <sys/sysmacros.h>

using namespace ncc;

namespace {

using Salida = pruebas::SalidaNcc;
using pruebas::enFila;
using pruebas::esperarSalida;

Salida ncc(const QStringList& args, const QProcessEnvironment& entorno = QProcessEnvironment::systemEnvironment(),
           const QString& carpeta = {}) {
    return pruebas::ejecutarNcc(args, 60000, entorno, carpeta);
}

// The commands as `ncc ayuda` lists them.
QStringList ordenes() {
    const Salida a = ncc({QStringLiteral("ayuda")});
    QStringList l;
    static const QRegularExpression linea(QStringLiteral("^  (\\S+)\\s"));
    for (const QString& s : a.texto.split(QLatin1Char('\n'))) {
        const auto m = linea.match(s);
        if (m.hasMatch()) l << m.captured(1);
    }
    return l;
}

// The environment of a terminal with no display (a server's, a remote one).
QProcessEnvironment sinPantalla() {
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    for (const char* v : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) e.remove(QString::fromLatin1(v));
    return e;
}

// Every command explains its usage, also on a terminal with no display, and
// the manual page holds the same usage texts.
TEST(LineaDeOrdenes, CadaOrdenExplicaSuUsoConHelpYSinOrdenEsMalUso) {
    const QStringList lista = ordenes();
    ASSERT_TRUE(lista.contains(QStringLiteral("cerrar")) && lista.contains(QStringLiteral("escritorio"))) << lista.join(' ').toStdString();
    const QString manual = ncc({QStringLiteral("manual")}).texto;
    for (const QString& orden : lista) {
        for (const QString& ayuda : {QStringLiteral("-h"), QStringLiteral("--help")}) {
            // Help wins over everything else given, even what would be wrong.
            const Salida r = ncc({orden, QStringLiteral("--datos"), QStringLiteral("/no/existe"), ayuda}, sinPantalla());
            EXPECT_EQ(r.salida, 0) << orden.toStdString() << " " << ayuda.toStdString() << ": " << r.error.toStdString();
            EXPECT_TRUE(r.texto.startsWith(QStringLiteral("Uso: ncc ") + orden)) << r.texto.toStdString();
        }
        const QString enRoff = QStringLiteral(".nf\nUso: ncc ") + QString(orden).replace(QLatin1Char('-'), QStringLiteral("\\-"));
        EXPECT_TRUE(manual.contains(enRoff)) << orden.toStdString();
    }
    EXPECT_TRUE(ncc({QStringLiteral("cerrar"), QStringLiteral("-h")}).texto.contains(QStringLiteral("--datos CARPETA")));
    const QString escritorio = ncc({QStringLiteral("escritorio"), QStringLiteral("--help")}, sinPantalla()).texto;
    for (const char* opcion : {"--datos", "--servidor", "--nodo"})
        EXPECT_TRUE(escritorio.contains(QString::fromLatin1(opcion))) << opcion;
    // Without a display the desktop host says so in one line, without Qt's abort.
    const Salida sinVentanas = esperarSalida(
        ncc({QStringLiteral("escritorio"), QStringLiteral("--datos"), QStringLiteral("/no/existe")}, sinPantalla()), 1,
        QStringLiteral("no hay pantalla"));
    EXPECT_EQ(sinVentanas.error.count(QLatin1Char('\n')), 1) << sinVentanas.error.toStdString();
    EXPECT_TRUE(ncc({QStringLiteral("ayuda"), QStringLiteral("plan")}).texto.startsWith(QStringLiteral("Uso: ncc plan")));
    EXPECT_EQ(ncc({QStringLiteral("--help")}).salida, 0);

    esperarSalida(ncc({}), 64, QStringLiteral("falta la orden"));
    EXPECT_EQ(ncc({QStringLiteral("nada")}).salida, 64);
}

// One Spanish sentence that names the file, and no internal error number.
void esperaFrase(const Salida& r, const QString& frase) {
    esperarSalida(r, 1, frase);
    EXPECT_FALSE(r.error.contains(QRegularExpression(QStringLiteral("Error 10\\d\\d")))) << r.error.toStdString();
}

TEST(LineaDeOrdenes, CarpetasYArchivosQueNoSonLoQueDebenSeDicenEnEspanol) {
    QTemporaryDir d;
    const QString noHay = QDir(d.path()).filePath(QStringLiteral("no-hay"));
    for (const char* orden : {"plan", "cerrar", "recuperar"}) {
        const QString o = QString::fromLatin1(orden);
        esperaFrase(ncc({o, QStringLiteral("--datos"), noHay}), QStringLiteral("No existe la carpeta %1.").arg(noHay));
        esperaFrase(ncc({o, QStringLiteral("--datos"), d.path()}),
                    QStringLiteral("La carpeta %1 no contiene la base de datos de entrada de la aplicación (AppEntrada.db).")
                        .arg(d.path()));
    }
    // Nothing was created by looking.
    EXPECT_FALSE(QFileInfo::exists(noHay));
    EXPECT_TRUE(QDir(d.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());

    // A file that is not a database.
    for (const char* n : {"AppEntrada.db", "BorradoAppEntrada.db"})
        ASSERT_TRUE(pruebas::escribirFichero(QDir(d.path()).filePath(QString::fromLatin1(n)),
                                             QByteArray("Esto es una carta, no una base de datos.\n").repeated(200)));
    const QString app = QDir(d.path()).filePath(QStringLiteral("AppEntrada.db"));
    for (const char* orden : {"plan", "cerrar"}) {
        QStringList args{QString::fromLatin1(orden), QStringLiteral("--datos"), d.path()};
        if (args.first() == QLatin1String("cerrar")) args << QStringLiteral("--si");
        const Salida r = ncc(args);
        esperaFrase(r, QStringLiteral("El archivo %1 no es una base de datos que se pueda abrir").arg(app));
        // Whatever the driver said in English comes after the Spanish.
        const qsizetype ingles = r.error.indexOf(QStringLiteral("file is not a database"));
        if (ingles >= 0) {
            EXPECT_GT(ingles, r.error.indexOf(QStringLiteral("no es una base de datos")));
        }
    }

    // An SQLite database of another kind: said in Spanish before SQLite's words.
    for (const char* n : {"AppEntrada.db", "BorradoAppEntrada.db"}) {
        const QString ruta = QDir(d.path()).filePath(QString::fromLatin1(n));
        QFile::remove(ruta);
        Conexion c(QStringLiteral("Provider=SQLite;Data Source=") + ruta);
        c.Open();
        c.Execute(QStringLiteral("CREATE TABLE Otra (x INTEGER)"));
    }
    const Salida otra = ncc({QStringLiteral("plan"), QStringLiteral("--datos"), d.path()});
    esperaFrase(otra, QStringLiteral("no parece una base de datos de entrada de la aplicación"));
    EXPECT_LT(otra.error.indexOf(QStringLiteral("no parece")), otra.error.indexOf(QStringLiteral("Centro")));
}

// Without --datos, `ncc cerrar` takes the school folder last opened and says
// which, or with none remembered says how to name one: the folder it was
// started in is never taken for the school.
TEST(LineaDeOrdenes, SinDatosSeUsaLaUltimaCarpetaYNuncaLaActual) {
    QTemporaryDir escuela, ajustes, otra;
    pruebas::crearEscuelaCarpeta(escuela.path(), 20);
    QProcessEnvironment entorno = QProcessEnvironment::systemEnvironment();
    entorno.insert(QStringLiteral("XDG_CONFIG_HOME"), ajustes.path());
    const QStringList ensayo{QStringLiteral("cerrar"), QStringLiteral("--ensayo")};

    const Salida ninguna = esperarSalida(ncc(ensayo, entorno, escuela.path()), 64);
    EXPECT_TRUE(ninguna.error.startsWith(QStringLiteral("ncc cerrar: No se ha indicado el centro: nombre la carpeta de sus "
                                                        "bases de datos con «ncc cerrar --datos CARPETA»")))
        << ninguna.error.toStdString();

    ASSERT_EQ(ncc(ensayo + QStringList{QStringLiteral("--datos"), escuela.path()}, entorno).salida, 0);
    const Salida recordada = esperarSalida(ncc(ensayo, entorno, otra.path()), 0);
    EXPECT_TRUE(recordada.error.startsWith(QStringLiteral("ncc cerrar: centro de la carpeta usada la última vez: ") +
                                           escuela.path() + QLatin1Char('\n')))
        << recordada.error.toStdString();
}

TEST(LineaDeOrdenes, ElServidorSeEscribeComoEnPostgreSQL) {
    ASSERT_TRUE(pruebas::hayServidor()) << "No hay servidor PostgreSQL de pruebas: ejecute scripts/pruebas.sh";
    const DatosConexion prueba = CadenaConexion(pruebas::plantillaServidor()).datos();
    const QString host = prueba.host, puerto = QString::number(prueba.puerto);
    // A user of this test whose password holds what each form must quote,
    // and a server of its own were it ever read as more pairs.
    const QString usuario = QStringLiteral("ncc_linea_%1").arg(QCoreApplication::applicationPid());
    const QString clave = QStringLiteral(";Data Source=/nowhere:1;a'b\"c d\\");
    Conexion admin(prueba.conBase(QStringLiteral("postgres")));
    admin.Open();
    admin.Execute(QStringLiteral("CREATE ROLE %1 SUPERUSER LOGIN PASSWORD '%2'").arg(usuario, QString(clave).replace("'", "''")));
    const auto sinUsuario = qScopeGuard([&] { admin.Execute(QStringLiteral("DROP ROLE %1").arg(usuario)); });

    // The server is reached (its user and password accepted) under each
    // form: what is missing, if anything, is the school, not the server.
    auto llega = [](const Salida& r) {
        EXPECT_TRUE(r.salida >= 0 && r.salida != 64 && !r.error.contains(QStringLiteral("No se puede conectar")) &&
                    (r.salida == 0 || r.error.contains(QStringLiteral("AppEntrada"))))
            << r.salida << ": " << r.error.toStdString();
    };
    const QString enLibpq = QString(clave).replace(QLatin1Char('\\'), QStringLiteral("\\\\")).replace(QLatin1Char('\''), QStringLiteral("\\'"));
    const QString enUri = QString::fromUtf8(QUrl::toPercentEncoding(clave));
    const QString enCadena = QString(clave).replace(QLatin1Char('"'), QStringLiteral("\"\""));
    for (const QString& servidor :
         {QStringLiteral("host=%1 port=%2 user=%3 password='%4'").arg(host, puerto, usuario, enLibpq),
          QStringLiteral("postgresql://%1:%2@%3:%4/")
              .arg(usuario, enUri, QString::fromUtf8(QUrl::toPercentEncoding(host)), puerto),
          QStringLiteral("Provider=PostgreSQL;Data Source=%1:%2;User ID=%3;Password=\"%4\"").arg(host, puerto, usuario, enCadena)})
        llega(ncc({QStringLiteral("plan"), QStringLiteral("--servidor"), servidor}));
    // PGHOST, PGPORT, PGUSER and PGPASSWORD fill what the text leaves out.
    QProcessEnvironment entorno = QProcessEnvironment::systemEnvironment();
    entorno.insert(QStringLiteral("PGHOST"), host);
    entorno.insert(QStringLiteral("PGPORT"), puerto);
    entorno.insert(QStringLiteral("PGUSER"), usuario);
    entorno.insert(QStringLiteral("PGPASSWORD"), clave);
    llega(ncc({QStringLiteral("plan"), QStringLiteral("--servidor"), QStringLiteral("postgresql://")}, entorno));

    // A server that is not there says so in Spanish first.
    const Salida lejos = ncc({QStringLiteral("plan"), QStringLiteral("--servidor"),
                              QStringLiteral("host=%1 port=1 user=%2").arg(host, usuario)});
    EXPECT_EQ(lejos.salida, 1);
    EXPECT_TRUE(lejos.error.startsWith(QStringLiteral("ncc plan: No se puede conectar con el servidor"))) << lejos.error.toStdString();
    EXPECT_EQ(ncc({QStringLiteral("plan"), QStringLiteral("--servidor"), QStringLiteral("postgresql://equipo:puerto/")}).salida, 64);
}

// What the command line writes goes where it is named and nowhere else: a
// plan never through a link, never "written" into a full device; and a year
// name is text.
TEST(LineaDeOrdenes, ElPlanSoloSeEscribeDondeSeNombraYElCursoEsTexto) {
    QTemporaryDir fuera;
    const auto escuela = pruebas::escuelaCarpeta(40);
    const QDir d(escuela->path());
    const QString ajeno = fuera.filePath(QStringLiteral("ajeno.json"));
    ASSERT_TRUE(pruebas::escribirFichero(ajeno, "de otro"));
    ASSERT_TRUE(QFile::link(ajeno, d.filePath(QStringLiteral("enlace.json"))));
    // The full device made in a folder of the test's own where it can be.
    QString lleno = fuera.filePath(QStringLiteral("lleno"));
    if (::mknod(QFile::encodeName(lleno).constData(), S_IFCHR | 0666, makedev(1, 7)) != 0) lleno = QStringLiteral("/dev/full");
    const QStringList plan{QStringLiteral("plan"), QStringLiteral("--datos"), d.path(), QStringLiteral("--salida")};

    esperarSalida(ncc(plan + QStringList{d.filePath(QStringLiteral("enlace.json"))}), 1, QStringLiteral("enlace simbólico"));
    QFile f(ajeno);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("de otro"));
    esperarSalida(ncc(plan + QStringList{lleno}), 1);
    struct stat s;
    EXPECT_TRUE(::stat(QFile::encodeName(lleno).constData(), &s) == 0 && S_ISCHR(s.st_mode));
    esperarSalida(ncc(plan + QStringList{d.filePath(QStringLiteral("plan.json"))}), 0);
    EXPECT_EQ(d.entryList({QStringLiteral("*plan.json*")}, QDir::Files | QDir::Hidden), QStringList{QStringLiteral("plan.json")});

    // Bytes that are not UTF-8, straight from the shell.
    QProcess p;
    p.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"),
                                         QStringLiteral("\"$0\" cerrar --datos \"$1\" --si --curso \"$(printf '\\377\\3762026')\""),
                                         qEnvironmentVariable("NCC_BIN"), d.path()});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 64) << p.readAllStandardError().toStdString();
    EXPECT_FALSE(QFileInfo::exists(d.filePath(QStringLiteral("A1C4.db"))));
}

// The report is drawn by a process of its own: a closing whose report dies
// stands and says so without a path, and the report is written at the next
// start, and again by anyone with ncc informe.
TEST(LineaDeOrdenes, UnCierreSobreviveASuInformeYLoRecibeDespues) {
    const auto escuela = pruebas::escuelaCarpeta(40);
    const QDir d(escuela->path());
    // Qt's text engine cannot start in the report's process.
    QProcessEnvironment sinInforme = QProcessEnvironment::systemEnvironment();
    sinInforme.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("ninguna"));
    const Salida cierre =
        esperarSalida(ncc({QStringLiteral("cerrar"), QStringLiteral("--datos"), d.path(), QStringLiteral("--si")}, sinInforme), 0);
    EXPECT_EQ(enFila({cierre.texto.contains(QStringLiteral("Proceso realizado")),
                      cierre.texto.contains(QStringLiteral("Informe del cierre")),
                      cierre.error.contains(QStringLiteral("ncc informe")),
                      d.entryList({QStringLiteral("*.pdf")}).size()}),
              "true|false|true|0") << cierre.texto.toStdString() << cierre.error.toStdString();

    const QString primero = d.filePath(QStringLiteral("Cierre 2025-2026.pdf"));
    esperarSalida(ncc({QStringLiteral("recuperar"), QStringLiteral("--datos"), d.path()}), 0,
                  QStringLiteral("Informe del cierre: ") + primero);
    QFile pdf(primero);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.read(5) == "%PDF-");
    // Written once: the next start has nothing owed.
    EXPECT_FALSE(ncc({QStringLiteral("recuperar"), QStringLiteral("--datos"), d.path()}).error.contains(QStringLiteral("Informe")));
    const Salida otraVez = esperarSalida(ncc({QStringLiteral("informe"), QStringLiteral("--datos"), d.path()}), 0);
    EXPECT_EQ(otraVez.texto, QStringLiteral("Informe del cierre: %1\n").arg(d.filePath(QStringLiteral("Cierre 2025-2026 (2).pdf"))));
}

// The benchmark on two small schools: a row of figures each, the second's
// cost per student against the first's, and a set-based floor that ends
// with the very rows the closing left (or the floor is not one of the same
// work).
TEST(LineaDeOrdenes, ElBancoDePruebasMideYSuSueloDejaLoMismoQueElCierre) {
    QTemporaryDir temporal;
    QProcessEnvironment entorno = QProcessEnvironment::systemEnvironment();
    entorno.insert(QStringLiteral("TMPDIR"), temporal.path());
    const Salida s = ncc({QStringLiteral("bench"), QStringLiteral("--alumnos"), QStringLiteral("40,60")}, entorno);
    ASSERT_EQ(s.salida, 0) << s.error.toStdString();
    EXPECT_EQ(enFila({s.error.contains(QStringLiteral("suelo")), s.texto.contains(QStringLiteral("ha fallado"))}),
              "false|false") << s.error.toStdString() << s.texto.toStdString();
    static const QRegularExpression filas(QStringLiteral("^\\s+40\\s+\\d+(\\s+[0-9.]+){15}\\n"
                                                         "\\s+60\\s+\\d+(\\s+[0-9.]+){15}\\n"
                                                         "\\s+60  coste por alumno frente a 40: [0-9]+\\.[0-9]{2}$"),
                                          QRegularExpression::MultilineOption);
    EXPECT_TRUE(filas.match(s.texto).hasMatch()) << s.texto.toStdString();
    // Nothing of the run stays behind.
    EXPECT_TRUE(QDir(temporal.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot));
}

// On a server that also holds a school of the same ids, whose new year's
// databases have the names the benchmark's closing would give its own: the
// benchmark names everything it makes after itself, leaves the school's
// databases as they are and takes away all of its own; and it closes the
// same school on SQLite beside it.
TEST(LineaDeOrdenes, ElBancoDePruebasEnUnServidorNoTocaLasBasesDeUnCentro) {
    ASSERT_TRUE(pruebas::hayServidor()) << "No hay servidor PostgreSQL de pruebas: ejecute scripts/pruebas.sh";
    const DatosConexion prueba = pruebas::plantillaServidor();
    const QStringList delCentro{QStringLiteral("A1C4"), QStringLiteral("B1C4")};
    for (const QString& b : delCentro) servidor::crear(prueba, b);
    const auto sinCentro = qScopeGuard([&] { for (const QString& b : delCentro) servidor::borrar(prueba, b); });
    QTemporaryDir temporal;
    QProcessEnvironment entorno = QProcessEnvironment::systemEnvironment();
    entorno.insert(QStringLiteral("TMPDIR"), temporal.path());
    entorno.insert(QStringLiteral("PGPASSWORD"), prueba.clave);
    const Salida s = ncc({QStringLiteral("bench"), QStringLiteral("--alumnos"), QStringLiteral("60"), QStringLiteral("--servidor"),
                          QStringLiteral("host=%1 port=%2 user=%3").arg(prueba.host).arg(prueba.puerto).arg(prueba.usuario)},
                         entorno);
    EXPECT_EQ(s.salida, 0) << s.error.toStdString();
    // The same size closed on SQLite in the same round, and the two compared.
    static const QRegularExpression par(QStringLiteral("^\\s+60\\s+\\d+(\\s+[0-9.-]+){15}\\s+servidor\\n"
                                                       "\\s+60\\s+\\d+(\\s+[0-9.]+){15}\\s+SQLite\\n"
                                                       "\\s+60  servidor / SQLite: [0-9]+\\.[0-9]{2}$"),
                                        QRegularExpression::MultilineOption);
    EXPECT_TRUE(par.match(s.texto).hasMatch()) << s.texto.toStdString();
    // (Other tests' databases come and go on this server beside this one.)
    for (const QString& b : delCentro) EXPECT_TRUE(servidor::existe(prueba, b)) << b.toStdString();
    EXPECT_EQ(servidor::conPrefijo(prueba, QStringLiteral("bench60_")), QStringList{});
    for (const char* copia : {"A1C3B", "B1C3B", "AppEntradaB", "BorradoAppEntradaB"})
        EXPECT_FALSE(servidor::existe(prueba, QLatin1String(copia))) << copia;
    EXPECT_TRUE(QDir(temporal.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot));
}

}  // namespace
