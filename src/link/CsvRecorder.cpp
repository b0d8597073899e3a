#include "link/CsvRecorder.h"

#include <QDateTime>

#include <string>

#include "link/LocalTime.h"
#include "monitor/StatusSample.h"

QString csvTime(std::int64_t timeMs) {
    return localTimeText(QDateTime::fromMSecsSinceEpoch(timeMs), true);
}

bool CsvRecorder::open(const QString& path) {
    close();
    file_.setFileName(path);
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        error_ = file_.errorString();
        return false;
    }
    if (!attach(file_)) {
        return false;
    }
    fileName_ = path;
    return true;
}

bool CsvRecorder::attach(QIODevice& device) {
    if (&device != &file_) {
        close();
    }
    device_ = &device;
    lines_ = 0;
    error_.clear();
    return writeText(QByteArray::fromStdString(monitor::csvHeader()));
}

bool CsvRecorder::write(const monitor::StatusSample& sample) {
    if (device_ == nullptr) {
        return false;
    }
    const std::string line = monitor::csvLine(sample, csvTime(sample.timeMs).toStdString());
    if (!writeText(QByteArray::fromStdString(line))) {
        return false;
    }
    ++lines_;
    return true;
}

bool CsvRecorder::writeText(const QByteArray& text) {
    auto* file = qobject_cast<QFileDevice*>(device_);
    if (device_->write(text) != text.size() || (file != nullptr && !file->flush())) {
        error_ = device_->errorString();
        close();
        return false;
    }
    return true;
}

void CsvRecorder::close() {
    device_ = nullptr;
    if (file_.isOpen()) {
        file_.close();
    }
}
