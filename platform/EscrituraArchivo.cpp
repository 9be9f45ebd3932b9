#include "platform/EscrituraArchivo.h"
#include "platform/Error.h"
#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ncc::archivos {

namespace {

[[noreturn]] void fallo(const QString& ruta, int numero) {
    throw Error(errores::Archivo, QStringLiteral("No se puede escribir %1: %2")
                                      .arg(QDir::toNativeSeparators(ruta), QString::fromLocal8Bit(std::strerror(numero))));
}

bool escribirTodo(int fd, const QByteArray& datos) {
    qsizetype hecho = 0;
    while (hecho < datos.size()) {
        const ssize_t n = ::write(fd, datos.constData() + hecho, size_t(datos.size() - hecho));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        hecho += n;
    }
    return true;
}

// A device or a pipe takes the bytes as they come: there is nothing to
// rename, but every byte must have gone in.
void escribirEnDispositivo(const QString& ruta, const QByteArray& datos) {
    const int fd = ::open(QFile::encodeName(ruta).constData(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) fallo(ruta, errno);
    const bool bien = escribirTodo(fd, datos);
    const int error = errno;
    if (::close(fd) != 0 || !bien) fallo(ruta, bien ? errno : error);
}

// Renames `temporal` onto `ruta`; without `reemplazar`, only where nothing
// has the name at that moment (false when something has).
bool renombrar(const QString& temporal, const QString& ruta, bool reemplazar) {
    const QByteArray de = QFile::encodeName(temporal), a = QFile::encodeName(ruta);
    if (reemplazar) {
        if (::rename(de.constData(), a.constData()) != 0) fallo(ruta, errno);
        return true;
    }
    // A hard link is made only where the name is free; the temporary name
    // then goes.
    if (::link(de.constData(), a.constData()) != 0) {
        if (errno == EEXIST) return false;
        fallo(ruta, errno);
    }
    ::unlink(de.constData());
    return true;
}

}  // namespace

bool ocupado(const QString& ruta) {
    struct stat s;
    return ::lstat(QFile::encodeName(ruta).constData(), &s) == 0;
}

bool escribirArchivo(const QString& ruta, const QByteArray& datos, ModoEscritura modo) {
    struct stat s;
    if (::lstat(QFile::encodeName(ruta).constData(), &s) == 0) {
        if (S_ISLNK(s.st_mode) || modo == ModoEscritura::Nuevo || S_ISDIR(s.st_mode)) return false;
        if (!S_ISREG(s.st_mode)) {
            if (modo != ModoEscritura::Salida) return false;
            escribirEnDispositivo(ruta, datos);
            return true;
        }
    } else if (errno != ENOENT) {
        fallo(ruta, errno);
    }
    const QFileInfo info(ruta);
    QTemporaryFile temporal(QDir(info.absolutePath()).filePath(QStringLiteral(".") + info.fileName() + QStringLiteral(".XXXXXX")));
    if (!temporal.open()) {
        // The folder itself says why (missing, not writable).
        const QFileInfo carpeta(info.absolutePath());
        fallo(ruta, !carpeta.exists() ? ENOENT : !carpeta.isWritable() ? EACCES : EIO);
    }
    // Held until the temporary is closed (or the process dies): the clean-up
    // of abandoned temporaries passes a locked one by.
    ::flock(temporal.handle(), LOCK_EX | LOCK_NB);
    const bool bien = escribirTodo(temporal.handle(), datos) && ::fsync(temporal.handle()) == 0;
    if (!bien) fallo(ruta, errno);
    // The file keeps the permissions a new file of the user would have.
    const mode_t mascara = ::umask(0);
    ::umask(mascara);
    ::fchmod(temporal.handle(), 0666 & ~mascara);
    if (!renombrar(temporal.fileName(), ruta, modo != ModoEscritura::Nuevo)) return false;
    temporal.setAutoRemove(false);
    return true;
}

void quitarTemporalesAbandonados(const QString& ruta) {
    const QFileInfo info(ruta);
    const QFileInfoList temporales =
        QDir(info.absolutePath())
            .entryInfoList({QStringLiteral(".") + info.fileName() + QStringLiteral(".??????")}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QFileInfo& t : temporales) {
        const QByteArray nombre = QFile::encodeName(t.absoluteFilePath());
        const int fd = ::open(nombre.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0) continue;
        // Nobody holds it: its writer is gone.
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) ::unlink(nombre.constData());
        ::close(fd);
    }
}

}  // namespace ncc::archivos
