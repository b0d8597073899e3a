#include "commissioning/CommissioningReport.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>

namespace {

using namespace commissioning;

// A report whose every text from the unit or the technician would break the
// markup, or run, if it were not escaped.
ReportData hostileReport() {
    ReportData d;
    d.site = QStringLiteral("Kula \"3\" & <ulaz>");
    d.technician = QStringLiteral("Đorđe Šćepanović");
    d.notes = QStringLiteral("a'b</td></tr><td>");
    d.made = QDateTime::fromString(QStringLiteral("2026-12-10T14:03:21+01:00"), Qt::ISODate);
    d.toolVersion = QStringLiteral("1.0.0");
    d.firmware = QStringLiteral("<script>alert(1)</script>");
    d.serial = QStringLiteral("BRV8-<&>\"");
    d.profileSha256 = QString(64, u'a');
    d.chosenProfile = QStringLiteral("kula.json");
    d.matchesChosen = false;
    d.differences = {QStringLiteral("gsmNumbers[0]: unit \"<1>\", file \"2\"")};
    d.steps = {
        {QStringLiteral("Uređaj"), State::Failed, {}, d.made, d.made},
        {QStringLiteral("GSM"), State::Passed, QStringLiteral("RSSI min. 20"), d.made, d.made},
        {QStringLiteral("Relej"), State::NotRun, {}, {}, {}}};
    for (int k = 0; k < 20; ++k) {
        monitor::StatusSample s;
        s.timeMs = d.made.toMSecsSinceEpoch() + k * 100;
        s.rssi = static_cast<std::uint8_t>(15 + k % 5);
        s.network = k == 10 ? 3 : 1;
        d.signal.push_back(s);
    }
    return d;
}

// The HTML parsed as XML: every element's name, and all of its text.
struct Parsed {
    QStringList elements;
    QString text;
    QString error;
};

Parsed parse(const QString& html) {
    Parsed parsed;
    QXmlStreamReader xml(html);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            parsed.elements << xml.name().toString();
        } else if (xml.isCharacters()) {
            parsed.text += xml.text();
        }
    }
    if (xml.hasError()) {
        parsed.error = xml.errorString();
    }
    return parsed;
}

TEST(CommissioningReport, TheHtmlShowsEveryFieldAsTextAndRunsNothing) {
    const ReportData d = hostileReport();
    const Parsed html = parse(reportHtml(d));
    ASSERT_TRUE(html.error.isEmpty()) << html.error.toStdString();
    EXPECT_FALSE(html.elements.contains(u"script"));
    EXPECT_EQ(html.elements.count(u"svg"), 1);
    EXPECT_EQ(html.elements.count(u"polyline"), 1);
    for (const QString& field :
         {d.site, d.technician, d.notes, d.firmware, d.serial, d.profileSha256,
          QStringLiteral("2026-12-10T14:03:21+01:00"), QStringLiteral("nije prošao"),
          QStringLiteral("nije izvršen"), QStringLiteral("RSSI min. 20"), d.differences[0],
          QStringLiteral("razlikuje se od profila kula.json"),
          QStringLiteral("Ocena: NEISPRAVAN")}) {
        EXPECT_TRUE(html.text.contains(field)) << field.toStdString();
    }
}

TEST(CommissioningReport, TheFilesBesideTheHtmlHoldTheSameReport) {
    QTemporaryDir dir;
    ReportData d = hostileReport();
    d.verdict = true;
    const QString html = dir.filePath(QStringLiteral("BRV8-000001-20261210-1403.html"));
    ASSERT_EQ(writeReport(d, html), std::nullopt);

    QFile json(dir.filePath(QStringLiteral("BRV8-000001-20261210-1403.json")));
    ASSERT_TRUE(json.open(QIODevice::ReadOnly));
    const QJsonObject root = QJsonDocument::fromJson(json.readAll()).object();
    EXPECT_EQ(root.value(u"firmware").toString(), d.firmware);
    EXPECT_EQ(root.value(u"verdictText").toString(), u"ISPRAVAN");
    EXPECT_EQ(root.value(u"steps").toArray().at(2).toObject().value(u"state").toString(),
              u"notRun");
    EXPECT_EQ(root.value(u"signal").toArray().size(), 20);

    const QString pdf = dir.filePath(QStringLiteral("BRV8-000001-20261210-1403.pdf"));
    ASSERT_TRUE(QFile::exists(pdf));
#ifdef PDFTOTEXT
    QProcess text;
    text.start(QStringLiteral(PDFTOTEXT),
               {QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf, QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(30000));
    const QString words = QString::fromUtf8(text.readAllStandardOutput()).simplified();
    for (const QString& field :
         {d.site, d.technician, d.firmware, d.serial, QStringLiteral("Ocena: ISPRAVAN"),
          QStringLiteral("nije izvršen")}) {
        EXPECT_TRUE(words.contains(field)) << field.toStdString() << "\n" << words.toStdString();
    }
    // The checksum may break across the lines of its cell.
    EXPECT_TRUE(QString(words).remove(u' ').contains(d.profileSha256));
#endif
}

}  // namespace
