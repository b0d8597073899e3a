#include "widgets/DialogService.h"

#include "widgets/QtDialogService.h"

#include <QStringList>

namespace {

std::unique_ptr<DialogService>& installed() {
    static std::unique_ptr<DialogService> service;
    return service;
}

}  // namespace

DialogService& DialogService::instance() {
    auto& service = installed();
    if (!service) {
        service = std::make_unique<QtDialogService>();
    }
    return *service;
}

std::unique_ptr<DialogService> DialogService::install(std::unique_ptr<DialogService> service) {
    installed().swap(service);
    return service;
}

QString DialogService::qtFilter(const QList<FileFilter>& filters) {
    QStringList parts;
    for (const auto& filter : filters) {
        parts << QStringLiteral("%1 (%2)").arg(filter.description, filter.pattern);
    }
    return parts.join(QStringLiteral(";;"));
}

QString DialogService::bareSuffix(const QString& defaultSuffix) {
    qsizetype start = 0;
    while (start < defaultSuffix.size() &&
           (defaultSuffix[start] == u'*' || defaultSuffix[start] == u'.')) {
        ++start;
    }
    return defaultSuffix.mid(start);
}
