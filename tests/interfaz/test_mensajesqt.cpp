// The message boxes of the windows, answered from a timer while they wait.
#include "platform/gui/MensajesQt.h"
#include "comun/Lectura.h"
#include "comun/Utf8.h"
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

using namespace ncc;
using ncc::pruebas::enFila;


// Runs `responder` on the message box as soon as it is shown.
static void alAparecer(std::function<void(QMessageBox&)> responder) {
    auto* t = new QTimer;
    t->setInterval(10);
    QObject::connect(t, &QTimer::timeout, [t, responder] {
        if (auto* caja = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            t->stop();
            t->deleteLater();
            responder(*caja);
        }
    });
    t->start();
}

TEST(MensajesQt, PreguntaConBotonesEnEspanolYNoPorDefectoYAvisoCriticoConAceptar) {
    Mensaje m;
    m.texto = u("Línea uno\r\nLínea dos");
    m.icono = Icono::Pregunta;
    m.botones = Botones::SiNo;
    m.defecto = Respuesta::No;
    m.titulo = u("NORVA GESTIÓN ESCOLAR");
    QString si, no, defecto, titulo, texto;
    QMessageBox::Icon icono = QMessageBox::NoIcon;
    alAparecer([&](QMessageBox& caja) {
        si = caja.button(QMessageBox::Yes)->text();
        no = caja.button(QMessageBox::No)->text();
        defecto = caja.defaultButton() ? caja.defaultButton()->text() : QString();
        titulo = caja.windowTitle();
        texto = caja.text();
        icono = caja.icon();
        caja.button(QMessageBox::Yes)->click();
    });
    MensajesQt qt;
    EXPECT_EQ(qt.mostrar(m), Respuesta::Si);
    EXPECT_EQ(enFila({si, no, defecto, titulo, texto, icono}),
              enFila({u("Sí"), u("No"), u("No"), m.titulo, u("Línea uno\nLínea dos"), QMessageBox::Question}));

    // A critical warning closes with "Aceptar".
    Mensaje critico;
    critico.texto = u("Error 13: No coinciden los tipos");
    critico.icono = Icono::Critico;
    QString aceptar;
    alAparecer([&](QMessageBox& caja) {
        aceptar = caja.button(QMessageBox::Ok)->text();
        icono = caja.icon();
        caja.button(QMessageBox::Ok)->click();
    });
    EXPECT_EQ(qt.mostrar(critico), Respuesta::Aceptar);
    EXPECT_EQ(enFila({aceptar, icono}), enFila({u("Aceptar"), QMessageBox::Critical}));
}
