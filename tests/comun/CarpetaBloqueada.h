#pragma once
// A folder and its files that cannot be written while the object lives:
// permissions stop a user; root passes them, so for root they are also
// marked immutable, which stops root too where the file system allows it.
// activa() is false when writing could not be stopped.
#include <QDir>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace ncc::pruebas {

class CarpetaBloqueada {
public:
    explicit CarpetaBloqueada(const QString& carpeta) {
        for (const QString& f : QDir(carpeta).entryList(QDir::Files | QDir::Hidden)) rutas_ << QDir(carpeta).filePath(f);
        rutas_ << carpeta;
        for (const QString& r : rutas_) activa_ = fijar(r, true) && activa_;
    }
    ~CarpetaBloqueada() {
        for (auto it = rutas_.crbegin(); it != rutas_.crend(); ++it) fijar(*it, false);
    }
    bool activa() const { return activa_; }

private:
    static bool fijar(const QString& ruta, bool bloquear) {
        const auto escritura = QFile::WriteOwner | QFile::WriteUser | QFile::WriteGroup | QFile::WriteOther;
        QFile::setPermissions(ruta, bloquear ? QFile::permissions(ruta) & ~escritura : QFile::permissions(ruta) | QFile::WriteOwner | QFile::WriteUser);
        if (::geteuid() != 0) return true;
        const int fd = ::open(QFile::encodeName(ruta).constData(), O_RDONLY | O_NONBLOCK);
        int banderas = 0;
        bool ok = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &banderas) == 0;
        banderas = bloquear ? banderas | FS_IMMUTABLE_FL : banderas & ~FS_IMMUTABLE_FL;
        ok = ok && ::ioctl(fd, FS_IOC_SETFLAGS, &banderas) == 0;
        if (fd >= 0) ::close(fd);
        return ok;
    }

    QStringList rutas_;
    bool activa_ = true;
};

}  // namespace ncc::pruebas
