#include "platform/gui/Ayuda.h"
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QWidget>

namespace ncc {

void PedirAyuda(QWidget* ventana) {
    if (!ventana) return;
    QKeyEvent pulsada(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QCoreApplication::sendEvent(ventana, &pulsada);
    QKeyEvent soltada(QEvent::KeyRelease, Qt::Key_F1, Qt::NoModifier);
    QCoreApplication::sendEvent(ventana, &soltada);
}

QString CarpetaAyuda() {
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/ncc/ayuda"));
}

namespace {

QString leerPagina(const QString& nombre) {
    QFile f(QDir(CarpetaAyuda()).filePath(nombre + QStringLiteral(".html")));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

}  // namespace

QString PaginaAyuda(const QString& ventana) {
    if (!ventana.isEmpty())
        if (QString p = leerPagina(ventana); !p.isEmpty()) return p;
    if (QString p = leerPagina(QStringLiteral("frmAnfitrion")); !p.isEmpty()) return p;
    // An installation that lost its pages says where they should be.
    return QStringLiteral("<p>No se encuentra la ayuda en %1.</p>").arg(QDir::toNativeSeparators(CarpetaAyuda()).toHtmlEscaped());
}

}  // namespace ncc
