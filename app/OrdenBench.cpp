// ncc bench: the closing at scale. For each size it builds a sample school
// in a temporary place, runs the whole closing with the default plan and
// every question answered Yes, and prints one row of figures; each size runs
// in a process of its own so that its peak memory is its own.
#include "app/Comandos.h"
#include "app/EscuelaBench.h"
#include "app/SueloConjuntos.h"
#include "engine/DiarioCierre.h"
#include "engine/cIFunciones.h"
#include "entry/cConfiguracion.h"
#include "host/InformeCierre.h"
#include "host/InformeDebido.h"
#include "host/Plan.h"
#include "host/ResumenCierre.h"
#include "host/Sesion.h"
#include "platform/BasesDatos.h"
#include "platform/CadenaConexion.h"
#include "platform/MensajesTerminal.h"
#include "platform/Sentencias.h"
#include "suite/Demo.h"
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>
#include <map>
#include <sys/resource.h>
#include <unistd.h>

namespace ncc::app {

namespace {

// The run's progress steps, timestamped: the engine advances its bar at
// fixed points, which mark where each phase ends.
class Cronometro : public Progreso {
public:
    Cronometro() { reloj_.start(); }
    void setMin(float) override {}
    float Max() const override { return max_; }
    void setMax(float v) override { max_ = v; }
    float Value() const override { return valor_; }
    void setValue(float v) override {
        valor_ = v;
        marcas_.append(reloj_.nsecsElapsed() / 1e9);
    }
    // Seconds from the start to the end of step `n` (1-based).
    double hasta(int n) const { return n <= 0 ? 0 : marcas_.value(n, marcas_.isEmpty() ? 0 : marcas_.last()); }
    double tramo(int desde, int hasta_) const { return hasta(hasta_) - hasta(desde); }

private:
    QElapsedTimer reloj_;
    float max_ = 0, valor_ = 0;
    QVector<double> marcas_;  // [0] is the reset to 0
};

long memoriaPicoMB() {
    rusage r{};
    getrusage(RUSAGE_SELF, &r);
    return r.ru_maxrss / 1024;
}

// The copies' floor: copying the school's four databases once and
// compacting them, which any closing must at least do.
double sueloCopias(const suite::ResumenDemo& demo, const ServidorBench& enServidor) {
    ::sync();
    QElapsedTimer t;
    t.start();
    if (enServidor) {
        for (const QString& cadena : {demo.centro, demo.borradoCentro}) {
            const QString db = CadenaConexion(cadena).valor(QStringLiteral("Initial Catalog"));
            servidor::copiar(*enServidor, db, db + QStringLiteral("_suelo"));
            servidor::borrar(*enServidor, db + QStringLiteral("_suelo"));
        }
        return t.nsecsElapsed() / 1e9;
    }
    for (const QString& cadena : {demo.appEntrada, demo.borradoAppEntrada, demo.centro, demo.borradoCentro}) {
        const QString f = CadenaConexion(cadena).valor(QStringLiteral("Data Source"));
        archivos::copiar(f, f + QStringLiteral(".suelo"));
        archivos::compactarSQLite(f + QStringLiteral(".suelo"), f + QStringLiteral(".suelo2"));
        archivos::borrar(f + QStringLiteral(".suelo"));
        archivos::borrar(f + QStringLiteral(".suelo2"));
    }
    return t.nsecsElapsed() / 1e9;
}

// One size, in this process: prints one JSON line with its figures.
int unaMedida(int alumnos, const ServidorBench& servidor) {
    QTemporaryDir dir;
    const bool enServidor = servidor.has_value();
    const QString nombre = QStringLiteral("bench");
    const suite::ResumenDemo demo = escuelaDeBench(alumnos, servidor, dir.path(), nombre);
    const double segCopias = sueloCopias(demo, servidor);
    // The set-based floor starts from the databases as they were.
    const QString fuente = QStringLiteral("Data Source");
    const QStringList escuela{demo.centro, demo.borradoCentro, demo.appEntrada, demo.borradoAppEntrada};
    QStringList antes;
    if (!enServidor)
        for (const QString& cadena : escuela) {
            const QString f = CadenaConexion(cadena).valor(fuente);
            antes << dir.filePath(QStringLiteral("antes-") + QFileInfo(f).fileName());
            archivos::copiar(f, antes.last());
        }
    QString nuevaCentro, nuevaBorradoCentro;

    QJsonObject r;
    {
    SesionBench sesion(demo);
    mensajesTerminal().fijarSiATodo(true);
    host::Plan plan = host::planPorDefecto(sesion->centro(), static_cast<qint16>(sesion->IDCentro()));
    host::encajarEnCentro(plan, sesion->centro(), static_cast<qint16>(sesion->IDCentro()));

    cIFunciones motor;
    Cronometro crono;
    motor.setProgreso(&crono);
    motor.setColSecciones(plan.arboles.secciones);
    motor.setcolActividades(plan.arboles.actividades);
    motor.setNuevoCursoEscolar(QStringLiteral("2026/2027"));
    motor.setProcesarSecciones(true);
    motor.setProcesarActividades(true);
    // The closing's backups and new databases named as the school's, with
    // its prefix: unprefixed they would be those of a school with the same
    // ids on the server.
    if (enServidor) motor.setPrefijoBases(prefijoBench(alumnos, nombre));
    // The note of the report owed, as ncc cerrar writes it before the first
    // change: its time and memory are the closing's.
    motor.setAntesDeCambiar(host::anotarInformeAntesDelCierre);
    const host::ResumenCierre antesDelCierre = host::ResumenCierre::leerAntes(*ConfiguracionActual(), plan.arboles);
    Sentencias::reiniciar();
    // Each timed part starts with the disk's queue empty, so that it does
    // not pay for the writes of what ran before it.
    ::sync();
    QElapsedTimer t;
    t.start();
    const bool correcto = motor.TransferirDatos();
    const double total = t.nsecsElapsed() / 1e9;
    const long sentencias = Sentencias::contadas();
    // Then what the user waits for after it, as ncc cerrar writes it: the
    // closing's report.
    if (correcto) {
        t.restart();
        const host::ResumenCierre resumen = antesDelCierre.completar(motor.estado());
        const QString informe = host::escribirInformeCierre(motor.estado(), false, dir.path(), &resumen);
        r.insert(QStringLiteral("informe"), t.nsecsElapsed() / 1e9);
        r.insert(QStringLiteral("informeMB"), QFileInfo(informe).size() / 1e6);
    }
    host::quitarInformeDebido(host::opcionesDe(*ConfiguracionActual()));
    nuevaCentro = motor.estado().strNuevaCentro;
    nuevaBorradoCentro = motor.estado().strNuevaBorradoCentro;

    // Steps: 1-2 databases; 3 promotion, 4 families, 5-9 students, 10
    // history, 11 leavers, 12-13 activities, 14 final, 15 registration,
    // compaction and backups.
    r.insert(QStringLiteral("alumnos"), alumnos);
    r.insert(QStringLiteral("correcto"), correcto);
    r.insert(QStringLiteral("sentencias"), double(sentencias));
    r.insert(QStringLiteral("bases"), crono.tramo(0, 2));
    r.insert(QStringLiteral("alumnosFase"), crono.tramo(2, 3) + crono.tramo(4, 9));
    r.insert(QStringLiteral("historico"), crono.tramo(9, 10));
    r.insert(QStringLiteral("purga"), crono.tramo(3, 4) + crono.tramo(10, 11));
    r.insert(QStringLiteral("actividades"), crono.tramo(11, 13));
    r.insert(QStringLiteral("final"), crono.tramo(13, 15));
    r.insert(QStringLiteral("total"), total);
    r.insert(QStringLiteral("copias"), segCopias);
    r.insert(QStringLiteral("memoriaMB"), double(memoriaPicoMB()));
    }
    if (!enServidor && r.value(QStringLiteral("correcto")).toBool()) {
        auto ruta = [&](int i) { return CadenaConexion(escuela.at(i)).valor(fuente); };
        const ResultadoSuelo s = sueloConjuntos({{antes.at(0), nuevaCentro, true},
                                                 {antes.at(0), ruta(0), false},
                                                 {antes.at(1), nuevaBorradoCentro, true},
                                                 {antes.at(1), ruta(1), false},
                                                 {antes.at(2), ruta(2), false},
                                                 {antes.at(3), ruta(3), false}},
                                                dir.filePath(QStringLiteral("suelo")));
        r.insert(QStringLiteral("suelo"), s.segundos);
        if (!s.distintas.isEmpty())
            QTextStream(stderr) << "ncc bench: el suelo no ha dejado como el cierre: " << s.distintas.join(QStringLiteral(", "))
                                << "\n";
    }
    // The session and the engine are gone: nothing holds the databases.
    // With the closing's new databases and its journal's, which a finished
    // closing empties and leaves for the next one.
    if (enServidor) {
        QStringList bases = demo.bases + QStringList{nuevaCentro, nuevaBorradoCentro,
                                                     motor::baseDiarioServidor(CadenaConexion(demo.appEntrada).datos())};
        bases.removeAll(QString());
        borrarDelServidor(servidor, bases);
    }
    QTextStream(stdout) << QJsonDocument(r).toJson(QJsonDocument::Compact) << "\n";
    return r.value(QStringLiteral("correcto")).toBool() ? SalidaExito : SalidaFallo;
}

QString usoBench() {
    return QStringLiteral("Uso: ncc bench [--alumnos N[,N...]] [--servidor CADENA] [--rondas K]\n"
                          "  --servidor CADENA  cierra cada tamaño en el servidor y, en la misma ronda, en SQLite,\n"
                          "                     y da la proporción entre los dos\n"
                          "  --rondas K         repite K veces la medida de todos los tamaños y da la mediana de la\n"
                          "                     proporción con el servidor y del coste por alumno de un tamaño frente\n"
                          "                     al anterior\n");
}

// One size measured in a process of its own (its peak memory is its own):
// the figures it prints, or nothing when it did not finish.
QJsonObject medir(int alumnos, const ServidorBench& servidor) {
    QProcess p;
    QStringList args{QStringLiteral("bench"), QStringLiteral("--una"), QString::number(alumnos)};
    if (servidor) args << QStringLiteral("--servidor") << servidor->cadena();
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(QCoreApplication::applicationFilePath(), args);
    p.waitForFinished(-1);
    return QJsonDocument::fromJson(p.readAllStandardOutput().trimmed().split('\n').last()).object();
}

bool correcta(const QJsonObject& r) { return !r.isEmpty() && r.value(QStringLiteral("correcto")).toBool(); }

double mediana(QList<double> v) {
    std::sort(v.begin(), v.end());
    const qsizetype m = v.size() / 2;
    return v.size() % 2 ? v.at(m) : (v.at(m - 1) + v.at(m)) / 2;
}

void imprimirFila(QTextStream& out, int n, const QJsonObject& r, const QString& fondo) {
    const QString alFinal = fondo.isEmpty() ? QString() : QStringLiteral("  ") + fondo;
    if (!correcta(r)) {
        out << QStringLiteral("%1  el cierre ha fallado%2\n").arg(n, 8).arg(alFinal);
        out.flush();
        return;
    }
    auto s = [&](const char* k) { return r.value(QLatin1String(k)).toDouble(); };
    // On the server there is no set-based floor: the closing's copies
    // are the floor there.
    const bool conSuelo = r.contains(QStringLiteral("suelo"));
    const double base = conSuelo ? s("suelo") : s("copias");
    out << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9 %10 %11 %12 %13 %14 %15 %16 %17")
               .arg(n, 8)
               .arg(qint64(s("sentencias")), 10)
               .arg(s("bases"), 6, 'f', 2)
               .arg(s("alumnosFase"), 6, 'f', 2)
               .arg(s("historico"), 6, 'f', 2)
               .arg(s("purga"), 6, 'f', 2)
               .arg(s("actividades"), 6, 'f', 2)
               .arg(s("final"), 6, 'f', 2)
               .arg(s("total"), 7, 'f', 2)
               .arg(qint64(s("sentencias") / std::max(s("total"), 1e-9)), 8)
               .arg(qint64(s("memoriaMB")), 7)
               .arg(s("copias"), 8, 'f', 2)
               .arg(conSuelo ? QString::number(s("suelo"), 'f', 2) : QStringLiteral("-"), 7)
               .arg(s("total") / std::max(base, 1e-9), 11, 'f', 2)
               .arg(1000.0 * s("total") / n, 9, 'f', 3)
               .arg(s("informe"), 9, 'f', 2)
               .arg(s("informe") / std::max(s("total"), 1e-9), 10, 'f', 2)
        << alFinal << "\n";
    out.flush();
}

int bench(const QStringList& argumentos) {
    QTextStream out(stdout), err(stderr);
    QList<int> tamanos;
    ServidorBench servidor;
    int una = 0, rondas = 1;
    for (int i = 0; i < argumentos.size(); ++i) {
        const QString a = argumentos.at(i);
        if ((a == QLatin1String("--alumnos") || a == QLatin1String("--servidor") || a == QLatin1String("--una") ||
             a == QLatin1String("--rondas")) &&
            i + 1 >= argumentos.size()) {
            err << "ncc bench: falta el valor de " << a << "\n";
            return SalidaUso;
        }
        if (a == QLatin1String("--alumnos")) {
            for (const QString& n : argumentos.at(++i).split(QLatin1Char(','))) {
                bool ok = false;
                const int v = n.toInt(&ok);
                if (!ok || v < 20 || v > 100000) {
                    err << "ncc bench: tamaño no válido: " << n << " (de 20 a 100000 alumnos)\n";
                    return SalidaUso;
                }
                tamanos << v;
            }
        } else if (a == QLatin1String("--servidor")) {
            try {
                servidor = DatosConexion::deServidor(argumentos.at(++i));
            } catch (const Error& e) {
                err << "ncc bench: --servidor: " << e.descripcion() << "\n";
                return SalidaUso;
            }
        } else if (a == QLatin1String("--rondas")) {
            bool ok = false;
            rondas = argumentos.at(++i).toInt(&ok);
            if (!ok || rondas < 1 || rondas > 50) {
                err << "ncc bench: número de rondas no válido: " << argumentos.at(i) << " (de 1 a 50)\n";
                return SalidaUso;
            }
        } else if (a == QLatin1String("--una")) {
            una = argumentos.at(++i).toInt();
        } else {
            err << usoBench();
            return SalidaUso;
        }
    }
    if (una > 0) {
        try {
            return unaMedida(una, servidor);
        } catch (const Error& e) {
            err << "ncc bench: Error " << e.numero() << ": " << e.descripcion() << "\n";
            return SalidaFallo;
        }
    }
    if (tamanos.isEmpty()) tamanos = {500, 2000, 20000};

    out << "Máquina: " << QSysInfo::prettyProductName() << ", " << QThread::idealThreadCount() << " núcleos; fondo: "
        << (!servidor ? QStringLiteral("SQLite (archivos en %1)").arg(QDir::tempPath())
                      : QStringLiteral("PostgreSQL (%1), y SQLite (archivos en %2) en la misma ronda")
                            .arg(servidor->origen(), QDir::tempPath()))
        << "\n\n";
    out << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9 %10 %11 %12 %13 %14 %15 %16 %17")
               .arg(QStringLiteral("alumnos"), 8)
               .arg(QStringLiteral("sentencias"), 10)
               .arg(QStringLiteral("bases"), 6)
               .arg(QStringLiteral("alumn."), 6)
               .arg(QStringLiteral("hist."), 6)
               .arg(QStringLiteral("purga"), 6)
               .arg(QStringLiteral("activ."), 6)
               .arg(QStringLiteral("final"), 6)
               .arg(QStringLiteral("total s"), 7)
               .arg(QStringLiteral("sent/s"), 8)
               .arg(QStringLiteral("MB pico"), 7)
               .arg(QStringLiteral("copias s"), 8)
               .arg(QStringLiteral("suelo s"), 7)
               .arg(QStringLiteral("total/suelo"), 11)
               .arg(QStringLiteral("ms/alumno"), 9)
               .arg(QStringLiteral("informe s"), 9)
               .arg(QStringLiteral("inf/cierre"), 10)
        << (servidor ? QStringLiteral("  fondo\n") : QStringLiteral("\n"));
    out.flush();
    // Each round measures every size. With a server, each size is closed on
    // the server and then on SQLite, one after the other, so that the two
    // are compared in the same minutes of the machine; with several sizes,
    // each round gives the cost per student of each size against the one
    // before it, both measured in the same minutes.
    std::map<int, QList<double>> proporciones;
    std::map<std::pair<int, int>, QList<double>> escalas;
    for (int ronda = 0; ronda < rondas; ++ronda) {
        std::map<int, double> totales;
        for (int n : tamanos) {
            const QJsonObject enServidor = servidor ? medir(n, servidor) : QJsonObject();
            if (servidor) imprimirFila(out, n, enServidor, QStringLiteral("servidor"));
            const QJsonObject enSQLite = medir(n, std::nullopt);
            imprimirFila(out, n, enSQLite, servidor ? QStringLiteral("SQLite") : QString());
            const double local = enSQLite.value(QStringLiteral("total")).toDouble();
            if (correcta(enSQLite) && local > 0) totales[n] = local;
            if (servidor && correcta(enServidor) && correcta(enSQLite) && local > 0) {
                proporciones[n] << enServidor.value(QStringLiteral("total")).toDouble() / local;
                out << QStringLiteral("%1  servidor / SQLite: %2\n").arg(n, 8).arg(proporciones[n].last(), 0, 'f', 2);
                out.flush();
            }
        }
        for (qsizetype i = 1; i < tamanos.size(); ++i) {
            const int antes = tamanos.at(i - 1), n = tamanos.at(i);
            if (!totales.count(antes) || !totales.count(n)) continue;
            auto& e = escalas[{antes, n}];
            e << (totales[n] / n) / (totales[antes] / antes);
            out << QStringLiteral("%1  coste por alumno frente a %2: %3\n").arg(n, 8).arg(antes).arg(e.last(), 0, 'f', 2);
            out.flush();
        }
    }
    const auto resumen = [&out](const QString& que, const QList<double>& v) {
        if (v.size() < 2) return;
        QStringList todas;
        for (double x : v) todas << QString::number(x, 'f', 2);
        out << QStringLiteral("%1 en %2 rondas: %3 (mediana %4)\n")
                   .arg(que)
                   .arg(v.size())
                   .arg(todas.join(QStringLiteral(", ")))
                   .arg(mediana(v), 0, 'f', 2);
    };
    for (const auto& [n, v] : proporciones) resumen(QStringLiteral("%1  servidor / SQLite").arg(n, 8), v);
    for (const auto& [par, v] : escalas)
        resumen(QStringLiteral("%1  coste por alumno frente a %2").arg(par.second, 8).arg(par.first), v);
    out.flush();
    return SalidaExito;
}

const Registro registro({"bench", "mide el cierre de escuelas de ejemplo de varios tamaños", bench,
                         usoBench});

}  // namespace

}  // namespace ncc::app
