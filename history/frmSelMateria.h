#pragma once
// The subjects of the historic course: which belong to it. Removing one
// takes it from every student of the course; Cancel puts back the course's
// subjects and every student's.
#include "entry/cAlumnoHistorico.h"
#include <QDialog>
#include <QHash>
#include <memory>

namespace Ui {
class frmSelMateria;
}

namespace ncc {

class frmEditarHistorico;

class frmSelMateria : public QDialog {
    Q_OBJECT
public:
    frmSelMateria(frmEditarHistorico& editor, QWidget* parent = nullptr);
    ~frmSelMateria() override;

    // Copies every subject of `origen` into `destino`, every property.
    static void copiar_coleccion_materias(const Coleccion<cMateria>& origen, Coleccion<cMateria>& destino);

    void reject() override;  // Cancel, Escape and the close box

private:
    bool evaluadaPorAlguien(qint16 idMateria) const;
    void marcarQuitadaEnAlumnos(qint16 idMateria);
    void agregar(qint16 idMateria);
    void quitar(qint16 idMateria);
    void agregarTodas();
    void quitarTodas();
    void aceptar();
    std::shared_ptr<cMateria> materia(qint16 id) const;

    std::unique_ptr<Ui::frmSelMateria> ui;
    frmEditarHistorico& editor_;
    Coleccion<cMateria> copia_;
    QHash<qint32, std::shared_ptr<Coleccion<cMateria>>> copiasAlumnos_;
};

}  // namespace ncc
