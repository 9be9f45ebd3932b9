// A closing that fails at any statement gives the school back exactly as it
// was: a trial run of the sample school notes where each step of the run
// begins and ends, and the run is then failed at both ends of every step and
// at evenly spaced statements in between, each time on a fresh copy of the
// school opened through the host's session.
#include "EscuelaPrueba.h"
#include "Muestra.h"
#include <QElapsedTimer>
#include <algorithm>
#include <optional>
#include <sys/stat.h>

using namespace ncc;
using namespace ncc::pruebas;

namespace {

struct Corrida {
    bool correcto = false, cancelado = false;
    QStringList textos;
    QStringList errores;  // the critical messages, each with its beep
    int abiertos = 0;     // steps' own progress opened less closed
    QList<long> marcas;  // statements run when the bar reached 0, 1, ... 15
    long contadas = 0;
    float valor = 0, maximo = 0;
};

class BarridoFallos : public testing::TestWithParam<Proveedor> {
protected:
    BarridoFallos() : ctx(GetParam()) { borrarLoDelCierreEnServidor(); }
    ~BarridoFallos() override {
        Sentencias::fallarEn(0);
        if (!origen.esServidor() || !origen.prefijo.isEmpty()) origen.borrar();
        try { borrarLoDelCierreEnServidor(); } catch (...) {}
    }

    // What a failed closing must give back: each database's rows on the
    // server, each file's bytes on SQLite.
    struct Estado {
        std::map<QString, QStringList> filas;
        std::map<QString, QByteArray> bytes;
    };
    static Estado estadoDe(const Muestra& m) {
        Estado e;
        for (const QString& b : Muestra::bases()) {
            if (m.esServidor()) {
                Conexion con(m.cadena(b));
                con.Open();
                e.filas[b] = EscuelaPrueba::instantanea(con);
            } else {
                e.bytes[b] = bytesDe(m.real(b));
            }
        }
        return e;
    }
    // The server's databases as the session sees them after the run.
    static std::map<QString, QStringList> filasDeSesion(SesionAbierta& s) {
        std::map<QString, QStringList> filas;
        for (int i = 0; i < 4; ++i) filas[Muestra::bases()[i]] = EscuelaPrueba::instantanea(*s.conexiones()[i]);
        return filas;
    }

    // The closing of `m` with statement `k` failing (0: none), answering
    // Yes, and the session's state checked on the way out by `revisar`.
    template <class F>
    Corrida cerrar(const Muestra& m, long k, F&& revisar) {
        MensajesGuion guion;
        guion.responderA(2187, Respuesta::Si).responderA(710, Respuesta::Si);
        ServicioMensajesInstalado instalado(guion);
        SesionAbierta s(m);
        const host::Plan plan = s.planPorDefecto();
        revisar(s, true);
        Corrida c;
        {
            cIFunciones motor;
            ProgresoContado barra;
            prepararMotor(motor, plan, &barra);
            QObject::connect(&motor, &cIFunciones::IniciarProgreso, [&](long&, QString&) { ++c.abiertos; });
            QObject::connect(&motor, &cIFunciones::CerrarProgreso, [&] { --c.abiertos; });
            Sentencias::reiniciar();
            if (sinMemoria) Sentencias::agotarMemoriaEn(k);
            else if (aparte) Sentencias::fallarAparteEn(k);
            else Sentencias::fallarEn(k);
            c.correcto = motor.TransferirDatos();
            c.contadas = Sentencias::contadas();
            Sentencias::fallarEn(0);
            c.cancelado = motor.Cancelado();
            c.marcas = barra.marcas;
            c.valor = barra.Value();
            c.maximo = barra.Max();
        }
        c.textos = guion.textos();
        for (const MensajeMostrado& m : guion.mostrados())
            if (m.mensaje.icono == Icono::Critico) c.errores << (m.conPitido ? m.mensaje.texto : QStringLiteral("sin pitido"));
        revisar(s, false);
        return c;
    }

    void barrer(int puntosMinimos) {
        QElapsedTimer reloj;
        reloj.start();
        origen = crearMuestra(ctx, QStringLiteral("origen"), 40);
        if (wal)
            for (const QString& b : Muestra::bases()) ponerEnWal(origen.cadena(b));

        // The trial run: where every step of the run begins and ends.
        const Muestra prueba = copiarMuestra(ctx, origen, QStringLiteral("prueba"));
        const Corrida ensayo = cerrar(prueba, 0, [](SesionAbierta&, bool) {});
        ASSERT_TRUE(ensayo.correcto) << ensayo.textos.join(QLatin1Char('\n')).toStdString();
        ASSERT_EQ(ensayo.marcas.size(), 16);  // the start and the 15 steps
        // Before the bar starts only the checks that may refuse the run
        // read; nothing is changed before it.
        prueba.borrar();
        borrarLoDelCierreEnServidor();
        const long total = ensayo.contadas;
        ASSERT_EQ(ensayo.marcas.last(), total);

        QList<long> puntos;
        for (int paso = 1; paso <= 15; ++paso) {
            const long primera = ensayo.marcas[paso - 1] + 1, ultima = ensayo.marcas[paso];
            if (primera <= ultima) puntos << primera << ultima;
        }
        // The clean-up after the registration, statement by statement: on
        // the server each backup is dropped by one.
        for (long k = std::max<long>(1, total - 7); k < total; ++k) puntos << k;
        std::sort(puntos.begin(), puntos.end());
        puntos.erase(std::unique(puntos.begin(), puntos.end()), puntos.end());
        const long limites = puntos.size();
        // Evenly spaced statements in between, at least four.
        const long objetivo = std::max<long>(puntosMinimos + 2, limites + 4);
        for (long n = std::max<long>(3, objetivo - limites); puntos.size() < objetivo && n < total; ++n) {
            for (int j = 0; j < n; ++j) {
                const long k = 1 + (j * (total - 1)) / (n - 1);
                if (!puntos.contains(k)) puntos << k;
            }
        }
        // The reads of the checks before the bar starts refuse the run when
        // they fail: the run itself is what is swept here.
        puntos.removeIf([&](long k) { return k <= ensayo.marcas.first(); });
        std::sort(puntos.begin(), puntos.end());
        ASSERT_GE(puntos.size(), puntosMinimos);

        // A copy that a failed run gave back exactly as it was serves the
        // next point; after a run that stood, a fresh copy is made.
        QList<long> fallidos, cumplidos, absorbidos;
        std::optional<Muestra> m;
        Estado antes;
        int copias = 0;
        for (long k : puntos) {
            if (!m) {
                m = copiarMuestra(ctx, origen, QStringLiteral("c%1").arg(++copias));
                antes = estadoDe(*m);
            }
            std::map<QString, QStringList> despues;
            auto revisar = [&](SesionAbierta& s, bool alEmpezar) {
                if (alEmpezar) return;
                for (Conexion* c : s.conexiones()) EXPECT_EQ(c->State(), 1) << "k=" << k;
                if (m->esServidor()) despues = filasDeSesion(s);
            };
            const Corrida c = cerrar(*m, k, revisar);
            EXPECT_FALSE(c.cancelado) << "k=" << k;
            bool igual = true;
            if (c.correcto) {
                Conexion app(m->cadena(QStringLiteral("AppEntrada")));
                app.Open();
                EXPECT_EQ(contar(app, QStringLiteral("SELECT COUNT(*) FROM CursoEscolar WHERE IDCursoEscolar=4 AND UltimoUtilizado<>0")), 1)
                    << "k=" << k;
                const QStringList quedan = m->esServidor() ? quedanEnServidor() : QStringList{QStringLiteral("A1C4"), QStringLiteral("B1C4")};
                EXPECT_TRUE(quedan.contains(QStringLiteral("A1C4")) && quedan.contains(QStringLiteral("B1C4"))) << "k=" << k;
                if (c.textos.isEmpty()) {
                    // A statement whose failure has a way round: the server
                    // copies a database by its template or else by a dump.
                    // The closing is then whole and clean.
                    absorbidos << k;
                    EXPECT_EQ(quedan, QStringList({QStringLiteral("A1C4"), QStringLiteral("B1C4")})) << "k=" << k;
                } else {
                    // Only removing the backups comes after the year is
                    // closed and registered: the closing stands, the backup
                    // that could not go is said, and its journal stays for
                    // the next start, which finishes the clean-up.
                    cumplidos << k;
                    EXPECT_TRUE(hayDiario(m->datos(QStringLiteral("AppEntrada")))) << "k=" << k;
                    MensajesGuion aviso;
                    ServicioMensajesInstalado instalado(aviso);
                    host::resolverCierrePendiente(m->opciones());
                    EXPECT_EQ(quedanEnServidor(), QStringList({QStringLiteral("A1C4"), QStringLiteral("B1C4")})) << "k=" << k;
                }
                igual = false;
            } else {
                fallidos << k;
                // The failing step said so once, with a beep, and its own
                // progress is closed (out of memory too); the bar ends full.
                ASSERT_EQ(c.errores.size(), 1) << "k=" << k << ": " << c.textos.join(QLatin1Char('\n')).toStdString();
                EXPECT_TRUE(sinMemoria || c.errores[0].startsWith(QStringLiteral("Error 9999: "))) << c.errores[0].toStdString();
                EXPECT_LE(c.abiertos, 0) << "k=" << k;
                EXPECT_EQ(c.valor, c.maximo) << "k=" << k;
                if (m->esServidor()) {
                    EXPECT_EQ(quedanEnServidor(), QStringList()) << "k=" << k;
                    for (const QString& b : Muestra::bases())
                        if (despues[b] != antes.filas[b]) {
                            ADD_FAILURE() << "k=" << k << ": " << b.toStdString() << " no es la de antes";
                            igual = false;
                        }
                } else {
                    for (const QString& b : Muestra::bases())
                        if (bytesDe(m->real(b)) != antes.bytes[b]) {
                            ADD_FAILURE() << "k=" << k << ": " << b.toStdString() << " ha cambiado";
                            igual = false;
                        }
                    EXPECT_EQ(archivosDe(m->carpeta), archivosDeMuestra()) << "k=" << k;
                }
            }
            EXPECT_FALSE(hayDiario(m->datos(QStringLiteral("AppEntrada")))) << "k=" << k;
            if (!igual) {
                m->borrar();
                if (!m->esServidor()) QDir(m->carpeta).removeRecursively();
                m.reset();
                borrarLoDelCierreEnServidor();
            }
        }
        if (m) m->borrar();
        // A fault may let the closing stand only at the very end of the run.
        if (!cumplidos.isEmpty() && !fallidos.isEmpty()) {
            EXPECT_GT(*std::min_element(cumplidos.begin(), cumplidos.end()), *std::max_element(fallidos.begin(), fallidos.end()));
        }
        // Removing a SQLite backup runs no statement: every fault fails there.
        if (!origen.esServidor()) {
            EXPECT_EQ(cumplidos + absorbidos, QList<long>());
        }
        std::printf("[ barrido ] %lld puntos (%ld en los límites de los pasos) de %ld sentencias: %lld fallan, "
                    "%lld con el cierre ya hecho, %lld salvados por otro camino; %d copias, %.1f s\n",
                    static_cast<long long>(puntos.size()), limites, total, static_cast<long long>(fallidos.size()),
                    static_cast<long long>(cumplidos.size()), static_cast<long long>(absorbidos.size()), copias,
                    reloj.elapsed() / 1000.0);
    }

    ContextoBD ctx;
    Muestra origen;
    bool wal = false, sinMemoria = false, aparte = false;
};

TEST_P(BarridoFallos, CadaPuntoDeFalloDejaLaEscuelaComoEstaba) { barrer(GetParam() == Proveedor::SQLite ? 60 : 15); }

// Files in write-ahead-log mode: every copy, restore and removal takes the
// log along, so a failed run gives back exactly what was there.
TEST_P(BarridoFallos, EnModoWalCadaPuntoDeFalloDejaLaEscuelaComoEstaba) {
    if (GetParam() != Proveedor::SQLite) GTEST_SKIP() << "el modo WAL es de los archivos SQLite";
    wal = true;
    barrer(12);
}

// Running out of memory halfway is a failed step like any other: the run
// restores the school itself and leaves nothing for a later recovery.
TEST_P(BarridoFallos, SinMemoriaEnCualquierPasoSeRestaura) {
    sinMemoria = true;
    barrer(GetParam() == Proveedor::SQLite ? 12 : 6);
}

// The history's reads of the closed year run on a thread of their own from
// the students' phase on, and on the server its rows are written on another:
// a statement that fails there fails the history step, said once, and the
// school is given back as it was, never closed without its grades. The
// reading thread's statements: the sections, on the server the three of the
// statistics, then each run's grades, promotion data and pending subjects;
// the server's writing thread fails its sixth too, a read of the new year's
// history before its first row (the other threads of a run, the server's
// copies and the journal's database, run fewer than six each).
TEST_P(BarridoFallos, UnaLecturaFallidaDelHistoricoDeshaceElCierre) {
    origen = crearMuestra(ctx, QStringLiteral("origen"), 20);
    const Muestra m = copiarMuestra(ctx, origen, QStringLiteral("m"));
    const Estado antes = estadoDe(m);
    std::map<QString, QStringList> despues;
    aparte = true;
    const long k = m.esServidor() ? 6 : 2;  // the promotion data's read, the grades' read
    const Corrida c = cerrar(m, k, [&](SesionAbierta& s, bool alEmpezar) {
        if (!alEmpezar && m.esServidor()) despues = filasDeSesion(s);
    });
    EXPECT_FALSE(c.correcto);
    ASSERT_EQ(c.errores.size(), 1) << c.textos.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(c.errores[0].startsWith(QStringLiteral("Error 9999: "))) << c.errores[0].toStdString();
    if (m.esServidor()) {
        EXPECT_EQ(quedanEnServidor(), QStringList());
        EXPECT_EQ(despues, antes.filas);
    } else {
        for (const QString& b : Muestra::bases()) EXPECT_EQ(bytesDe(m.real(b)), antes.bytes.at(b)) << b.toStdString();
        EXPECT_EQ(archivosDe(m.carpeta), archivosDeMuestra());
    }
    m.borrar();
}

// A failed closing gives the year's database back as it was, not as a
// renamed copy. A SQLite file keeps its permissions (a folder shared by a
// group stays writable by it, whatever the umask of the one who closed);
// a server database its owner, who may connect (a REVOKE CONNECT FROM
// PUBLIC stays), its own settings and its comment.
TEST_P(BarridoFallos, LaBaseRestauradaConservaDuenoPermisosYAjustes) {
    origen = crearMuestra(ctx, QStringLiteral("origen"), 20);
    const Muestra prueba = copiarMuestra(ctx, origen, QStringLiteral("prueba"));
    const Corrida ensayo = cerrar(prueba, 0, [](SesionAbierta&, bool) {});
    ASSERT_TRUE(ensayo.correcto) << ensayo.textos.join(QLatin1Char('\n')).toStdString();
    prueba.borrar();
    borrarLoDelCierreEnServidor();
    const long k = ensayo.marcas[5];  // in the middle of the students' phase

    const Muestra m = copiarMuestra(ctx, origen, QStringLiteral("m"));
    if (!m.esServidor()) {
        const QString archivo = m.real(QStringLiteral("A1C3"));
        const auto compartido = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser |
                                QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther;
        ASSERT_TRUE(QFile::setPermissions(archivo, compartido));
        const mode_t mascara = ::umask(022);
        const Corrida fallida = cerrar(m, k, [](SesionAbierta&, bool) {});
        ::umask(mascara);
        EXPECT_FALSE(fallida.correcto);
        EXPECT_EQ(QFile::permissions(archivo), compartido);
        m.borrar();
        return;
    }
    const QString rol = ctx.prefijo() + QStringLiteral("lector"), bd = m.real(QStringLiteral("A1C3"));
    CadenaConexion c(plantillaServidor());
    c.fijar(QStringLiteral("Initial Catalog"), QStringLiteral("postgres"));
    Conexion admin(c.texto());
    admin.Open();
    const auto atributos = [&] {
        QStringList r;
        for (Recordset rs = admin.Abrir(QStringLiteral("SELECT pg_get_userbyid(datdba), datacl::text, "
                                                       "shobj_description(oid, 'pg_database') FROM pg_database WHERE datname = ?"),
                                        {bd});
             !rs.eof(); rs.MoveNext())
            r << rs.campo(0).toString() << rs.campo(1).toString() << rs.campo(2).toString();
        for (Recordset rs = admin.Abrir(QStringLiteral("SELECT array_to_string(s.setconfig, ';') FROM pg_db_role_setting s, "
                                                       "pg_database d WHERE s.setdatabase = d.oid AND d.datname = ?"),
                                        {bd});
             !rs.eof(); rs.MoveNext())
            r << rs.campo(0).toString();
        return r;
    };
    admin.Execute(QStringLiteral("DROP ROLE IF EXISTS \"%1\"").arg(rol));
    admin.Execute(QStringLiteral("CREATE ROLE \"%1\"").arg(rol));
    admin.Execute(QStringLiteral("ALTER DATABASE \"%1\" OWNER TO \"%2\"").arg(bd, rol));
    admin.Execute(QStringLiteral("REVOKE CONNECT, TEMPORARY ON DATABASE \"%1\" FROM PUBLIC").arg(bd));
    admin.Execute(QStringLiteral("GRANT CONNECT ON DATABASE \"%1\" TO \"%2\"").arg(bd, rol));
    admin.Execute(QStringLiteral("ALTER DATABASE \"%1\" SET work_mem = '8MB'").arg(bd));
    admin.Execute(QStringLiteral("COMMENT ON DATABASE \"%1\" IS 'Curso 2025/2026 del colegio'").arg(bd));
    const QStringList antes = atributos();
    ASSERT_EQ(antes.size(), 4);
    EXPECT_EQ(antes[0], rol);

    const Corrida fallida = cerrar(m, k, [](SesionAbierta&, bool) {});
    EXPECT_FALSE(fallida.correcto);
    EXPECT_EQ(atributos(), antes);
    EXPECT_EQ(quedanEnServidor(), QStringList());
    m.borrar();
    admin.Execute(QStringLiteral("DROP ROLE IF EXISTS \"%1\"").arg(rol));
}

}  // namespace

NCC_AMBOS_FONDOS(BarridoFallos);
