// SPDX-License-Identifier: MIT
#include "ui/Interaction.h"

#include <QCoreApplication>

#include "ui/QtInteraction.h"
#include "ui/QtText.h"

namespace kr {
namespace {

CInteraction* installed = nullptr;

}  // namespace

CInteraction& Interaction()
{
    if (installed)
        return *installed;
    static CQtInteraction real;
    return real;
}

void ShowFolder(QWidget* owner, const QString& folder)
{
    if (Interaction().Explore(folder))
        return;
    Interaction().ShowMessage(owner, QCoreApplication::translate("kr::ShowFolder", "Open Folder"),
                              QCoreApplication::translate("kr::ShowFolder",
                                                          "The folder %1 cannot be shown: no file manager could "
                                                          "be started to show it.")
                                  .arg(ShownPathText(folder)),
                              MessageIcon::Warning);
}

CInteraction* InstallInteraction(CInteraction* interaction)
{
    CInteraction* previous = installed;
    installed = interaction;
    return previous;
}

}  // namespace kr
