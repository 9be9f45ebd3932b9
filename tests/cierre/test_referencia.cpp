// The closing's result pinned down: a small sample school with a fixed seed
// and a fixed "today", closed with three plans, must leave exactly the rows
// recorded in tests/cierre/referencia/ in all five databases (the two
// application entries, the closed year, the new year and its archive), on
// both back ends. Any rewrite of how the closing writes its rows has to keep
// every one of them.
//
// A reference file holds, per table, the number of rows, a digest of all of
// them and one short digest per group of rows (rows are grouped by their
// first field, the table's id where it has one), so that a failure names the
// table and shows the rows of the groups that changed, while the file stays a
// few kilobytes per plan. The full dump of a failing run is written to the
// temporary folder for a closer look.
//
// NCC_REFERENCIA_ESCRIBIR=1 rewrites the files from the SQLite run.
#include "Muestra.h"
#include "Volcado.h"
#include "platform/Reloj.h"
#include <QCryptographicHash>
#include <QTextStream>

using namespace ncc;
using namespace ncc::pruebas;

namespace {

const int alumnosMuestra = 120;
const quint32 semillaMuestra = 7;

QString carpetaReferencia() { return QStringLiteral(NCC_REFERENCIA_CIERRE); }

// FNV-1a: a digest that is the same in every process (qHash is seeded).
quint64 fnv(const QByteArray& b, quint64 h = 14695981039346656037ULL) {
    for (const char c : b) {
        h ^= quint8(c);
        h *= 1099511628211ULL;
    }
    return h;
}

QString primerCampo(const QString& fila) {
    const int dos = fila.indexOf(QLatin1Char(':'));
    const int barra = fila.indexOf(QLatin1Char('|'), dos + 1);
    return fila.mid(dos + 1, barra < 0 ? -1 : barra - dos - 1);
}

int grupoDe(const QString& fila, int grupos) { return int(fnv(primerCampo(fila).toUtf8()) % quint64(grupos)); }

// What the reference keeps of one table.
struct Huella {
    long filas = 0;
    QString resumen;
    QStringList grupos;
};

Huella huella(const QStringList& filas, int grupos) {
    Huella h;
    h.filas = filas.size();
    QCryptographicHash sha(QCryptographicHash::Sha1);
    QVector<quint64> g(grupos, 14695981039346656037ULL);
    for (const QString& f : filas) {
        const QByteArray b = f.toUtf8() + '\n';
        sha.addData(b);
        quint64& x = g[grupoDe(f, grupos)];
        x = fnv(b, x);
    }
    h.resumen = QString::fromLatin1(sha.result().toHex().left(16));
    for (quint64 x : g) h.grupos << QStringLiteral("%1").arg(x & 0xffffffffULL, 8, 16, QLatin1Char('0'));
    return h;
}

int gruposPara(long filas) { return int(std::max<long>(1, (filas + 3) / 4)); }

// The rows of one database by table, as Volcado gives them.
using Tablas = QMap<QString, QStringList>;
// Databases in a fixed order: name in the reference -> tables.
using Bases = QList<QPair<QString, Tablas>>;

Tablas porTabla(const QString& cadena, suite::TipoBase tipo) {
    Conexion con(cadena);
    con.Open();
    Tablas t;
    for (const suite::Tabla& tabla : suite::tablas(tipo)) t.insert(tabla.nombre, filasTabla(con, tabla));
    return t;
}

QString textoReferencia(const QString& plan, const Bases& bases) {
    QString s;
    QTextStream out(&s);
    out << "# Cierre de la escuela de ejemplo (" << alumnosMuestra << " alumnos, semilla " << semillaMuestra
        << ", hoy 30/06/2026), plan " << plan << "\n# base tabla filas resumen grupos...\n";
    for (const auto& [base, tablas] : bases)
        for (auto it = tablas.cbegin(); it != tablas.cend(); ++it) {
            const Huella h = huella(*it, gruposPara(it->size()));
            out << base << ' ' << it.key() << ' ' << h.filas << ' ' << h.resumen << ' ' << h.grupos.join(QLatin1Char(' ')) << '\n';
        }
    return s;
}

// Compares the closing's rows with the reference; returns what differs.
QString compararConReferencia(const QString& referencia, const Bases& bases) {
    QMap<QPair<QString, QString>, QStringList> esperado;
    for (const QString& linea : referencia.split(QLatin1Char('\n'))) {
        if (linea.isEmpty() || linea.startsWith(QLatin1Char('#'))) continue;
        const QStringList c = linea.split(QLatin1Char(' '));
        if (c.size() >= 4) esperado.insert({c[0], c[1]}, c.mid(2));
    }
    QString fallos;
    QTextStream out(&fallos);
    QSet<QPair<QString, QString>> vistas;
    for (const auto& [base, tablas] : bases)
        for (auto it = tablas.cbegin(); it != tablas.cend(); ++it) {
            const QPair<QString, QString> k{base, it.key()};
            vistas.insert(k);
            if (!esperado.contains(k)) {
                out << base << " " << it.key() << ": la tabla no está en la referencia\n";
                continue;
            }
            const QStringList e = esperado.value(k);
            const QStringList gruposEsperados = e.mid(2);
            const Huella h = huella(*it, int(gruposEsperados.size()));
            if (h.filas == e[0].toLong() && h.resumen == e[1]) continue;
            out << base << " " << it.key() << ": " << h.filas << " filas (la referencia tiene " << e[0] << ")\n";
            QSet<int> distintos;
            for (int g = 0; g < gruposEsperados.size(); ++g)
                if (h.grupos.value(g) != gruposEsperados[g]) distintos.insert(g);
            out << "  " << distintos.size() << " grupos de filas distintos; sus filas ahora (falta la que se perdió):\n";
            int mostradas = 0;
            for (const QString& f : *it)
                if (distintos.contains(grupoDe(f, int(gruposEsperados.size()))) && mostradas++ < 12)
                    out << "    " << f << "\n";
        }
    for (auto it = esperado.cbegin(); it != esperado.cend(); ++it)
        if (!vistas.contains(it.key())) out << it.key().first << " " << it.key().second << ": la tabla ya no se vuelca\n";
    return fallos;
}

void escribirTexto(const QString& ruta, const QString& texto) {
    QFile f(ruta);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << ruta.toStdString();
    f.write(texto.toUtf8());
}

class Referencia : public testing::TestWithParam<Proveedor> {
protected:
    Referencia() : ctx(GetParam()) {
        borrarLoDelCierreEnServidor();
        Reloj::fijarHoy(QDate(2026, 6, 30));
        muestra = crearMuestra(ctx, QStringLiteral("escuela"), alumnosMuestra, semillaMuestra);
    }
    ~Referencia() override {
        Reloj::fijarHoy(QDate());
        CierreParcial() = false;
        if (muestra.esServidor()) muestra.borrar();
        borrarLoDelCierreEnServidor();
    }

    // Closes the year with the plan that `cambiar` makes of the default
    // one, and checks the five databases against the reference `plan`.
    template <class F>
    void cerrarYComparar(const QString& plan, bool parcial, F&& cambiar) {
        const Cerrada c = cerrarMuestra(muestra, QStringLiteral("2026/2027"), [&](host::Plan& p, Conexion& centro, cIFunciones& motor) {
            cambiar(p, centro);
            motor.fijarSeccionesPorLectura(5);  // the 16 sections in four reads, five on the server
            CierreParcial() = parcial;
        });
        CierreParcial() = false;
        ASSERT_FALSE(c.nuevo.isEmpty());
        const Bases bases{
            {QStringLiteral("AppEntrada"), porTabla(muestra.cadena(QStringLiteral("AppEntrada")), suite::TipoBase::AppEntrada)},
            {QStringLiteral("BorradoAppEntrada"),
             porTabla(muestra.cadena(QStringLiteral("BorradoAppEntrada")), suite::TipoBase::AppEntrada)},
            {QStringLiteral("cerrado"), porTabla(c.cerrado, suite::TipoBase::Centro)},
            {QStringLiteral("nuevo"), porTabla(c.nuevo, suite::TipoBase::Centro)},
            {QStringLiteral("nuevoBorrado"), porTabla(c.nuevoBorrado, suite::TipoBase::Centro)}};
        const QString ruta = QDir(carpetaReferencia()).filePath(plan + QStringLiteral(".txt"));
        if (qEnvironmentVariableIntValue("NCC_REFERENCIA_ESCRIBIR") == 1 && !ctx.esServidor()) {
            QDir().mkpath(carpetaReferencia());
            escribirTexto(ruta, textoReferencia(plan, bases));
        }
        QFile f(ruta);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << "falta " << ruta.toStdString();
        const QString fallos = compararConReferencia(QString::fromUtf8(f.readAll()), bases);
        if (!fallos.isEmpty()) {
            QStringList todo;
            for (const auto& [base, tablas] : bases)
                for (const QStringList& filas : tablas) for (const QString& fila : filas) todo << base + QLatin1Char(' ') + fila;
            const QString volcadoFallido = QDir::temp().filePath(
                QStringLiteral("ncc-referencia-%1-%2.txt").arg(plan, ctx.esServidor() ? QStringLiteral("pg") : QStringLiteral("sqlite")));
            escribirTexto(volcadoFallido, todo.join(QLatin1Char('\n')) + QLatin1Char('\n'));
            ADD_FAILURE() << "plan " << plan.toStdString() << " (volcado completo en " << volcadoFallido.toStdString()
                          << "):\n" << fallos.toStdString();
        }
    }

    ContextoBD ctx;
    Muestra muestra;
};

TEST_P(Referencia, PlanPorDefecto) {
    cerrarYComparar(QStringLiteral("predeterminado"), false, [](host::Plan&, Conexion&) {});
}

TEST_P(Referencia, CierreParcial) {
    cerrarYComparar(QStringLiteral("parcial"), true, [](host::Plan&, Conexion&) {});
}

// Leavers, repeaters, students left unassigned, a section left unpromoted,
// two sections' promoted students sent to one section beyond its seats, an
// activity dropped and members who do not pass.
TEST_P(Referencia, PlanVariado) {
    qint16 desbordada = 0;
    long plazas = 0;
    cerrarYComparar(QStringLiteral("variado"), false, [&](host::Plan& p, Conexion& centro) {
        int n = 0;
        QHash<int, qint16> primeraDeCurso;  // course of destination -> the section all go to
        for (const auto& sec : *p.arboles.secciones) {
            ++n;
            if (n == 3) {
                sec->setPromocionada(false);
                continue;
            }
            if (!sec->Promocionada()) continue;
            int i = 0;
            for (const auto& a : *sec->Alumnos()) {
                ++i;
                if (i % 9 == 4) {
                    a->setPromociona(false);
                    a->setRepite(false);
                    a->setBaja(true);
                } else if (i % 9 == 6 && a->Promociona()) {
                    a->setPromociona(false);
                    a->setRepite(true);
                    a->setNIDTipoEnsenanza(a->IDTipoEnsenanza());
                    a->setNIDCurso(a->IDCurso());
                    a->setNIDSeccion(a->IDSeccion());
                } else if (i % 9 == 8 && n % 4 == 1) {
                    a->setPromociona(false);
                    a->setRepite(false);
                    a->setSinAsignar(true);
                } else if (a->Promociona() && a->NIDSeccion() != 0) {
                    const int curso = a->NIDCurso();
                    if (!primeraDeCurso.contains(curso)) primeraDeCurso.insert(curso, a->NIDSeccion());
                    a->setNIDSeccion(primeraDeCurso.value(curso));
                }
            }
        }
        // The section that receives most: it must end above its seats.
        QHash<qint16, long> llegan;
        for (const auto& sec : *p.arboles.secciones)
            if (sec->Promocionada())
                for (const auto& a : *sec->Alumnos()) ++llegan[a->NIDSeccion()];
        llegan.remove(0);
        for (auto it = llegan.cbegin(); it != llegan.cend(); ++it)
            if (it.value() > llegan.value(desbordada)) desbordada = it.key();
        plazas = long(contar(centro, QStringLiteral("SELECT NumPlazas FROM Seccion WHERE IDSeccion=%1").arg(desbordada)));
        ASSERT_GT(llegan.value(desbordada), plazas);

        int m = 0;
        for (const auto& act : *p.arboles.actividades) {
            if (++m == 2) {
                act->setPromocionada(false);
                continue;
            }
            int j = 0;
            for (const auto& a : *act->Alumnos())
                if (++j % 3 == 0) a->setPasar(false);
        }
    });
}

}  // namespace

NCC_AMBOS_FONDOS(Referencia);
