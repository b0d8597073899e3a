#include "AppFixture.h"

#include "EventLoopWaits.h"
#include "main/ApplicationWindows.h"
#include "main/DevReader.h"
#include "windows/Memory.h"

#include <QLabel>
#include <QListWidget>
#include <QTimer>

AppFixture::AppFixture() {
    // Every test keeps its units' history in a folder of its own, never in
    // the user's.
    qputenv("BREVALON_DATA_DIR", dataFolder.path().toLocal8Bit());
}

AppFixture::~AppFixture() {
    // The windows first: the main window releases the devices while the
    // platform and the event loop still exist.
    windows_.reset();
    qunsetenv("BREVALON_DATA_DIR");
}

SimUnitDevice& AppFixture::addUnit(const std::string& serial) {
    units.push_back(std::make_unique<SimUnitDevice>(platform, serial, units.size() + 1));
    return *units.back();
}

void AppFixture::start() {
    windows_ = std::make_unique<TApplicationWindows>(platform, ui);
    mainForm().show();
    ownTickMs_ = tickTimer()->interval();
    ASSERT_TRUE(pumpUntil([this] { return statusPanel(1) != QStringLiteral("Status"); }));
}

void AppFixture::stopTicks() {
    tickTimer()->stop();
}

void AppFixture::tick(int n) {
    for (int k = 0; k < n; ++k) {
        mainForm().Timer1Timer();
    }
}

void AppFixture::runTicks(int intervalMs) {
    tickTimer()->start(intervalMs);
}

void AppFixture::runTicks() {
    runTicks(ownTickMs_);
}

QTimer* AppFixture::tickTimer() const {
    return control<QTimer>("Timer1");
}

TMainForm& AppFixture::mainForm() const {
    return windows_->mainForm();
}

TfrmMemory& AppFixture::memoryForm() const {
    return *windows_->windows().frmMemory;
}

QWidget* AppFixture::mainWidget() const {
    return &windows_->mainForm();
}

QWidget* AppFixture::windowOf(const char* className) const {
    for (QWidget* window : windows_->all()) {
        if (qstrcmp(window->metaObject()->className(), className) == 0) {
            return window;
        }
    }
    ADD_FAILURE() << "no window " << className;
    throw std::runtime_error("missing window");
}

bool AppFixture::pumpUntil(const std::function<bool()>& done, int timeoutMs) {
    return pumpEventsUntil(done, timeoutMs);
}

void AppFixture::pumpFor(int ms) {
    pumpEventsFor(ms);
}

std::vector<std::string> AppFixture::transcriptLines(char direction,
                                                     const std::string& path) const {
    std::vector<std::string> lines;
    for (const SimTranscriptLine& line : platform.transcript()) {
        if (line.direction == direction && (path.empty() || line.path == path)) {
            lines.push_back(hexOf(line.bytes));
        }
    }
    return lines;
}

std::vector<std::string> AppFixture::sent(const std::string& path) const {
    return transcriptLines('>', path);
}

std::vector<std::string> AppFixture::received(const std::string& path) const {
    return transcriptLines('<', path);
}

int AppFixture::countSent(const std::string& head, const std::string& path) const {
    int count = 0;
    for (const std::string& line : sent(path)) {
        count += line.starts_with(head) ? 1 : 0;
    }
    return count;
}

QStringList AppFixture::items(QListWidget* list) {
    QStringList texts;
    for (int row = 0; row < list->count(); ++row) {
        texts << list->item(row)->text();
    }
    return texts;
}

QStringList AppFixture::history() const {
    return items(control<QListWidget>("HistoryListBox"));
}

QString AppFixture::statusPanel(int index) const {
    return control<QLabel>(QStringLiteral("StatusPanel%1").arg(index).toLatin1().constData())
        ->text();
}
