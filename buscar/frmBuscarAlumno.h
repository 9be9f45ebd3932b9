#pragma once
// The search window of NCBuscar: the school's students by surname, name or
// number, the matches in a list of multiple selection. Keyboard alone: type,
// Down or Enter goes to the list, Space/Shift/Ctrl select, Enter accepts,
// Escape cancels.
#include <QDialog>
#include <QList>
#include <QSet>
#include <QString>
#include <memory>

namespace ncc {
class Conexion;
}
namespace Ui {
class frmBuscarAlumno;
}

namespace ncbuscar {

class frmBuscarAlumno : public QDialog {
    Q_OBJECT
public:
    // `excluidos`: ids separated by commas that the caller already lists.
    frmBuscarAlumno(ncc::Conexion& centro, const QString& excluidos, QWidget* parent = nullptr);
    ~frmBuscarAlumno() override;

    // The chosen ids: "12" or "12,15,40"; "" when none is selected.
    QString seleccion() const;

    // Most rows a search shows; a wider search asks for more letters.
    static constexpr int MaximoResultados = 500;

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;

private:
    // The school's students, read once, in Spanish order with their folded
    // names.
    void leerAlumnos();
    void buscar();
    void aceptar();

    struct Alumno {
        qint32 id;
        QString nombre;   // "Apellido1 Apellido2, Nombre"
        QString plegado;  // ncc::orden::claveEspanol(nombre)
    };
    QList<Alumno> alumnos_;
    bool leidos_ = false;

    std::unique_ptr<Ui::frmBuscarAlumno> ui;
    ncc::Conexion& centro_;
    QSet<qint32> excluidos_;
};

}  // namespace ncbuscar
