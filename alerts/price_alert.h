#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

// One price rule. A stored alert always has a non-empty symbol and a target above 0.
struct PriceAlert
{
    QString symbol;
    double target = 0.0;
    bool above = true;        // fires at or above the target; false: at or below
    bool triggered = false;   // a one-shot alert has fired and sleeps until rearmed
    bool repeating = false;   // fires again after the cool-down instead of sleeping
    qint64 lastTriggerMs = 0; // wall clock of the last hit; 0 = never fired, or rearmed
};

// One line of the append-only alert log. Event and status words stay English in both languages: the
// table colours are chosen by them.
struct AlertHistoryEntry
{
    QString timestamp; // local "yyyy-MM-dd HH:mm:ss"
    QString event;     // "Armed", "Triggered", "Rearmed", "Removed"
    QString symbol;
    QString condition; // ">= 31.2000" / "<= 31.2000" / ">= 0.00001234"
    double target = 0.0;
    double price = 0.0; // 0 when no price was known
    QString status;     // "Active", "Active / Repeat", "Hit", "Inactive"
};

using SymbolNormalizer = std::function<QString(const QString &)>;

constexpr qint64 kAlertCooldownMs = 60000;

// ">=" or "<=".
QString alertConditionSign(bool above);

// ">= 31.2000" / "<= 31.2000": the target with 4 decimals, even from 1000 up, widened below 1 as every
// price text is (">= 0.00001234").
QString alertConditionText(bool above, double target);

// The target the create-alert dialog starts at for the symbol's current price: below 1 the price
// rounded to the four significant digits the dialog shows it with, so that stepping starts from a
// number the user can read; from 1 up the price itself. 0 when no price is known.
double alertTargetStart(double current);

// Whether a last price reaches the alert's level. A price that is not finite or not above 0 never does:
// a failed provider can report 0, and 0 would fire every "below" alert.
bool alertPriceHits(const PriceAlert &alert, double last);

// Whether a repeating alert is still inside the cool-down after its last hit. A last hit in the future
// (the clock moved back, or another machine's clock came in through sync) counts as elapsed: otherwise
// the alert could stay silent for as long as the clocks disagree.
bool alertCoolingDown(const PriceAlert &alert, qint64 nowMs);

// The whole decision for one alert and one applied quote: not sleeping, same symbol (exact), a hit and
// not cooling down.
bool alertFires(const PriceAlert &alert, const QString &symbol, double last, qint64 nowMs);

// A JSON value as a 64-bit integer: a number (truncated) or a string of base-10 digits. Anything else,
// and any value outside the 64-bit range, reads as 0.
qint64 jsonInt64(const QJsonValue &value);

QJsonObject alertToJson(const PriceAlert &alert);
QJsonArray alertsToJson(const QList<PriceAlert> &alerts);
// The valid alerts of a stored array, in order; elements with an empty symbol or a target not above 0
// are dropped. Symbols go through `normalize`.
QList<PriceAlert> alertsFromJson(const QJsonArray &array, const SymbolNormalizer &normalize);

QJsonObject alertHistoryEntryToJson(const AlertHistoryEntry &entry);
QJsonArray alertHistoryToJson(const QList<AlertHistoryEntry> &history);
// The entries that have a timestamp and a symbol, in order; symbols go through `normalize`.
QList<AlertHistoryEntry> alertHistoryFromJson(const QJsonArray &array, const SymbolNormalizer &normalize);

// The entry an event writes: the condition from the alert, and "Active" shown as "Active / Repeat" for
// a repeating alert.
AlertHistoryEntry makeAlertHistoryEntry(const PriceAlert &alert, const QString &event, double price,
                                        const QString &status, const QString &timestamp);

// Foreground of an Event or Status cell by its exact word; empty for a word without a colour.
QString alertHistoryColorName(const QString &word);

// One cell of a history row: its text and, for the columns that sort by number, that number.
struct AlertHistoryCell
{
    QString text;
    std::optional<double> sortValue;
};

// The seven cells of an entry's row: Time, Event, Symbol, Condition, Target (4 decimals, sorts by the
// target), Price (4 decimals, "--" when not above 0, sorts by the price) and Status.
QList<AlertHistoryCell> alertHistoryCells(const AlertHistoryEntry &entry);

// What tells one rule's message box from another's: the symbol, the direction and the exact target.
// A repeating rule that fires again while its box is open shows the new hit in that box.
QString alertPopupKey(const PriceAlert &alert);

// What a history row says about its alert, enough to find the saved alert it belongs to.
struct AlertRowKey
{
    QString symbol;
    bool above = true;
    double target = 0.0;
};

// The key of a history row from its Symbol, Condition and Target cells: the symbol normalised, the
// direction from a leading ">=" (anything else is "below"), the target from the cell's sort value.
AlertRowKey alertRowKey(const QString &symbolText, const QString &conditionText, double target,
                        const SymbolNormalizer &normalize);

// Index of the first alert with the key's symbol and direction whose target lies within 1e-6 of the
// key's (1e-6 of the key's target below 1); -1 when none.
int findMatchingAlert(const QList<PriceAlert> &alerts, const AlertRowKey &key);

// The sync namespace "alerts": {"alerts": [...], "history": [...]}.
QJsonObject alertsPayload(const QList<PriceAlert> &alerts, const QList<AlertHistoryEntry> &history);

// A downloaded "alerts" payload read into records; nothing when it is not an object, has neither
// "alerts" nor "history", or has a present member that is not an array. A missing member reads as an
// empty list.
struct AlertsPayload
{
    QList<PriceAlert> alerts;
    QList<AlertHistoryEntry> history;
};
std::optional<AlertsPayload> readAlertsPayload(const QJsonValue &payload, const SymbolNormalizer &normalize);
