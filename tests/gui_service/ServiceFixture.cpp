#include "ServiceFixture.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QTest>

#include "main/DevReader.h"
#include "widgets/TGrid.h"

VirtualUnit& ServiceFixture::startWithUnit() {
    addUnit("SERVICE-1");
    start();
    waitForUnit();
    return unit();
}

void ServiceFixture::waitForUnit() {
    ASSERT_TRUE(pumpUntil([this] { return mainForm().hasCurrentDevice(); }));
}

void ServiceFixture::inject(std::vector<std::uint8_t> reply) {
    ASSERT_TRUE(platform.sendInput(units.front()->path(), std::move(reply)));
}

void ServiceFixture::settle() {
    settleMark_ = settleMark_ % 200 + 1;
    std::vector<std::uint8_t> reply = reportOf("00 47 4F");
    reply[4] = std::uint8_t(settleMark_);
    inject(std::move(reply));
    auto* edit = control<QLineEdit>(windowOf("TfrmIzlazi"), "edRelayDelay");
    const QString mark = QString::number(settleMark_);
    ASSERT_TRUE(pumpUntil([&] { return edit->text() == mark; }));
}

std::vector<std::string> ServiceFixture::sentWith(const std::string& head) const {
    std::vector<std::string> picked;
    for (const std::string& line : sent()) {
        if (line.starts_with(head)) {
            picked.push_back(line);
        }
    }
    return picked;
}

bool ServiceFixture::pumpUntilSent(const std::string& head, std::size_t count) {
    return pumpUntil([&] { return sentWith(head).size() >= count; });
}

void ServiceFixture::open(QWidget* window) {
    window->show();
    window->raise();
    QCoreApplication::processEvents();
}

void ServiceFixture::clickGutter(TGrid* grid, int row) {
    grid->scrollTo(grid->model()->index(row, 0));
    QHeaderView* gutter = grid->verticalHeader();
    const QPoint at(gutter->width() / 2,
                    gutter->sectionViewportPosition(row) + gutter->sectionSize(row) / 2);
    QTest::mouseClick(gutter->viewport(), Qt::LeftButton, {}, at);
}
