// A closing cut short by a power cut or a killed process must never leave
// the school without a usable year: the real `ncc cerrar` of the sample
// school is killed (SIGKILL) at many moments of its run, `ncc recuperar`
// settles what it left, and the school's folder then holds either its
// original year, row for row, or the complete closed one, row for row the
// same as an uninterrupted closing made, and a further closing succeeds.
// And one closing at a time: a closing that finds another one running on
// the same school refuses and touches nothing. On the server the same
// holds between two computers (two data folders of their own).
#include "ContextoBD.h"
#include "EscuelaCarpeta.h"
#include "cierre/Muestra.h"
#include "EscuelaPrueba.h"
#include "engine/DiarioCierre.h"
#include "engine/cIFunciones.h"
#include "entry/cConfiguracion.h"
#include "platform/MensajesGuion.h"
#include "platform/Textos.h"
#include "suite/Demo.h"
#include <QDir>
#include <QRegularExpression>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <limits>
#include <map>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace ncc;
using namespace ncc::pruebas;

namespace {

using Contenido = std::map<QString, QStringList>;

using Salida = SalidaNcc;

// The rows of every database file of a folder, with the folder's own path
// and the sample's taken out (the application entry records where each
// year's files are).
Contenido contenido(const QString& carpeta, const QString& modelo) {
    Contenido c;
    for (const QString& f : QDir(carpeta).entryList({QStringLiteral("*.db")}, QDir::Files, QDir::Name)) {
        Conexion con(QStringLiteral("Provider=SQLite;Data Source=") + QDir(carpeta).filePath(f));
        con.Open();
        QStringList filas = EscuelaPrueba::instantanea(con);
        con.Close();
        for (QString& fila : filas) fila.replace(modelo, QStringLiteral("<carpeta>")).replace(carpeta, QStringLiteral("<carpeta>"));
        c[f] = filas;
    }
    return c;
}

// The files of a folder but the closing's report, which its own process
// writes once the closing stands (the next start, for a closing completed
// by a recovery), and which a killed closing's process may still be writing.
QStringList ficheros(const QString& carpeta) {
    QStringList f = QDir(carpeta).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    f.removeIf([](const QString& n) {
        // It is written under a temporary name first, which a kill may
        // leave behind.
        static const QRegularExpression informe(QStringLiteral("^\\.?Cierre 2025-2026( \\(\\d+\\))?\\.pdf(\\.\\w+)?$"));
        return informe.match(n).hasMatch();
    });
    return f;
}

class CortesCierre : public testing::Test {
protected:
    static QString modelo() { return modeloCarpeta(600); }
    static const Contenido& original() {
        static const Contenido c = contenido(modelo(), modelo());
        return c;
    }

    // A fresh copy of the sample; every database of it in write-ahead-log
    // mode when the test asks.
    std::unique_ptr<QTemporaryDir> copiaEscuela() {
        auto copia = pruebas::copiarEscuelaCarpeta(modelo());
        if (wal_)
            for (const QString& f : QDir(copia->path()).entryList({QStringLiteral("*.db")}, QDir::Files))
                ponerEnWal(QStringLiteral("Provider=SQLite;Data Source=") + copia->filePath(f));
        return copia;
    }
    bool wal_ = false;

    static QStringList argumentos(const QString& orden, const QString& carpeta) {
        QStringList a{orden, QStringLiteral("--datos"), carpeta};
        if (orden == QLatin1String("cerrar")) a << QStringLiteral("--si");
        return a;
    }

    static Salida ncc(const QStringList& args) { return ejecutarNcc(args); }

    // Starts a closing of the school in `carpeta` and kills it after
    // `milisegundos`; answers whether it had already ended by itself.
    static bool cerrarYMatar(const QString& carpeta, int milisegundos) {
        QProcess p;
        p.setStandardErrorFile(QProcess::nullDevice());
        p.setStandardOutputFile(QProcess::nullDevice());
        p.start(qEnvironmentVariable("NCC_BIN"), argumentos(QStringLiteral("cerrar"), carpeta));
        EXPECT_TRUE(p.waitForStarted());
        if (p.waitForFinished(milisegundos)) return true;
        p.kill();
        p.waitForFinished();
        return false;
    }

    // Starts a closing of the school in `carpeta` and kills it as soon as it
    // reports its `n`-th line of progress; answers whether it had already
    // ended by itself.
    static bool cerrarYMatarTrasLinea(const QString& carpeta, int n) {
        return !matarNccTrasLinea(argumentos(QStringLiteral("cerrar"), carpeta), n);
    }

    // Settles what a killed closing left and checks that the folder holds
    // the original year or the complete closed one, and that the school
    // closes again; answers whether the closing had been completed.
    bool recuperarYComprobar(const QString& carpeta, const Contenido& cerrado, const QStringList& ficherosCerrado) {
        esperarSalida(ncc(argumentos(QStringLiteral("recuperar"), carpeta)), 0);
        const Contenido ahora = contenido(carpeta, modelo());
        const bool completo = ahora.size() != original().size();
        if (!completo) {
            EXPECT_TRUE(ahora == original()) << "el curso original no está como estaba";
            EXPECT_EQ(ficheros(carpeta), ficheros(modelo()));
        } else {
            EXPECT_TRUE(ahora == cerrado) << "el curso cerrado no está completo";
            EXPECT_EQ(ficheros(carpeta), ficherosCerrado);
        }
        // The school is usable: it closes again (the original year, or the
        // one just opened).
        esperarSalida(ncc(argumentos(QStringLiteral("cerrar"), carpeta)), 0);
        return completo;
    }

    // A complete closing of a fresh copy: what the closed year holds.
    struct Cerrada {
        std::unique_ptr<QTemporaryDir> carpeta;
        Contenido contenido;
        QStringList ficheros;
    };
    Cerrada cerrarEntera() {
        Cerrada c;
        c.carpeta = copiaEscuela();
        esperarSalida(ncc(argumentos(QStringLiteral("cerrar"), c.carpeta->path())), 0);
        c.contenido = contenido(c.carpeta->path(), modelo());
        c.ficheros = ficheros(c.carpeta->path());
        EXPECT_EQ(c.contenido.size(), original().size() + 2);
        // Every database of the closed school, the new year's included,
        // is whole and keeps the journal the school's files had.
        for (const QString& f : QDir(c.carpeta->path()).entryList({QStringLiteral("*.db")}, QDir::Files)) {
            Conexion con(QStringLiteral("Provider=SQLite;Data Source=") + c.carpeta->filePath(f));
            con.Open();
            EXPECT_EQ(leerFilas(con, QStringLiteral("PRAGMA journal_mode")),
                      QStringList{wal_ ? QStringLiteral("wal") : QStringLiteral("delete")}) << f.toStdString();
            EXPECT_EQ(leerFilas(con, QStringLiteral("PRAGMA integrity_check")), QStringList{QStringLiteral("ok")})
                << f.toStdString();
        }
        return c;
    }

    // A closing killed after its first line of progress, then after every
    // `paso`-th line, each settled and checked, until one ends by itself.
    void cortarTrasCadaLinea(int paso) {
        const Cerrada cerrada = cerrarEntera();
        ASSERT_FALSE(HasFailure());
        int n = 1;
        for (;; n += paso) {
            SCOPED_TRACE(QStringLiteral("%1corte tras la línea de progreso %2").arg(wal_ ? "WAL, " : "").arg(n).toStdString());
            auto escuela = copiaEscuela();
            const bool terminado = cerrarYMatarTrasLinea(escuela->path(), n);
            recuperarYComprobar(escuela->path(), cerrada.contenido, cerrada.ficheros);
            if (terminado || HasFailure()) break;
        }
        // Every step reports at least once.
        EXPECT_GT(n, 15);
    }

    void SetUp() override { ASSERT_FALSE(qEnvironmentVariable("NCC_BIN").isEmpty()) << "NCC_BIN no está definido"; }
};

TEST_F(CortesCierre, UnCierreMatadoEnCualquierMomentoSeDeshaceOSeCompleta) {
    // How long a closing takes from the program's start (the quickest of
    // three, so that the kills fall inside the run).
    const Cerrada cerrada = cerrarEntera();
    ASSERT_FALSE(HasFailure());
    qint64 duracion = std::numeric_limits<qint64>::max();
    for (int i = 0; i < 3; ++i) {
        auto otra = copiaEscuela();
        QElapsedTimer reloj;
        reloj.start();
        ASSERT_EQ(ncc(argumentos(QStringLiteral("cerrar"), otra->path())).salida, 0);
        duracion = std::min(duracion, reloj.elapsed());
    }

    // Moments spread over the whole run, each at a random point of its own
    // slice.
    // A run that ends before its moment came (the machine is busier or less
    // busy than when the run was timed) does not count as a kill, and the
    // moments that follow shrink to the time it took.
    constexpr int cortes = 24;
    QRandomGenerator azar(20261207);
    int deshechos = 0, completos = 0, matados = 0, terminados = 0;
    for (int i = 0; matados < cortes && i < 3 * cortes; ++i) {
        const int momento = int(((i % cortes) + azar.generateDouble()) * duracion / cortes);
        SCOPED_TRACE(QStringLiteral("corte %1 a los %2 ms de %3 ms").arg(i).arg(momento).arg(duracion).toStdString());
        auto escuela = copiaEscuela();
        QElapsedTimer reloj;
        reloj.start();
        if (cerrarYMatar(escuela->path(), momento)) {
            ++terminados;
            duracion = std::max<qint64>(1, std::min(duracion, reloj.elapsed()));
        } else {
            ++matados;
        }
        if (recuperarYComprobar(escuela->path(), cerrada.contenido, cerrada.ficheros)) ++completos;
        else ++deshechos;
        if (HasFailure()) break;
    }
    std::printf("  %d cortes: %d deshechos, %d completados (%d habían terminado solos); cierre de %lld ms\n",
                matados + terminados, deshechos, completos, terminados, static_cast<long long>(duracion));
    EXPECT_EQ(matados, cortes);
}

TEST_F(CortesCierre, UnCierreMatadoAlAvanzarCadaPasoSeDeshaceOSeCompleta) { cortarTrasCadaLinea(1); }

// The same on files in write-ahead-log mode (a cut at every other line of
// progress): a restore that left the log of the original beside its backup
// would give back the run's changes, and a log is never left behind.
TEST_F(CortesCierre, EnModoWalUnCierreMatadoSeDeshaceOSeCompleta) {
    wal_ = true;
    cortarTrasCadaLinea(2);
}

// The moment between the registration of the new year and the removal of
// the backups is too short for a kill to land on: the folder such a kill
// leaves (the closed year, its backups and the journal saying it was
// registered) is made by hand, as the run leaves it.
TEST_F(CortesCierre, UnCierreMatadoYaRegistradoSeCompleta) {
    const Cerrada cerrada = cerrarEntera();
    ASSERT_FALSE(HasFailure());
    const QDir d(cerrada.carpeta->path());
    QJsonArray copias, originales;
    for (const QString& base : {QStringLiteral("A1C3"), QStringLiteral("B1C3"), QStringLiteral("AppEntrada"),
                                QStringLiteral("BorradoAppEntrada")}) {
        const QString copia = d.filePath(base + QStringLiteral("B.db"));
        ASSERT_TRUE(QFile::copy(QDir(modelo()).filePath(base + QStringLiteral(".db")), copia));
        copias.append(copia);
        originales.append(d.filePath(base + QStringLiteral(".db")));
    }
    ASSERT_TRUE(escribirFichero(d.filePath(QStringLiteral("CompactB.db")), "a medio compactar"));
    const QJsonObject diario{{QStringLiteral("fase"), QStringLiteral("registrado")},
                             {QStringLiteral("servidor"), false},
                             {QStringLiteral("copias"), copias},
                             {QStringLiteral("originales"), originales},
                             {QStringLiteral("nuevas"), QJsonArray{d.filePath(QStringLiteral("A1C4.db")), d.filePath(QStringLiteral("B1C4.db"))}},
                             {QStringLiteral("temporales"), QJsonArray{d.filePath(QStringLiteral("Compact.db")), d.filePath(QStringLiteral("CompactB.db"))}}};
    ASSERT_TRUE(escribirFichero(d.filePath(QStringLiteral("CierreCurso.pendiente")), QJsonDocument(diario).toJson()));

    // Any start of the host settles it before reading the school: here the
    // making of a plan, which then reads the year just opened.
    const QString plan = d.filePath(QStringLiteral("../") + QFileInfo(d.path()).fileName() + QStringLiteral("-plan.json"));
    esperarSalida(ncc({QStringLiteral("plan"), QStringLiteral("--datos"), d.path(), QStringLiteral("--salida"), plan}), 0,
                  QStringLiteral("Se ha completado"));
    EXPECT_TRUE(contenido(d.path(), modelo()) == cerrada.contenido);
    EXPECT_EQ(ficheros(d.path()), cerrada.ficheros);
    QFile leido(plan);
    ASSERT_TRUE(leido.open(QIODevice::ReadOnly));
    EXPECT_TRUE(leido.readAll().contains("\"cursoEscolar\": \"2026/2027\"")) << "el plan no es del curso nuevo";
    leido.close();
    QFile::remove(plan);
}

// A school folder moved as a whole after a cut recovers there: the journal
// names its files relative to its folder. A journal of absolute paths into
// a folder that is no longer there (as older versions wrote) is refused,
// naming that folder, and nothing is touched.
TEST_F(CortesCierre, UnaEscuelaMovidaTrasElCorteSeRecuperaOSeRechaza) {
    auto escuela = copiaEscuela();
    const QString antigua = escuela->path();
    ASSERT_FALSE(cerrarYMatarTrasLinea(antigua, 8)) << "el cierre terminó antes del corte";
    QTemporaryDir destino;
    const QString movida = destino.filePath(QStringLiteral("movida")), vieja = destino.filePath(QStringLiteral("vieja"));
    ASSERT_TRUE(QDir().rename(antigua, movida));
    QDir().mkpath(vieja);
    for (const QString& f : QDir(movida).entryList(QDir::Files | QDir::Hidden))
        ASSERT_TRUE(QFile::copy(QDir(movida).filePath(f), QDir(vieja).filePath(f)));
    {
        QFile f(QDir(vieja).filePath(QStringLiteral("CierreCurso.pendiente")));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        QJsonObject diario = QJsonDocument::fromJson(f.readAll()).object();
        f.close();
        for (const QString& lista : {QStringLiteral("copias"), QStringLiteral("originales"), QStringLiteral("nuevas"), QStringLiteral("temporales")}) {
            QJsonArray absolutos;
            for (const auto& n : diario.value(lista).toArray()) absolutos.append(QDir(antigua).absoluteFilePath(n.toString()));
            diario.insert(lista, absolutos);
        }
        ASSERT_TRUE(escribirFichero(f.fileName(), QJsonDocument(diario).toJson()));
    }
    const Contenido antesVieja = contenido(vieja, modelo());
    const Salida rechazo = esperarSalida(ncc(argumentos(QStringLiteral("recuperar"), vieja)), 1, antigua);
    EXPECT_TRUE(contenido(vieja, modelo()) == antesVieja) << "el rechazo ha tocado la escuela";

    esperarSalida(ncc(argumentos(QStringLiteral("recuperar"), movida)), 0);
    EXPECT_TRUE(contenido(movida, modelo()) == original()) << "el curso original no está como estaba";
    EXPECT_EQ(ficheros(movida), ficheros(modelo()));
}

// A journal acts only on what a closing of this school makes, where it
// makes it: one that names anything else is refused whole, deleting
// nothing (here: files outside the school's folder with the closing's
// names, a file of the folder that is not one of the closing's, and a
// backup named by a journal whose phase no closing writes).
TEST_F(CortesCierre, UnDiarioQueNombraOtrosFicherosSeRechazaSinBorrarNada) {
    auto escuela = copiaEscuela();
    QTemporaryDir fuera;
    const QDir d(escuela->path());
    struct Caso {
        const char* fase;
        const char* lista;
        QString nombre;
        QString dicho = nombre;  // what the refusal says
    };
    const Caso casos[] = {
        {"trabajando", "nuevas", fuera.filePath(QStringLiteral("A1C4.db"))},
        {"registrado", "temporales", fuera.filePath(QStringLiteral("Compact.db"))},
        {"registrado", "copias", fuera.filePath(QStringLiteral("AppEntradaB.db"))},
        {"copiando", "nuevas", d.filePath(QStringLiteral("Notas.db"))},
        {"trabajand", "copias", d.filePath(QStringLiteral("AppEntradaB.db")), QStringLiteral("está dañado")},
    };
    const Contenido antes = contenido(d.path(), modelo());
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre.toStdString());
        ASSERT_TRUE(escribirFichero(c.nombre, "no es del cierre"));
        QJsonObject diario{{QStringLiteral("fase"), QLatin1String(c.fase)}, {QStringLiteral("servidor"), false}};
        for (const char* lista : {"copias", "originales", "nuevas", "temporales"}) diario.insert(QLatin1String(lista), QJsonArray());
        diario.insert(QLatin1String(c.lista), QJsonArray{c.nombre});
        if (QLatin1String(c.lista) == QLatin1String("copias"))
            diario.insert(QStringLiteral("originales"), QJsonArray{d.filePath(QStringLiteral("AppEntrada.db"))});
        const QString pendiente = d.filePath(QStringLiteral("CierreCurso.pendiente"));
        ASSERT_TRUE(escribirFichero(pendiente, QJsonDocument(diario).toJson()));
        esperarSalida(ncc(argumentos(QStringLiteral("recuperar"), d.path())), 1, c.dicho);
        EXPECT_TRUE(QFileInfo::exists(c.nombre));
        QFile::remove(c.nombre);
        QFile::remove(pendiente);
        EXPECT_TRUE(contenido(d.path(), modelo()) == antes);
    }
}

// With nothing pending, recuperar touches nothing; a second closing while
// another holds the lock is refused and touches nothing either.
TEST_F(CortesCierre, SinCierrePendienteRecuperarNoTocaNadaYUnSegundoCierreALaVezSeRechaza) {
    auto escuela = copiaEscuela();
    const Salida rec = esperarSalida(ncc(argumentos(QStringLiteral("recuperar"), escuela->path())), 0);
    EXPECT_TRUE(rec.error.isEmpty()) << rec.error.toStdString();
    EXPECT_TRUE(contenido(escuela->path(), modelo()) == original());
    EXPECT_EQ(ficheros(escuela->path()), ficheros(modelo()));
    const QString app = QStringLiteral("Provider=SQLite;Data Source=") + escuela->filePath(QStringLiteral("AppEntrada.db"));
    {
        // Another closing of the same school holds its lock.
        auto enMarcha = motor::bloquearCierre(CadenaConexion(app).datos());
        const QStringList antes = ficheros(escuela->path());
        const QString yaHay = QStringLiteral("Ya hay un cierre de curso en marcha");
        esperarSalida(ncc(argumentos(QStringLiteral("cerrar"), escuela->path())), 2, yaHay);  // refused, not failed
        EXPECT_EQ(ficheros(escuela->path()), antes);
        esperarSalida(ncc(argumentos(QStringLiteral("recuperar"), escuela->path())), 1, yaHay);
    }
    // Another closing that starts while this one reads its plan (from a
    // pipe: the plan's writer opens it once `ncc cerrar` has opened its
    // session and waits to read) meets this one's own lock.
    {
        QTemporaryDir d;
        const QString plan = d.filePath(QStringLiteral("plan.json")), tubo = d.filePath(QStringLiteral("plan"));
        esperarSalida(ncc({QStringLiteral("plan"), QStringLiteral("--datos"), escuela->path(), QStringLiteral("--salida"), plan}), 0);
        QFile leido(plan);
        ASSERT_TRUE(leido.open(QIODevice::ReadOnly));
        const QByteArray texto = leido.readAll();
        ASSERT_EQ(::mkfifo(QFile::encodeName(tubo).constData(), 0600), 0);
        const QStringList antes = ficheros(escuela->path());
        QProcess p;
        p.start(qEnvironmentVariable("NCC_BIN"), argumentos(QStringLiteral("cerrar"), escuela->path()) << QStringLiteral("--plan") << tubo);
        ASSERT_TRUE(p.waitForStarted());
        int escritor = -1;
        QElapsedTimer reloj;
        reloj.start();
        while (escritor < 0 && reloj.elapsed() < 60000) {
            escritor = ::open(QFile::encodeName(tubo).constData(), O_WRONLY | O_NONBLOCK);
            if (escritor < 0 && p.waitForFinished(10)) break;
        }
        ASSERT_GE(escritor, 0) << "ncc cerrar no llegó a leer el plan: " << p.readAllStandardError().toStdString();
        auto enMarcha = motor::bloquearCierre(CadenaConexion(app).datos());
        ::fcntl(escritor, F_SETFL, ::fcntl(escritor, F_GETFL) & ~O_NONBLOCK);
        for (qsizetype hecho = 0; hecho < texto.size();) {
            const ssize_t n = ::write(escritor, texto.constData() + hecho, static_cast<size_t>(texto.size() - hecho));
            ASSERT_GT(n, 0);
            hecho += n;
        }
        ::close(escritor);
        ASSERT_TRUE(p.waitForFinished(120000));
        const QString dicho = QString::fromUtf8(p.readAllStandardError());
        EXPECT_EQ(p.exitCode(), 2) << dicho.toStdString();  // refused, not failed
        EXPECT_TRUE(dicho.contains(QStringLiteral("Ya hay un cierre de curso en marcha"))) << dicho.toStdString();
        QStringList conBloqueo = antes + QStringList{QStringLiteral("CierreCurso.bloqueo")};
        conBloqueo.sort();
        EXPECT_EQ(ficheros(escuela->path()), conBloqueo);  // the other closing's lock alone
    }
    EXPECT_TRUE(contenido(escuela->path(), modelo()) == original());
    // Once the other one is over, the closing runs.
    esperarSalida(ncc(argumentos(QStringLiteral("cerrar"), escuela->path())), 0);
}

// The year's databases in a folder of their own, which another application
// entry pointing at the same files also uses: a closing that holds the lock
// of that folder keeps this one out, though the two application entries
// differ. Refused, not failed, and nothing touched in either folder.
TEST_F(CortesCierre, UnBloqueoEnLaCarpetaDeLasBasesDelCentroRechazaElCierre) {
    auto escuela = copiaEscuela();
    QTemporaryDir bases;
    ASSERT_TRUE(bases.isValid());
    {
        Conexion app(QStringLiteral("Provider=SQLite;Data Source=") + escuela->filePath(QStringLiteral("AppEntrada.db")));
        app.Open();
        ASSERT_EQ(app.Abrir(QStringLiteral("SELECT IDCursoEscolar FROM CursoEscolar WHERE UltimoUtilizado<>0")).campo(0).toInt(), 3);
        for (const QString& f : {QStringLiteral("A1C3.db"), QStringLiteral("B1C3.db")})
            ASSERT_TRUE(QFile::rename(escuela->filePath(f), bases.filePath(f)));
        app.Execute(QStringLiteral("UPDATE CursoEscolar SET BD=?, BDBorrado=? WHERE IDCursoEscolar=3"),
                    {QStringLiteral("Provider=SQLite;Data Source=") + bases.filePath(QStringLiteral("A1C3.db")),
                     QStringLiteral("Provider=SQLite;Data Source=") + bases.filePath(QStringLiteral("B1C3.db"))});
        app.Close();
    }
    {
        DatosConexion otraEntrada;
        otraEntrada.archivo = bases.filePath(QStringLiteral("AppEntrada.db"));
        auto enMarcha = motor::bloquearCierre(otraEntrada);
        const Contenido antesEscuela = contenido(escuela->path(), modelo());
        const Contenido antesBases = contenido(bases.path(), modelo());
        const QStringList ficherosEscuela = ficheros(escuela->path()), ficherosBases = ficheros(bases.path());
        esperarSalida(ncc(argumentos(QStringLiteral("cerrar"), escuela->path())), 2, QStringLiteral("Ya hay un cierre de curso en marcha"));
        EXPECT_EQ(QList({ficheros(escuela->path()), ficheros(bases.path())}), QList({ficherosEscuela, ficherosBases}));
        EXPECT_TRUE(contenido(escuela->path(), modelo()) == antesEscuela) << "la entrada de la aplicación ha cambiado";
        EXPECT_TRUE(contenido(bases.path(), modelo()) == antesBases) << "las bases del centro han cambiado";
    }
    // Once the other one is over, the closing runs.
    esperarSalida(ncc(argumentos(QStringLiteral("cerrar"), escuela->path())), 0);
}

// A kill or a power cut while a closing takes its lock leaves the lock file
// without its owner's name: nobody holds it, and the next closing runs.
TEST_F(CortesCierre, UnBloqueoSinDuenoNoImpideElCierre) {
    auto escuela = copiaEscuela();
    for (const QByteArray& resto : {QByteArray(), QByteArray("12")}) {
        ASSERT_TRUE(escribirFichero(escuela->filePath(QStringLiteral("CierreCurso.bloqueo")), resto));
        esperarSalida(ncc(argumentos(QStringLiteral("recuperar"), escuela->path())), 0);
    }
    esperarSalida(ncc(argumentos(QStringLiteral("cerrar"), escuela->path())), 0);
}

// The wizard's run goes through the engine, which takes the same lock.
TEST(CierreALaVez, ElMotorRechazaUnCierreMientrasOtroSigueEnMarcha) {
    ContextoBD ctx(Proveedor::SQLite);
    EscuelaPrueba escuela(ctx, 3, 7);
    const auto antes = escuela.instantaneas();
    auto enMarcha = motor::bloquearCierre(escuela.appEntrada().datos());
    MensajesGuion guion;
    ServicioMensajesInstalado instalado(guion);
    cIFunciones motor;
    motor.setNuevoCursoEscolar(QStringLiteral("2026/2027"));
    motor.setProcesarSecciones(true);
    motor.setProcesarActividades(true);
    EXPECT_FALSE(motor.TransferirDatos());
    ASSERT_FALSE(guion.textos().isEmpty());
    EXPECT_TRUE(guion.textos().last().contains(QStringLiteral("Ya hay un cierre de curso en marcha"))) << guion.textos().last().toStdString();
    EXPECT_EQ(escuela.instantaneas(), antes);
    enMarcha.reset();
    EXPECT_TRUE(escuela.sobrantes().isEmpty()) << escuela.sobrantes().join(QLatin1Char(' ')).toStdString();
}

// On the server the journal and the lock are the server's: the sample
// school on a server, as two computers (each with a data folder of its own)
// reach it; computer B types the server's address with a trailing slash.
// `ncc --servidor` names the suite's databases alone, which only the tests
// that run closings on the server (run one at a time) use.
class CortesServidor : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(hayServidor());
        ASSERT_FALSE(qEnvironmentVariable("NCC_BIN").isEmpty());
        plantilla = plantillaServidor();
        CadenaConexion otra(plantilla);
        const QString origen = otra.valor(QStringLiteral("Data Source"));
        const qsizetype puerto = origen.lastIndexOf(QLatin1Char(':'));
        otra.fijar(QStringLiteral("Data Source"), origen.left(puerto) + QStringLiteral("/") + origen.mid(puerto));
        enA = {QStringLiteral("--servidor"), plantilla.cadena()};
        enB = {QStringLiteral("--servidor"), otra.texto()};
        crearEscuela();
    }
    void TearDown() override {
        if (!plantilla.host.isEmpty()) limpiar();
    }

    DatosConexion datos(const QString& base) const { return plantilla.conBase(base); }
    QString cadena(const QString& base) const { return datos(base).cadena(); }
    void limpiar() const {
        borrarLoDelCierreEnServidor();
        for (const QString& b : Muestra::bases()) servidor::borrar(plantilla, b);
        motor::descartarDiario(datos(QStringLiteral("AppEntrada")));
    }
    void crearEscuela() {
        limpiar();
        suite::OpcionesDemo o;
        o.alumnos = 150;
        o.reemplazar = true;
        suite::crearDemoServidor(plantilla, o);
        original = filas();
    }
    std::map<QString, QStringList> filas() const {
        std::map<QString, QStringList> r;
        for (const QString& b : Muestra::bases()) {
            Conexion con(cadena(b));
            con.Open();
            r[b] = EscuelaPrueba::instantanea(con);
        }
        return r;
    }
    static QProcessEnvironment entorno(const QTemporaryDir& datos) {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert(QStringLiteral("XDG_DATA_HOME"), datos.path());
        return e;
    }
    static QStringList cerrar(const QStringList& en) { return QStringList{QStringLiteral("cerrar"), QStringLiteral("--si")} + en; }

    DatosConexion plantilla;
    QStringList enA, enB;
    QTemporaryDir equipoA, equipoB;
    std::map<QString, QStringList> original;
};

// A closing killed on one computer is settled from the other, and a closing
// that holds the lock on one keeps the other's out.
TEST_F(CortesServidor, UnCierreMatadoEnUnEquipoLoResuelveOtro) {
    for (int linea : {3, 9}) {
        SCOPED_TRACE(linea);
        ASSERT_TRUE(matarNccTrasLinea(cerrar(enA), linea, entorno(equipoA))) << "el cierre terminó antes del corte";
        esperarSalida(ejecutarNcc(QStringList{QStringLiteral("recuperar")} + enB, 120000, entorno(equipoB)), 0,
                      QStringLiteral("Se han restaurado"));
        EXPECT_TRUE(filas() == original) << "la escuela no está como estaba";
        EXPECT_EQ(quedanEnServidor(), QStringList());
        if (HasFailure()) return;
    }

    {
        // A closing running on computer A holds the server's lock.
        const auto enMarcha = motor::bloquearCierre(datos(QStringLiteral("AppEntrada")));
        esperarSalida(ejecutarNcc(cerrar(enB), 120000, entorno(equipoB)), 2, QStringLiteral("Ya hay un cierre de curso en marcha"));
        EXPECT_TRUE(filas() == original);
    }
    esperarSalida(ejecutarNcc(cerrar(enB), 120000, entorno(equipoB)), 0);
    EXPECT_FALSE(motor::hayCierrePendiente(datos(QStringLiteral("AppEntrada"))));
}

// A server of the test's own, stopped as a power cut at the server would
// stop it (immediate stop, crash recovery at the next start) while a
// closing runs on it: the closing says it succeeded only when it did, and
// computer B then finds the school as it was or closed whole, nothing of
// the closing's left behind.
class CortesServidorParado : public CortesServidor {
protected:
    CortesServidorParado() {
        // The server runs as another user, who must reach its folder
        // inside the test program's own.
        for (QString d = dir_.path(); d != QLatin1String("/"); d = QFileInfo(d).path())
            if (QFileInfo(d).ownerId() == geteuid())
                QFile::setPermissions(d, QFile::permissions(d) | QFileDevice::ExeGroup | QFileDevice::ExeOther);
        QFile::setPermissions(dir_.path(), QFile::permissions(dir_.path()) | QFileDevice::ReadGroup | QFileDevice::ReadOther);
        QProcess p;
        // Durable, as a school's server is: a commit it has answered survives the stop.
        p.start(QStringLiteral("bash"), {guion(), QStringLiteral("start"), dir_.path(), QStringLiteral("--durable")});
        p.waitForFinished(120000);
        const QString salida = QString::fromUtf8(p.readAllStandardOutput());
        for (const char* v : {"NCC_PG_HOST", "NCC_PG_PORT", "NCC_PG_USER", "NCC_PG_PASSWORD"}) {
            anteriores_[v] = qgetenv(v);
            qputenv(v, QRegularExpression(QStringLiteral("%1='?([^' ]+)").arg(QLatin1String(v))).match(salida).captured(1).toUtf8());
        }
    }
    ~CortesServidorParado() override {
        QProcess::execute(QStringLiteral("bash"), {guion(), QStringLiteral("stop"), dir_.path()});
        for (const auto& [v, valor] : anteriores_) qputenv(v, valor);
    }
    void pararYArrancar() const {
        const QString orden = QStringLiteral("/usr/lib/postgresql/15/bin/pg_ctl -D '%1/datos' -l '%1/servidor.log' "
                                             "-m immediate -w restart >/dev/null")
                                  .arg(dir_.path());
        if (geteuid() == 0)
            QProcess::execute(QStringLiteral("su"), {QStringLiteral("-s"), QStringLiteral("/bin/sh"), QStringLiteral("postgres"),
                                                     QStringLiteral("-c"), orden});
        else
            QProcess::execute(QStringLiteral("sh"), {QStringLiteral("-c"), orden});
    }
    // Until the closing drops one of its backups (or ends).
    void esperarBorradoDeCopia(QProcess& p, Conexion& con) const {
        QElapsedTimer t;
        t.start();
        while (p.state() != QProcess::NotRunning && t.elapsed() < 60000) {
            Recordset rs = con.Abrir(QStringLiteral(
                "SELECT COUNT(*) AS n FROM pg_stat_activity WHERE state='active' AND query LIKE 'DROP DATABASE%B\" WITH%'"));
            if (rs.entero(QStringLiteral("n")) > 0) {
                // Stopped there and then (immediate shutdown), not after
                // the time pg_ctl takes to start.
                QFile pid(dir_.path() + QStringLiteral("/datos/postmaster.pid"));
                if (pid.open(QIODevice::ReadOnly)) ::kill(pid_t(pid.readLine().trimmed().toLong()), SIGQUIT);
                return;
            }
            p.waitForFinished(5);
        }
    }
    static QString guion() { return QStringLiteral(NCC_FUENTES "/scripts/pg-servidor.sh"); }

    QTemporaryDir dir_{QDir::tempPath() + QStringLiteral("/ncc-parada-XXXXXX")};
    std::map<const char*, QByteArray> anteriores_;
};

TEST_F(CortesServidorParado, UnServidorParadoDuranteElCierreLoDejaComoEstabaOCerrado) {
    const QStringList nuevas{QStringLiteral("A1C4"), QStringLiteral("B1C4")};
    // The copies, the students, the history, and the removal of a backup
    // after the registration (seen on the server as it runs).
    for (int linea : {3, 15, 22, 23}) {
        SCOPED_TRACE(linea);
        if (linea != 3) crearEscuela();
        Conexion mirar(cadena(QStringLiteral("postgres")));
        mirar.Open();
        SalidaNcc a;
        ASSERT_TRUE(enLineaDeNcc(cerrar(enA), linea, [&](QProcess& p) {
            if (linea == 23) esperarBorradoDeCopia(p, mirar);
            pararYArrancar();
            p.waitForFinished(120000);
            a.salida = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
            a.texto = QString::fromUtf8(p.readAllStandardOutput());
            a.error = QString::fromUtf8(p.readAllStandardError());
        }, entorno(equipoA))) << "el cierre terminó antes del corte";
        const bool exito = (a.texto + a.error).contains(Texto(2182));  // the success text
        EXPECT_EQ(exito, a.salida == 0) << a.error.toStdString();
        // Success means nothing is left for a recovery to finish.
        if (exito) {
            EXPECT_FALSE(motor::hayCierrePendiente(datos(QStringLiteral("AppEntrada"))));
        }
        const SalidaNcc r = esperarSalida(ejecutarNcc(QStringList{QStringLiteral("recuperar")} + enB, 120000, entorno(equipoB)), 0);
        EXPECT_FALSE(motor::hayCierrePendiente(datos(QStringLiteral("AppEntrada"))));
        const QStringList quedan = quedanEnServidor();
        if (quedan.isEmpty()) {
            EXPECT_FALSE(exito);
            EXPECT_TRUE(filas() == original) << "la escuela no está como estaba";
        } else {
            EXPECT_EQ(quedan, nuevas) << "ni como estaba ni cerrada";
            EXPECT_TRUE(exito || r.error.contains(QStringLiteral("Se ha completado"))) << r.error.toStdString();
        }
        if (HasFailure()) return;
    }
}

}  // namespace
