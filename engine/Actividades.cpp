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
#include <array>

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

// The months of the new dates and the MesesRealizacion mask; no month when
// the activity takes none (no valid dates, or a kind without months).
struct Meses {
    std::array<bool, 12> marcado{};  // January first
    QString mascara = QStringLiteral("000000000000");  // school-year order
};

// Every month flag and the mask as the text that follows "SET " in both
// tables, the mask as the first '?': a month of the activity is -1, any
// other 0, whatever the row held.
QString asignacionesMeses(const Meses& meses) {
    QString r;
    for (int m = 1; m <= 12; ++m) r += NombreMes(m) + (meses.marcado[m - 1] ? QStringLiteral("=-1, ") : QStringLiteral("=0, "));
    return r + QStringLiteral("MesesRealizacion=?");
}

Meses mesesDe(const cActividad& a) {
    Meses r;
    const QDate inicio = fechaDeTexto(a.FechaInicio());
    const QDate fin = fechaDeTexto(a.FechaFin());
    if (!inicio.isValid() || !fin.isValid()) return r;
    const int tipo = a.TipoActividad();
    if (tipo == 1) {
        const int m = inicio.month();
        r.marcado[m - 1] = true;
        r.mascara = enOrdenEscolar(QString(m - 1, QLatin1Char('0')) + QLatin1Char('1') +
                                   QString(12 - m, QLatin1Char('0')));
    } else if (tipo == 0 || tipo == 2) {
        const int n = inicio.year() == fin.year() ? fin.month() - inicio.month()
                                                  : fin.month() + 12 - inicio.month();
        // The count of months was a byte: an end month before the start
        // month in one year cannot be counted.
        if (n < 0 || n > 255) throw Error(errores::Desbordamiento, QStringLiteral("Desbordamiento"));
        QString calendario(12, QLatin1Char('0'));
        int m = inicio.month();
        for (int i = 0; i <= n; ++i) {
            r.marcado[m - 1] = true;
            calendario[m - 1] = QLatin1Char('1');
            m = m == 12 ? 1 : m + 1;
        }
        r.mascara = enOrdenEscolar(calendario);
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

namespace {

// The members who do not pass leave the activity: a member is one who
// passes, or a row without a student, which no list names.
void QuitarMiembrosQueNoPasan(Conexion& nuevo, qint64 id, const ListaIds& pasan) {
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
        Recordset rs = nuevo.Abrir(QStringLiteral("SELECT codAlumno FROM Alumno_Actividad_Miembro WHERE codActividad=?"), {id});
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

}  // namespace

bool PasarMiembrosActividades(EstadoMotor& e) {
    try {
        Conexion& nuevo = e.conNuevoCentro;
        for (const auto& a : *e.colActividades) {
            if (!a->Promocionada()) continue;
            const qint64 id = a->IDActividad();
            const Meses meses = mesesDe(*a);
            const QString setMeses = asignacionesMeses(meses);

            // Those who leave go first, so that every row left is written
            // once: its months and, for a member who passes, the price the
            // wizard gives him, with one statement for all the members of
            // a price. (On the server every changed row is a new copy of
            // the row in the table and in each of its indexes.)
            ListaIds pasan;
            CambiosPorGrupo precios;
            const QString precio = QStringLiteral("UPDATE Alumno_Actividad_Miembro SET PrecioEuros=?, PrecioPesetas=?, ") +
                                   setMeses + QStringLiteral(" WHERE codActividad=%1 AND codAlumno IN({ids})").arg(id);
            for (const auto& m : *a->Alumnos()) {
                if (!m->Visible() || !m->Pasar()) continue;
                precios.agregar(precio, m->IDAlumno(), {precioOCero(m->Euros()), precioOCero(m->Pesetas()), meses.mascara});
                pasan.agregar(m->IDAlumno());
            }
            QuitarMiembrosQueNoPasan(nuevo, id, pasan);
            precios.escribir(nuevo);
            if (!pasan.vacia())
                ejecutar(nuevo, QStringLiteral("UPDATE Alumno_Actividad_Miembro SET ") + setMeses +
                                    QStringLiteral(" WHERE codActividad=? AND codAlumno IS NULL"),
                         {meses.mascara, id});
            ejecutar(nuevo, QStringLiteral("UPDATE Actividad_Personal SET ") + setMeses + QStringLiteral(" WHERE codActividad=?"),
                     {meses.mascara, id});
        }
        return true;
    } catch (const Error& err) {
        mostrarError(err);
        return false;
    }
}

}  // namespace ncc::motor
