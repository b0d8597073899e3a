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
        // A description that ends with its pattern ("Profil *.json") does not
        // show it twice.
        QString description = filter.description;
        if (description.endsWith(u' ' + filter.pattern)) {
            description.chop(filter.pattern.size() + 1);
        }
        parts << QStringLiteral("%1 (%2)").arg(description, filter.pattern);
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
