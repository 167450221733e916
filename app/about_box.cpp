#include "app/about_box.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSysInfo>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "build_info.h"

static void initNotices()
{
    Q_INIT_RESOURCE(about);
}

namespace tq {

namespace {

constexpr const char* kCaption = "Informazioni su Test per TQ310";
constexpr const char* kClose = "Chiudi";

QString compiler()
{
#if defined(__clang__)
    return QStringLiteral("Clang " __clang_version__);
#elif defined(__GNUC__)
    return QStringLiteral("GCC " __VERSION__);
#else
    return QStringLiteral("compilatore sconosciuto");
#endif
}

}  // namespace

AboutBox::AboutBox(QWidget* parent) : QDialog(parent)
{
    initNotices();
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QString::fromLatin1(kCaption));

    Version = new QLabel(QStringLiteral("<b>Test per TQ310</b> (tq310-test), versione %1")
                             .arg(QCoreApplication::applicationVersion()),
                         this);
    Version->setObjectName(QStringLiteral("Version"));
    // Qt as the program runs with it, and as it was built against when that differs.
    QString qt = QStringLiteral("Qt %1").arg(QString::fromLatin1(qVersion()));
    if (qt != QStringLiteral("Qt " QT_VERSION_STR))
        qt += QStringLiteral(" (compilato con Qt " QT_VERSION_STR ")");
    Build = new QLabel(QStringLiteral("Build %1 del %2, %3, %4, %5 %6")
                           .arg(QStringLiteral(TQ_BUILD_COMMIT), QStringLiteral(TQ_BUILD_COMMIT_DATE), qt, compiler(),
                                QSysInfo::kernelType(), QSysInfo::buildCpuArchitecture()),
                       this);
    Build->setObjectName(QStringLiteral("Build"));
    Build->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Build->setWordWrap(true);

    Notices = new QTextBrowser(this);
    Notices->setObjectName(QStringLiteral("Notices"));
    Notices->setOpenExternalLinks(false);
    QFile notices(QStringLiteral(":/about/licenze.md"));
    if (notices.open(QIODevice::ReadOnly))
        Notices->setMarkdown(QString::fromUtf8(notices.readAll()));

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QString::fromLatin1(kClose), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Version);
    layout->addWidget(Build);
    layout->addWidget(Notices, 1);
    layout->addWidget(buttons);
    resize(640, 560);
}

}  // namespace tq
