#pragma once
// The host's session object: what the suite's host hands to the component.
// Its properties are read (and "lngRowData" written) by name, late-bound,
// exactly as the component reads a host's session. It owns the four open
// connections: the application-entry database and its deleted-records twin,
// and the school databases of the current school year.
//
// The session is built from the application-entry database: the centre's
// name from Centro, and the current school year from the centre's
// CursoEscolar row last used (UltimoUtilizado), whose BD and BDBorrado are
// the connection strings of the school databases.
#include "platform/Conexion.h"
#include "platform/Error.h"
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

namespace ncc::host {

class Sesion : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString RutaAplicacion READ RutaAplicacion WRITE setRutaAplicacion)
    Q_PROPERTY(int IDUsuario READ IDUsuario WRITE setIDUsuario)
    Q_PROPERTY(int IDCentro READ IDCentro WRITE setIDCentro)
    Q_PROPERTY(int IDCursoescolar READ IDCursoescolar WRITE setIDCursoescolar)
    Q_PROPERTY(QString NombreCentro READ NombreCentro WRITE setNombreCentro)
    Q_PROPERTY(QString ValorCursoEscolar READ ValorCursoEscolar WRITE setValorCursoEscolar)
    Q_PROPERTY(QString RutaIcono READ RutaIcono WRITE setRutaIcono)
    Q_PROPERTY(bool Pesetas READ Pesetas WRITE setPesetas)
    Q_PROPERTY(bool SQLServer READ SQLServer WRITE setSQLServer)
    Q_PROPERTY(QObject* conexionAppEntrada READ conexionAppEntrada CONSTANT)
    Q_PROPERTY(QObject* conexionBorradoAppEntrada READ conexionBorradoAppEntrada CONSTANT)
    Q_PROPERTY(QObject* conexionlocalCENTRO READ conexionlocalCENTRO CONSTANT)
    Q_PROPERTY(QObject* conexionBORRADOlocalCENTRO READ conexionBORRADOlocalCENTRO CONSTANT)
    Q_PROPERTY(int lngRowData READ lngRowData WRITE setlngRowData NOTIFY lngRowDataCambiado)
public:
    explicit Sesion(QObject* parent = nullptr);
    ~Sesion() override;

    QString RutaAplicacion() const { return RutaAplicacion_; }
    void setRutaAplicacion(const QString& v) { RutaAplicacion_ = v; }
    int IDUsuario() const { return IDUsuario_; }
    void setIDUsuario(int v) { IDUsuario_ = v; }
    int IDCentro() const { return IDCentro_; }
    void setIDCentro(int v) { IDCentro_ = v; }
    int IDCursoescolar() const { return IDCursoescolar_; }
    void setIDCursoescolar(int v) { IDCursoescolar_ = v; }
    QString NombreCentro() const { return NombreCentro_; }
    void setNombreCentro(const QString& v) { NombreCentro_ = v; }
    QString ValorCursoEscolar() const { return ValorCursoEscolar_; }
    void setValorCursoEscolar(const QString& v) { ValorCursoEscolar_ = v; }
    QString RutaIcono() const { return RutaIcono_; }
    void setRutaIcono(const QString& v) { RutaIcono_ = v; }
    bool Pesetas() const { return Pesetas_; }
    void setPesetas(bool v) { Pesetas_ = v; }
    bool SQLServer() const { return SQLServer_; }
    void setSQLServer(bool v) { SQLServer_ = v; }

    QObject* conexionAppEntrada() const { return appEntrada_; }
    QObject* conexionBorradoAppEntrada() const { return borradoAppEntrada_; }
    QObject* conexionlocalCENTRO() const { return centro_; }
    QObject* conexionBORRADOlocalCENTRO() const { return borradoCentro_; }

    // The same connections, typed, for the host's own code.
    Conexion& appEntrada() const { return *appEntrada_; }
    Conexion& borradoAppEntrada() const { return *borradoAppEntrada_; }
    Conexion& centro() const { return *centro_; }
    Conexion& borradoCentro() const { return *borradoCentro_; }

    // -100 after a closing: the school year changed and the host must reload.
    int lngRowData() const { return lngRowData_; }
    void setlngRowData(int v);

signals:
    void lngRowDataCambiado(int valor);

private:
    QString RutaAplicacion_;
    int IDUsuario_ = 0;
    int IDCentro_ = 0;
    int IDCursoescolar_ = 0;
    QString NombreCentro_;
    QString ValorCursoEscolar_;
    QString RutaIcono_;
    bool Pesetas_ = false;
    bool SQLServer_ = false;
    int lngRowData_ = 0;
    Conexion* appEntrada_;
    Conexion* borradoAppEntrada_;
    Conexion* centro_;
    Conexion* borradoCentro_;
};

// Where the session comes from, as the commands of `ncc` take it.
struct OpcionesSesion {
    // The application-entry database and its twin, read once from the
    // command line (or the desktop host's settings).
    DatosConexion appEntrada;
    DatosConexion borradoAppEntrada;
    int centro = 1;
    int usuario = 1;
    bool pesetas = false;
    // The school year to open, by name; empty: the current one. The closing
    // report of a year already closed is read from that year's databases.
    QString curso;
    // Whether opening settles a closing cut short first (under the closing's
    // lock). The report's own process only reads a closing already done,
    // and must never keep a recovery that starts beside it from its lock.
    bool resolverPendiente = true;
};

// Options that cannot be used (exit status of bad usage).
class ErrorOpciones : public Error {
public:
    static constexpr long Numero = 1003;
    explicit ErrorOpciones(const QString& texto) : Error(Numero, texto) {}
};

// A session that cannot be built: a database or a row that is not there.
class ErrorSesion : public Error {
public:
    static constexpr long Numero = 1001;
    explicit ErrorSesion(const QString& texto) : Error(Numero, texto) {}
};

// Reads and removes from `argumentos` the session's options:
//   --datos DIR           SQLite files AppEntrada.db and BorradoAppEntrada.db in DIR
//   --servidor CADENA     PostgreSQL databases AppEntrada and BorradoAppEntrada
//                         on the server of that connection string
//   --centro N, --usuario N (both 1 unless given), --pesetas
// Either form "--opcion valor" or "--opcion=valor". Other arguments stay.
// Throws ErrorOpciones.
OpcionesSesion desdeArgumentos(QStringList& argumentos);

// The text of the session's options for `ncc ayuda` and usage messages.
QString usoOpcionesSesion();

// A closing cut short (a power cut, a killed process) may have left the
// school's databases half changed: it is settled (and what was done said on
// the message service) before anything reads them, and never while another
// closing is running; what rehearsals cut short left behind goes too
// (limpiarEnsayosAbandonados). Throws ncc::Error when another closing holds the lock
// or the databases cannot be handled.
void resolverCierrePendiente(const OpcionesSesion& opciones);

// Settles a closing that was cut short (resolverCierrePendiente), then
// opens the application-entry databases, finds the centre and its current
// school year and opens that year's school databases. Throws ErrorSesion
// when a database, the centre or its current year is missing, ncc::Error on
// a database failure.
std::unique_ptr<Sesion> abrirSesion(const OpcionesSesion& opciones);

}  // namespace ncc::host
