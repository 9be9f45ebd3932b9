#include "platform/MensajesTerminal.h"
#include <unistd.h>

namespace ncc {

SinTerminal::SinTerminal(const QString& pregunta)
    : Error(Numero,
            QStringLiteral("Hay que responder a una pregunta y no hay un terminal donde hacerla: «%1». "
                           "Ejecute la orden desde un terminal, o con --si para responder Sí a todas las "
                           "preguntas.")
                .arg(pregunta)),
      pregunta_(pregunta) {}

MensajesTerminal& mensajesTerminal() {
    static MensajesTerminal t;
    return t;
}

MensajesTerminal::MensajesTerminal(std::FILE* salida, std::FILE* entrada)
    : salida_(salida), entrada_(entrada) {}

bool MensajesTerminal::hayTerminal() const {
    if (esTerminal_) return *esTerminal_;
    return entrada_ && isatty(fileno(entrada_));
}

void MensajesTerminal::pitar() {
    // A bell in a log file is only noise.
    if (salida_ && isatty(fileno(salida_))) {
        std::fputs("\a", salida_);
        std::fflush(salida_);
    }
}

static QString prefijo(Icono i) {
    switch (i) {
    case Icono::Critico: return QStringLiteral("Error");
    case Icono::Pregunta: return QStringLiteral("Pregunta");
    case Icono::Exclamacion: return QStringLiteral("Aviso");
    case Icono::Informacion: return QStringLiteral("Información");
    case Icono::Ninguno: break;
    }
    return {};
}

// "Error: Error 13: ..." says it twice; the standard error message already
// begins with its word.
static QString conPrefijo(const Mensaje& m) {
    QString texto = m.texto;
    texto.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QString p = prefijo(m.icono);
    if (p.isEmpty() || texto.startsWith(p)) return texto;
    return p + QStringLiteral(": ") + texto;
}

static bool esPregunta(const Mensaje& m) { return m.botones != Botones::Aceptar; }

static QString opciones(const Mensaje& m) {
    const bool siNo = m.botones != Botones::AceptarCancelar;
    const bool cancelar = m.botones != Botones::SiNo;
    QStringList o;
    if (siNo) {
        o << (m.defecto == Respuesta::Si ? QStringLiteral("S") : QStringLiteral("s"));
        o << (m.defecto == Respuesta::No ? QStringLiteral("N") : QStringLiteral("n"));
    } else {
        o << (m.defecto == Respuesta::Aceptar ? QStringLiteral("A") : QStringLiteral("a"));
    }
    if (cancelar) o << (m.defecto == Respuesta::Cancelar ? QStringLiteral("C") : QStringLiteral("c"));
    return QStringLiteral("[") + o.join(QLatin1Char('/')) + QStringLiteral("]");
}

static QString nombre(Respuesta r) {
    switch (r) {
    case Respuesta::Si: return QStringLiteral("Sí");
    case Respuesta::No: return QStringLiteral("No");
    case Respuesta::Aceptar: return QStringLiteral("Aceptar");
    case Respuesta::Cancelar: return QStringLiteral("Cancelar");
    }
    return {};
}

// The answer that does nothing, for an input that ended.
static Respuesta negativa(const Mensaje& m) {
    return m.botones == Botones::SiNo ? Respuesta::No : Respuesta::Cancelar;
}

void MensajesTerminal::escribir(const QString& texto) {
    if (!salida_) return;
    std::fputs(texto.toUtf8().constData(), salida_);
    std::fflush(salida_);
}

Respuesta MensajesTerminal::mostrar(const Mensaje& m) {
    if (!esPregunta(m)) {
        escribir(conPrefijo(m) + QLatin1Char('\n'));
        return Respuesta::Aceptar;
    }
    if (siATodo_) {
        const Respuesta r = m.botones == Botones::AceptarCancelar ? Respuesta::Aceptar : Respuesta::Si;
        escribir(conPrefijo(m) + QLatin1Char(' ') + nombre(r) + QLatin1Char('\n'));
        return r;
    }
    if (!hayTerminal()) {
        escribir(conPrefijo(m) + QLatin1Char('\n'));
        throw SinTerminal(m.texto);
    }
    return preguntarEnTerminal(m);
}

static std::optional<Respuesta> leerRespuesta(const QString& linea, const Mensaje& m) {
    const QString r = linea.trimmed().toLower();
    if (r.isEmpty()) return m.defecto;
    const bool siNo = m.botones != Botones::AceptarCancelar;
    const bool cancelar = m.botones != Botones::SiNo;
    if (siNo && (r == QLatin1String("s") || r == QLatin1String("si") || r == QStringLiteral("sí")))
        return Respuesta::Si;
    if (siNo && (r == QLatin1String("n") || r == QLatin1String("no"))) return Respuesta::No;
    if (!siNo && (r == QLatin1String("a") || r == QLatin1String("aceptar"))) return Respuesta::Aceptar;
    if (cancelar && (r == QLatin1String("c") || r == QLatin1String("cancelar"))) return Respuesta::Cancelar;
    return std::nullopt;
}

Respuesta MensajesTerminal::preguntarEnTerminal(const Mensaje& m) {
    QString texto = conPrefijo(m);
    for (;;) {
        escribir(texto + QLatin1Char(' ') + opciones(m) + QLatin1Char(' '));
        QByteArray linea;
        char trozo[256];
        bool fin = true;
        while (std::fgets(trozo, sizeof trozo, entrada_)) {
            fin = false;
            linea += trozo;
            if (linea.endsWith('\n')) break;
        }
        if (fin) {
            escribir(QLatin1Char('\n') + nombre(negativa(m)) + QLatin1Char('\n'));
            return negativa(m);
        }
        if (const auto r = leerRespuesta(QString::fromUtf8(linea), m)) return *r;
        texto = QStringLiteral("Respuesta no válida.");
    }
}

}  // namespace ncc
