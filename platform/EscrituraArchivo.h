#pragma once
// Files the program hands to people (the closing report, the plan): written
// whole into a temporary file of the destination folder and renamed onto
// their name, so that nobody finds half a file under it, and never through a
// symbolic link: a link with the name (even one pointing nowhere) would
// make the program write wherever the link points.
#include <QByteArray>
#include <QString>

namespace ncc::archivos {

enum class ModoEscritura {
    Nuevo,      // only where nothing has the name
    Reemplazo,  // where nothing has the name, or over a regular file of it
    Salida,     // as Reemplazo, and straight into a device or pipe of the name (/dev/full, a fifo)
};

// Whether something has the name `ruta`: a file, a folder, a device or a
// link, even a link to nowhere.
bool ocupado(const QString& ruta);

// Writes `datos` as `ruta`. Returns false, writing nothing, when the name is
// taken for that kind of writing (a link always is). Throws ncc::Error
// naming the file when it cannot be written (a full disk, a folder without
// permission), leaving no temporary file behind.
bool escribirArchivo(const QString& ruta, const QByteArray& datos, ModoEscritura modo);

// Removes the temporaries of `ruta` that a writer killed before its rename
// left in the folder. A writer holds a lock on its temporary until it is
// done, so one still being written stays (but for the moment between its
// creation and its lock). For files that nothing else would ever remove.
void quitarTemporalesAbandonados(const QString& ruta);

}  // namespace ncc::archivos
