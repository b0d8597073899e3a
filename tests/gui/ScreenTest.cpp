// A laptop at 200 % leaves the tool 960 x 540 pixels: every window fits it,
// every control can be scrolled to, and none overlaps another, also in the
// main window at its minimum size.

#include "AppFixture.h"
#include "main/DevReader.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QScrollArea>
#include <QScrollBar>

#include <string>
#include <vector>

namespace {

using ScreenTest = AppFixture;

// The controls a user reads or works: visible, and not a part of another
// control (a grid's header buttons, a scroll bar).
std::vector<QWidget*> controlsOf(QWidget* content) {
    std::vector<QWidget*> controls;
    for (QWidget* w : content->findChildren<QWidget*>()) {
        const bool control = qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) ||
                             qobject_cast<QLabel*>(w) || qobject_cast<QComboBox*>(w) ||
                             qobject_cast<QProgressBar*>(w) ||
                             qobject_cast<QAbstractItemView*>(w) || w->inherits("TClickPanel") ||
                             w->inherits("TShape");
        bool part = false;
        for (QWidget* up = w->parentWidget(); up != content && up != nullptr;
             up = up->parentWidget()) {
            part = part || qobject_cast<QAbstractItemView*>(up) || qobject_cast<QComboBox*>(up) ||
                   qobject_cast<QScrollBar*>(up);
        }
        if (control && !part && w->isVisibleTo(content)) {
            controls.push_back(w);
        }
    }
    return controls;
}

// Each window, shrunk to what `room` leaves: its content in a scroll area that
// fills it and keeps the content whole, and no two controls on each other.
void checkWindow(QWidget* window, const QSize& room) {
    SCOPED_TRACE(window->metaObject()->className());
    window->show();
    window->resize(window->size().boundedTo(room));
    QCoreApplication::processEvents();
    auto* area = window->findChild<QScrollArea*>(QStringLiteral("scrollContent"));
    ASSERT_NE(area, nullptr);
    EXPECT_EQ(area->mapTo(window, QPoint(0, 0)).y() + area->height() <= window->height(), true);
    QWidget* content = area->widget();
    EXPECT_GE(content->height(), content->minimumSizeHint().height());
    EXPECT_GE(content->width(), content->minimumSizeHint().width());
    const std::vector<QWidget*> controls = controlsOf(content);
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const QRect a(controls[i]->mapTo(content, QPoint(0, 0)), controls[i]->size());
        EXPECT_TRUE(content->rect().contains(a)) << controls[i]->objectName().toStdString();
        for (std::size_t j = i + 1; j < controls.size(); ++j) {
            const QRect b(controls[j]->mapTo(content, QPoint(0, 0)), controls[j]->size());
            EXPECT_FALSE(a.intersects(b)) << controls[i]->objectName().toStdString() << " and "
                                          << controls[j]->objectName().toStdString();
        }
    }
    window->hide();
}

TEST_F(ScreenTest, EveryWindowFitsASmallScreenAndEveryControlCanBeReached) {
    addUnit("S1");
    start();
    // 960 x 540, less a title bar and borders.
    const QSize room(952, 506);
    for (const char* name : {"TfrmMemory", "TfrmGSMNumbers", "TfrmADSettings", "TfrmAlarmi",
                             "TfrmDebug", "TfrmCallPhonebook", "TfrmIzlazi"}) {
        checkWindow(windowOf(name), room);
    }
    checkWindow(&mainForm(), room);
    checkWindow(&mainForm(), mainForm().minimumSize());
}

}  // namespace
