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

std::vector<std::uint8_t> ServiceFixture::ReplyOf(
    char a, char b, std::initializer_list<std::pair<std::size_t, std::uint8_t>> bytes) {
    std::vector<std::uint8_t> reply(65, 0);
    reply[1] = std::uint8_t(a);
    reply[2] = std::uint8_t(b);
    for (const auto& [k, value] : bytes) {
        reply.at(k) = value;
    }
    return reply;
}

void ServiceFixture::Put(std::vector<std::uint8_t>& reply, std::size_t k, const std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        reply.at(k + i) = std::uint8_t(text[i]);
    }
}

void ServiceFixture::Inject(std::vector<std::uint8_t> reply) {
    ASSERT_TRUE(Platform.sendInput(Units.front()->path(), std::move(reply)));
}

void ServiceFixture::Settle() {
    settleMark_ = settleMark_ % 200 + 1;
    Inject(ReplyOf('G', 'O', {{4, std::uint8_t(settleMark_)}}));
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

std::vector<std::string> PaddedAll(std::initializer_list<std::string> heads) {
    std::vector<std::string> padded;
    for (const std::string& head : heads) {
        padded.push_back(Padded(head));
    }
    return padded;
}
