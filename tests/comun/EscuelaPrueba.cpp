#include "EscuelaPrueba.h"
#include "Lectura.h"
#include "platform/BasesDatos.h"
#include "suite/Esquema.h"
#include <QDir>
#include <algorithm>

namespace ncc::pruebas {

namespace {

bool marcaCierre = false;

}  // namespace

// A test outside the closing's serialised areas never makes the closing's
// names, and dropping them would pull databases from under a closing that
// runs beside it: only the closing's areas mark themselves.
void marcarPruebasDeCierre() { marcaCierre = true; }
bool pruebasDeCierre() { return marcaCierre; }

QStringList nombresDelCierreEnServidor(qint16 centro, qint16 curso) {
    QStringList n{QStringLiteral("AppEntradaB"), QStringLiteral("BorradoAppEntradaB"), QStringLiteral("Compact"),
                  QStringLiteral("CompactB")};
    for (int c = curso; c <= curso + 3; ++c)
        for (const char* letra : {"A", "B"}) {
            const QString base = QStringLiteral("%1%2C%3").arg(QLatin1String(letra)).arg(centro).arg(c);
            n << base + QLatin1Char('B');
            if (c != curso) n << base;
        }
    return n;
}

EscuelaPrueba::EscuelaPrueba(ContextoBD& ctx, qint16 centro, qint16 curso, const QString& nombreCurso)
    : ctx_(ctx), idCentro_(centro), idCurso_(curso) {
    const QString a = QStringLiteral("A%1C%2").arg(centro).arg(curso);
    const QString b = QStringLiteral("B%1C%2").arg(centro).arg(curso);
    // On SQLite the school's files carry the names a closing expects beside
    // the application entry; on the server they are the context's own databases.
    appEntrada_.setConnectionString(ctx.cadena(QStringLiteral("AppEntrada")));
    borradoAppEntrada_.setConnectionString(ctx.cadena(QStringLiteral("BorradoAppEntrada")));
    centro_.setConnectionString(ctx.cadena(a));
    borradoCentro_.setConnectionString(ctx.cadena(b));
    for (Conexion* c : {&appEntrada_, &borradoAppEntrada_}) {
        c->Open();
        suite::crearEsquema(*c, suite::TipoBase::AppEntrada);
    }
    for (Conexion* c : {&centro_, &borradoCentro_}) {
        c->Open();
        suite::crearEsquema(*c, suite::TipoBase::Centro);
    }
    const int v = appEntrada_.verdadero();
    sql(appEntrada_, QStringLiteral("INSERT INTO Centro (IDCentro, Nombre) VALUES (%1, ?)").arg(centro),
        {QStringLiteral("Colegio de pruebas")});
    sql(appEntrada_,
        QStringLiteral("INSERT INTO CursoEscolar (IDCursoEscolar, Nombre, CodCentro, BD, BDBorrado, UltimoUtilizado, "
                       "Activa) VALUES (%1, ?, %2, ?, ?, %3, %3)")
            .arg(curso)
            .arg(centro)
            .arg(v),
        {nombreCurso, centro_.ConnectionString(), borradoCentro_.ConnectionString()});
    sql(appEntrada_, QStringLiteral("INSERT INTO CursoEscolar_Usuario (CodCursoEscolar, CodUsuario) VALUES (%1, 1)").arg(curso));
    sql(centro_,
        QStringLiteral("INSERT INTO CursoEscolar (IDCursoEscolar, Nombre, CodCentro, CodUsuario, Activa) VALUES (%1, ?, %2, 1, %3)")
            .arg(curso)
            .arg(centro)
            .arg(centro_.verdadero()),
        {nombreCurso});

    auto conf = std::make_unique<cConfiguracion>();
    conf->setSQLServer(ctx.esServidor());
    conf->setRutaBD(ObtenerRutaBD(appEntrada_));
    conf->setintIDCentro(centro);
    conf->setNombreCentro(QStringLiteral("Colegio de pruebas"));
    conf->setintIDCursoEscolar(curso);
    conf->setCursoEscolar(nombreCurso);
    conf->setintIDUsuario(1);
    conf->setconLocalAppEntrada(&appEntrada_);
    conf->setconLocalBorradoAppEntrada(&borradoAppEntrada_);
    conf->setconLocalCentro(&centro_);
    conf->setconLocalBorradoCentro(&borradoCentro_);
    fijarConfiguracionActual(std::move(conf));
    CierreParcial() = false;
}

EscuelaPrueba::~EscuelaPrueba() {
    fijarConfiguracionActual(nullptr);
    CierreParcial() = false;
    for (Conexion* c : {&appEntrada_, &borradoAppEntrada_, &centro_, &borradoCentro_})
        try { if (c->State() == 1) c->Close(); } catch (...) {}
    if (!ctx_.esServidor() || !hayServidor() || !pruebasDeCierre()) return;
    // What a closing of this school may have made on the server.
    for (const QString& n : nombresDelCierreEnServidor(idCentro_, idCurso_))
        try { servidor::borrar(plantillaServidor(), n); } catch (...) {}
}

QString EscuelaPrueba::nombreCreado(const QString& base) const {
    if (ctx_.esServidor()) return base;
    return QDir(ctx_.carpeta()).filePath(base + QStringLiteral(".db"));
}

bool EscuelaPrueba::existeCreada(const QString& nombre) {
    if (ctx_.esServidor()) return servidor::existe(plantillaServidor(), nombreCreado(nombre));
    return archivos::existe(nombreCreado(nombre));
}

std::unique_ptr<Conexion> EscuelaPrueba::abrirCreada(const QString& nombre) {
    if (!existeCreada(nombre)) return nullptr;
    CadenaConexion c(centro_.ConnectionString());
    c.fijar(ctx_.esServidor() ? QStringLiteral("Initial Catalog") : QStringLiteral("Data Source"), nombreCreado(nombre));
    auto con = std::make_unique<Conexion>(c.texto());
    con->Open();
    return con;
}

QStringList EscuelaPrueba::instantanea(Conexion& con) {
    QStringList filas;
    Recordset tablas = con.Tablas();
    QStringList nombres;
    for (; !tablas.eof(); tablas.MoveNext()) nombres << tablas.texto(QStringLiteral("TABLE_NAME")).toLower();
    std::sort(nombres.begin(), nombres.end());
    for (const QString& t : nombres)
        for (const QString& f : leerFilas(con, QStringLiteral("SELECT * FROM ") + t)) filas << t + QLatin1Char('|') + f;
    std::sort(filas.begin(), filas.end());
    return filas;
}

std::map<QString, QStringList> EscuelaPrueba::instantaneas() {
    return {{QStringLiteral("AppEntrada"), instantanea(appEntrada_)},
            {QStringLiteral("BorradoAppEntrada"), instantanea(borradoAppEntrada_)},
            {QStringLiteral("Centro"), instantanea(centro_)},
            {QStringLiteral("BorradoCentro"), instantanea(borradoCentro_)}};
}

QStringList EscuelaPrueba::sobrantes() {
    QStringList sobran;
    if (ctx_.esServidor()) {
        for (const QString& n : nombresDelCierreEnServidor(idCentro_, idCurso_))
            if (servidor::existe(plantillaServidor(), n)) sobran << n;
        return sobran;
    }
    const QStringList esperados{QStringLiteral("AppEntrada.db"), QStringLiteral("BorradoAppEntrada.db"),
                                QStringLiteral("A%1C%2.db").arg(idCentro_).arg(idCurso_),
                                QStringLiteral("B%1C%2.db").arg(idCentro_).arg(idCurso_)};
    for (const QString& f : QDir(ctx_.carpeta()).entryList(QDir::Files))
        if (!esperados.contains(f)) sobran << f;
    return sobran;
}

void EscuelaPrueba::sql(Conexion& con, const QString& texto, const QVariantList& valores) { con.Execute(texto, valores); }

}  // namespace ncc::pruebas
