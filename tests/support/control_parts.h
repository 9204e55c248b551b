#pragma once

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStyleOptionSpinBox>

// Where the style puts a part of a box (its text field, its arrow or step buttons), in the box's own
// coordinates, asked the way the box asks when it paints, so a test measures what the user sees.
inline QRect comboBoxPart(const QComboBox *combo, QStyle::SubControl part)
{
    QStyleOptionComboBox option;
    option.initFrom(combo);
    option.editable = combo->isEditable();
    option.frame = combo->hasFrame();
    option.currentText = combo->currentText();
    option.subControls = QStyle::SC_All;
    return combo->style()->subControlRect(QStyle::CC_ComboBox, &option, part, combo);
}

inline QRect spinBoxPart(const QAbstractSpinBox *spin, QStyle::SubControl part)
{
    QStyleOptionSpinBox option;
    option.initFrom(spin);
    option.frame = spin->hasFrame();
    option.buttonSymbols = spin->buttonSymbols();
    option.subControls = QStyle::SC_All;
    return spin->style()->subControlRect(QStyle::CC_SpinBox, &option, part, spin);
}
