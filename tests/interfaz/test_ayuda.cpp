// Every window of the sources has its own help page (F1, "Ayuda"), and the
// page names each of the window's buttons by the text the button shows;
// each button has an Alt+letter of its own in its window, which no option
// or label shares.
#include "platform/gui/Ayuda.h"
#include <QDirIterator>
#include <QFile>
#include <QKeySequence>
#include <QTextDocument>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

namespace {

struct Ventana {
    QString nombre;
    QStringList botones;
    QStringList atajos;  // the Alt+letter of each button (and of each option or label that has one)
};

// The forms of the sources: the top widget's name and its buttons' texts.
Ventana leerFormulario(const QString& ruta) {
    Ventana v;
    QFile f(ruta);
    if (!f.open(QIODevice::ReadOnly)) return v;
    QXmlStreamReader x(&f);
    QString clase;
    while (x.readNext() != QXmlStreamReader::Invalid && !x.atEnd()) {
        if (!x.isStartElement()) continue;
        if (x.name() == QLatin1String("widget")) {
            clase = x.attributes().value(QLatin1String("class")).toString();
            if (v.nombre.isEmpty()) v.nombre = x.attributes().value(QLatin1String("name")).toString();
        } else if (x.name() == QLatin1String("property") && x.attributes().value(QLatin1String("name")) == QLatin1String("text") &&
                   x.readNextStartElement()) {
            const QString texto = x.readElementText();
            const QString atajo = QKeySequence::mnemonic(texto).toString();
            if (clase == QLatin1String("QPushButton")) {
                v.atajos << atajo;
                v.botones << QString(texto).remove(QLatin1Char('&'));
            } else if (!atajo.isEmpty()) {
                v.atajos << atajo;
            }
        }
    }
    return v;
}

QList<Ventana> ventanasDeLasFuentes() {
    QList<Ventana> l;
    for (const char* carpeta : {"wizard", "history", "buscar"})
        for (QDirIterator it(QStringLiteral(NCC_FUENTES "/") + QLatin1String(carpeta), {QStringLiteral("*.ui")}, QDir::Files);
             it.hasNext();)
            l << leerFormulario(it.next());
    return l;
}

}  // namespace

TEST(Ayuda, CadaVentanaTieneSuPaginaQueNombraSusBotones) {
    QList<Ventana> ventanas = ventanasDeLasFuentes();
    ASSERT_GE(ventanas.size(), 16);
    // The windows built without a form.
    ventanas << Ventana{QStringLiteral("frmEnsayo"), {}, {}};
    const QString general = ncc::PaginaAyuda(QStringLiteral("frmAnfitrion"));
    EXPECT_TRUE(general.contains(QStringLiteral("Cierre de curso escolar"))) << general.toStdString();
    for (const Ventana& v : ventanas) {
        const QString pagina = ncc::PaginaAyuda(v.nombre);
        EXPECT_FALSE(pagina == general) << v.nombre.toStdString() << " no tiene página propia";
        QTextDocument documento;
        documento.setHtml(pagina);
        const QString texto = documento.toPlainText();
        for (const QString& boton : v.botones)
            EXPECT_TRUE(texto.contains(boton)) << v.nombre.toStdString() << ": falta «" << boton.toStdString() << "»";
        for (const QString& atajo : v.atajos)
            EXPECT_TRUE(!atajo.isEmpty() && v.atajos.count(atajo) == 1)
                << v.nombre.toStdString() << ": atajos " << v.atajos.join(QLatin1Char(' ')).toStdString();
    }
}
