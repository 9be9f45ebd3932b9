#include "platform/gui/MensajesQt.h"
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace ncc {

void MensajesQt::pitar() { QApplication::beep(); }

static QMessageBox::Icon icono(Icono i) {
    switch (i) {
    case Icono::Critico: return QMessageBox::Critical;
    case Icono::Pregunta: return QMessageBox::Question;
    case Icono::Exclamacion: return QMessageBox::Warning;
    case Icono::Informacion: return QMessageBox::Information;
    case Icono::Ninguno: break;
    }
    return QMessageBox::NoIcon;
}

static QMessageBox::StandardButton boton(Respuesta r) {
    switch (r) {
    case Respuesta::Aceptar: return QMessageBox::Ok;
    case Respuesta::Si: return QMessageBox::Yes;
    case Respuesta::No: return QMessageBox::No;
    case Respuesta::Cancelar: return QMessageBox::Cancel;
    }
    return QMessageBox::NoButton;
}

static QMessageBox::StandardButtons botones(Botones b) {
    switch (b) {
    case Botones::Aceptar: return QMessageBox::Ok;
    case Botones::SiNo: return QMessageBox::Yes | QMessageBox::No;
    case Botones::SiNoCancelar: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case Botones::AceptarCancelar: return QMessageBox::Ok | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

static void textosEspanoles(QMessageBox& caja) {
    const std::pair<QMessageBox::StandardButton, const char*> textos[] = {
        {QMessageBox::Ok, "Aceptar"}, {QMessageBox::Yes, "Sí"}, {QMessageBox::No, "No"},
        {QMessageBox::Cancel, "Cancelar"}};
    for (const auto& [b, t] : textos)
        if (QAbstractButton* boton = caja.button(b)) boton->setText(QString::fromUtf8(t));
}

// Escape (or closing the box) means the button that does nothing.
static QMessageBox::StandardButton escape(Botones b) {
    switch (b) {
    case Botones::Aceptar: return QMessageBox::Ok;
    case Botones::SiNo: return QMessageBox::No;
    case Botones::SiNoCancelar:
    case Botones::AceptarCancelar: return QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

Respuesta MensajesQt::respuesta(int b) {
    switch (b) {
    case QMessageBox::Yes: return Respuesta::Si;
    case QMessageBox::No: return Respuesta::No;
    case QMessageBox::Cancel: return Respuesta::Cancelar;
    default: return Respuesta::Aceptar;
    }
}

std::unique_ptr<QMessageBox> MensajesQt::crearCaja(const Mensaje& m, QWidget* padre) {
    QString texto = m.texto;
    texto.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    auto caja = std::make_unique<QMessageBox>(icono(m.icono), m.titulo, texto, botones(m.botones), padre);
    caja->setObjectName(QStringLiteral("msgMensaje"));
    textosEspanoles(*caja);
    const QMessageBox::StandardButton defecto = boton(m.defecto);
    if (caja->button(defecto)) caja->setDefaultButton(defecto);
    caja->setEscapeButton(escape(m.botones));
    return caja;
}

Respuesta MensajesQt::mostrar(const Mensaje& m) {
    QWidget* padre = QApplication::activeModalWidget();
    const auto caja = crearCaja(m, padre ? padre : QApplication::activeWindow());
    return respuesta(caja->exec());
}

}  // namespace ncc
