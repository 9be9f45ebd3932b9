// ncc capturas CARPETA (--datos DIR | --servidor CADENA): pictures of every
// window of the component on the school of that session.
#include "app/Capturas.h"
#include "app/Anfitrion.h"
#include "app/Comandos.h"
#include "entry/cAsignarDatos.h"
#include "host/Sesion.h"
#include "platform/Textos.h"
#include "platform/gui/MensajesQt.h"
#include <QApplication>
#include <QDir>
#include <QLayout>
#include <QMessageBox>
#include <QPainter>
#include <QTextStream>
#include <QWidget>

namespace ncc::app {

static QList<Captura>& lista() {
    static QList<Captura> l;
    return l;
}
void registrarCaptura(const Captura& c) { lista().append(c); }
const QList<Captura>& capturas() { return lista(); }

Capturador::Capturador(QString carpeta) : carpeta_(std::move(carpeta)) {}

namespace {

// The frame a desktop draws around a window: a title bar over the window's
// own content. The title is elided where the bar ends, as desktops do.
QImage conMarco(const QPixmap& cuerpo, const QString& titulo, bool conCierre) {
    const qreal dpr = cuerpo.devicePixelRatio();
    const QSizeF tam = cuerpo.deviceIndependentSize();
    QFont fuente = QApplication::font();
    fuente.setBold(true);
    const QFontMetrics fm(fuente);
    const int alto = fm.height() + 12;
    const int borde = 1;
    const QSize total(int(tam.width()) + 2 * borde, int(tam.height()) + alto + borde);
    QImage img(total * dpr, QImage::Format_ARGB32);
    img.setDevicePixelRatio(dpr);
    img.fill(QColor(0x2b, 0x57, 0x97));
    QPainter p(&img);
    p.setFont(fuente);
    p.setPen(Qt::white);
    const QRect barra(8, 0, total.width() - 16 - 3 * alto / 2, alto);
    p.drawText(barra, Qt::AlignVCenter | Qt::AlignLeft, fm.elidedText(titulo, Qt::ElideRight, barra.width()));
    if (conCierre) {
        const int m = alto / 3;
        const QRect cierre(total.width() - alto + m, m, alto - 2 * m, alto - 2 * m);
        p.setPen(QPen(Qt::white, 1.5));
        p.drawLine(cierre.topLeft(), cierre.bottomRight());
        p.drawLine(cierre.topRight(), cierre.bottomLeft());
    }
    p.drawPixmap(QPointF(borde, alto), cuerpo);
    return img;
}

}  // namespace

void Capturador::guardar(QWidget* ventana, const QString& nombre) {
    if (!ventana->isVisible()) {
        ventana->ensurePolished();
        if (ventana->layout()) ventana->layout()->activate();
        ventana->resize(ventana->sizeHint().expandedTo(ventana->minimumSizeHint()));
    }
    const QImage img = conMarco(ventana->grab(), ventana->windowTitle(),
                                ventana->windowFlags().testFlag(Qt::WindowCloseButtonHint) ||
                                    !ventana->windowFlags().testFlag(Qt::CustomizeWindowHint));
    guardarImagen(img, nombre);
}

void Capturador::guardarImagen(const QImage& img, const QString& nombre) {
    const QString ruta = QDir(carpeta_).filePath(nombre + QStringLiteral(".png"));
    if (!img.save(ruta)) throw Error(errores::Archivo, QStringLiteral("No se puede escribir %1").arg(ruta));
    if (!escritas_.contains(ruta)) escritas_ << ruta;
}

void Capturador::guardarMensaje(const Mensaje& m, const QString& nombre) {
    const auto caja = MensajesQt::crearCaja(m, nullptr);
    caja->show();
    guardar(caja.get(), nombre);
    caja->hide();
}

QString Capturador::nombreMensaje(const QString& texto) {
    for (int id : idsTextos())
        if (id >= 700 && Texto(id) == texto) return prefijo_ + QLatin1Char('_') + QString::number(id);
    return prefijo_ + QLatin1Char('_') + QString::number(++sinId_);
}

namespace {

// The windows' questions, photographed and answered.
class MensajesCaptura : public ServicioMensajes {
public:
    explicit MensajesCaptura(Capturador& c) : c_(c) {}
    void pitar() override {}
    Respuesta mostrar(const Mensaje& m) override {
        c_.guardarMensaje(m, c_.nombreMensaje(m.texto));
        switch (m.botones) {
        case Botones::Aceptar: return Respuesta::Aceptar;
        case Botones::AceptarCancelar: return c_.respuesta() == Respuesta::Si ? Respuesta::Aceptar : Respuesta::Cancelar;
        default: return c_.respuesta();
        }
    }

private:
    Capturador& c_;
};

QString uso() {
    return QStringLiteral("Uso: ncc capturas CARPETA (--datos CARPETA | --servidor CADENA) [--centro N] [--solo VENTANA]\n"
                          "  --solo VENTANA     solo las imágenes de esa ventana\n") +
           host::usoOpcionesSesion();
}

int capturar(const QStringList& argumentos) {
    QTextStream err(stderr);
    QStringList args = argumentos;
    host::OpcionesSesion opciones;
    QString carpeta, solo;
    try {
        opciones = host::desdeArgumentos(args);
        for (int i = 0; i < args.size();) {
            if (args.at(i) == QLatin1String("--solo") && i + 1 < args.size()) {
                solo = args.at(i + 1);
                args.remove(i, 2);
            } else if (!args.at(i).startsWith(QLatin1String("--")) && carpeta.isEmpty()) {
                carpeta = args.takeAt(i);
            } else {
                throw host::ErrorOpciones(QStringLiteral("Argumento no reconocido: %1").arg(args.at(i)));
            }
        }
        if (carpeta.isEmpty()) throw host::ErrorOpciones(QStringLiteral("Indique la carpeta de las capturas"));
    } catch (const host::ErrorOpciones& e) {
        err << "ncc capturas: " << e.descripcion() << "\n" << uso();
        return SalidaUso;
    }
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        err << "ncc capturas: hace falta un entorno gráfico\n";
        return SalidaFallo;
    }
    if (!QDir().mkpath(carpeta)) {
        err << "ncc capturas: no se puede crear la carpeta " << carpeta << "\n";
        return SalidaFallo;
    }
    Capturador capturador(carpeta);
    MensajesCaptura servicio(capturador);
    ServicioMensajesInstalado instalado(servicio);
    try {
        auto sesion = host::abrirSesion(opciones);
        cAsignarDatos entrada;
        entrada.ObtenerDatos(sesion.get());
        instalarPlanPorDefectoEnAsistente();
        for (const Captura& c : capturas()) {
            if (!solo.isEmpty() && solo != QLatin1String(c.nombre)) continue;
            capturador.fijarPrefijo(QString::fromUtf8(c.nombre));
            capturador.fijarRespuesta(Respuesta::Si);
            c.hacer(capturador);
        }
    } catch (const Error& e) {
        err << "ncc capturas: Error " << e.numero() << ": " << e.descripcion() << "\n";
        return SalidaFallo;
    }
    QTextStream out(stdout);
    for (const QString& r : capturador.escritas()) out << r << "\n";
    return SalidaExito;
}

const Registro registro({"capturas", "escribe una imagen PNG de cada ventana del componente", capturar, uso});

}  // namespace

}  // namespace ncc::app
