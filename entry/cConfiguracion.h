#pragma once
// The session settings: what the component took from the host's session
// object (school, school year, user, the four open connections, the back end
// and whether prices are also shown in pesetas). There is one current
// settings object for the whole component; it lives while the host holds its
// cAsignarDatos, and every other unit reads the session from it.
#include "platform/Conexion.h"
#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>

namespace ncc {

class cConfiguracion {
public:
    bool SQLServer() const { return SQLServer_; }
    void setSQLServer(bool valor) { SQLServer_ = valor; }

    // Folder of the application-entry database file (empty on the server).
    const QString& RutaBD() const { return RutaBD_; }
    void setRutaBD(const QString& valor) { RutaBD_ = valor; }

    qint16 intIDCentro() const { return intIDCentro_; }
    void setintIDCentro(qint16 valor) { intIDCentro_ = valor; }

    const QString& NombreCentro() const { return NombreCentro_; }
    void setNombreCentro(const QString& valor) { NombreCentro_ = valor; }

    // The school year being closed: its id and its text.
    qint16 intIDCursoEscolar() const { return intIDCursoEscolar_; }
    void setintIDCursoEscolar(qint16 valor) { intIDCursoEscolar_ = valor; }

    const QString& CursoEscolar() const { return CursoEscolar_; }
    void setCursoEscolar(const QString& valor) { CursoEscolar_ = valor; }

    qint16 intIDUsuario() const { return intIDUsuario_; }
    void setintIDUsuario(qint16 valor) { intIDUsuario_ = valor; }

    const QString& RutaIcono() const { return RutaIcono_; }
    void setRutaIcono(const QString& valor) { RutaIcono_ = valor; }

    // The session's connections belong to the host: they are used as they
    // are, never opened, closed or deleted here (only the engine's rollback
    // closes and reopens them). A connection the host deletes reads as null.
    Conexion* conLocalAppEntrada() const { return conLocalAppEntrada_; }
    void setconLocalAppEntrada(Conexion* c) { conLocalAppEntrada_ = c; }

    Conexion* conLocalBorradoAppEntrada() const { return conLocalBorradoAppEntrada_; }
    void setconLocalBorradoAppEntrada(Conexion* c) { conLocalBorradoAppEntrada_ = c; }

    Conexion* conLocalCentro() const { return conLocalCentro_; }
    void setconLocalCentro(Conexion* c) { conLocalCentro_ = c; }

    Conexion* conLocalBorradoCentro() const { return conLocalBorradoCentro_; }
    void setconLocalBorradoCentro(Conexion* c) { conLocalBorradoCentro_ = c; }

    // The host's session object itself; the process runner writes its
    // "lngRowData" after a successful closing.
    QObject* DatosSesion() const { return DatosSesion_; }
    void setDatosSesion(QObject* o) { DatosSesion_ = o; }

    // Set by the selection dialogs before they call the student search.
    bool Activa() const { return Activa_; }
    void setActiva(bool valor) { Activa_ = valor; }

    bool Pesetas() const { return Pesetas_; }
    void setPesetas(bool valor) { Pesetas_ = valor; }

private:
    bool SQLServer_ = false;
    QString RutaBD_;
    qint16 intIDCentro_ = 0;
    QString NombreCentro_;
    qint16 intIDCursoEscolar_ = 0;
    QString CursoEscolar_;
    qint16 intIDUsuario_ = 0;
    QString RutaIcono_;
    QPointer<Conexion> conLocalAppEntrada_;
    QPointer<Conexion> conLocalBorradoAppEntrada_;
    QPointer<Conexion> conLocalCentro_;
    QPointer<Conexion> conLocalBorradoCentro_;
    QPointer<QObject> DatosSesion_;
    bool Activa_ = false;
    bool Pesetas_ = false;
};

// The component's current settings object; nullptr while no cAsignarDatos
// is alive.
cConfiguracion* ConfiguracionActual();
// The current centre's name; empty without current settings.
QString NombreCentroActual();
// Makes `c` the current settings object (the previous one is released);
// nullptr leaves the component without one. cAsignarDatos calls it when it
// is created and released; a caller that drives the engine directly may too.
void fijarConfiguracionActual(std::unique_ptr<cConfiguracion> c);

// The closing is partial: set by the start page, read by the databases step
// and the history transfer.
bool& CierreParcial();

// The help file of the forms (the host's folder followed by
// "/NorvaCentro.chm"), recorded by ObtenerDatos.
QString& ArchivoAyuda();

// Folder of the application-entry database: empty on the server; on SQLite,
// the file's folder without a trailing "/", or empty when its path has no
// folder.
QString ObtenerRutaBD(const Conexion& con);

}  // namespace ncc
