#include "ui/qt_italian.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace tq::ui {

bool installQtItalian()
{
    auto* translator = new QTranslator(QCoreApplication::instance());
    const QString folders[] = {QCoreApplication::applicationDirPath() + QStringLiteral("/translations"),
                               QLibraryInfo::path(QLibraryInfo::TranslationsPath)};
    // qtbase_it.qm as Debian ships it; qt_it.qm as Qt's deployment tool gathers the modules'.
    for (const QString& folder : folders) {
        for (const QString& name : {QStringLiteral("qtbase_it"), QStringLiteral("qt_it")})
            if (translator->load(name, folder))
                return QCoreApplication::installTranslator(translator);
    }
    delete translator;
    return false;
}

}  // namespace tq::ui
