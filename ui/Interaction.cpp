// SPDX-License-Identifier: MIT
#include "ui/Interaction.h"

#include "ui/QtInteraction.h"

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

CInteraction* InstallInteraction(CInteraction* interaction)
{
    CInteraction* previous = installed;
    installed = interaction;
    return previous;
}

}  // namespace kr
