#pragma once

#include <QString>

class QDoubleSpinBox;
class QWidget;

// One step of a price box (an arrow key, a wheel notch, an arrow button; Page Up and Down make ten):
// below 1 one unit of the last digit the price rule (priceDecimals) shows for the value, so a coin
// priced below a cent moves by its own tick instead of jumping past 1 or down to the box's minimum;
// from 1 up a whole 1, as the boxes always stepped. Non-finite values step by 1.
double priceStep(double value);

// Keeps the box's single step at priceStep of its value, now and whenever the value changes, so that
// every way of stepping (keys, wheel, buttons, the context menu) follows the value it steps from.
// Every box that holds a price goes through this.
void followPriceStep(QDoubleSpinBox *box);

// A modal decimal input box for one price, as QInputDialog::getDouble builds it, with its step kept by
// followPriceStep. `*ok` tells whether it was accepted; the value given is returned otherwise, also
// when the parent was destroyed while the box was open.
double askPrice(QWidget *parent, const QString &title, const QString &label, double value, double minimum,
                double maximum, int decimals, bool *ok);
