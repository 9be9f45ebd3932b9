#include "platform/gui/CampoFecha.h"
#include "platform/Reloj.h"
#include <QCalendarWidget>
#include <QDateEdit>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>

namespace ncc {

namespace {

// A field that may be empty holds no empty date: its lowest date stands for
// "none" and shows blank.
const QDate kVacia(1900, 1, 1);
const char* const kVaciable = "nccVaciable";

bool esVaciable(const QDateEdit* campo) { return campo->property(kVaciable).toBool(); }

class FiltroFecha : public QObject {
public:
    explicit FiltroFecha(QDateEdit* campo) : QObject(campo), campo_(campo) {}

    bool eventFilter(QObject* objeto, QEvent* evento) override {
        if (objeto == campo_ && evento->type() == QEvent::KeyPress)
            return tecla(static_cast<QKeyEvent*>(evento));
        // The popup sets the calendar to the field's date just before it
        // shows: an empty field opens on today's month, not on its
        // stand-in date.
        if (evento->type() == QEvent::Show && campo_->calendarPopup() && objeto == campo_->calendarWidget() &&
            !fechaCampo(campo_).isValid()) {
            const QDate hoy = Reloj::hoy();
            campo_->calendarWidget()->setCurrentPage(hoy.year(), hoy.month());
        }
        return false;
    }

private:
    bool tecla(QKeyEvent* k) {
        QLineEdit* linea = campo_->findChild<QLineEdit*>();
        if (!linea) return false;
        if (esVaciable(campo_) && (k->key() == Qt::Key_Delete || k->key() == Qt::Key_Backspace) &&
            linea->hasSelectedText() && linea->selectedText() == linea->text()) {
            campo_->setDate(kVacia);
            return true;
        }
        // A date typed over the whole text starts at the day, as it is
        // written: the field alone would take the digit as the whole date
        // and refuse it.
        if (k->text().size() == 1 && k->text().at(0).isDigit() && linea->hasSelectedText() &&
            linea->selectedText() == linea->text())
            campo_->setSelectedSection(QDateTimeEdit::DaySection);
        // A slash right after one that the field put itself (the day or
        // the month was complete and the cursor moved on) is the user
        // typing the date as it is written: it must not skip a part.
        if (k->text() == QLatin1String("/")) {
            const int cursor = linea->cursorPosition();
            const QString texto = linea->text();
            if (cursor > 0 && cursor <= texto.size() && texto.at(cursor - 1) == QLatin1Char('/')) return true;
        }
        return false;
    }

    QDateEdit* campo_;
};

}  // namespace

void prepararCampoFecha(QDateEdit* campo, bool vaciable) {
    const QLocale espanol(QLocale::Spanish, QLocale::Spain);
    campo->setLocale(espanol);
    campo->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    campo->setCalendarPopup(true);
    campo->setProperty(kVaciable, vaciable);
    if (vaciable) {
        campo->setMinimumDate(kVacia);
        campo->setSpecialValueText(QStringLiteral(" "));
    }
    QCalendarWidget* calendario = campo->calendarWidget();
    calendario->setLocale(espanol);
    calendario->setFirstDayOfWeek(Qt::Monday);
    auto* filtro = new FiltroFecha(campo);
    campo->installEventFilter(filtro);
    calendario->installEventFilter(filtro);
}

QDate fechaCampo(const QDateEdit* campo) {
    const QDate d = campo->date();
    return esVaciable(campo) && d == kVacia ? QDate() : d;
}

void fijarFechaCampo(QDateEdit* campo, const QDate& fecha) {
    if (fecha.isValid()) campo->setDate(fecha);
    else if (esVaciable(campo)) campo->setDate(kVacia);
}

}  // namespace ncc
