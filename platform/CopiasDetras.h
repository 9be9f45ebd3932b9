#pragma once
// Copies of databases (files, or a server's databases) made on a thread of
// their own while the caller goes on with other work.
#include "platform/BasesDatos.h"
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVector>
#include <exception>
#include <functional>
#include <future>

namespace ncc::archivos {

// The copies are made one after the other, as `copiar` makes them (or the
// function given), from databases nobody writes until they are waited for.
// Destroyed, it waits for them: no copy outlives its owner half made.
class CopiasDetras {
public:
    using Copia = QPair<QString, QString>;  // from, to

    struct Resultado {
        QStringList hechas;        // the copies finished, in order
        std::exception_ptr fallo;  // the first failure: the copies after it were not begun
    };

    using Copiador = std::function<void(const QString& de, const QString& a)>;

    CopiasDetras(QVector<Copia> copias, Escritura escritura);
    CopiasDetras(QVector<Copia> copias, Copiador copiador);
    ~CopiasDetras();
    CopiasDetras(const CopiasDetras&) = delete;
    CopiasDetras& operator=(const CopiasDetras&) = delete;

    // Waits for the copies to end, yielding to the event loop meanwhile; a
    // second call finds nothing.
    Resultado esperar();

private:
    std::future<Resultado> tarea_;
};

}  // namespace ncc::archivos
