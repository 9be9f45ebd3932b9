// Form texts from the string table and the wizard's button sets, on real
// widgets (offscreen).
#include "entry/gui/cIInterface.h"
#include "comun/Lectura.h"
#include "comun/Utf8.h"
#include "platform/MensajesGuion.h"
#include "platform/Textos.h"
#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <memory>

using namespace ncc;
using ncc::pruebas::enFila;


class Interfaz : public ::testing::Test {
protected:
    void SetUp() override { guion.alInesperada([](const QString& t) { ADD_FAILURE() << t.toStdString(); }); }

    template <class W>
    W* con(W* w, const QVariant& tag) {
        w->setProperty("tag", tag);
        return w;
    }

    MensajesGuion guion;
    ServicioMensajesInstalado inst{guion};
    cIInterface interfaz;
    std::unique_ptr<QDialog> frm = std::make_unique<QDialog>();
};

TEST_F(Interfaz, EtiquetasBotonesMarcosYTituloSeCarganPorSuId) {
    con(frm.get(), 1001);
    auto* centro = con(new QLabel(u("Etiqueta de diseño"), frm.get()), 1120);
    auto* actual = con(new QLabel(u("diseño"), frm.get()), u("1121"));
    auto* conBlancos = con(new QLabel(u("diseño"), frm.get()), u(" 1122 "));
    auto* sinTag = new QLabel(u("lblCentro"), frm.get());
    auto* noNumerica = con(new QLabel(u("diseño"), frm.get()), u("lbl1120"));
    auto* vacia = con(new QLabel(u("diseño"), frm.get()), u(""));
    auto* marco = con(new QGroupBox(u("Frame1"), frm.get()), 2120);
    auto* opcion = con(new QRadioButton(u("Option1"), marco), 2173);
    auto* casilla = con(new QCheckBox(u("Check1"), marco), 2175);
    auto* boton = con(new QPushButton(u("Comma&nd1"), frm.get()), 333.0);
    auto* texto = con(new QLineEdit(u("txtCursoPromocion"), frm.get()), 1120);

    // Called by its name, as the host calls it.
    ASSERT_TRUE(QMetaObject::invokeMethod(&interfaz, "CargarTextos", Q_ARG(QWidget*, frm.get())));

    // The button keeps the form's Alt+N; text boxes keep what they hold.
    EXPECT_EQ((QStringList{frm->windowTitle(), centro->text(), actual->text(), conBlancos->text(), sinTag->text(), noNumerica->text(),
                           vacia->text(), marco->title(), opcion->text(), casilla->text(), boton->text(), texto->text()}),
              (QStringList{u("Asistente para Cierre del Curso Escolar Actual"), u("Centro:"), u("Curso escolar actual:"),
                           u("Curso escolar al que promocionan:"), u("lblCentro"), u("diseño"), u("diseño"), u("Opciones"),
                           u("Promociona"), u("Baja"), u("Siguie&nte >"), u("txtCursoPromocion")}));
    EXPECT_TRUE(guion.mostrados().isEmpty());
}

TEST_F(Interfaz, UnIdQueFaltaDetieneElRecorridoConUnSoloMensajeAunqueSeaElTitulo) {
    auto* antes = con(new QLabel(u("a"), frm.get()), 1120);
    auto* falta = con(new QLabel(u("b"), frm.get()), 99999);
    auto* despues = con(new QLabel(u("c"), frm.get()), 1121);
    auto* otroQueFalta = con(new QPushButton(u("d"), frm.get()), 99998);

    interfaz.CargarTextos(frm.get());

    EXPECT_EQ((QStringList{antes->text(), falta->text(), despues->text(), otroQueFalta->text()}),
              (QStringList{u("Centro:"), u("b"), u("c"), u("d")}));
    ASSERT_EQ(guion.mostrados().size(), 1);
    const MensajeMostrado m = guion.ultimo();
    EXPECT_EQ(enFila({m.mensaje.texto.startsWith(u("Error 326: ")), m.mensaje.texto.contains(u("99999")),
                      m.mensaje.icono, m.mensaje.titulo, m.conPitido, guion.pitidos()}),
              enFila({true, true, Icono::Critico, Texto(TituloProducto), true, 1})) << m.mensaje.texto.toStdString();

    // A missing title stops it before the first control.
    QDialog otro;
    con(&otro, 999)->setWindowTitle(u("frmCierreCursoE"));
    auto* l = con(new QLabel(u("a"), &otro), 1120);
    interfaz.CargarTextos(&otro);
    EXPECT_EQ(enFila({otro.windowTitle(), l->text(), guion.mostrados().size()}), "frmCierreCursoE|a|2");
}

TEST_F(Interfaz, MenusPorSuTextoYBarrasPorSuAyuda) {
    auto* barraMenu = new QMenuBar(frm.get());
    QMenu* menu = barraMenu->addMenu(u("331"));
    QAction* item = menu->addAction(u("334"));
    QAction* itemFijo = menu->addAction(u("Acerca de"));
    auto* barra = new QToolBar(frm.get());
    QAction* herramienta = barra->addAction(u("Guardar"));
    herramienta->setToolTip(u("2150"));
    QAction* herramientaFija = barra->addAction(u("Cargar"));
    herramientaFija->setToolTip(u("Cargar datos"));
    auto* suelto = new QToolButton(frm.get());
    suelto->setText(u("..."));
    suelto->setToolTip(u("2151"));

    interfaz.CargarTextos(frm.get());

    EXPECT_EQ((QStringList{menu->title(), item->text(), itemFijo->text(), herramienta->toolTip(), herramienta->text(),
                           herramientaFija->toolTip(), suelto->toolTip(), suelto->text()}),
              (QStringList{u("Ayuda"), u("Aceptar"), u("Acerca de"), u("Guardar datos alumnos"), u("Guardar"), u("Cargar datos"),
                           u("Cargar datos alumnos"), u("...")}));
    // The toolbar's own button follows its action.
    auto* botonBarra = qobject_cast<QToolButton*>(barra->widgetForAction(herramienta));
    ASSERT_TRUE(botonBarra);
    EXPECT_EQ(enFila({botonBarra->toolTip(), guion.mostrados().size()}), "Guardar datos alumnos|0");
}

TEST_F(Interfaz, PestanasYEncabezadosDeColumnaPorSusDatos) {
    auto* pestanas = new QTabBar(frm.get());
    pestanas->addTab(u("Tab1"));
    pestanas->addTab(u("Tab2"));
    pestanas->addTab(u("Tab3"));
    pestanas->setTabData(0, 2173);
    pestanas->setTabData(2, u("2175"));

    auto* hojas = new QTabWidget(frm.get());
    hojas->addTab(new QWidget, u("Hoja1"));
    hojas->tabBar()->setTabData(0, 6030);

    auto* tabla = new QTableWidget(2, 3, frm.get());
    for (int c = 0; c < 3; ++c) tabla->setHorizontalHeaderItem(c, new QTableWidgetItem(u("Col%1").arg(c)));
    tabla->horizontalHeaderItem(0)->setData(Qt::UserRole, 3170);
    tabla->horizontalHeaderItem(2)->setData(Qt::UserRole, u("3172"));
    tabla->setVerticalHeaderItem(0, new QTableWidgetItem(u("Fila")));
    tabla->verticalHeaderItem(0)->setData(Qt::UserRole, 3171);

    auto* arbol = new QTreeWidget(frm.get());
    arbol->setColumnCount(2);
    arbol->headerItem()->setText(0, u("A"));
    arbol->headerItem()->setText(1, u("B"));
    arbol->headerItem()->setData(1, Qt::UserRole, 13052);

    interfaz.CargarTextos(frm.get());

    // Only column headings: the row's stays.
    EXPECT_EQ((QStringList{pestanas->tabText(0), pestanas->tabText(1), pestanas->tabText(2), hojas->tabText(0),
                           tabla->horizontalHeaderItem(0)->text(), tabla->horizontalHeaderItem(1)->text(),
                           tabla->horizontalHeaderItem(2)->text(), tabla->verticalHeaderItem(0)->text(), arbol->headerItem()->text(0),
                           arbol->headerItem()->text(1)}),
              (QStringList{u("Promociona"), u("Tab2"), u("Baja"), u("Histórico de la Aplicación"), u("Actividad"), u("Col1"), u("Fin"),
                           u("Fila"), u("A"), u("Nota")}));
    EXPECT_TRUE(guion.mostrados().isEmpty());
}

class BotonesAsistente : public Interfaz {
protected:
    void SetUp() override {
        Interfaz::SetUp();
        for (int i = 0; i < 3; ++i) botones.agregar(new QPushButton(u("Boton%1").arg(i), frm.get()));
        botones.boton(1)->setEnabled(false);
    }
    QList<bool> habilitados() const {
        QList<bool> l;
        for (const auto& f : botones) l << f.boton->isEnabled();
        return l;
    }
    QList<bool> guardados() const {
        QList<bool> l;
        for (const auto& f : botones) l << f.guardado;
        return l;
    }
    ConjuntoBotones botones;
};

// Each step on the same three buttons (the second disabled at first): the
// state given, the `inicializar` given, then the buttons' and the saved states.
TEST_F(BotonesAsistente, CadaEstadoHabilitaYGuardaComoDiceYUnaListaCortaDaElErrorEstandar) {
    const auto bits = [](const char* t) {
        QList<bool> l;
        for (; *t; ++t) l << (*t == '1');
        return l;
    };
    const struct {
        QVariant estado, inicializar;
        const char *habilitados, *guardados;
    } pasos[] = {
        {3, {}, "101", "000"},  // other states do nothing, save nothing
        {-1, {}, "101", "000"},
        {true, {}, "101", "000"},
        {0.5, {}, "101", "000"},
        {u("x"), {}, "101", "000"},
        {{}, {}, "101", "000"},
        {0, {}, "000", "101"},  // saved, then all off
        {2, {}, "101", "101"},  // restored
        {QVariant::fromValue(bits("010")), {}, "010", "101"},  // one each, the previous saved
        {7, u("sí"), "010", "010"},  // nothing, but inicializar saves
        {QVariantList{-1, 0, true}, {}, "101", "010"},
        {2, {}, "010", "010"},  // restoring saves nothing
        {u("0"), {}, "000", "010"},  // a numeric text is its number
        {1, 1, "111", "111"},
        {QVariant::fromValue(bits("110")), 0, "110", "110"},
    };
    for (const auto& p : pasos) {
        interfaz.Activar(botones, p.estado, p.inicializar);
        EXPECT_EQ(habilitados(), bits(p.habilitados)) << p.estado.toString().toStdString();
        EXPECT_EQ(guardados(), bits(p.guardados)) << p.estado.toString().toStdString();
    }
    EXPECT_TRUE(guion.mostrados().isEmpty());

    // A list shorter than the set, then a button that no longer exists:
    // the standard errors.
    interfaz.Activar(botones, QList<bool>{false, false});
    delete botones.boton(1);
    interfaz.Activar(botones, 1);
    ASSERT_EQ(guion.mostrados().size(), 2);
    EXPECT_EQ(enFila({guion.mostrados().at(0).mensaje.texto.startsWith(u("Error 9: ")),
                      guion.mostrados().at(0).conPitido, guion.ultimo().mensaje.texto.startsWith(u("Error 91: "))}),
              "true|true|true");
}

TEST_F(Interfaz, MasDe255FilasDesborda) {
    ConjuntoBotones grande;
    for (int i = 0; i < 255; ++i) grande.agregar(new QPushButton(frm.get()));
    interfaz.Activar(grande, 0);
    EXPECT_EQ(enFila({guion.mostrados().size(), grande.boton(254)->isEnabled()}), "0|false");

    grande.agregar(new QPushButton(frm.get()));
    interfaz.Activar(grande, 1);
    ASSERT_EQ(guion.mostrados().size(), 1);
    // Nothing was switched.
    EXPECT_EQ(enFila({guion.ultimo().mensaje.texto, guion.ultimo().mensaje.icono, guion.ultimo().conPitido,
                      grande.boton(0)->isEnabled()}),
              enFila({u("Error 6: Desbordamiento"), Icono::Critico, true, false}));
}
