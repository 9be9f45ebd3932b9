// ncc manual and ncc completado-bash: the manual page ncc(1) and the bash
// completion, both made from the command registry and the usage texts that
// `ncc ORDEN --help` prints, so that a new command appears in them by itself.
// The build runs them to write the files that the package installs.
#include "app/Comandos.h"
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QTextStream>
#include <algorithm>

namespace ncc::app {

namespace {

QList<const Comando*> porNombre() {
    QList<const Comando*> l;
    for (const Comando& c : comandos()) l.append(&c);
    std::sort(l.begin(), l.end(), [](const Comando* a, const Comando* b) { return qstrcmp(a->nombre, b->nombre) < 0; });
    return l;
}

// Text as roff prints it: backslashes and hyphens escaped, no line taken for
// a request.
QString roff(const QString& texto) {
    QStringList lineas = texto.split(QLatin1Char('\n'));
    for (QString& l : lineas) {
        l.replace(QLatin1Char('\\'), QLatin1String("\\e")).replace(QLatin1Char('-'), QLatin1String("\\-"));
        if (l.startsWith(QLatin1Char('.')) || l.startsWith(QLatin1Char('\''))) l.prepend(QLatin1String("\\&"));
    }
    return lineas.join(QLatin1Char('\n'));
}

int manual(const QStringList&) {
    QTextStream out(stdout);
    out << ".\\\" -*- coding: UTF-8 -*-\n"
           ".\\\" Hecha por «ncc manual» con los textos de uso de cada orden.\n"
           ".TH NCC 1 \"\" \"ncc " NCC_VERSION "\" \"Norva Gestión Escolar\"\n"
           ".SH NOMBRE\nncc \\- cierre de curso escolar y cursos históricos de Norva Gestión Escolar\n"
           ".SH SINOPSIS\n.B ncc\n.I orden\n.RI [ opciones ]\n.br\n.B ncc\n.I orden\n.B \\-\\-help\n"
           ".SH DESCRIPCIÓN\n"
           "\\fBncc\\fR cierra el curso escolar de un centro: crea las bases de datos del curso siguiente, pasa a él "
           "a los alumnos, las secciones y las actividades según lo decidido, guarda las notas finales en el "
           "histórico y da de baja a quienes se van; si algo falla, deja las bases de datos como estaban.\n"
           ".PP\n"
           "\\fBncc escritorio\\fR abre las ventanas del programa (el asistente de cierre, los cursos históricos y "
           "el paso de notas al histórico); las demás órdenes trabajan en el terminal. Cada orden explica su uso "
           "con \\fB\\-\\-help\\fR, con el mismo texto que esta página.\n"
           ".SH ÓRDENES\n";
    for (const Comando* c : porNombre()) {
        out << ".SS " << roff(QString::fromUtf8(c->nombre)) << "\n" << roff(QString::fromUtf8(c->resumen)) << ".\n.PP\n.nf\n"
            << roff(textoUso(*c).trimmed()) << "\n.fi\n";
    }
    out << ".SH ESTADO DE SALIDA\n"
           ".TP\n.B " << SalidaExito << "\nla orden terminó bien (el cierre se hizo)\n"
           ".TP\n.B " << SalidaFallo << "\nla orden falló; un cierre que falla deja las bases de datos como estaban\n"
           ".TP\n.B " << SalidaRechazo << "\ncancelada o rechazada (una pregunta respondida No, o sin terminal y sin "
           "\\fB\\-\\-si\\fR)\n"
           ".TP\n.B " << SalidaUso << "\nuso incorrecto\n"
           ".SH ARCHIVOS\n"
           ".TP\n.I CARPETA/AppEntrada.db\nla base de datos de entrada de la aplicación, que nombra las del centro\n"
           ".TP\n.I CARPETA/CierreCurso.pendiente\nel diario de un cierre en curso; si el equipo se apagó a medio "
           "cierre, \\fBncc recuperar\\fR (o el siguiente \\fBncc cerrar\\fR o \\fBncc escritorio\\fR) lo resuelve\n"
           ".TP\n.I ~/.config/Norva/CierreCurso.conf\nla carpeta del centro usada la última vez\n"
           ".TP\n.I /usr/share/ncc/ayuda/\nlas páginas de ayuda de las ventanas (F1 o «Ayuda»)\n";
    return SalidaExito;
}

struct OpcionesOrden {
    QStringList todas;
    QStringList carpetas;  // take a folder
    QStringList ficheros;  // take a file
};

OpcionesOrden opcionesDe(const Comando& c) {
    static const QRegularExpression opcion(QStringLiteral("(?<![\\w-])(--[a-z][a-z0-9-]*)(?:[ =]([A-ZÑ][A-ZÑ0-9]+))?"));
    OpcionesOrden o;
    o.todas << QStringLiteral("--help");
    for (auto m = opcion.globalMatch(textoUso(c)); m.hasNext();) {
        const auto h = m.next();
        const QString nombre = h.captured(1);
        if (!o.todas.contains(nombre)) o.todas << nombre;
        if (h.captured(2) == QLatin1String("CARPETA") && !o.carpetas.contains(nombre)) o.carpetas << nombre;
        if (h.captured(2) == QLatin1String("FICHERO") && !o.ficheros.contains(nombre)) o.ficheros << nombre;
    }
    return o;
}

int completadoBash(const QStringList&) {
    QStringList ordenes{QStringLiteral("ayuda")};
    for (const Comando* c : porNombre()) ordenes << QString::fromUtf8(c->nombre);
    const QString lista = ordenes.join(QLatin1Char(' '));
    QTextStream out(stdout);
    out << "# Completado de bash de las órdenes de ncc y de sus opciones, hecho por «ncc completado-bash».\n"
           "_ncc() {\n"
           "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]} opciones=\n"
           "    COMPREPLY=()\n"
           "    if [ \"$COMP_CWORD\" -eq 1 ]; then\n"
           "        COMPREPLY=($(compgen -W \"" << lista << "\" -- \"$cur\"))\n"
           "        return\n"
           "    fi\n"
           "    case ${COMP_WORDS[1]} in\n"
           "        ayuda) [ \"$COMP_CWORD\" -eq 2 ] && COMPREPLY=($(compgen -W \"" << lista << "\" -- \"$cur\")); return ;;\n";
    for (const Comando* c : porNombre()) {
        const OpcionesOrden o = opcionesDe(*c);
        out << "        " << c->nombre << ")\n            opciones=\"" << o.todas.join(QLatin1Char(' ')) << "\"\n";
        if (!o.carpetas.isEmpty() || !o.ficheros.isEmpty()) {
            out << "            case $prev in\n";
            if (!o.carpetas.isEmpty())
                out << "                " << o.carpetas.join(QLatin1Char('|')) << ") COMPREPLY=($(compgen -d -- \"$cur\")); return ;;\n";
            if (!o.ficheros.isEmpty())
                out << "                " << o.ficheros.join(QLatin1Char('|')) << ") COMPREPLY=($(compgen -f -- \"$cur\")); return ;;\n";
            out << "            esac\n";
        }
        out << "            ;;\n";
    }
    out << "    esac\n"
           "    if [[ $cur == -* ]]; then\n"
           "        COMPREPLY=($(compgen -W \"$opciones\" -- \"$cur\"))\n"
           "    else\n"
           "        COMPREPLY=($(compgen -f -- \"$cur\"))\n"
           "    fi\n"
           "}\n"
           "complete -o filenames -F _ncc ncc\n";
    return SalidaExito;
}

const Registro registroManual({"manual", "escribe la página de manual ncc(1), en roff, con el uso de cada orden", manual});
const Registro registroCompletado(
    {"completado-bash", "escribe el completado de bash de las órdenes y sus opciones", completadoBash});

}  // namespace

}  // namespace ncc::app
