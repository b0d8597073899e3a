#include "widgets/QtTexts.h"

#include <QCoreApplication>
#include <QHash>
#include <QLocale>

#include <algorithm>
#include <array>
#include <utility>

namespace QtTexts {

namespace {

struct Text {
    const char* context;
    const char* source;
    const char* serbian;
};

// Qt's texts as its dialogs ask for them, by the class that asks.
constexpr Text Texts[] = {
    {"QPlatformTheme", "OK", "U redu"},
    {"QPlatformTheme", "Save", "Sačuvaj"},
    {"QPlatformTheme", "Save All", "Sačuvaj sve"},
    {"QPlatformTheme", "Open", "Otvori"},
    {"QPlatformTheme", "&Yes", "&Da"},
    {"QPlatformTheme", "Yes to &All", "Da za &sve"},
    {"QPlatformTheme", "&No", "&Ne"},
    {"QPlatformTheme", "N&o to All", "N&e za sve"},
    {"QPlatformTheme", "Abort", "Prekini"},
    {"QPlatformTheme", "Retry", "Pokušaj ponovo"},
    {"QPlatformTheme", "Ignore", "Zanemari"},
    {"QPlatformTheme", "Close", "Zatvori"},
    {"QPlatformTheme", "Cancel", "Otkaži"},
    {"QPlatformTheme", "Discard", "Odbaci"},
    {"QPlatformTheme", "Help", "Pomoć"},
    {"QPlatformTheme", "Apply", "Primeni"},
    {"QPlatformTheme", "Reset", "Poništi"},
    {"QPlatformTheme", "Restore Defaults", "Vrati podrazumevano"},
    {"QMessageBox", "Show Details...", "Prikaži detalje..."},
    {"QMessageBox", "Hide Details...", "Sakrij detalje..."},
    {"QFileDialog", "Look in:", "Traži u:"},
    {"QFileDialog", "Back", "Nazad"},
    {"QFileDialog", "Go back", "Idi nazad"},
    {"QFileDialog", "Forward", "Napred"},
    {"QFileDialog", "Go forward", "Idi napred"},
    {"QFileDialog", "Parent Directory", "Nadređena fascikla"},
    {"QFileDialog", "Go to the parent directory", "Idi u nadređenu fasciklu"},
    {"QFileDialog", "Create New Folder", "Napravi novu fasciklu"},
    {"QFileDialog", "Create a New Folder", "Napravi novu fasciklu"},
    {"QFileDialog", "List View", "Lista"},
    {"QFileDialog", "Change to list view mode", "Prikaži kao listu"},
    {"QFileDialog", "Detail View", "Detalji"},
    {"QFileDialog", "Change to detail view mode", "Prikaži sa detaljima"},
    {"QFileDialog", "Sidebar", "Bočna traka"},
    {"QFileDialog", "List of places and bookmarks", "Mesta i obeleživači"},
    {"QFileDialog", "Files", "Datoteke"},
    {"QFileDialog", "File &name:", "&Ime datoteke:"},
    {"QFileDialog", "Files of type:", "Vrsta datoteka:"},
    {"QFileDialog", "Directory:", "Fascikla:"},
    {"QFileDialog", "&Open", "&Otvori"},
    {"QFileDialog", "&Save", "&Sačuvaj"},
    {"QFileDialog", "&Choose", "&Izaberi"},
    {"QFileDialog", "Open", "Otvori"},
    {"QFileDialog", "Save As", "Sačuvaj kao"},
    {"QFileDialog", "All Files (*)", "Sve datoteke (*)"},
    {"QFileDialog", "&Rename", "&Preimenuj"},
    {"QFileDialog", "&Delete", "O&briši"},
    {"QFileDialog", "Show &hidden files", "Prikaži &skrivene datoteke"},
    {"QFileDialog", "&New Folder", "&Nova fascikla"},
    {"QFileDialog", "New Folder", "Nova fascikla"},
    {"QFileDialog", "Recent Places", "Nedavna mesta"},
    {"QFileDialog", "My Computer", "Računar"},
    {"QFileDialog", "Computer", "Računar"},
    {"QFileDialog", "Delete", "Brisanje"},
    {"QFileDialog", "Are you sure you want to delete '%1'?",
     "Da li zaista želite da obrišete '%1'?"},
    {"QFileDialog", "'%1' is write protected.\nDo you want to delete it anyway?",
     "'%1' je zaštićena od upisa.\nDa li ipak želite da je obrišete?"},
    {"QFileDialog", "Could not delete directory.", "Fascikla ne može da se obriše."},
    {"QFileDialog", "%1 already exists.\nDo you want to replace it?",
     "%1 već postoji.\nDa li želite da je zamenite?"},
    {"QFileDialog", "%1\nFile not found.\nPlease verify the correct file name was given.",
     "%1\nDatoteka nije pronađena.\nProverite da li je ime datoteke ispravno."},
    {"QFileDialog", "%1\nDirectory not found.\nPlease verify the correct directory name was given.",
     "%1\nFascikla nije pronađena.\nProverite da li je ime fascikle ispravno."},
    {"QFileSystemModel", "Name", "Ime"},
    {"QFileSystemModel", "Size", "Veličina"},
    {"QFileSystemModel", "Type", "Vrsta"},
    {"QFileSystemModel", "Date Modified", "Izmenjeno"},
    {"QFileSystemModel", "My Computer", "Računar"},
    {"QFileSystemModel", "Computer", "Računar"},
    {"QFileSystemModel", "Invalid filename", "Neispravno ime datoteke"},
};

class SerbianTranslator final : public QTranslator {
public:
    SerbianTranslator() {
        for (const Text& text : Texts) {
            texts_.insert({QLatin1StringView(text.context), QString::fromUtf8(text.source)},
                          QString::fromUtf8(text.serbian));
        }
    }

    bool isEmpty() const override { return false; }

    QString translate(const char* context, const char* sourceText, const char* /*disambiguation*/,
                      int /*n*/) const override {
        return texts_.value({QLatin1StringView(context), QString::fromUtf8(sourceText)});
    }

private:
    QHash<std::pair<QString, QString>, QString> texts_;
};

}  // namespace

bool wantsSerbian(const QStringList& uiLanguages) {
    if (uiLanguages.isEmpty()) {
        return false;
    }
    // The language of the first choice alone; later ones are fallbacks.
    const QString language = uiLanguages.first().section(u'-', 0, 0).section(u'_', 0, 0).toLower();
    static const std::array<QString, 5> Serbian = {QStringLiteral("sr"), QStringLiteral("hr"),
                                                   QStringLiteral("bs"), QStringLiteral("cnr"),
                                                   QStringLiteral("sh")};
    return std::find(Serbian.begin(), Serbian.end(), language) != Serbian.end();
}

std::unique_ptr<QTranslator> serbianTranslator() {
    return std::make_unique<SerbianTranslator>();
}

void install(QCoreApplication& application) {
    if (wantsSerbian(QLocale::system().uiLanguages())) {
        QTranslator* translator = serbianTranslator().release();
        translator->setParent(&application);
        QCoreApplication::installTranslator(translator);
    }
}

}  // namespace QtTexts
