// SPDX-License-Identifier: MIT
#pragma once
// Building blocks shared by the configuration pages: numbered controls of
// each kind, captioned frames, and the page's outer layout with "Default" at
// the bottom right. Sizes come from the font and the style, never from fixed
// pixel counts, so the pages scale with the screen and the user's font.

#include <initializer_list>

#include <QList>
#include <QString>
#include <QStringList>

#include "ui/ControlId.h"

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSpacerItem;
class QVBoxLayout;
class QWidget;

namespace kr {

class CPage;

// A label; numbered when id is not 0 (labels that are enabled, disabled or
// hidden with their controls).
QLabel* MakeLabel(QWidget* parent, const QString& text, int id = 0);

// An edit box for a number. Every number box has the width of the longest
// value the pages take, so that boxes stacked in a frame line up.
QLineEdit* MakeNumberBox(QWidget* parent, int id);

// An edit box for a line of text, taking the width it is given.
QLineEdit* MakeTextBox(QWidget* parent, int id);

// A drop-down list of fixed items.
QComboBox* MakeList(QWidget* parent, int id, const QStringList& items);

QCheckBox* MakeCheckBox(QWidget* parent, const QString& text, int id);
QRadioButton* MakeRadio(QWidget* parent, const QString& text, int id);

// Makes buttons one exclusive group. Their order here is their position in
// the group, the value the exchange stores.
QButtonGroup* MakeRadioGroup(QWidget* parent, std::initializer_list<QAbstractButton*> buttons);

// A captioned frame with a grid inside.
QGroupBox* MakeFrame(QWidget* parent, const QString& caption, QGridLayout*& grid);

// A note in the page's own words, kept in place while hidden so that the
// controls around it do not move.
QLabel* MakeNote(QWidget* parent, const QString& text, int id);

// Space between groups of rows in a grid, half a line of text high, or
// between groups of columns, a line of text wide.
QSpacerItem* MakeGap(const QWidget* widget, Qt::Orientation orientation = Qt::Vertical);

// How far a control stands in from a check box or radio button above it, so
// that it lines up with that button's caption.
int ButtonCaptionIndent(const QWidget* widget);

// Gives column 0 of every grid the width of the widest of them, so that the
// labels of stacked frames line up.
void AlignFirstColumns(std::initializer_list<QGridLayout*> grids);

// The page's outer layout: what is added goes on top, in order.
QVBoxLayout* StartPage(CPage* page);

// Closes the page's layout: free space, then "Default" at the bottom right.
void FinishPage(CPage* page, QVBoxLayout* layout);

// Enables or disables, shows or hides these controls.
void EnableControls(const QList<QWidget*>& controls, bool enable);
void ShowControls(const QList<QWidget*>& controls, bool show);

}  // namespace kr
