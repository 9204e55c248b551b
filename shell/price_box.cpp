#include "shell/price_box.h"

#include "shell/formats.h"

#include <QDoubleSpinBox>
#include <QInputDialog>
#include <QPointer>

#include <cmath>

double priceStep(double value)
{
    if (!std::isfinite(value) || value >= 1.0)
        return 1.0;
    // The boxes' prices read like the quote table's, so the unit is that of the table's text.
    return std::pow(10.0, -priceDecimals(value, 4));
}

void followPriceStep(QDoubleSpinBox *box)
{
    if (!box)
        return;
    // Steps add up a hair off the decimal they aim at (29 steps of 0.0001 from 0.9971 end at
    // 0.9999999999999997, shown as 1): the next step is chosen for the value as the box shows it, or
    // that 1 would be followed by 1.0001 instead of 2.
    const auto follow = [box](double value) {
        box->setSingleStep(priceStep(QString::number(value, 'f', box->decimals()).toDouble()));
    };
    follow(box->value());
    QObject::connect(box, &QDoubleSpinBox::valueChanged, box, follow);
}

double askPrice(QWidget *parent, const QString &title, const QString &label, double value, double minimum,
                double maximum, int decimals, bool *ok)
{
    // On the heap and watched: the parent can be destroyed while the box runs its own event loop,
    // and would take a box on this stack with it.
    QPointer<QInputDialog> dialog = new QInputDialog(parent);
    dialog->setWindowTitle(title);
    dialog->setLabelText(label);
    dialog->setInputMode(QInputDialog::DoubleInput);
    dialog->setDoubleDecimals(decimals);
    dialog->setDoubleRange(minimum, maximum);
    dialog->setDoubleValue(value);
    followPriceStep(dialog->findChild<QDoubleSpinBox *>());
    const bool accepted = dialog->exec() == QDialog::Accepted && dialog;
    if (ok)
        *ok = accepted;
    const double chosen = accepted ? dialog->doubleValue() : value;
    delete dialog; // nothing when it went with its parent
    return chosen;
}
