// SPDX-License-Identifier: MIT
#include "ui/PathBox.h"

#include <QLineEdit>
#include <QPalette>

namespace kr {

QLineEdit* MakePathBox(QWidget* parent)
{
    auto* box = new QLineEdit(parent);
    box->setReadOnly(true);
    QPalette palette = box->palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, QPalette::Base, palette.color(group, QPalette::Window));
    box->setPalette(palette);
    return box;
}

}  // namespace kr
