// The leavers' purge: what belonged only to the students who leave goes from
// the new school year, each of them is archived in the closing year's
// Alumno_Baja, and the rows left without owner are removed at the end.
//
// Ids are gathered on the closing year's database (where the leavers still
// are) and every change goes to the new one, except the archive. The lists
// are sets in leaver order; the reads and deletions over them go in pieces
// (engine/ListaIds.h), so any number of leavers is handled alike.
#include "engine/Comun.h"
#include "engine/Pasos.h"
#include "engine/Purga.h"
#include "engine/PurgaFechas.h"
#include "platform/BucleMensajes.h"
#include "platform/Error.h"
#include "platform/InsercionLotes.h"
#include "platform/Mensajes.h"
#include "platform/Reloj.h"
#include <QHash>
#include <algorithm>

namespace ncc::motor {

namespace {


ListaIds leerIds(Conexion& con, const QString& sql, const QString& columna) {
    Recordset rs = con.Abrir(sql);
    ceder();
    ListaIds ids;
    for (; !rs.eof(); rs.MoveNext()) ids.agregar(rs.entero(columna));
    rs.Close();
    return ids;
}

// The leavers of the run as lists: students, their families, their addresses.
struct Bajas {
    ListaIds alumnos, familias, direcciones;
};

Bajas bajasDe(const EstadoMotor& e) {
    Bajas b;
    const int n = e.IDsAlumnosBaja.size();
    for (int i = 0; i < n; ++i) {
        b.alumnos.agregar(e.IDsAlumnosBaja[i]);
        if (i < e.CodFamiliasBaja.size()) b.familias.agregar(e.CodFamiliasBaja[i]);
        if (i < e.CodDireccionesBaja.size()) b.direcciones.agregar(e.CodDireccionesBaja[i]);
    }
    return b;
}

}  // namespace

// ---------------------------------------------------------------- families

bool PurgarFamilias(EstadoMotor& e) {
    if (!e.HayBajas) return true;
    ListaIds direccionesFamilia;
    bool familiasBorradas = false;
    try {
        Conexion& local = e.conLocalCentro();
        Conexion& nuevo = e.conNuevoCentro;
        const Bajas bajas = bajasDe(e);

        // A family stays while one of its students has not left and does not
        // leave now (a leaver's own row never keeps it).
        QSet<qint64> familiasQueQuedan;
        leerPorPartes(local,
                      QStringLiteral("SELECT Alumno.IdAlumno, Alumno.CodFamilia FROM Alumno WHERE "
                                     "Alumno.CodFamilia IN({ids}) AND "
                                     "(Alumno.FechaBaja IS NULL OR Alumno.FechaBaja='')"),
                      bajas.familias, [&](const Recordset& rs) {
                          if (!bajas.alumnos.contiene(rs.entero(QStringLiteral("IdAlumno"))))
                              familiasQueQuedan.insert(rs.entero(QStringLiteral("CodFamilia")));
                      });
        const ListaIds familiasQueSalen = bajas.familias.sin(familiasQueQuedan);

        // A staff member's family stays too, but its members' payers go.
        const ListaIds familiasDePersonal = leerIdsPorPartes(
            local, QStringLiteral("SELECT CodFamilia FROM Personal WHERE CodFamilia IN({ids})"),
            familiasQueSalen, QStringLiteral("CodFamilia"));
        const ListaIds familias = familiasQueSalen.sin(familiasDePersonal);
        const ListaIds miembros = leerIdsPorPartes(
            local, QStringLiteral("SELECT IdMiembroFamilia FROM MiembroFamilia WHERE CodFamilia IN({ids})"),
            familiasQueSalen, QStringLiteral("IdMiembroFamilia"));

        if (!familias.vacia()) {
            ejecutarPorPartes(nuevo, QStringLiteral("DELETE FROM Familia WHERE IdFamilia IN({ids})"), familias);
            direccionesFamilia = leerIdsPorPartes(
                local,
                QStringLiteral("SELECT codDireccion FROM MiembroFamilia WHERE codFamilia IN({ids}) "
                               "GROUP BY codDireccion"),
                familias, QStringLiteral("codDireccion"));
            familiasBorradas = true;
            ejecutarPorPartes(nuevo, QStringLiteral("DELETE FROM MiembroFamilia WHERE CodFamilia IN({ids})"),
                              familias);
        }

        ejecutarPorPartes(nuevo, QStringLiteral("DELETE FROM Alumno_MiembroFamilia WHERE CodAlumno IN({ids})"),
                          bajas.alumnos);

        ListaIds pagadores;
        if (!miembros.vacia()) {
            pagadores = leerIdsPorPartes(local,
                                         QStringLiteral("SELECT IdMiembroFamiliaPagador FROM MiembroFamiliaPagador "
                                                        "WHERE CodMiembroFamilia IN({ids})"),
                                         miembros, QStringLiteral("IdMiembroFamiliaPagador"));
            ejecutarPorPartes(nuevo,
                              QStringLiteral("DELETE FROM MiembroFamiliaPagador WHERE CodMiembroFamilia IN({ids})"),
                              miembros);
        }

        ListaIds cuentas;
        if (!pagadores.vacia()) {
            cuentas = leerIdsPorPartes(local,
                                       QStringLiteral("SELECT CodCuenta FROM MiembroFamiliaPagador_Cuenta WHERE "
                                                      "CodMiembroFamiliaPagador IN({ids})"),
                                       pagadores, QStringLiteral("CodCuenta"));
            ejecutarPorPartes(nuevo,
                              QStringLiteral("DELETE FROM MiembroFamiliaPagador_Cuenta WHERE "
                                             "CodMiembroFamiliaPagador IN({ids})"),
                              pagadores);
        }

        if (!cuentas.vacia()) {
            // Accounts still used by a payer who stays are kept, and so are
            // a staff member's salary account and the school's own: a parent
            // who works at the school keeps hers when her child leaves.
            const ListaIds usadas = leerIdsPorPartes(
                nuevo,
                QStringLiteral("SELECT CodCuenta FROM MiembroFamiliaPagador_Cuenta WHERE CodCuenta IN({ids}) "
                               "UNION SELECT CodCuenta FROM Personal WHERE CodCuenta IN({ids}) "
                               "UNION SELECT CodCuenta FROM Centro_Cuenta_Emisor WHERE CodCuenta IN({ids})"),
                cuentas, QStringLiteral("CodCuenta"));
            ejecutarPorPartes(nuevo, QStringLiteral("DELETE FROM Cuenta WHERE IdCuenta IN({ids})"),
                              cuentas.sin(usadas));
        }
    } catch (const Error& err) {
        mostrarError(err);
        return false;
    }
    bool correcto = false;
    PurgarDirecciones(e, familiasBorradas ? &direccionesFamilia : nullptr, correcto);
    return correcto;
}

void PurgarDirecciones(EstadoMotor& e, const ListaIds* DireccionesFamilia, bool& Correcto) {
    Correcto = false;
    if (!e.HayBajas) {
        Correcto = true;
        return;
    }
    try {
        ListaIds direcciones = bajasDe(e).direcciones;
        if (DireccionesFamilia)
            for (qint64 d : DireccionesFamilia->ids()) direcciones.agregar(d);
        const ListaIds usadas = leerIdsPorPartes(
            e.conNuevoCentro,
            QStringLiteral("SELECT CodDireccion FROM Alumno WHERE CodDireccion IN ({ids}) "
                           "UNION SELECT CodDireccion FROM Personal WHERE CodDireccion IN({ids}) "
                           "UNION SELECT CodDireccion FROM MiembroFamilia WHERE CodDireccion IN({ids}) "
                           "UNION SELECT CodDireccion FROM Centro WHERE CodDireccion IN({ids})"),
            direcciones, QStringLiteral("CodDireccion"));
        ejecutarPorPartes(e.conNuevoCentro, QStringLiteral("DELETE FROM Direccion WHERE IdDireccion IN({ids})"),
                          direcciones.sin(usadas));
        Correcto = true;
    } catch (const Error& err) {
        mostrarError(err);
    }
}

// ---------------------------------------------------------------- leavers

bool PurgarBajas(EstadoMotor& e) {
    if (!e.HayBajas) return true;
    const ListaIds ids = ListaIds::desdeTexto(e.strIDsAlumnosBaja);
    bool correcto = false;
    ArchivarBajas(e, ids, correcto);
    if (!correcto) return false;
    PurgarDatosMedicos(e, ids, correcto);
    if (!correcto) return false;
    PurgarFotos(e, ids, correcto);
    if (!correcto) return false;
    PurgarPrematriculaAux(e, ids, correcto);
    return correcto;
}

namespace {

// One archive row and the keys it is ordered by.
struct FilaBaja {
    qint64 id = 0;
    QVariantList textos;  // Matricula ... Telefono, in the table's order; Null as ''
    qint64 ordenTipo = 0, ordenCurso = 0, ordenSeccion = 0;
    QString seccion;
    QString fechaBaja;  // as the student's row has it
};

bool antes(const FilaBaja& a, const FilaBaja& b) {
    if (a.ordenTipo != b.ordenTipo) return a.ordenTipo < b.ordenTipo;
    if (a.ordenCurso != b.ordenCurso) return a.ordenCurso < b.ordenCurso;
    if (const int c = a.seccion.compare(b.seccion); c != 0) return c < 0;
    return a.ordenSeccion < b.ordenSeccion;
}

QVector<FilaBaja> leerFilasBaja(Conexion& local, const ListaIds& ids) {
    static const QStringList columnas = {
        QStringLiteral("Matricula"),    QStringLiteral("Nombre"),       QStringLiteral("Apellido_1"),
        QStringLiteral("Apellido_2"),   QStringLiteral("CDescripcion"), QStringLiteral("TNombre"),
        QStringLiteral("FechaIngreso"), QStringLiteral("DNI"),          QStringLiteral("Direccion"),
        QStringLiteral("Poblacion"),    QStringLiteral("PDescripcion"), QStringLiteral("CodigoPostal"),
        QStringLiteral("Telefono")};
    QVector<FilaBaja> filas;
    filas.reserve(ids.tamano());
    leerPorPartes(
        local,
        QStringLiteral(
            "SELECT Alumno.IDAlumno, Alumno.Nombre, Alumno.Apellido_1, "
            "Alumno.Apellido_2, Alumno.Matricula, TipoEnsenanza.Nombre AS TNombre, "
            "Curso.Descripcion AS CDescripcion, Seccion.Descripcion as SDescripcion, Alumno.FechaIngreso, "
            "Alumno.FechaBaja, Alumno.DNI, Direccion.Direccion, Direccion.Telefono, Direccion.Poblacion, "
            "Direccion.CodigoPostal, Provincia.Descripcion as PDescripcion, "
            "TipoEnsenanza.Orden AS TOrden, Curso.Orden AS COrden, Alumno.OrdenSeccion FROM Seccion INNER JOIN "
            "(((Alumno LEFT JOIN (Direccion LEFT JOIN Provincia ON "
            "Direccion.CodProvincia = Provincia.IDProvincia) ON "
            "Alumno.CodDireccion = Direccion.IDDireccion) INNER JOIN "
            "TipoEnsenanza ON Alumno.CodTipoEnsenanza = TipoEnsenanza.IDTipoEnsenanza) "
            "INNER JOIN Curso ON Alumno.CodCurso = Curso.IDCurso) ON "
            "Seccion.IDSeccion = Alumno.CodSeccion "
            "WHERE Alumno.IDAlumno IN({ids}) "
            "ORDER BY TipoEnsenanza.Orden, Curso.Orden, Seccion.Descripcion, "
            "Alumno.OrdenSeccion"),
        ids, [&](const Recordset& rs) {
            FilaBaja f;
            f.id = rs.entero(QStringLiteral("IDAlumno"));
            for (const QString& c : columnas) f.textos << textoNoNulo(rs.texto(c));
            f.ordenTipo = rs.entero(QStringLiteral("TOrden"));
            f.ordenCurso = rs.entero(QStringLiteral("COrden"));
            f.ordenSeccion = rs.entero(QStringLiteral("OrdenSeccion"));
            f.seccion = rs.texto(QStringLiteral("SDescripcion"));
            f.fechaBaja = rs.texto(QStringLiteral("FechaBaja"));
            filas.append(std::move(f));
        });
    // Each piece comes ordered; the whole list is ordered the same way.
    if (ids.tamano() > IdsPorSentencia) std::stable_sort(filas.begin(), filas.end(), antes);
    return filas;
}

}  // namespace

void ArchivarBajas(EstadoMotor& e, const ListaIds& strIDs, bool& Correcto) {
    Correcto = false;
    try {
        // Students marked "Baja" in the wizard leave on the date given there;
        // one who had already left keeps the date she left on; the rest
        // (unpromoted sections, no destination) leave today.
        QHash<qint64, QString> fechasAsistente;
        for (const auto& a : e.colAlumnosRetirados)
            if (a->Baja()) fechasAsistente.insert(a->IDAlumno(), a->FechaBaja());
        const QString hoy = textoFechaBase(Reloj::hoy());

        Conexion& local = e.conLocalCentro();
        const QVector<FilaBaja> filas = leerFilasBaja(local, strIDs);
        // One transaction for the whole archive unless the caller holds one:
        // one disk sync instead of one per leaver.
        std::unique_ptr<Transaccion> transaccion;
        if (!local.enTransaccion()) transaccion = std::make_unique<Transaccion>(local);
        // Many leavers to a statement (a COPY on the server), in the same
        // order as one by one.
        InsercionLotes archivo(local, QStringLiteral("INSERT INTO Alumno_Baja VALUES"),
                               QStringLiteral("(?,-1,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"));
        for (const FilaBaja& f : filas) {
            QString fecha = hoy;
            if (auto it = fechasAsistente.constFind(f.id); it != fechasAsistente.constEnd()) {
                const QDate d = fechaDeTexto(*it);
                fecha = d.isValid() ? textoFechaBase(d) : textoNoNulo(it->trimmed());
            } else if (const QDate d = fechaDeTexto(f.fechaBaja); d.isValid()) {
                fecha = textoFechaBase(d);
            }
            QVariantList valores;
            valores.reserve(15);
            valores << f.id << fecha;
            valores += f.textos;
            archivo.agregar(valores);
            ceder();
        }
        archivo.vaciar();
        if (transaccion) transaccion->confirmar();
        Correcto = true;
    } catch (const Error& err) {
        mostrarError(err);
    }
}

void PurgarDatosMedicos(EstadoMotor& e, const ListaIds& strIDs, bool& Correcto) {
    Correcto = false;
    try {
        const ListaIds datos = leerIdsPorPartes(
            e.conLocalCentro(), QStringLiteral("SELECT IdDatosMedicos FROM DatosMedicos WHERE CodAlumno IN({ids})"),
            strIDs, QStringLiteral("IdDatosMedicos"));
        ejecutarPorPartes(e.conNuevoCentro,
                          QStringLiteral("DELETE FROM DatosMedicos_Enfermedad WHERE CodDatosMedicos IN({ids})"), datos);
        ejecutarPorPartes(e.conNuevoCentro, QStringLiteral("DELETE FROM DatosMedicos WHERE IdDatosMedicos IN({ids})"),
                          datos);
        Correcto = true;
    } catch (const Error& err) {
        mostrarError(err);
    }
}

void PurgarFotos(EstadoMotor& e, const ListaIds& strIDs, bool& Correcto) {
    Correcto = false;
    try {
        const ListaIds fotos = leerIdsPorPartes(
            e.conLocalCentro(), QStringLiteral("SELECT CodFoto FROM Alumno WHERE CodFoto<>0 AND IdAlumno IN({ids})"),
            strIDs, QStringLiteral("CodFoto"));
        ejecutarPorPartes(e.conNuevoCentro, QStringLiteral("DELETE FROM Foto WHERE IdFoto IN({ids})"), fotos);
        Correcto = true;
    } catch (const Error& err) {
        mostrarError(err);
    }
}

void PurgarPrematriculaAux(EstadoMotor& e, const ListaIds& strIDs, bool& Correcto) {
    Correcto = false;
    try {
        ejecutarPorPartes(e.conNuevoCentro, QStringLiteral("DELETE FROM PrematriculacionAux WHERE CodAlumno IN ({ids})"),
                          strIDs);
        Correcto = true;
    } catch (const Error& err) {
        mostrarError(err);
    }
}

// ---------------------------------------------------------------- final phase

bool PurgarPrematriculas(EstadoMotor& e) {
    try {
        const ListaIds sinMatricula = leerIds(
            e.conLocalCentro(), QStringLiteral("SELECT IdPrematriculacion FROM Prematriculacion WHERE Anticipado=0"),
            QStringLiteral("IdPrematriculacion"));
        ejecutarPorPartes(e.conNuevoCentro,
                          QStringLiteral("DELETE FROM Prematriculacion_Ponderacion WHERE CodPrematriculacion IN({ids})"),
                          sinMatricula);
        // The auxiliary rows of a dropped pre-enrolment go with it, whoever
        // the student is.
        ejecutarPorPartes(e.conNuevoCentro,
                          QStringLiteral("DELETE FROM PrematriculacionAux WHERE CodPrematriculacion IN({ids})"),
                          sinMatricula);
        ejecutarPorPartes(e.conNuevoCentro,
                          QStringLiteral("DELETE FROM Prematriculacion WHERE IdPrematriculacion IN({ids})"),
                          sinMatricula);
        ejecutar(e.conNuevoCentro, QStringLiteral("UPDATE Prematriculacion SET Anticipado=0"));
        ejecutar(e.conNuevoCentro, QStringLiteral("UPDATE UltimoID Set "
                                                  "UltimoEvaluacion=1, "
                                                  "UltimoEvaluacionActa=1,"
                                                  "UltimoAlumno_MateriaDetalles=1,"
                                                  "UltimoSeccion=1, "
                                                  "UltimoMateriaDetalles=1, "
                                                  "UltimoPublicacion=1"));
        return true;
    } catch (const Error& err) {
        mostrarError(err);
        return false;
    }
}

bool LimpiarHuerfanos(EstadoMotor& e) {
    const QString A = QStringLiteral("(SELECT IDActividad FROM Actividad)");
    const QStringList sentencias = {
        QStringLiteral("DELETE FROM Familia WHERE IDFamilia NOT IN "
                       "(SELECT DISTINCT codFamilia FROM Alumno) AND NOT IDFamilia IN "
                       "(SELECT DISTINCT codFamilia FROM Personal)"),
        QStringLiteral("DELETE FROM MiembroFamilia WHERE codFamilia NOT IN "
                       "(SELECT IDFamilia FROM Familia)"),
        QStringLiteral("DELETE FROM Direccion WHERE IdDireccion NOT IN "
                       "(SELECT DISTINCT codDireccion FROM Alumno) AND NOT IdDireccion IN "
                       "(SELECT DISTINCT codDireccion FROM Personal) AND NOT IDDireccion IN "
                       "(SELECT DISTINCT codDireccion FROM MiembroFamilia) AND NOT IDDireccion IN "
                       "(SELECT DISTINCT codDireccion FROM Centro)"),
        QStringLiteral("DELETE FROM MiembroFamiliaPagador WHERE codMiembroFamilia NOT IN "
                       "(SELECT IDMiembroFamilia FROM MiembroFamilia)"),
        QStringLiteral("DELETE FROM MiembroFamiliaPagador_Cuenta WHERE codMiembroFamiliaPagador NOT IN "
                       "(SELECT IDMiembroFamiliaPagador FROM MiembroFamiliaPagador)"),
        QStringLiteral("DELETE FROM Cuenta WHERE IDCuenta NOT IN "
                       "(SELECT DISTINCT codCuenta FROM Personal) AND NOT IDCuenta IN "
                       "(SELECT DISTINCT codCuenta FROM Centro_Cuenta_Emisor) AND NOT IDCuenta IN "
                       "(SELECT DISTINCT codCuenta FROM MiembroFamiliaPagador_Cuenta)"),
        QStringLiteral("DELETE FROM Sucursal WHERE IDSucursal NOT IN "
                       "(SELECT DISTINCT CodSucursal FROM Cuenta)"),
        QStringLiteral("DELETE FROM Foto WHERE IDFoto NOT IN "
                       "(SELECT DISTINCT codFoto FROM Alumno) AND IDFoto NOT IN "
                       "(SELECT DISTINCT codFoto FROM Centro)"),
        // Only the timetable rows of activities that are gone: those of the
        // activities that go on stay, and so does a row shared with one.
        QStringLiteral("DELETE FROM ActividadSemanal WHERE IDAS IN "
                       "(SELECT codActividadSemanal FROM Actividad_ActividadSemanal WHERE "
                       "codActividad NOT IN(SELECT IDActividad FROM Actividad)) AND IDAS NOT IN "
                       "(SELECT codActividadSemanal FROM Actividad_ActividadSemanal WHERE "
                       "codActividad IN(SELECT IDActividad FROM Actividad))"),
        QStringLiteral("DELETE FROM Actividad_ActividadSemanal WHERE codActividad NOT IN ") + A,
        QStringLiteral("DELETE FROM Actividad_Centro WHERE codCentro<>%1 AND codActividad NOT IN ")
                .arg(e.conf->intIDCentro()) + A,
        QStringLiteral("DELETE FROM Actividad_Personal WHERE codActividad NOT IN ") + A,
        QStringLiteral("DELETE FROM Actividad_TipoAlumno WHERE codActividad NOT IN ") + A,
        QStringLiteral("DELETE FROM ActividadCalendario WHERE codActividad NOT IN ") + A,
        QStringLiteral("DELETE FROM Alumno_Actividad_Miembro WHERE codActividad NOT IN ") + A,
    };
    try {
        for (const QString& s : sentencias) ejecutar(e.conNuevoCentro, s);
        return true;
    } catch (const Error& err) {
        mostrarError(err);
        return false;
    }
}

}  // namespace ncc::motor
