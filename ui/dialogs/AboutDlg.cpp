// SPDX-License-Identifier: MIT
#include "ui/dialogs/AboutDlg.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "platform/Version.h"
#include "ui/AppArt.h"

namespace kr {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(tr("About KR761x Configuration Wizard"));

    auto* icon = new QLabel(this);
    icon->setPixmap(PaintAppIcon(48));
    icon->setAlignment(Qt::AlignTop);

    auto* text = new QVBoxLayout;
    text->addWidget(new QLabel(
        tr("KR761x Configuration Wizard Version %1").arg(QString::fromLatin1(platform::kProgramVersion)), this));
    text->addWidget(
        new QLabel(tr("Generates 8051 firmware projects for KR7610 and KR7611 USB touch controllers."), this));
    text->addWidget(new QLabel(tr("Keil, Raisonance and SDCC projects from one saved configuration."), this));
    text->addSpacing(8);
    text->addWidget(
        new QLabel(tr("Released under the %1 licence.").arg(QString::fromLatin1(platform::kProgramLicence)), this));
    text->addWidget(new QLabel(tr("What the wizard generates belongs to whoever generates it."), this));

    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addSpacing(12);
    top->addLayout(text);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace kr
