#pragma once
// A folder and its files made unwritable for as long as the object lives.
// Permissions stop a user; root passes them, so for root the files and the
// folder are also marked immutable (which stops root too) where the file
// system allows it. activa() is false when writing could not be stopped.
#include <QDir>
#include <QFile>
#include <QStringList>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace ncc::pruebas {

class CarpetaBloqueada {
public:
    explicit CarpetaBloqueada(const QString& carpeta) {
        const QDir d(carpeta);
        for (const QString& f : d.entryList(QDir::Files | QDir::Hidden)) rutas_ << d.filePath(f);
        rutas_ << carpeta;
        activa_ = true;
        for (const QString& r : rutas_) {
            QFile::setPermissions(r, QFile::permissions(r) & ~(QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther | QFile::WriteUser));
            if (::geteuid() == 0) activa_ = inmutable(r, true) && activa_;
        }
    }
    ~CarpetaBloqueada() {
        for (auto it = rutas_.crbegin(); it != rutas_.crend(); ++it) {
            if (::geteuid() == 0) inmutable(*it, false);
            QFile::setPermissions(*it, QFile::permissions(*it) | QFile::WriteOwner | QFile::WriteUser);
        }
    }
    bool activa() const { return activa_; }

private:
    static bool inmutable(const QString& ruta, bool si) {
        const int fd = ::open(QFile::encodeName(ruta).constData(), O_RDONLY | O_NONBLOCK);
        if (fd < 0) return false;
        int banderas = 0;
        bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &banderas) == 0;
        banderas = si ? (banderas | FS_IMMUTABLE_FL) : (banderas & ~FS_IMMUTABLE_FL);
        ok = ok && ::ioctl(fd, FS_IOC_SETFLAGS, &banderas) == 0;
        ::close(fd);
        return ok;
    }

    QStringList rutas_;
    bool activa_ = false;
};

}  // namespace ncc::pruebas
