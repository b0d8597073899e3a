#include "AppFixture.h"

#include "EventLoopWaits.h"
#include "main/ApplicationWindows.h"
#include "main/DevReader.h"
#include "windows/Memory.h"

#include <QLabel>
#include <QListWidget>

AppFixture::AppFixture() = default;

AppFixture::~AppFixture() {
    // Windows first: the main window releases the devices while the
    // platform and the event loop still exist.
    Windows.reset();
}

SimUnitDevice& AppFixture::AddUnit(const std::string& serial) {
    Units.push_back(std::make_unique<SimUnitDevice>(Platform, serial, Units.size() + 1));
    return *Units.back();
}

void AppFixture::Start() {
    Windows = std::make_unique<TApplicationWindows>(Platform, Ui);
    Main().show();
    ASSERT_TRUE(PumpUntil([this] { return StatusPanel(1) != QStringLiteral("Status"); }));
}

TMainForm& AppFixture::Main() const {
    return Windows->mainForm();
}

TfrmMemory& AppFixture::Memory() const {
    return *Windows->windows().frmMemory;
}

QWidget* AppFixture::MainWidget() const {
    return &Windows->mainForm();
}

QWidget* AppFixture::Window(const char* className) const {
    for (QWidget* window : Windows->all()) {
        if (qstrcmp(window->metaObject()->className(), className) == 0) {
            return window;
        }
    }
    ADD_FAILURE() << "no window " << className;
    throw std::runtime_error("missing window");
}

bool AppFixture::PumpUntil(const std::function<bool()>& done, int timeoutMs) {
    return PumpEventsUntil(done, timeoutMs);
}

void AppFixture::PumpFor(int ms) {
    PumpEventsFor(ms);
}

std::vector<std::string> AppFixture::Lines(char direction, const std::string& path) const {
    std::vector<std::string> lines;
    for (const SimTranscriptLine& line : Platform.transcript()) {
        if (line.direction == direction && (path.empty() || line.path == path)) {
            lines.push_back(hexOf(line.bytes));
        }
    }
    return lines;
}

std::vector<std::string> AppFixture::Sent(const std::string& path) const {
    return Lines('>', path);
}

std::vector<std::string> AppFixture::Received(const std::string& path) const {
    return Lines('<', path);
}

int AppFixture::CountSent(const std::string& head, const std::string& path) const {
    int count = 0;
    for (const std::string& line : Sent(path)) {
        count += line.starts_with(head) ? 1 : 0;
    }
    return count;
}

QStringList AppFixture::Items(QListWidget* list) {
    QStringList items;
    for (int row = 0; row < list->count(); ++row) {
        items << list->item(row)->text();
    }
    return items;
}

QStringList AppFixture::History() const {
    return Items(Control<QListWidget>("HistoryListBox"));
}

QString AppFixture::StatusPanel(int index) const {
    return Control<QLabel>(QStringLiteral("StatusPanel%1").arg(index).toLatin1().constData())
        ->text();
}
