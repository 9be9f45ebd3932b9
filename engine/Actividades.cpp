// The activities phase: the promoted activities get their new dates, their
// prices by student type, the prices and months of the members who pass;
// the members who do not pass leave, and the activities left unpromoted go
// with everything that hangs on them.
//
// Prices are texts and are bound as they are. Statements repeated per
// activity or per member carry '?' for the ids too, so each text is
// prepared once.
#include "engine/Comun.h"
#include "engine/Actividades.h"
#include "engine/Pasos.h"
#include "engine/PurgaFechas.h"
#include "platform/BucleMensajes.h"
#include "platform/Error.h"
#include "platform/Mensajes.h"

namespace ncc::motor {

namespace {


QString textoFecha(const QString& texto) {
    const QDate d = fechaDeTexto(texto);
    return d.isValid() ? textoFechaBase(d) : textoNoNulo(QString());
}

// School-year order of a mask built January first: September ... August.
QString enOrdenEscolar(const QString& mascaraCalendario) {
    return mascaraCalendario.mid(8, 4) + mascaraCalendario.left(8);
}

// The month flags and the MesesRealizacion mask of the new dates, as the
// text that follows "SET " in both tables; empty when the activity takes no
// months (no valid dates, or a kind without months).
struct Meses {
    QString asignaciones;  // "Marzo=-1, " / "Octubre=-1,Noviembre=-1,"
    QString mascara;       // school-year order
    bool hay = false;
};

Meses mesesDe(const cActividad& a) {
    Meses r;
    const QDate inicio = fechaDeTexto(a.FechaInicio());
    const QDate fin = fechaDeTexto(a.FechaFin());
    if (!inicio.isValid() || !fin.isValid()) return r;
    const int tipo = a.TipoActividad();
    if (tipo == 1) {
        const int m = inicio.month();
        r.asignaciones = NombreMes(m) + QStringLiteral("=-1, ");
        r.mascara = enOrdenEscolar(QString(m - 1, QLatin1Char('0')) + QLatin1Char('1') +
                                   QString(12 - m, QLatin1Char('0')));
        r.hay = true;
    } else if (tipo == 0 || tipo == 2) {
        const int n = inicio.year() == fin.year() ? fin.month() - inicio.month()
                                                  : fin.month() + 12 - inicio.month();
        // The count of months was a byte: an end month before the start
        // month in one year cannot be counted.
        if (n < 0 || n > 255) throw Error(errores::Desbordamiento, QStringLiteral("Desbordamiento"));
        QString calendario(12, QLatin1Char('0'));
        int m = inicio.month();
        for (int i = 0; i <= n; ++i) {
            const QString asignacion = NombreMes(m) + QStringLiteral("=-1,");
            if (!r.asignaciones.contains(asignacion)) r.asignaciones += asignacion;
            calendario[m - 1] = QLatin1Char('1');
            m = m == 12 ? 1 : m + 1;
        }
        r.mascara = enOrdenEscolar(calendario);
        r.hay = true;
    }
    return r;
}

QString precioOCero(const QString& precio) { return precio.trimmed().isEmpty() ? QStringLiteral("0") : precio; }

}  // namespace

QString NombreMes(int mes) {
    static const char* const nombres[] = {"Enero", "Febrero", "Marzo",      "Abril",   "Mayo",      "Junio",
                                          "Julio", "Agosto",  "Septiembre", "Octubre", "Noviembre", "Diciembre"};
    if (mes < 1 || mes > 12) return QString();
    return QString::fromLatin1(nombres[mes - 1]);
}

Recordset& FiltrarRecordset(Recordset& rs, const QString& filtro) {
    rs.Filter(filtro);
    return rs;
}

bool PasarActividades(EstadoMotor& e) {
    if (!PasarPreciosActividades(e)) return false;
    e.avisos->AvanzarProgreso();
    if (!PasarMiembrosActividades(e)) return false;
    e.avisos->AvanzarProgreso();
    return true;
}

bool PasarPreciosActividades(EstadoMotor& e) {
    try {
        Conexion& nuevo = e.conNuevoCentro;
        Recordset precios = e.conLocalCentro().Abrir(
            QStringLiteral("SELECT codActividad, codTipoAlumno FROM Actividad_TipoAlumno"));
        ceder();
        ListaIds sinPromocionar;
        for (const auto& a : *e.colActividades) {
            const qint64 id = a->IDActividad();
            if (!a->Promocionada()) {
                sinPromocionar.agregar(id);
                continue;
            }
            ejecutar(nuevo, QStringLiteral("UPDATE Actividad SET FechaInicio=?, FechaFin=? WHERE IdActividad=?"),
                     {textoFecha(a->FechaInicio()), textoFecha(a->FechaFin()), id});

            // The types still in use keep (or get) their price; the others
            // lose it.
            ListaIds tipos;
            for (const auto& p : *a->TipoAlumnos()) {
                if (!p->Visible() || p->Euros().isEmpty()) continue;
                const qint64 tipo = p->ID();
                tipos.agregar(tipo);
                FiltrarRecordset(precios, QStringLiteral("CODACTIVIDAD=%1 AND CODTIPOALUMNO=%2").arg(id).arg(tipo));
                if (precios.eof())
                    ejecutar(nuevo, QStringLiteral("INSERT INTO Actividad_TipoAlumno VALUES(?,?,?,?)"),
                             {id, tipo, textoNoNulo(p->Pesetas()), textoNoNulo(p->Euros())});
                else
                    ejecutar(nuevo,
                             QStringLiteral("UPDATE Actividad_TipoAlumno SET PrecioGeneralEuro=?, PrecioGeneralPta=? "
                                            "WHERE codActividad=? AND codTipoAlumno=?"),
                             {textoNoNulo(p->Euros()), textoNoNulo(p->Pesetas()), id, tipo});
            }
            if (!tipos.vacia())
                ejecutar(nuevo, QStringLiteral("DELETE FROM Actividad_TipoAlumno WHERE codActividad=%1 AND "
                                               "codTipoAlumno NOT IN (%2)")
                                    .arg(id)
                                    .arg(tipos.texto()));
            else
                ejecutar(nuevo, QStringLiteral("DELETE FROM Actividad_TipoAlumno WHERE codActividad=?"), {id});
        }
        precios.Close();
        if (!sinPromocionar.vacia()) {
            bool correcto = false;
            BorrarActividades(e, sinPromocionar, correcto);
            if (!correcto) return false;
        }
        return true;
    } catch (const Error& err) {
        mostrarError(err);
        return false;
    }
}

void BorrarActividades(EstadoMotor& e, const ListaIds& strIDs, bool& Correcto) {
    Correcto = false;
    try {
        Conexion& nuevo = e.conNuevoCentro;
        const QStringList sentencias = {
            QStringLiteral("DELETE FROM Actividad WHERE IDActividad IN({ids})"),
            // A timetable row shared with an activity that goes on stays
            // with it (the activities that go are already gone from
            // Actividad), as the purge keeps it.
            QStringLiteral("DELETE FROM ActividadSemanal WHERE IDAS IN (SELECT codActividadSemanal "
                           "FROM Actividad_ActividadSemanal WHERE codActividad IN({ids})) AND NOT EXISTS "
                           "(SELECT 1 FROM Actividad_ActividadSemanal INNER JOIN Actividad ON "
                           "Actividad.IDActividad=Actividad_ActividadSemanal.codActividad WHERE "
                           "Actividad_ActividadSemanal.codActividadSemanal=ActividadSemanal.IDAS)"),
            QStringLiteral("DELETE FROM Actividad_ActividadSemanal WHERE codActividad IN({ids})"),
            QStringLiteral("DELETE FROM Actividad_Centro WHERE codCentro=%1 AND codActividad IN({ids})")
                .arg(e.conf->intIDCentro()),
            QStringLiteral("DELETE FROM Actividad_Personal WHERE codActividad IN({ids})"),
            QStringLiteral("DELETE FROM Actividad_TipoAlumno WHERE codActividad IN({ids})"),
            QStringLiteral("DELETE FROM ActividadCalendario WHERE codActividad IN({ids})"),
            QStringLiteral("DELETE FROM Alumno_Actividad_Miembro WHERE codActividad IN({ids})"),
        };
        for (const QString& s : sentencias) ejecutarPorPartes(nuevo, s, strIDs);
        Correcto = true;
    } catch (const Error& err) {
        mostrarError(err);
    }
}

bool PasarMiembrosActividades(EstadoMotor& e) {
    static const QString sinMeses = QStringLiteral(
        "Enero=0, Febrero=0, Marzo=0, Abril=0, Mayo=0, Junio=0, Julio=0, Agosto=0, "
        "Septiembre=0, Octubre=0, Noviembre=0, Diciembre=0, MesesRealizacion='000000000000' ");
    try {
        Conexion& nuevo = e.conNuevoCentro;
        for (const auto& a : *e.colActividades) {
            if (!a->Promocionada()) continue;
            const qint64 id = a->IDActividad();

            // Each member who passes keeps the price the wizard gives him,
            // written with one statement for all the members of a price.
            const QString precio = QStringLiteral("UPDATE Alumno_Actividad_Miembro SET PrecioEuros=?, PrecioPesetas=? "
                                                  "WHERE codActividad=%1 AND codAlumno IN({ids})").arg(id);
            ListaIds pasan;
            CambiosPorGrupo precios;
            for (const auto& m : *a->Alumnos()) {
                if (!m->Visible() || !m->Pasar()) continue;
                precios.agregar(precio, m->IDAlumno(), {precioOCero(m->Euros()), precioOCero(m->Pesetas())});
                pasan.agregar(m->IDAlumno());
            }
            precios.escribir(nuevo);

            ejecutar(nuevo, QStringLiteral("UPDATE Alumno_Actividad_Miembro SET ") + sinMeses +
                                QStringLiteral("WHERE CodActividad=?"),
                     {id});
            ejecutar(nuevo, QStringLiteral("UPDATE Actividad_Personal SET ") + sinMeses +
                                QStringLiteral("WHERE codActividad=?"),
                     {id});

            const Meses meses = mesesDe(*a);
            if (meses.hay) {
                const QString resto = meses.asignaciones + QStringLiteral("MesesRealizacion=? WHERE codActividad=?");
                ejecutar(nuevo, QStringLiteral("UPDATE Alumno_Actividad_Miembro SET ") + resto, {meses.mascara, id});
                ejecutar(nuevo, QStringLiteral("UPDATE Actividad_Personal SET ") + resto, {meses.mascara, id});
            }

            if (pasan.vacia()) {
                ejecutar(nuevo, QStringLiteral("DELETE FROM Alumno_Actividad_Miembro WHERE codActividad=?"), {id});
            } else if (pasan.tamano() <= IdsPorSentencia) {
                ejecutar(nuevo, QStringLiteral("DELETE FROM Alumno_Actividad_Miembro WHERE codAlumno NOT IN "
                                               "(%1) AND codActividad=%2")
                                    .arg(pasan.texto())
                                    .arg(id));
            } else {
                // A long list of who stays becomes the (pieced) list of who
                // goes: the same rows, in statements of a sane length.
                Recordset rs = nuevo.Abrir(
                    QStringLiteral("SELECT codAlumno FROM Alumno_Actividad_Miembro WHERE codActividad=?"), {id});
                ceder();
                ListaIds miembros;
                for (; !rs.eof(); rs.MoveNext())
                    if (!rs.esNulo(QStringLiteral("codAlumno"))) miembros.agregar(rs.entero(QStringLiteral("codAlumno")));
                rs.Close();
                ejecutarPorPartes(nuevo,
                                  QStringLiteral("DELETE FROM Alumno_Actividad_Miembro WHERE codActividad=%1 AND "
                                                 "codAlumno IN({ids})")
                                      .arg(id),
                                  miembros.sin(pasan));
            }
        }
        return true;
    } catch (const Error& err) {
        mostrarError(err);
        return false;
    }
}

}  // namespace ncc::motor
