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

QString noAccessMessage(const QString& deviceName) {
    return QStringLiteral(
               "the unit \"%1\" is attached, but this user may not send it commands or read its "
               "replies (it can be opened for queries only).\n\n"
               "On Linux: install the package brevalon-mini-setup, whose udev rule "
               "70-brevalon-mini-setup.rules gives the user logged in at the computer access to "
               "this unit alone, then unplug the unit and plug it in again.")
        .arg(deviceName);
}
