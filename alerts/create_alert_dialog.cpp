#include "shell/formats.h"
#include "shell/main_window.h"
#include "shell/price_box.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>

namespace {

QLabel *plainLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    return label;
}

} // namespace

void MainWindow::showCreateAlertDialog(const QString &symbol)
{
    if (symbol.isEmpty())
        return;
    // Read once: quotes arriving while the dialog is open do not change what it shows or records.
    const double current = lastPriceForSymbol(symbol);

    QDialog dialog(this);
    dialog.setWindowTitle(
        localizedText(QStringLiteral("Create alert - %1"), QStringLiteral("Criar alerta - %1")).arg(symbol));
    auto *form = new QFormLayout(&dialog);
    form->addRow(localizedText(QStringLiteral("Symbol"), QString::fromUtf8("Símbolo")),
                 plainLabel(symbol, &dialog));
    form->addRow(localizedText(QStringLiteral("Current"), QStringLiteral("Atual")),
                 plainLabel(current > 0.0 ? formatPriceFixed(current, 4) : QStringLiteral("--"), &dialog));

    auto *condition = new QComboBox(&dialog);
    condition->setObjectName(QStringLiteral("alertConditionCombo"));
    condition->addItem(localizedText(QStringLiteral("Above"), QStringLiteral("Acima")));
    condition->addItem(localizedText(QStringLiteral("Below"), QStringLiteral("Abaixo")));
    condition->setCurrentIndex(0);
    form->addRow(localizedText(QStringLiteral("Condition"), QString::fromUtf8("Condição")), condition);

    auto *target = new QDoubleSpinBox(&dialog);
    target->setObjectName(QStringLiteral("alertTargetSpin"));
    // Decimals first: with the default two, the minimum would round to 0 and a target of 0 could be
    // armed, which the loader drops on the next start. Eight decimals are the finest tick the crypto
    // venues quote, so a coin priced below a cent keeps its digits.
    target->setDecimals(8);
    target->setRange(0.00000001, 1e9);
    const double start = alertTargetStart(current);
    target->setValue(start > 0.0 ? start : target->minimum());
    followPriceStep(target);
    form->addRow(localizedText(QStringLiteral("Target"), QStringLiteral("Alvo")), target);

    auto *repeat = new QCheckBox(
        localizedText(QStringLiteral("Repeat after trigger"), QString::fromUtf8("Repetir após disparo")),
        &dialog);
    repeat->setObjectName(QStringLiteral("alertRepeatCheck"));
    repeat->setChecked(false);
    repeat->setToolTip(localizedText(
        QStringLiteral("Keeps this alert active after it fires, with a 60 second cooldown."),
        QString::fromUtf8("Mantém este alerta ativo após disparar, com cooldown de 60 segundos.")));
    form->addRow(localizedText(QStringLiteral("Mode"), QStringLiteral("Modo")), repeat);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);

    if (dialog.exec() != QDialog::Accepted)
        return;
    PriceAlert alert;
    alert.symbol = symbol;
    alert.target = target->value();
    alert.above = condition->currentIndex() == 0;
    alert.repeating = repeat->isChecked();
    if (!(alert.target > 0.0))
        return;
    alerts.append(alert);
    appendAlertHistory(alert, QStringLiteral("Armed"), current > 0.0 ? current : 0.0,
                       QStringLiteral("Active"));
    saveLocalSettings();
    appendEventLog(
        localizedText(QStringLiteral("Alert armed: %1 %2 %3"), QStringLiteral("Alerta armado: %1 %2 %3"))
            .arg(symbol, alertConditionSign(alert.above), formatPriceFixed(alert.target, 4)));
}
