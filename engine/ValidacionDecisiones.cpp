#include "engine/ValidacionDecisiones.h"
#include "engine/PurgaFechas.h"
#include "entry/cAlumno.h"
#include "entry/cAlumnoActividad.h"
#include "entry/cPrecioActividad.h"
#include "platform/Conexion.h"
#include <QHash>
#include <QRegularExpression>
#include <QSet>

namespace ncc::motor {

std::optional<qint64> centimosDeEuros(const QString& euros) {
    static const QRegularExpression re(QStringLiteral("^(\\d{1,7})(?:,(\\d{1,2}))?$"));
    const auto m = re.match(euros.trimmed());
    if (!m.hasMatch()) return std::nullopt;
    return m.captured(1).toLongLong() * 100 + (m.captured(2) + QStringLiteral("00")).left(2).toLongLong();
}

std::optional<qint64> pesetasDeTexto(const QString& pesetas) {
    // 9,999,999.99 euros is ten digits of pesetas.
    static const QRegularExpression re(QStringLiteral("^\\d{1,10}$"));
    const QString t = pesetas.trimmed();
    if (!re.match(t).hasMatch()) return std::nullopt;
    return t.toLongLong();
}

namespace {

// A value as the message shows it: quoted, and cut short when it is long
// enough to bury the message.
QString citar(const QString& v) {
    constexpr int Maximo = 40;
    return QLatin1Char('"') + (v.size() > Maximo ? v.left(Maximo) + QStringLiteral("…") : v) + QLatin1Char('"');
}

QString alumno(const cAlumno& a, const cCurso& s) {
    const QString nombre =
        QStringList({a.Apellido1(), a.Apellido2(), a.Nombre()}).join(QLatin1Char(' ')).simplified();
    return QStringLiteral("sección %1, el alumno %2%3")
        .arg(s.IDSeccion())
        .arg(a.IDAlumno())
        .arg(nombre.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(nombre));
}

// The school's teaching types, and every course and section with the one
// it belongs to.
struct Estructura {
    QSet<int> tipos;
    QHash<int, int> tipoDeCurso, cursoDeSeccion;
};

Estructura leerPertenencias(Conexion& centro, qint16 idCentro) {
    Estructura e;
    for (Recordset rs = centro.Abrir(QStringLiteral("SELECT codTipoEnsenanza FROM Centro_TipoEnsenanza WHERE codCentro=%1")
                                         .arg(idCentro));
         !rs.eof(); rs.MoveNext())
        e.tipos.insert(int(rs.entero(QStringLiteral("codTipoEnsenanza"))));
    for (Recordset rs = centro.Abrir(QStringLiteral("SELECT IDCurso, codTipoEnsenanza FROM Curso")); !rs.eof(); rs.MoveNext())
        e.tipoDeCurso.insert(int(rs.entero(QStringLiteral("IDCurso"))), int(rs.entero(QStringLiteral("codTipoEnsenanza"))));
    for (Recordset rs = centro.Abrir(QStringLiteral("SELECT IDSeccion, codCurso FROM Seccion")); !rs.eof(); rs.MoveNext())
        e.cursoDeSeccion.insert(int(rs.entero(QStringLiteral("IDSeccion"))), int(rs.entero(QStringLiteral("codCurso"))));
    return e;
}

// The destination, link by link: each id given must exist and belong to the
// one before it.
void problemasDestino(const cAlumno& a, const QString& quien, const Estructura& e, QStringList& problemas) {
    const int tipo = a.NIDTipoEnsenanza(), curso = a.NIDCurso(), seccion = a.NIDSeccion();
    if (tipo != 0 && !e.tipos.contains(tipo))
        problemas << QStringLiteral("%1: el tipo de enseñanza de destino %2 no existe en el centro").arg(quien).arg(tipo);
    if (curso != 0) {
        const auto c = e.tipoDeCurso.constFind(curso);
        if (c == e.tipoDeCurso.cend() || !e.tipos.contains(*c))
            problemas << QStringLiteral("%1: el curso de destino %2 no existe en el centro").arg(quien).arg(curso);
        else if (*c != tipo)
            problemas << QStringLiteral("%1: el curso de destino %2 no es del tipo de enseñanza %3 (es del %4)")
                             .arg(quien)
                             .arg(curso)
                             .arg(tipo)
                             .arg(*c);
    }
    if (seccion != 0) {
        const auto s = e.cursoDeSeccion.constFind(seccion);
        if (s == e.cursoDeSeccion.cend())
            problemas << QStringLiteral("%1: la sección de destino %2 no existe en el centro").arg(quien).arg(seccion);
        else if (*s != curso)
            problemas << QStringLiteral("%1: la sección de destino %2 no es del curso %3 (es del %4)")
                             .arg(quien)
                             .arg(seccion)
                             .arg(curso)
                             .arg(*s);
    }
}

void problemasAlumno(const cAlumno& a, const cCurso& s, const Estructura& e, const AlcanceValidacion& alcance,
                     QStringList& problemas) {
    const QString quien = alumno(a, s);
    if (a.SinAsignar()) {
        // The engine makes him a leaver: only once the secretary was asked.
        if (!alcance.admiteSinAsignar)
            problemas << QStringLiteral("%1: no tiene decisión (Promociona, Repite o Baja) y el cierre lo daría de baja")
                             .arg(quien);
        return;
    }
    const int decisiones = int(a.Promociona()) + int(a.Repite()) + int(a.Baja());
    if (decisiones != 1) {
        problemas << QStringLiteral("%1: debe tener exactamente una de Promociona, Repite o Baja (tiene %2)")
                         .arg(quien)
                         .arg(decisiones);
        return;
    }
    if (a.Baja()) {
        if (!a.FechaBaja().trimmed().isEmpty() && !fechaDeTexto(a.FechaBaja()).isValid())
            problemas << QStringLiteral("%1: la fecha de baja %2 no es una fecha válida").arg(quien, citar(a.FechaBaja()));
        return;
    }
    problemasDestino(a, quien, e, problemas);
}

void problemasPrecio(const QString& euros, const QString& pesetas, const QString& quien, QStringList& problemas) {
    if (!euros.trimmed().isEmpty() && !centimosDeEuros(euros))
        problemas << QStringLiteral("%1: %2 no es un precio en euros válido (por ejemplo 12,50)").arg(quien, citar(euros));
    if (!pesetas.trimmed().isEmpty() && !pesetasDeTexto(pesetas))
        problemas << QStringLiteral("%1: %2 no es un precio en pesetas válido (un número entero)").arg(quien, citar(pesetas));
}

// What the activities transfer writes of a promoted activity: its dates, the
// prices of the members who pass and of the price rows in use.
void problemasActividad(const cActividad& a, QStringList& problemas) {
    const QString quien = QStringLiteral("actividad %1").arg(a.IDActividad());
    QDate fechas[2];
    const QString textos[2] = {a.FechaInicio(), a.FechaFin()};
    for (int i = 0; i < 2; ++i) {
        if (textos[i].trimmed().isEmpty()) continue;
        fechas[i] = fechaDeTexto(textos[i]);
        if (!fechas[i].isValid())
            problemas << QStringLiteral("%1: la fecha de %2 %3 no es una fecha válida")
                             .arg(quien, i == 0 ? QStringLiteral("inicio") : QStringLiteral("fin"), citar(textos[i]));
    }
    if (fechas[0].isValid() && fechas[1].isValid() && fechas[1] < fechas[0])
        problemas << QStringLiteral("%1: la fecha de fin %2 es anterior a la de inicio %3")
                         .arg(quien, citar(textos[1]), citar(textos[0]));
    for (const auto& m : *a.Alumnos())
        if (m->Visible() && m->Pasar())
            problemasPrecio(m->Euros(), m->Pesetas(), QStringLiteral("%1, alumno %2").arg(quien).arg(m->IDAlumno()),
                            problemas);
    for (const auto& p : *a.TipoAlumnos())
        if (p->Visible())
            problemasPrecio(p->Euros(), p->Pesetas(), QStringLiteral("%1, tipo de alumno %2").arg(quien).arg(p->ID()),
                            problemas);
    for (const auto& p : *a.Cursos())
        if (p->Visible())
            problemasPrecio(p->Euros(), p->Pesetas(), QStringLiteral("%1, curso %2").arg(quien).arg(p->ID()), problemas);
}

}  // namespace

bool HayAlumnosSinAsignar(const Coleccion<cCurso>& secciones) {
    for (const auto& s : secciones) {
        if (!s->Promocionada() || !s->Alumnos()) continue;
        for (const auto& a : *s->Alumnos())
            if (a->SinAsignar()) return true;
    }
    return false;
}

QStringList problemasDecisiones(const Coleccion<cCurso>* secciones, const Coleccion<cActividad>* actividades,
                                Conexion& centro, qint16 idCentro, const AlcanceValidacion& alcance) {
    QStringList problemas;
    if (alcance.secciones && secciones) {
        const Estructura e = leerPertenencias(centro, idCentro);
        for (const auto& s : *secciones) {
            if (!s->Promocionada() || !s->Alumnos()) continue;
            for (const auto& a : *s->Alumnos()) problemasAlumno(*a, *s, e, alcance, problemas);
        }
    }
    if (alcance.actividades && actividades)
        for (const auto& a : *actividades)
            if (a->Promocionada()) problemasActividad(*a, problemas);
    return problemas;
}

}  // namespace ncc::motor
