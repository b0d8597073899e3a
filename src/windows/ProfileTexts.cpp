#include "windows/ProfileTexts.h"

#include <QLocale>

#include <array>
#include <optional>

namespace ProfileTexts {

namespace {

// A path's parts, its index counted from 0.
struct Path {
    QString key;
    std::optional<int> index;
    QString field;
};

Path parse(const QString& path) {
    const profile::PathParts parts = profile::splitPath(path);
    Path p{parts.key, std::nullopt, parts.field};
    if (parts.index) {
        p.index = static_cast<int>(*parts.index);
    }
    return p;
}

// The captions of the edits of the ten text slots, in slot order.
const std::array<const char*, 10> SlotCaptions = {"Digitalni ulaz 1 UZLAZNA IVICA",
                                                  "Digitalni ulaz 2 UZLAZNA IVICA",
                                                  "Digitalni ulaz 3 UZLAZNA IVICA",
                                                  "Digitalni ulaz 1 SILAZNA IVICA",
                                                  "Digitalni ulaz 2 SILAZNA IVICA",
                                                  "Digitalni ulaz 3 SILAZNA IVICA",
                                                  "SMS za analogni ulaz",
                                                  "SMS za Maximum",
                                                  "SMS za Minimum",
                                                  "SMS Normalizacija"};

struct Name {
    const char* key;
    const char* text;
};

QString lookUp(std::initializer_list<Name> names, const QString& key) {
    for (const Name& name : names) {
        if (key == QLatin1StringView(name.key)) {
            return QString::fromUtf8(name.text);
        }
    }
    return {};
}

// The name of a record's field, or the field's own key when it is unknown.
QString recordField(const QString& record, std::initializer_list<Name> fields,
                    const QString& field) {
    if (field.isEmpty()) {
        return record;
    }
    const QString name = lookUp(fields, field);
    return record + QStringLiteral(": ") + (name.isEmpty() ? field : name);
}

QString name(const Path& p) {
    const int n = p.index.value_or(0) + 1;
    const QString k = p.key;
    if (k == u"gsmNumbers" && p.field.isEmpty()) {
        return p.index ? QStringLiteral("GSM broj %1").arg(n) : QStringLiteral("GSM brojevi");
    }
    if (k == u"smsTexts" && p.field.isEmpty()) {
        if (!p.index) {
            return QStringLiteral("SMS poruke");
        }
        return *p.index < static_cast<int>(SlotCaptions.size())
                   ? QString::fromLatin1(SlotCaptions[static_cast<std::size_t>(*p.index)])
                   : QStringLiteral("SMS poruka %1").arg(n);
    }
    if (k == u"digitalInputs") {
        if (!p.index) {
            return QStringLiteral("Digitalni ulazi");
        }
        if (p.field == u"trigger") {
            return QStringLiteral("DIN%1 Triger").arg(n);
        }
        if (p.field == u"detectionDelay") {
            return QStringLiteral("Kašnjenje detekcije DIN%1").arg(n);
        }
        return recordField(QStringLiteral("Digitalni ulaz %1").arg(n), {}, p.field);
    }
    if (k == u"analogAlarm" && !p.index) {
        return recordField(QStringLiteral("Analogni alarm"),
                           {{"max", "Opseg Maximum"},
                            {"min", "Opseg Minimum"},
                            {"repeatMinutes", "Vreme ponavljanja [minuta]"},
                            {"smsCount", "Ukupno SMS-ova"},
                            {"on", "Alarm Uključen"},
                            {"userTexts", "Koristi Korisnički SMS"}},
                           p.field);
    }
    if (k == u"calibration") {
        if (!p.index) {
            return QStringLiteral("Kalibracija");
        }
        return recordField(QStringLiteral("AD Kanal %1").arg(n),
                           {{"k", "Koeficijent K"},
                            {"n", "Koeficijent N"},
                            {"rawOffset", "AD Offset"},
                            {"voltageOut", "Use Voltage OUT"}},
                           p.field);
    }
    if (k == u"phonebook") {
        if (!p.index) {
            return QStringLiteral("Imenik");
        }
        return recordField(
            QStringLiteral("Imenik, zapis %1").arg(n),
            {{"number", "broj telefona"}, {"note", "napomena"}, {"active", "aktivan"}}, p.field);
    }
    if (k == u"memory" && p.index) {
        return QStringLiteral("Memorija, paket %1").arg(n);
    }
    if (p.index || !p.field.isEmpty()) {
        return {};
    }
    return lookUp({{"format", "Format"},
                   {"version", "Verzija"},
                   {"firmware", "Firmware"},
                   {"serial", "Serijski broj"},
                   {"digitalInputsAllEnabled", "AllEnabled"},
                   {"relayPulseTime", "Držanje releja u puls modu"},
                   {"callFunction", "Call funkcija"}},
                  k);
}

// What a value must be or is, as a fault names it.
QString kindText(const QString& kind) {
    const QString text = lookUp({{"null", "null"},
                                 {"true", "true"},
                                 {"false", "false"},
                                 {"number", "broj"},
                                 {"string", "tekst"},
                                 {"array", "niz"},
                                 {"object", "objekat"},
                                 {"nothing", "ništa"},
                                 {"boolean", "true ili false"},
                                 {"wholeNumber", "ceo broj"},
                                 {"decimal", "tekst sa brojem, kao \"12.5\""}},
                                kind);
    return text.isEmpty() ? kind : text;
}

QString message(const profile::ProfileFault& fault) {
    using Kind = profile::ProfileFault::Kind;
    const QStringList& v = fault.values;
    const auto at = [&v](qsizetype i) { return i < v.size() ? v[i] : QString(); };
    switch (fault.kind) {
        case Kind::CannotOpen:
            return QStringLiteral("Datoteka \"%1\" ne može da se otvori. %2").arg(at(0), at(1));
        case Kind::CannotRead:
            return QStringLiteral("Greška pri čitanju datoteke \"%1\". %2").arg(at(0), at(1));
        case Kind::CannotCreate:
            return QStringLiteral("Datoteka \"%1\" ne može da se napravi. %2").arg(at(0), at(1));
        case Kind::CannotWrite:
            return QStringLiteral("Greška pri upisu datoteke \"%1\". %2").arg(at(0), at(1));
        case Kind::TooLarge:
            return QStringLiteral("Datoteka je veća nego što profil može biti (%1 bajtova).")
                .arg(at(1));
        case Kind::Empty:
            return QStringLiteral("Datoteka je prazna.");
        case Kind::MalformedJson:
            return QStringLiteral("Neispravan JSON u redu %1, koloni %2 (%3).")
                .arg(at(0), at(1), at(2));
        case Kind::RepeatedKey:
            return QStringLiteral(
                       "Ključ \"%1\" je naveden dva puta u istom objektu, drugi put u "
                       "redu %2, koloni %3.")
                .arg(at(0), at(1), at(2));
        case Kind::NotAnObject:
            return QStringLiteral("Datoteka mora sadržati JSON objekat, a ne %1.")
                .arg(at(0) == u"array" ? QStringLiteral("niz") : QStringLiteral("jednu vrednost"));
        case Kind::NoSettings:
            return QStringLiteral("Profil ne sadrži nijedno podešavanje uređaja.");
        case Kind::Missing:
            return QStringLiteral("nedostaje");
        case Kind::WrongType:
            return QStringLiteral("mora biti %1, a ne %2").arg(kindText(at(0)), kindText(at(1)));
        case Kind::WrongFormat:
            return QStringLiteral("mora biti \"%1\", a ne %2")
                .arg(QLatin1StringView(profile::ProfileFormat),
                     at(0).startsWith(u'"') ? at(0) : kindText(at(0)));
        case Kind::NotWhole:
            return QStringLiteral("mora biti ceo broj, a ne %1").arg(at(0));
        case Kind::VersionNewer:
            return QStringLiteral("verzija %1 je novija od verzije %2 koju ovaj program čita")
                .arg(at(0), at(1));
        case Kind::NotAVersion:
            return QStringLiteral("%1 nije verzija; ovaj program čita verziju %2")
                .arg(at(0), at(1));
        case Kind::UnknownKey:
            return QStringLiteral("nepoznat ključ");
        case Kind::WrongCount:
            return QStringLiteral("mora imati %1 stavki, a ne %2").arg(at(0), at(1));
        case Kind::Outside:
            return QStringLiteral("%1 je van granica od %2 do %3").arg(at(0), at(1), at(2));
        case Kind::NotDecimal:
            return QStringLiteral("\"%1\" nije decimalni broj").arg(at(0));
        case Kind::Unsupported:
            return QStringLiteral("znak %1 ne može da se pošalje uređaju").arg(at(0));
        case Kind::TooLong:
            return QStringLiteral("%1 znakova, a uređaj prima najviše %2").arg(at(0), at(1));
        case Kind::NotANumber:
            return QStringLiteral(
                       "\"%1\" nije broj telefona: dozvoljene su samo cifre, sa jednim "
                       "\"+\" na početku")
                .arg(at(0));
        case Kind::MaxNotAboveMin:
            return QStringLiteral("Maximalna vrednost mora biti VECA od Minimalne (%1 i %2)")
                .arg(at(0), at(1));
    }
    return fault.message;
}

QString writeState(const profile::GroupWrite& w) {
    if (w.matches) {
        return *w.matches ? QStringLiteral("upisano i potvrđeno čitanjem")
                          : QStringLiteral("upisano, ali čitanje pokazuje druge vrednosti");
    }
    if (w.written == w.count) {
        return profile::recordCount(w.group) > 1
                   ? QStringLiteral("upisano i potvrđeno od uređaja, nije provereno čitanjem")
                   : QStringLiteral("poslato, nije provereno čitanjem");
    }
    if (w.written == 0 && !w.unacknowledged) {
        return QStringLiteral("nije upisano");
    }
    QStringList parts;
    for (const profile::WriteRun& run : profile::writeRuns(w)) {
        const QString first = fieldName(profile::recordPath(w.group, run.first));
        const QString span =
            run.first == run.last
                ? first
                : QStringLiteral("%1 do %2")
                      .arg(first, fieldName(profile::recordPath(w.group, run.last)));
        switch (run.state) {
            case profile::WriteRun::State::Written:
                parts << span + QStringLiteral(" upisano");
                break;
            case profile::WriteRun::State::Unacknowledged:
                parts << span + QStringLiteral(" poslato, ali uređaj nije potvrdio prijem");
                break;
            case profile::WriteRun::State::NotWritten:
                parts << span + QStringLiteral(" nije upisano");
                break;
        }
    }
    return parts.join(QStringLiteral("; "));
}

}  // namespace

QString fieldName(const QString& path) {
    const QString named = name(parse(path));
    return named.isEmpty() ? path : named;
}

QString groupTitle(const QString& path) {
    const QString key = parse(path).key;
    if (key == u"digitalInputsAllEnabled") {
        return fieldName(QStringLiteral("digitalInputs"));
    }
    if (key == u"relayPulseTime") {
        return QStringLiteral("Izlazi");
    }
    return fieldName(key);
}

QString valueText(const QString& value, profile::Difference::Kind kind) {
    switch (kind) {
        case profile::Difference::Kind::Flag:
            return value == u"true" ? QStringLiteral("da") : QStringLiteral("ne");
        case profile::Difference::Kind::Fixed:
            return QString(value).replace(u'.', QLocale().decimalPoint());
        case profile::Difference::Kind::Text:
        case profile::Difference::Kind::Number:
            break;
    }
    return value;
}

QString faultText(const profile::ProfileFault& fault) {
    const QString text = message(fault);
    return fault.path.isEmpty() ? text : fieldName(fault.path) + QStringLiteral(": ") + text;
}

QStringList faultTexts(const std::vector<profile::ProfileFault>& faults) {
    QStringList texts;
    for (const profile::ProfileFault& fault : faults) {
        texts << faultText(fault);
    }
    return texts;
}

QString stopText(const profile::Stop& stop) {
    return QStringLiteral("uređaj %1 tokom %2: %3")
        .arg(stop.left ? QStringLiteral("je isključen") : QStringLiteral("je prestao da odgovara"),
             stop.writing ? QStringLiteral("upisa") : QStringLiteral("čitanja"),
             fieldName(stop.where));
}

QStringList writeStates(const profile::UnitWrite& write) {
    QStringList lines;
    for (const profile::GroupWrite& w : write.groups) {
        lines << fieldName(profile::groupName(w.group)) + QStringLiteral(": ") + writeState(w);
    }
    return lines;
}

QString progressText(const profile::Progress& progress) {
    QString what = lookUp({{"firmware", "verzije firmware-a"},
                           {"gsmNumbers", "GSM brojeva"},
                           {"smsTexts", "SMS poruka"},
                           {"digitalInputs", "digitalnih ulaza"},
                           {"analogAlarm", "analognog alarma"},
                           {"calibration", "kalibracije"},
                           {"relayPulseTime", "izlaza"},
                           {"callFunction", "call funkcije"},
                           {"phonebook", "imenika"},
                           {"memory", "memorije"}},
                          progress.what);
    if (what.isEmpty()) {
        what = progress.what;
    }
    return QStringLiteral("%1 %2: %3 od %4")
        .arg(progress.writing ? QStringLiteral("Upisivanje") : QStringLiteral("Čitanje"), what)
        .arg(progress.done)
        .arg(progress.count);
}

QString historyFaultText(const profile::HistoryFault& fault) {
    switch (fault.kind) {
        case profile::HistoryFault::Kind::CannotCreateFolder:
            return QStringLiteral("folder istorije \"%1\" ne može da se napravi").arg(fault.path);
        case profile::HistoryFault::Kind::CannotWrite:
            return QStringLiteral("zapis istorije \"%1\" ne može da se upiše (%2)")
                .arg(fault.path, fault.reason);
        case profile::HistoryFault::Kind::ReadBackDiffers:
            return QStringLiteral("zapis istorije \"%1\" se ne čita onako kako je upisan")
                .arg(fault.path);
    }
    return fault.text();
}

QString reasonText(const QString& reason) {
    const QString text = lookUp({{"before-format", "pre formatiranja"},
                                 {"before-profile-write", "pre upisa profila"},
                                 {"before-restore", "pre vraćanja"},
                                 {"before-boot", "pre BOOT moda"},
                                 {"saved", "sačuvan profil"},
                                 {"commissioning", "puštanje u rad"}},
                                reason);
    return text.isEmpty() ? reason : text;
}

}  // namespace ProfileTexts
