#include "commissioning/CommissioningReport.h"

#include <QAbstractTextDocumentLayout>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>
#include <QUrl>

#include <algorithm>
#include <array>

#include "link/LocalTime.h"
#include "protocol/NumberText.h"

namespace commissioning {

namespace {

// The registration as the main window names it, and the chart's colour.
struct NetworkLook {
    const char* name;
    const char* color;
};
constexpr std::array<NetworkLook, NetworkStateCount> NetworkLooks{{
    {"NOT_REGISTERED", "#f2b8b8"},
    {"HOME_NETWORK", "#bfe3bf"},
    {"ROAMING_NETWORK", "#d8ecc0"},
    {"SEARCHING...", "#dcc6e6"},
    {"UNDEFINED!?", "#f2b8b8"},
}};

constexpr int ChartWidth = 600;
constexpr int ChartHeight = 160;
// RSSI as the unit reports it: 0 to 31.
constexpr int RssiTop = 31;

QString fixedPoint(std::int32_t value) {
    return QString::fromStdU16String(protocol::formatFixedPoint(value, u"."));
}

QString isoTime(const QDateTime& time) {
    return time.isValid() ? localTimeText(time, false) : QString();
}

// A step's time of day, as the table shows it; the date is the report's.
QString clockTime(const QDateTime& time) {
    return time.isValid() ? time.toString(QStringLiteral("HH:mm:ss")) : QString();
}

QDateTime timeOf(std::int64_t ms) {
    return ms == 0 ? QDateTime() : QDateTime::fromMSecsSinceEpoch(ms);
}

const char* stateKey(State state) {
    switch (state) {
        case State::Waiting:
            return "waiting";
        case State::Running:
            return "running";
        case State::Passed:
            return "passed";
        case State::Failed:
            return "failed";
        case State::Skipped:
            return "skipped";
        case State::NotRun:
            return "notRun";
    }
    return "notRun";
}

QString stepFigures(const CommissioningRun& run, Step step) {
    switch (step) {
        case Step::Unit:
            if (!run.profileMatches()) {
                return {};
            }
            return *run.profileMatches() ? QStringLiteral("uređaj sadrži izabrani profil")
                                         : QStringLiteral("uređaj se razlikuje od profila");
        case Step::Gsm: {
            const GsmFigures& g = run.gsm();
            if (g.samples == 0) {
                return {};
            }
            std::int64_t total = 0;
            for (const std::int64_t ms : g.msInState) {
                total += ms;
            }
            QStringList shares;
            for (std::size_t k = 0; k < NetworkStateCount; ++k) {
                if (g.msInState[k] > 0 && total > 0) {
                    shares << QStringLiteral("%1 %2 %")
                                  .arg(QLatin1StringView(NetworkLooks[k].name))
                                  .arg(QString::number(100.0 * static_cast<double>(g.msInState[k]) /
                                                           static_cast<double>(total),
                                                       'f', 1));
                }
            }
            return QStringLiteral("RSSI min. %1 / sred. %2 / maks. %3, nivo signala %4 do %5; %6")
                .arg(g.rssiMin)
                .arg(QString::number(g.rssiMean, 'f', 1))
                .arg(g.rssiMax)
                .arg(g.levelMin)
                .arg(g.levelMax)
                .arg(shares.join(QStringLiteral(", ")));
        }
        case Step::Analog:
            if (!run.analogMean()) {
                return run.latest() ? QStringLiteral("trenutno %1")
                                          .arg(fixedPoint(run.latest()->analogValue1))
                                    : QString();
            }
            return QStringLiteral("srednja vrednost za 5 s %1 (očekivano %2 ± %3)")
                .arg(fixedPoint(*run.analogMean()), fixedPoint(run.analogExpected()),
                     fixedPoint(run.analogTolerance()));
        case Step::Relay:
        case Step::Input1:
        case Step::Input2:
        case Step::Input3:
        case Step::Sms:
            break;
    }
    return {};
}

QString escaped(const QString& text) {
    return text.toHtmlEscaped();
}

// The samples' place on the chart: x by time over the run's span, y by RSSI.
struct ChartScale {
    std::int64_t from = 0;
    std::int64_t to = 1;
    double x(std::int64_t ms) const {
        return static_cast<double>(ms - from) * ChartWidth / static_cast<double>(to - from);
    }
    static double y(int rssi) {
        return ChartHeight - static_cast<double>(std::min(rssi, RssiTop)) * ChartHeight / RssiTop;
    }
};

ChartScale scaleOf(const std::vector<monitor::StatusSample>& signal) {
    ChartScale scale;
    if (!signal.empty()) {
        scale.from = signal.front().timeMs;
        scale.to = std::max(signal.back().timeMs, scale.from + 1);
    }
    return scale;
}

QString svgChart(const std::vector<monitor::StatusSample>& signal) {
    const ChartScale scale = scaleOf(signal);
    QString svg = QStringLiteral(
                      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" height=\"%2\" "
                      "viewBox=\"0 0 %1 %2\">\n")
                      .arg(ChartWidth)
                      .arg(ChartHeight);
    QStringList points;
    // One band per stretch of one network state: bands side by side would
    // show seams where a browser smooths their edges.
    std::size_t stretch = 0;
    for (std::size_t k = 0; k < signal.size(); ++k) {
        const std::size_t state = networkIndex(signal[k].network);
        if (k + 1 == signal.size() || networkIndex(signal[k + 1].network) != state) {
            const double x = scale.x(signal[stretch].timeMs);
            const double next = k + 1 < signal.size() ? scale.x(signal[k + 1].timeMs) : ChartWidth;
            svg +=
                QStringLiteral("<rect x=\"%1\" y=\"0\" width=\"%2\" height=\"%3\" fill=\"%4\"/>\n")
                    .arg(QString::number(x, 'f', 1), QString::number(next - x, 'f', 1))
                    .arg(ChartHeight)
                    .arg(QLatin1StringView(NetworkLooks[state].color));
            stretch = k + 1;
        }
        points << QString::number(scale.x(signal[k].timeMs), 'f', 1) + u',' +
                      QString::number(ChartScale::y(signal[k].rssi), 'f', 1);
    }
    svg += QStringLiteral(
               "<polyline fill=\"none\" stroke=\"#1f4e9c\" stroke-width=\"1.5\" points=\"%1\"/>\n")
               .arg(points.join(u' '));
    svg += QStringLiteral("<text x=\"4\" y=\"14\" font-size=\"12\">RSSI (0 do %1)</text>\n")
               .arg(RssiTop);
    return svg + QStringLiteral("</svg>\n");
}

QImage chartImage(const std::vector<monitor::StatusSample>& signal) {
    QImage image(ChartWidth, ChartHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    const ChartScale scale = scaleOf(signal);
    QPainterPath trace;
    for (std::size_t k = 0; k < signal.size(); ++k) {
        const double x = scale.x(signal[k].timeMs);
        const double next = k + 1 < signal.size() ? scale.x(signal[k + 1].timeMs) : ChartWidth;
        painter.fillRect(
            QRectF(x, 0, next - x, ChartHeight),
            QColor(QLatin1StringView(NetworkLooks[networkIndex(signal[k].network)].color)));
        const QPointF point(x, ChartScale::y(signal[k].rssi));
        k == 0 ? trace.moveTo(point) : trace.lineTo(point);
    }
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x1f, 0x4e, 0x9c), 1.5));
    painter.drawPath(trace);
    return image;
}

// The report's body, the chart given as markup.
QString htmlWith(const ReportData& d, const QString& chart) {
    const auto row = [](const QString& name, const QString& value) {
        return QStringLiteral("<tr><th>%1</th><td>%2</td></tr>\n").arg(name, escaped(value));
    };
    QString profile = d.profileSha256;
    if (!d.chosenProfile.isEmpty()) {
        profile += d.matchesChosen.value_or(false)
                       ? QStringLiteral(" (sadrži profil %1)").arg(d.chosenProfile)
                       : QStringLiteral(" (razlikuje se od profila %1)").arg(d.chosenProfile);
    }
    QString html = QStringLiteral(
                       "<!DOCTYPE html>\n<html lang=\"sr\">\n<head>\n<meta charset=\"utf-8\"/>\n"
                       "<title>Izveštaj o puštanju u rad %1</title>\n<style>\n"
                       "body { font-family: sans-serif; margin: 2em; color: #222; }\n"
                       "table { border-collapse: collapse; margin-bottom: 1.5em; }\n"
                       "th, td { border: 1px solid #999; padding: 4px 8px; text-align: left; "
                       "vertical-align: top; }\n"
                       ".verdict { font-size: 1.4em; font-weight: bold; }\n"
                       "</style>\n</head>\n<body>\n<h1>Izveštaj o puštanju u rad</h1>\n"
                       "<table>\n")
                       .arg(escaped(d.serial));
    html += row(QStringLiteral("Lokacija"), d.site);
    html += row(QStringLiteral("Tehničar"), d.technician);
    html += row(QStringLiteral("Napomene"), d.notes);
    html += row(QStringLiteral("Datum i vreme"), isoTime(d.made));
    html += row(QStringLiteral("Verzija programa"), d.toolVersion);
    html += row(QStringLiteral("Firmware"), d.firmware);
    html += row(QStringLiteral("Serijski broj"), d.serial);
    html += row(QStringLiteral("Profil (SHA-256)"), profile);
    html += QStringLiteral("</table>\n");
    if (!d.differences.isEmpty()) {
        html += QStringLiteral("<h2>Razlike od profila</h2>\n<ul>\n");
        for (const QString& difference : d.differences) {
            html += QStringLiteral("<li>%1</li>\n").arg(escaped(difference));
        }
        html += QStringLiteral("</ul>\n");
    }
    html += QStringLiteral(
        "<h2>Koraci</h2>\n<table>\n"
        "<tr><th>Korak</th><th>Stanje</th><th>Rezultat</th><th>Početak</th><th>Kraj</th></tr>\n");
    for (const ReportStep& step : d.steps) {
        html += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td><td>%4</td><td>%5</td></tr>\n")
                    .arg(escaped(step.name), stateText(step.state), escaped(step.figures),
                         clockTime(step.start), clockTime(step.end));
    }
    html += QStringLiteral("</table>\n<h2>GSM signal tokom provere</h2>\n") + chart;
    html += QStringLiteral("<p class=\"verdict\">Ocena: %1</p>\n</body>\n</html>\n")
                .arg(verdictText(d.verdict));
    return html;
}

bool save(const QString& path, const QByteArray& bytes, QString& error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

bool savePdf(const ReportData& data, const QString& path, QString& error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    {
        QPdfWriter pdf(&file);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
        pdf.setResolution(96);
        pdf.setTitle(QStringLiteral("Izveštaj o puštanju u rad %1").arg(data.serial));
        QTextDocument document;
        document.documentLayout()->setPaintDevice(&pdf);
        document.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("chart.png")),
                             chartImage(data.signal));
        document.setHtml(htmlWith(data, QStringLiteral("<p><img src=\"chart.png\"/></p>\n")));
        const QSizeF page(pdf.width(), pdf.height());
        document.setPageSize(page);
        QPainter painter(&pdf);
        for (int k = 0; k < document.pageCount(); ++k) {
            if (k > 0) {
                pdf.newPage();
            }
            painter.save();
            painter.translate(0, -k * page.height());
            document.drawContents(&painter, QRectF(QPointF(0, k * page.height()), page));
            painter.restore();
        }
    }
    if (!file.commit()) {
        error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

}  // namespace

QString stateText(State state) {
    switch (state) {
        case State::Waiting:
            return QStringLiteral("čeka");
        case State::Running:
            return QStringLiteral("u toku");
        case State::Passed:
            return QStringLiteral("prošao");
        case State::Failed:
            return QStringLiteral("nije prošao");
        case State::Skipped:
            return QStringLiteral("preskočen");
        case State::NotRun:
            return QStringLiteral("nije izvršen");
    }
    return {};
}

QString stepName(Step step) {
    switch (step) {
        case Step::Unit:
            return QStringLiteral("Uređaj");
        case Step::Gsm:
            return QStringLiteral("GSM");
        case Step::Relay:
            return QStringLiteral("Relej");
        case Step::Input1:
            return QStringLiteral("Ulaz 1");
        case Step::Input2:
            return QStringLiteral("Ulaz 2");
        case Step::Input3:
            return QStringLiteral("Ulaz 3");
        case Step::Analog:
            return QStringLiteral("Analogna vrednost");
        case Step::Sms:
            return QStringLiteral("Test SMS");
    }
    return {};
}

QString verdictText(bool verdict) {
    return verdict ? QStringLiteral("ISPRAVAN") : QStringLiteral("NEISPRAVAN");
}

std::vector<ReportStep> reportSteps(const CommissioningRun& run) {
    std::vector<ReportStep> steps;
    for (std::size_t k = 0; k < StepCount; ++k) {
        const Step step = static_cast<Step>(k);
        const StepResult& result = run.result(step);
        steps.push_back({stepName(step), result.state, stepFigures(run, step),
                         timeOf(result.startMs), timeOf(result.endMs)});
    }
    return steps;
}

QByteArray reportJson(const ReportData& d) {
    QJsonArray steps;
    for (const ReportStep& step : d.steps) {
        steps.append(QJsonObject{
            {QStringLiteral("name"), step.name},
            {QStringLiteral("state"), QLatin1StringView(stateKey(step.state))},
            {QStringLiteral("stateText"), stateText(step.state)},
            {QStringLiteral("figures"), step.figures},
            {QStringLiteral("start"), isoTime(step.start)},
            {QStringLiteral("end"), isoTime(step.end)},
        });
    }
    QJsonArray signal;
    for (const monitor::StatusSample& s : d.signal) {
        signal.append(QJsonObject{
            {QStringLiteral("time"), isoTime(QDateTime::fromMSecsSinceEpoch(s.timeMs))},
            {QStringLiteral("rssi"), s.rssi},
            {QStringLiteral("signal"), s.signal},
            {QStringLiteral("network"), s.network},
        });
    }
    const QJsonObject root{
        {QStringLiteral("site"), d.site},
        {QStringLiteral("technician"), d.technician},
        {QStringLiteral("notes"), d.notes},
        {QStringLiteral("time"), isoTime(d.made)},
        {QStringLiteral("toolVersion"), d.toolVersion},
        {QStringLiteral("firmware"), d.firmware},
        {QStringLiteral("serial"), d.serial},
        {QStringLiteral("profileSha256"), d.profileSha256},
        {QStringLiteral("chosenProfile"),
         d.chosenProfile.isEmpty() ? QJsonValue() : QJsonValue(d.chosenProfile)},
        {QStringLiteral("matchesChosen"),
         d.matchesChosen ? QJsonValue(*d.matchesChosen) : QJsonValue()},
        {QStringLiteral("differences"), QJsonArray::fromStringList(d.differences)},
        {QStringLiteral("steps"), steps},
        {QStringLiteral("signal"), signal},
        {QStringLiteral("verdict"), d.verdict},
        {QStringLiteral("verdictText"), verdictText(d.verdict)},
    };
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

QString reportHtml(const ReportData& data) {
    return htmlWith(data, svgChart(data.signal));
}

std::optional<QString> writeReport(const ReportData& data, const QString& htmlPath) {
    const QFileInfo info(htmlPath);
    const QString base = info.suffix().compare(u"html", Qt::CaseInsensitive) == 0 ||
                                 info.suffix().compare(u"htm", Qt::CaseInsensitive) == 0
                             ? info.path() + u'/' + info.completeBaseName()
                             : htmlPath;
    QString error;
    if (!save(htmlPath, reportHtml(data).toUtf8(), error) ||
        !savePdf(data, base + QStringLiteral(".pdf"), error) ||
        !save(base + QStringLiteral(".json"), reportJson(data), error)) {
        return error;
    }
    return std::nullopt;
}

}  // namespace commissioning
