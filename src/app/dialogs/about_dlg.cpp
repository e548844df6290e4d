#include "app/dialogs/about_dlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/window/app_icon.h"

namespace plexo {

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("About Plexo"));

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("icon"));
    icon->setPixmap(ApplicationIcon().pixmap(64, 64));
    icon->setAlignment(Qt::AlignTop);

    // The project's version, also when no application object names one.
    const QString version = QStringLiteral(PLEXO_VERSION);
    auto* name = new QLabel(QStringLiteral("Plexo"), this);
    name->setObjectName(QStringLiteral("name"));
    auto* versionLine = new QLabel(QStringLiteral("Version %1").arg(version), this);
    versionLine->setObjectName(QStringLiteral("version"));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CAboutDlg::accept);

    auto* text = new QVBoxLayout;
    text->addWidget(name);
    text->addWidget(versionLine);
    text->addStretch();

    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addSpacing(12);
    top->addLayout(text);
    top->addSpacing(12);
    top->addWidget(ok, 0, Qt::AlignTop);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace plexo
