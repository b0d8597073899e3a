#include "link/UnitAccess.h"

QString noAccessText(const QString& deviceName) {
    return QStringLiteral(
               "Uredjaj \"%1\" je prikljucen, ali ovaj korisnik nema dozvolu da mu salje komande "
               "i cita odgovore (uredjaj se moze otvoriti samo za upite).\n\n"
               "Na Linuxu: instalirajte paket brevalon-mini-setup, cije udev pravilo "
               "70-brevalon-mini-setup.rules daje prijavljenom korisniku pristup samo ovom "
               "uredjaju, zatim iskljucite i ponovo ukljucite uredjaj.")
        .arg(deviceName);
}
