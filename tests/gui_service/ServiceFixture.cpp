#include "ServiceFixture.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QTest>

#include "main/DevReader.h"
#include "widgets/TGrid.h"

VirtualUnit& ServiceFixture::StartWithUnit() {
    AddUnit("SERVICE-1");
    Start();
    WaitForUnit();
    return Unit();
}

void ServiceFixture::WaitForUnit() {
    ASSERT_TRUE(PumpUntil([this] { return Main().hasCurrentDevice(); }));
}

void ServiceFixture::Inject(std::vector<std::uint8_t> reply) {
    ASSERT_TRUE(Platform.sendInput(Units.front()->path(), std::move(reply)));
}

void ServiceFixture::Settle() {
    settleMark_ = settleMark_ % 200 + 1;
    std::vector<std::uint8_t> reply = reportOf("00 47 4F");
    reply[4] = std::uint8_t(settleMark_);
    Inject(std::move(reply));
    auto* edit = Control<QLineEdit>(Window("TfrmIzlazi"), "edRelayDelay");
    const QString mark = QString::number(settleMark_);
    ASSERT_TRUE(PumpUntil([&] { return edit->text() == mark; }));
}

std::vector<std::string> ServiceFixture::SentWith(const std::string& head) const {
    std::vector<std::string> picked;
    for (const std::string& line : Sent()) {
        if (line.starts_with(head)) {
            picked.push_back(line);
        }
    }
    return picked;
}

bool ServiceFixture::PumpUntilSent(const std::string& head, std::size_t count) {
    return PumpUntil([&] { return SentWith(head).size() >= count; });
}

void ServiceFixture::Open(QWidget* window) {
    window->show();
    window->raise();
    QCoreApplication::processEvents();
}

void ServiceFixture::ClickGutter(TGrid* grid, int row) {
    grid->scrollTo(grid->model()->index(row, 0));
    QHeaderView* gutter = grid->verticalHeader();
    const QPoint at(gutter->width() / 2,
                    gutter->sectionViewportPosition(row) + gutter->sectionSize(row) / 2);
    QTest::mouseClick(gutter->viewport(), Qt::LeftButton, {}, at);
}
